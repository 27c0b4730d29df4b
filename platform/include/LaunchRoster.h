#ifndef _LAUNCH_ROSTER_H
#define _LAUNCH_ROSTER_H

#include <string>
#include <vector>

#include <Message.h>
#include <SupportDefs.h>

// The launch daemon's jobs are the user's systemd units, named as units are ("tevra.timer"),
// and the daemon is the user's service manager on the session bus. Each roster finds that bus
// anew from the environment: DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus. No call
// waits more than a few seconds. Beyond Haiku: ImportEnvironment and ErrorText.
class BLaunchRoster {
public:
	BLaunchRoster();
	~BLaunchRoster();

	// B_OK once the manager has answered; B_NO_INIT when there is no bus or no manager on it,
	// B_TIMED_OUT when it does not answer. Every other call then fails with the same status.
	status_t InitCheck() const;

	// Both wait, a few seconds at most, for the manager to carry out the start or the stop. A
	// start that leaves the unit failed (a service whose program failed) is B_ERROR.
	status_t Start(const char* name);
	// force: a start queued later cannot cancel the stop.
	status_t Stop(const char* name, bool force = false);
	// Enables or disables the unit's file as `systemctl enable` does, reloading the manager.
	status_t SetEnabled(const char* name, bool enabled);
	// Fills string "name", bool "enabled" (its unit file is enabled) and bool "running" (the
	// unit is active).
	status_t GetJobInfo(const char* name, BMessage& info);

	// Hands the manager those of the named variables that are set here, as `systemctl --user
	// import-environment NAME...` does: the manager keeps its own value of a name not set here.
	status_t ImportEnvironment(const std::vector<std::string>& names);
	// Why the last call that failed did, in the manager's own words where it gave some, for an
	// alert to quote; empty when none has failed.
	const char* ErrorText() const;

private:
	// The roster's own connection to the bus, by a name no other roster has.
	std::string fConnection;
	status_t fStatus;
	std::string fErrorText;
};

#endif
