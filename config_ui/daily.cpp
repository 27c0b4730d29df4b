#include "config_ui/daily.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

#include <LaunchRoster.h>
#include <Message.h>
#include <Roster.h>

#include "model/daily_design.h"

std::string tevra_program;

namespace {

const char* const kUnits[] = {"tevra.timer", "tevra.service"};
const char kTimer[] = "tevra.timer";
// What the timer's run needs to find the same screen and desktop as this session.
const std::vector<std::string> kSessionVariables = {"DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK",
	"XDG_CURRENT_DESKTOP"};

bool is_folder(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string real_path(const std::string& path)
{
	char resolved[PATH_MAX];
	return realpath(path.c_str(), resolved) != nullptr ? resolved : path;
}

std::string quoted_if_needed(const std::string& text)
{
	return text.find_first_of(" \t'\"$\\;&|<>()") == std::string::npos ? text
		: "'" + text + "'";
}

}

const std::string& create_mode_program()
{
	if (tevra_program.empty()) {
		app_info info;
		if (be_roster->GetRunningAppInfo(&info) == B_OK && info.ref.Path() != nullptr)
			tevra_program = info.ref.Path();
	}
	return tevra_program;
}

std::string examples_folder()
{
	std::string program = real_path(create_mode_program());
	size_t slash = program.rfind('/');
	std::string installed = program.substr(0, slash == std::string::npos ? 0 : slash)
		+ "/../share/doc/tevra/examples";
	if (is_folder(installed))
		return real_path(installed);
	// Run from its build, the program has the source tree's.
	if (program == real_path(TEVRA_BUILT_PROGRAM) && is_folder(TEVRA_SOURCE_EXAMPLES))
		return real_path(TEVRA_SOURCE_EXAMPLES);
	return "";
}

std::vector<std::string> example_designs()
{
	std::vector<std::string> designs;
	std::string folder = examples_folder();
	DIR* dir = folder.empty() ? nullptr : opendir(folder.c_str());
	if (dir == nullptr)
		return designs;
	const std::string kExtension = ".tevra";
	while (dirent* entry = readdir(dir)) {
		std::string name = entry->d_name;
		if (name.size() > kExtension.size() && name[0] != '.'
			&& name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension) == 0)
			designs.push_back(folder + "/" + name);
	}
	closedir(dir);
	std::sort(designs.begin(), designs.end());
	return designs;
}

bool service_manager_present()
{
	return BLaunchRoster().InitCheck() == B_OK;
}

bool daily_redraw_on()
{
	BLaunchRoster roster;
	if (roster.InitCheck() != B_OK)
		return false;
	bool on = true;
	for (const char* unit : kUnits) {
		BMessage info;
		bool enabled = false;
		on &= roster.GetJobInfo(unit, info) == B_OK
			&& info.FindBool("enabled", &enabled) == B_OK && enabled;
	}
	BMessage timer;
	bool running = false;
	return on && roster.GetJobInfo(kTimer, timer) == B_OK
		&& timer.FindBool("running", &running) == B_OK && running;
}

std::string set_daily_redraw(bool on)
{
	BLaunchRoster roster;
	status_t status = roster.InitCheck();
	if (status == B_OK && on) {
		status = roster.ImportEnvironment(kSessionVariables);
	}
	for (const char* unit : kUnits) {
		if (status == B_OK)
			status = roster.SetEnabled(unit, on);
	}
	if (status == B_OK)
		status = on ? roster.Start(kTimer) : roster.Stop(kTimer);
	if (status == B_OK)
		return "";
	if (status == B_ENTRY_NOT_FOUND) {
		return "tevra's timer is not installed here. Install tevra (its package, or make "
			"install) and choose \"Redraw every day\" again.";
	}
	std::string said = roster.ErrorText();
	return "The service manager refused: " + (said.empty() ? std::string("no reason given")
		: said) + ".";
}

std::string cron_line()
{
	std::string line = "0 0 * * *  ";
	for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP",
			"DBUS_SESSION_BUS_ADDRESS"}) {
		const char* value = getenv(name);
		if (value != nullptr && value[0] != '\0')
			line += std::string(name) + "=" + quoted_if_needed(value) + " ";
	}
	return line + quoted_if_needed(create_mode_program()) + " "
		+ quoted_if_needed(daily_design_path()) + " " + quoted_if_needed(daily_picture_path());
}
