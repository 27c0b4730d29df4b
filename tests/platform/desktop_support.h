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

#include "tests/support/files.h"
#include "tests/support/helper_process.h"
#include "tests/support/run_program.h"
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

// Create mode as a timer starts it for the user whose home this is: no desktop session, no
// display, the home's own settings and cache.
inline run_options outside_session(const temp_dir& home)
{
	run_options options;
	options.folder = home.path();
	options.environment = {"-DISPLAY", "-WAYLAND_DISPLAY", "-XDG_CURRENT_DESKTOP", "-SWAYSOCK",
		"-QT_QPA_PLATFORM", "-XDG_CONFIG_HOME", "HOME=" + home.path(),
		"XDG_CACHE_HOME=" + home.file("cache")};
	return options;
}

}

#endif
