#ifndef TEVRA_BACKEND_SUPPORT_H
#define TEVRA_BACKEND_SUPPORT_H

#include <string>
#include <vector>

#include "desktop_bridge.h"
#include "run_command.h"

// What every desktop's way of taking a background shares.
namespace desktop {

long long now_ms();
std::string env_or(const char* name, const std::string& fallback);
std::string home();
std::string fresh_folder();

// Runs the commands of one application, each within its own time and all within one budget,
// and keeps the first failure.
class commands {
public:
	commands();

	bool run(const std::vector<std::string>& argv, command_result* result = nullptr,
		bool detach = false);
	void fail(const std::string& why);
	const std::string& why() const { return fWhy; }

private:
	long long fDeadline;
	std::string fWhy;
};

// The picture a desktop is given, and its removal if the desktop did not take it.
class fresh_picture {
public:
	fresh_picture(const background& what, commands* run);

	bool failed(const background& what) const { return !what.picture.empty() && fPath.empty(); }
	const std::string& path() const { return fPath; }
	// The part of the picture that one screen shows, as a fresh file of its own; "" when it
	// could not be made (run says why).
	std::string part(const background& what, const BRect& frame, commands* run);
	// Keeps the picture once the desktop took it; otherwise removes it and its parts.
	void settle(const commands& run);

private:
	std::string fPath;
	std::vector<std::string> fParts;
};

// One per kind of desktop: "" when applied, otherwise why not.
std::string apply_gsettings(desktop_kind kind, const background& what);
std::string apply_plasma(const background& what);
std::string apply_xfce(const background& what);
std::string apply_pcmanfm(const background& what, bool qt);
std::string apply_sway(const background& what);
std::string apply_swaybg(const background& what);

}

#endif
