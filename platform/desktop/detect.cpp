#include "desktop_bridge.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace desktop {

namespace {

std::string lower(std::string text)
{
	for (char& c : text)
		c = (char)tolower((unsigned char)c);
	return text;
}

std::string value(const environment& env, const char* name)
{
	auto found = env.find(name);
	return found != env.end() ? found->second : std::string();
}

struct name_row {
	const char* name; // lower case
	desktop_kind kind;
};

// Names in XDG_CURRENT_DESKTOP. Budgie, Pantheon and Unity draw from GNOME's settings.
const name_row kSessionNames[] = {
	{"gnome", k_gnome}, {"gnome-classic", k_gnome}, {"gnome-flashback", k_gnome},
	{"unity", k_gnome}, {"budgie", k_gnome}, {"pantheon", k_gnome},
	{"x-cinnamon", k_cinnamon}, {"cinnamon", k_cinnamon},
	{"mate", k_mate},
	{"kde", k_kde},
	{"xfce", k_xfce},
	{"lxqt", k_lxqt},
	{"lxde", k_lxde},
	{"sway", k_sway},
};

// Window managers as they name themselves on X, when no session name says more.
const name_row kWindowManagers[] = {
	{"gnome shell", k_gnome}, {"mutter", k_gnome}, {"metacity", k_gnome},
	{"mutter (muffin)", k_cinnamon}, {"muffin", k_cinnamon},
	{"marco", k_mate},
	{"kwin", k_kde},
	{"xfwm4", k_xfce},
};

}

std::string find_sway_socket(const environment& env)
{
	std::string given = value(env, "SWAYSOCK");
	if (!given.empty())
		return given;
	std::string folder = value(env, "XDG_RUNTIME_DIR");
	if (folder.empty() || value(env, "WAYLAND_DISPLAY").empty())
		return "";
	// sway names its socket sway-ipc.<uid>.<pid>.sock; one left by a sway that ended is dead.
	std::string prefix = "sway-ipc." + std::to_string(getuid()) + ".";
	std::string newest;
	struct timespec newestTime = {0, 0};
	DIR* dir = opendir(folder.c_str());
	if (dir == nullptr)
		return "";
	while (struct dirent* entry = readdir(dir)) {
		std::string name = entry->d_name;
		if (name.rfind(prefix, 0) != 0 || name.size() <= prefix.size() + 5
			|| name.compare(name.size() - 5, 5, ".sock") != 0)
			continue;
		std::string pidText = name.substr(prefix.size(), name.size() - 5 - prefix.size());
		if (pidText.empty() || pidText.size() > 9
			|| pidText.find_first_not_of("0123456789") != std::string::npos)
			continue;
		pid_t pid = (pid_t)atoi(pidText.c_str());
		if (pid <= 1 || (kill(pid, 0) != 0 && errno != EPERM))
			continue;
		std::string path = folder + "/" + name;
		struct stat st;
		if (stat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode))
			continue;
		if (newest.empty() || st.st_mtim.tv_sec > newestTime.tv_sec
			|| (st.st_mtim.tv_sec == newestTime.tv_sec && st.st_mtim.tv_nsec > newestTime.tv_nsec)) {
			newest = path;
			newestTime = st.st_mtim;
		}
	}
	closedir(dir);
	return newest;
}

environment current_environment()
{
	environment env;
	for (char** entry = environ; entry != nullptr && *entry != nullptr; entry++) {
		const char* equals = strchr(*entry, '=');
		if (equals != nullptr)
			env[std::string(*entry, equals - *entry)] = equals + 1;
	}
	return env;
}

desktop_kind detect_desktop(const environment& env, const std::function<std::string()>& wm_name)
{
	// A list such as "ubuntu:GNOME": the first name known here decides.
	std::string session = lower(value(env, "XDG_CURRENT_DESKTOP"));
	size_t start = 0;
	while (start <= session.size()) {
		size_t end = session.find(':', start);
		if (end == std::string::npos)
			end = session.size();
		std::string name = session.substr(start, end - start);
		for (const name_row& row : kSessionNames) {
			if (name == row.name)
				return row.kind;
		}
		start = end + 1;
	}

	if (!find_sway_socket(env).empty())
		return k_sway;
	// On Wayland an X server, if any, is Xwayland, whose root window nobody sees.
	if (!value(env, "WAYLAND_DISPLAY").empty())
		return k_wayland;
	if (value(env, "DISPLAY").empty())
		return k_no_desktop;
	std::string manager = wm_name ? lower(wm_name()) : std::string();
	for (const name_row& row : kWindowManagers) {
		if (manager == row.name)
			return row.kind;
	}
	return k_x11;
}

const char* desktop_name(desktop_kind kind)
{
	switch (kind) {
		case k_no_desktop: return "none";
		case k_gnome: return "GNOME";
		case k_cinnamon: return "Cinnamon";
		case k_mate: return "MATE";
		case k_kde: return "KDE Plasma";
		case k_xfce: return "Xfce";
		case k_lxqt: return "LXQt";
		case k_lxde: return "LXDE";
		case k_sway: return "sway";
		case k_wayland: return "Wayland";
		case k_x11: return "X11";
	}
	return "unknown";
}

}
