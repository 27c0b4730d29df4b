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
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <memory>
#include <poll.h>
#include <pwd.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <QImage>
#include <QString>

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
				"DBUS_SESSION_BUS_ADDRESS", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION",
				"XDG_STATE_HOME"})
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

// Whether a program of the session bus owns the name.
inline bool bus_name_owned(const std::string& name)
{
	run_result r = run_program({"dbus-send", "--session", "--print-reply",
		"--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
		"org.freedesktop.DBus.NameHasOwner", "string:" + name});
	return r.out.find("boolean true") != std::string::npos;
}

// The program the session bus would start for a name (its service file's Exec line), so that a
// test starts it itself and stops it with the test; "" when the service is not installed.
inline std::string bus_service_program(const std::string& name)
{
	std::ifstream in("/usr/share/dbus-1/services/" + name + ".service");
	for (std::string line; std::getline(in, line);) {
		if (line.rfind("Exec=", 0) == 0) {
			std::string program = line.substr(5, line.find(' ') - 5);
			return access(program.c_str(), X_OK) == 0 ? program : std::string();
		}
	}
	return "";
}

// A session bus of the test's own, named in DBUS_SESSION_BUS_ADDRESS while it lives.
class private_bus {
public:
	explicit private_bus(scoped_env* env)
		: fDaemon({"dbus-daemon", "--session", "--nofork", "--print-address=1"})
	{
		if (fDaemon.first_line().rfind("unix:", 0) == 0)
			env->set("DBUS_SESSION_BUS_ADDRESS", fDaemon.first_line());
	}
	bool running() const { return fDaemon.first_line().rfind("unix:", 0) == 0; }

	// Starts a service's program on this bus; true once it owns its name.
	bool start_service(const std::string& name)
	{
		std::string program = bus_service_program(name);
		if (program.empty())
			return false;
		// It writes nothing to say that it is ready: descriptor 3 stays quiet.
		fServices.emplace_back(new helper_process({program}, 3, 0));
		return eventually([&] { return bus_name_owned(name); }, 5000);
	}

private:
	helper_process fDaemon;
	std::vector<std::unique_ptr<helper_process>> fServices;
};

// sway on its headless backend with outputs of the given size (more lines of its
// configuration may place and scale them), as an unprivileged user (sway will not run as root):
// its sockets are named in WAYLAND_DISPLAY and SWAYSOCK while it lives. why_not() says why it
// could not start.
class sway_session {
public:
	sway_session(scoped_env* env, int width, int height, const std::string& more = "",
		int outputs = 1)
	{
		if (!on_path("sway") || !on_path("grim")) {
			fWhy = "sway or grim is not installed (scripts/install-deps test installs them)";
			return;
		}
		std::string runtime = fDir.file("run");
		mkdir(runtime.c_str(), 0700);
		std::string config;
		for (int i = 1; i <= outputs; i++) {
			config += "output HEADLESS-" + std::to_string(i) + " mode " + std::to_string(width)
				+ "x" + std::to_string(height) + "\n";
		}
		fDir.write("config", config + more);
		env->set("WLR_HEADLESS_OUTPUTS", std::to_string(outputs));
		std::vector<std::string> argv = {"sh", "-c", "exec sway -c \"$0\" 2> \"$1\"",
			fDir.file("config"), runtime + "/log"};
		if (geteuid() == 0) {
			struct passwd* user = getpwnam("nobody");
			if (user == nullptr || chown(runtime.c_str(), user->pw_uid, user->pw_gid) != 0
				|| chmod(fDir.path().c_str(), 0755) != 0) {
				fWhy = "no unprivileged user (nobody) to run sway as";
				return;
			}
			argv.insert(argv.begin(), {"setpriv", "--reuid=" + std::to_string(user->pw_uid),
				"--regid=" + std::to_string(user->pw_gid), "--clear-groups", "--"});
		}
		env->unset("DISPLAY");
		env->unset("WAYLAND_DISPLAY");
		env->unset("SWAYSOCK");
		env->set("XDG_RUNTIME_DIR", runtime);
		env->set("WLR_BACKENDS", "headless");
		env->set("WLR_RENDERER", "pixman");
		env->set("WLR_LIBINPUT_NO_DEVICES", "1");
		fSway.reset(new helper_process(argv, 3, 0));
		std::string socket, display;
		bool ready = eventually([&] {
			if (DIR* dir = opendir(runtime.c_str())) {
				while (struct dirent* entry = readdir(dir)) {
					std::string name = entry->d_name;
					if (name.rfind("sway-ipc.", 0) == 0)
						socket = runtime + "/" + name;
					else if (name.rfind("wayland-", 0) == 0 && name.find('.') == std::string::npos)
						display = name;
				}
				closedir(dir);
			}
			return !socket.empty() && !display.empty();
		}, 10000);
		if (!ready) {
			std::string log = read_file(runtime + "/log");
			size_t end = log.find_last_not_of('\n');
			log = end == std::string::npos ? "" : log.substr(0, end + 1);
			fWhy = "sway did not start on its headless backend: "
				+ log.substr(log.rfind('\n') == std::string::npos ? 0 : log.rfind('\n') + 1);
			return;
		}
		env->set("WAYLAND_DISPLAY", display);
		env->set("SWAYSOCK", socket);
		fSocket = socket;
		fEnv = env;
	}

	// Only the display named, as a timer or cron leaves it: sway's socket is to be found. As
	// root the test's sway is another user's; its socket is given our user's name as well.
	void forget_socket()
	{
		std::string ours = fSocket.substr(0, fSocket.rfind('/') + 1) + "sway-ipc."
			+ std::to_string(getuid()) + "." + std::to_string(fSway->pid()) + ".sock";
		if (ours != fSocket && access(ours.c_str(), F_OK) != 0) {
			EXPECT_EQ(link(fSocket.c_str(), ours.c_str()), 0) << strerror(errno);
		}
		fEnv->unset("SWAYSOCK");
	}

	// sway may miss a signal that comes while it sets itself up: it is asked until it goes.
	~sway_session()
	{
		if (!fSway)
			return;
		for (int tries = 0; tries < 50 && !process_gone(fSway->pid()); tries++) {
			kill(fSway->pid(), tries < 40 ? SIGTERM : SIGKILL);
			eventually([&] { return process_gone(fSway->pid()); }, 100);
		}
	}

	const std::string& why_not() const { return fWhy; }

	// What the outputs show, or the one named, as grim captures it.
	QImage screen(const std::string& output = "") const
	{
		std::string file = fDir.file("screen.png");
		unlink(file.c_str());
		if (output.empty())
			run_program({"grim", file});
		else
			run_program({"grim", "-o", output, file});
		return QImage(QString::fromStdString(file));
	}

private:
	temp_dir fDir;
	std::unique_ptr<helper_process> fSway;
	std::string fWhy;
	std::string fSocket;
	scoped_env* fEnv = nullptr;
};

// Create mode as a timer starts it for the user whose home this is: no desktop session, no
// display, the home's own settings and cache.
inline run_options outside_session(const temp_dir& home)
{
	run_options options;
	options.folder = home.path();
	options.environment = {"-DISPLAY", "-WAYLAND_DISPLAY", "-XDG_CURRENT_DESKTOP", "-SWAYSOCK",
		"-QT_QPA_PLATFORM", "-XDG_CONFIG_HOME", "-XDG_STATE_HOME", "HOME=" + home.path(),
		"XDG_CACHE_HOME=" + home.file("cache")};
	return options;
}

}

#endif
