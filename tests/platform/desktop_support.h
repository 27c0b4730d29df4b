#ifndef TEVRA_TEST_DESKTOP_SUPPORT_H
#define TEVRA_TEST_DESKTOP_SUPPORT_H

// What the desktop bridge's tests share: environment changes undone at the end of a test,
// stand-in commands that record how they were called, and helper processes that are always
// stopped.

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/support/temp_dir.h"

namespace desktop_test {

// Sets and unsets environment variables; every change is undone when it goes.
class scoped_env {
public:
	~scoped_env()
	{
		for (auto it = fSaved.rbegin(); it != fSaved.rend(); ++it) {
			if (it->had)
				setenv(it->name.c_str(), it->value.c_str(), 1);
			else
				unsetenv(it->name.c_str());
		}
	}
	void set(const std::string& name, const std::string& value)
	{
		save(name);
		setenv(name.c_str(), value.c_str(), 1);
	}
	void unset(const std::string& name)
	{
		save(name);
		unsetenv(name.c_str());
	}
	// No desktop at all, unless a test says which.
	void no_desktop()
	{
		for (const char* name : {"XDG_CURRENT_DESKTOP", "DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK",
				"DBUS_SESSION_BUS_ADDRESS", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION"})
			unset(name);
	}

private:
	struct saved {
		std::string name;
		bool had;
		std::string value;
	};
	void save(const std::string& name)
	{
		const char* value = getenv(name.c_str());
		fSaved.push_back({name, value != nullptr, value != nullptr ? value : ""});
	}
	std::vector<saved> fSaved;
};

// A folder of stand-in commands put first on PATH. Each stand-in appends one line per call to
// its record: the arguments, each ended by the unit separator.
class stand_ins {
public:
	explicit stand_ins(scoped_env* env, bool keepSystemPath = true)
	{
		mkdir(bin().c_str(), 0755);
		const char* path = getenv("PATH");
		env->set("PATH", bin() + (keepSystemPath && path != nullptr ? ":" + std::string(path)
			: std::string()));
	}
	std::string bin() const { return fDir.file("bin"); }
	std::string record(const std::string& name) const { return fDir.file(name + ".calls"); }

	// body runs after the call is recorded; it may print, exit or wait.
	void add(const std::string& name, const std::string& body = "") const
	{
		std::string script = "#!/bin/sh\n"
			"for a in \"$@\"; do printf '%s\\037' \"$a\"; done >> '" + record(name) + "'\n"
			"printf '\\n' >> '" + record(name) + "'\n" + body;
		std::string file = bin() + "/" + name;
		std::ofstream(file) << script;
		chmod(file.c_str(), 0755);
	}
	void link(const std::string& name, const std::string& target) const
	{
		EXPECT_EQ(symlink(target.c_str(), (bin() + "/" + name).c_str()), 0) << name;
	}

	std::vector<std::vector<std::string>> calls(const std::string& name) const
	{
		std::vector<std::vector<std::string>> result;
		std::ifstream in(record(name));
		for (std::string line; std::getline(in, line);) {
			std::vector<std::string> args;
			std::string arg;
			for (char c : line) {
				if (c == '\037') {
					args.push_back(arg);
					arg.clear();
				} else {
					arg += c;
				}
			}
			result.push_back(args);
		}
		return result;
	}

private:
	temp_dir fDir;
};

// A helper process (a display server, a bus, a stand-in service) that is stopped, with all it
// started, when the test ends. Its first line of output tells that it is ready.
class helper_process {
public:
	// readyFd: the descriptor on which the child writes its first line (1 for stdout).
	explicit helper_process(const std::vector<std::string>& argv, int readyFd = 1,
		int waitMs = 5000)
	{
		// Nothing may allocate between fork and exec: the test process has other threads.
		std::vector<char*> args;
		for (const std::string& arg : argv)
			args.push_back(const_cast<char*>(arg.c_str()));
		args.push_back(nullptr);
		int ready[2];
		if (pipe(ready) != 0)
			return;
		fPid = fork();
		if (fPid == 0) {
			setpgid(0, 0);
			close(ready[0]);
			int devnull = open("/dev/null", O_RDWR);
			dup2(devnull, 0);
			dup2(devnull, 2);
			if (readyFd != 1)
				dup2(devnull, 1);
			dup2(ready[1], readyFd);
			if (ready[1] != readyFd)
				close(ready[1]);
			execvp(args[0], args.data());
			_exit(127);
		}
		close(ready[1]);
		// The first line, within a bound: a helper that never becomes ready fails the test.
		struct pollfd fd = {ready[0], POLLIN, 0};
		char c;
		while (poll(&fd, 1, waitMs) == 1 && read(ready[0], &c, 1) == 1 && c != '\n')
			fLine += c;
		close(ready[0]);
	}
	~helper_process()
	{
		if (fPid <= 0)
			return;
		kill(-fPid, SIGTERM);
		kill(fPid, SIGTERM);
		int status;
		waitpid(fPid, &status, 0);
	}
	const std::string& first_line() const { return fLine; }
	pid_t pid() const { return fPid; }

private:
	pid_t fPid = -1;
	std::string fLine;
};

inline bool on_path(const std::string& name)
{
	const char* path = getenv("PATH");
	std::stringstream folders(path != nullptr ? path : "");
	for (std::string folder; std::getline(folders, folder, ':');) {
		if (access((folder + "/" + name).c_str(), X_OK) == 0)
			return true;
	}
	return false;
}

// Whether a process is gone (or only a zombie that nobody has reaped yet).
inline bool process_gone(pid_t pid)
{
	std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
	std::string line;
	if (!std::getline(stat, line))
		return true;
	size_t close = line.rfind(')');
	return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

// Waits, within a bound, for something that another process does.
template<typename Condition>
bool eventually(Condition condition, int boundMs = 3000)
{
	for (int waited = 0; waited < boundMs; waited += 10) {
		if (condition())
			return true;
		usleep(10000);
	}
	return condition();
}

inline std::string read_file(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream buffer;
	buffer << in.rdbuf();
	return buffer.str();
}

}

#endif
