#ifndef TEVRA_TEST_USER_MANAGER_H
#define TEVRA_TEST_USER_MANAGER_H

#include <memory>
#include <string>
#include <vector>

#include "tests/support/helper_process.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

// A systemd user manager of a test's own, with its own home and runtime folder, in a mount
// namespace of its own where /run says that systemd booted the system. It starts its bus on
// demand, at $XDG_RUNTIME_DIR/bus. It and everything it started stop when it goes. One runs at
// a time on a machine: the tests of two programs at once wait for each other.
class user_manager {
public:
	user_manager();
	~user_manager();

	// Why no manager can run here (systemd missing, no right to a mount namespace); "" when
	// one can.
	static std::string cannot_run();

	// Starts it; true once it answers on its bus with its start-up done. Units to find are put
	// in unit_folder() first.
	bool start();
	// tevra's units from the source tree, as installing them puts them in place, the service
	// running program.
	void install_tevra_units(const std::string& program);

	const std::string& runtime_folder() const { return fRuntime; }
	// Where the user's own units are installed.
	std::string unit_folder() const { return fHome + "/.local/share/systemd/user"; }
	// The value for DBUS_SESSION_BUS_ADDRESS.
	std::string bus_address() const { return "unix:path=" + fRuntime + "/bus"; }
	// `systemctl --user args...` as the user's session runs it, in the manager's namespace.
	run_result systemctl(const std::vector<std::string>& args) const;
	pid_t pid() const { return fManager != nullptr ? fManager->pid() : -1; }

private:
	void stop_all();

	temp_dir fDir;
	std::string fHome;
	std::string fRuntime;
	std::unique_ptr<helper_process> fManager;
	// Held while it runs: see start().
	int fLock = -1;
	// The mount namespace it and all it starts run in, as /proc/PID/ns/mnt names it, held open
	// so that no later namespace gets its name while the test sweeps it.
	std::string fNamespace;
	int fNamespaceFd = -1;
};

#endif
