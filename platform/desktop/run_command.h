#ifndef TEVRA_DESKTOP_RUN_COMMAND_H
#define TEVRA_DESKTOP_RUN_COMMAND_H

#include <string>
#include <sys/types.h>
#include <vector>

// The one seam through which the desktop bridge runs other programs. Tests replace
// g_run_command, or put stand-in commands first on PATH.
namespace desktop {

struct command_options {
	int timeout_ms = 5000;
	// Started in a session of its own and left running (a background drawer): the call waits
	// timeout_ms only to catch a program that fails at once.
	bool detach = false;
};

struct command_result {
	enum outcome { exited, not_found, not_started, timed_out, running };
	outcome how = not_started;
	int status = -1; // exit status when exited; 128 + signal when killed by one
	int error = 0;   // errno when not started
	pid_t pid = -1;  // the program left running, when detached
	std::string out, err;

	bool ok() const { return how == exited && status == 0; }
};

typedef command_result (*command_runner)(const std::vector<std::string>& argv,
	const command_options& options);

// Searches PATH; never runs a shell; the program's standard input is /dev/null. A program
// still running at its deadline is killed with everything it started.
command_result run_command_for_real(const std::vector<std::string>& argv,
	const command_options& options);

extern command_runner g_run_command;

// "gsettings timed out after 5 s", "xfconf-query is not installed", "swaymsg failed: ...":
// why a command did not succeed, for the one line the bridge reports.
std::string describe_failure(const std::vector<std::string>& argv, const command_result& result);

}

#endif
