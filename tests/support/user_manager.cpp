#include "tests/support/user_manager.h"

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A tmpfs over /run/systemd (over /run when there is none) with system/ in it tells systemd
// that it booted the system; only the namespace sees it.
const char* const kBooted = "t=/run/systemd; [ -d $t ] || t=/run; "
	"mount -t tmpfs none $t && mkdir -p /run/systemd/system";

std::string systemd_binary()
{
	for (const char* path : {"/lib/systemd/systemd", "/usr/lib/systemd/systemd"}) {
		if (access(path, X_OK) == 0)
			return path;
	}
	return "";
}

std::string mount_namespace(pid_t pid)
{
	char link[128];
	ssize_t length = readlink(("/proc/" + std::to_string(pid) + "/ns/mnt").c_str(), link,
		sizeof(link));
	return length > 0 ? std::string(link, length) : std::string();
}

template <typename Condition>
bool within_ms(int bound, Condition condition)
{
	for (int waited = 0; waited < bound; waited += 50) {
		if (condition())
			return true;
		usleep(50000);
	}
	return condition();
}

}

user_manager::user_manager()
	: fHome(fDir.file("home")), fRuntime(fDir.file("run"))
{
	std::error_code ignored;
	std::filesystem::create_directories(unit_folder(), ignored);
	mkdir(fRuntime.c_str(), 0700);
}

user_manager::~user_manager()
{
	stop_all();
}

std::string user_manager::cannot_run()
{
	if (systemd_binary().empty() || !on_path("systemctl") || !on_path("busctl"))
		return "systemd is not installed (scripts/install-deps test installs it)";
	for (const char* tool : {"unshare", "nsenter", "setpriv"}) {
		if (!on_path(tool))
			return std::string(tool) + " (util-linux) is not installed";
	}
	run_result probe = run_program({"unshare", "-m", "sh", "-c", kBooted});
	if (probe.status != 0) {
		return "a user manager needs a mount namespace of its own where systemd seems to have "
			"booted, not allowed here: " + probe.err;
	}
	return "";
}

void user_manager::install_tevra_units(const std::string& program)
{
	std::ifstream in(TEVRA_SOURCE_DIR "/dist/systemd/tevra.service.in");
	std::string service((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	const std::string kMark = "@TEVRA_BINARY@";
	size_t at = service.find(kMark);
	if (at != std::string::npos)
		service.replace(at, kMark.size(), program);
	std::ofstream(unit_folder() + "/tevra.service") << service;
	std::filesystem::copy_file(TEVRA_SOURCE_DIR "/dist/systemd/tevra.timer",
		unit_folder() + "/tevra.timer", std::filesystem::copy_options::overwrite_existing);
}

bool user_manager::start()
{
	// Managers share the machine's cgroups, where one that stops ends what the other started:
	// one at a time, by a lock on their folder.
	fLock = open("/sys/fs/cgroup", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fLock >= 0)
		flock(fLock, LOCK_EX);
	const char* path = getenv("PATH");
	std::string script = std::string(kBooted) + " && exec " + systemd_binary() + " --user";
	// Told to stop should the test die first; with nothing of the test's environment.
	fManager.reset(new helper_process({"setpriv", "--pdeathsig", "TERM", "env", "-i",
		std::string("PATH=") + (path != nullptr ? path : "/usr/bin:/bin"), "HOME=" + fHome,
		"XDG_RUNTIME_DIR=" + fRuntime, "unshare", "-m", "sh", "-c", script}, 3, 0));
	run_options options;
	options.environment = {"DBUS_SESSION_BUS_ADDRESS=" + bus_address(),
		"XDG_RUNTIME_DIR=" + fRuntime};
	options.timeout_seconds = 5;
	bool ready = within_ms(10000, [&] {
		run_result state = run_program({"busctl", "--user", "--timeout=1", "get-property",
			"org.freedesktop.systemd1", "/org/freedesktop/systemd1",
			"org.freedesktop.systemd1.Manager", "SystemState"}, options);
		return state.out == "s \"running\"\n" || state.out == "s \"degraded\"\n";
	});
	// By now the process is the manager, in its own namespace.
	std::string pid = std::to_string(fManager->pid());
	fNamespaceFd = open(("/proc/" + pid + "/ns/mnt").c_str(), O_RDONLY | O_CLOEXEC);
	fNamespace = mount_namespace(fManager->pid());
	if (fNamespaceFd < 0 || fNamespace == mount_namespace(getpid()))
		fNamespace.clear();
	return ready && !fNamespace.empty();
}

run_result user_manager::systemctl(const std::vector<std::string>& args) const
{
	if (fManager == nullptr)
		return run_result();
	std::vector<std::string> argv = {"nsenter", "--mount", "--target",
		std::to_string(fManager->pid()), "systemctl", "--user"};
	argv.insert(argv.end(), args.begin(), args.end());
	run_options options;
	options.environment = {"HOME=" + fHome, "XDG_RUNTIME_DIR=" + fRuntime,
		"DBUS_SESSION_BUS_ADDRESS=" + bus_address(), "-XDG_CONFIG_HOME", "-XDG_DATA_HOME"};
	options.timeout_seconds = 10;
	return run_program(argv, options);
}

void user_manager::stop_all()
{
	if (fManager != nullptr && fManager->pid() > 0) {
		// On SIGTERM the manager stops its units and exits.
		kill(fManager->pid(), SIGTERM);
		within_ms(10000, [this] { return process_gone(fManager->pid()); });
	}
	// Whatever outlived it goes by the namespace that only it and what it started are in.
	if (!fNamespace.empty()) {
		if (DIR* proc = opendir("/proc")) {
			while (struct dirent* entry = readdir(proc)) {
				pid_t pid = atoi(entry->d_name);
				if (pid > 0 && pid != getpid() && mount_namespace(pid) == fNamespace)
					kill(pid, SIGKILL);
			}
			closedir(proc);
		}
	}
	if (fNamespaceFd >= 0)
		close(fNamespaceFd);
	fManager.reset();
	if (fLock >= 0)
		close(fLock);
}
