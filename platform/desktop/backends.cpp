#include "backend_support.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace desktop {

limits g_limits;

namespace {

std::string g_note;

}

void note(const std::string& text)
{
	if (g_note.empty())
		g_note = text;
}

std::string take_note()
{
	std::string text = g_note;
	g_note.clear();
	return text;
}

std::string color_hex(rgb_color color)
{
	char text[8];
	snprintf(text, sizeof(text), "#%02x%02x%02x", color.red, color.green, color.blue);
	return text;
}

std::string file_uri(const std::string& path)
{
	static const char kHex[] = "0123456789ABCDEF";
	std::string uri = "file://";
	for (unsigned char c : path) {
		if (isalnum(c) || strchr("/-._~", c) != nullptr) {
			uri += (char)c;
		} else {
			uri += '%';
			uri += kHex[c >> 4];
			uri += kHex[c & 15];
		}
	}
	return uri;
}

namespace {

const int kKeptPictures = 3;

// The number that ends a fresh picture's name ("wall-20260101-000000-17.png"), 0 if none.
long long sequence_of(const std::string& name)
{
	size_t dot = name.rfind('.');
	std::string stem = name.substr(0, dot == std::string::npos || dot == 0 ? name.size() : dot);
	size_t dash = stem.rfind('-');
	if (dash == std::string::npos || dash + 1 == stem.size()
		|| stem.find_first_not_of("0123456789", dash + 1) != std::string::npos
		|| stem.size() - dash > 18)
		return 0;
	return atoll(stem.c_str() + dash + 1);
}

// Every fresh picture by its number, newest first.
std::vector<std::pair<long long, std::string>> fresh_pictures(const std::string& folder)
{
	std::vector<std::pair<long long, std::string>> found;
	if (DIR* dir = opendir(folder.c_str())) {
		while (struct dirent* entry = readdir(dir)) {
			if (entry->d_name[0] != '.')
				found.push_back({sequence_of(entry->d_name), entry->d_name});
		}
		closedir(dir);
	}
	std::sort(found.rbegin(), found.rend());
	return found;
}

}

// Desktops keep what they loaded keyed by its path, and the same output path is written every
// day, so a desktop told the same path again shows yesterday's picture. A hard link under a
// new name gives each run its own path for no space, without the flash and the race of
// setting an empty value first and then the path; a copy stands in where links cannot be made.
// The name carries the time for people and a number that only grows, so that no name comes
// back while a desktop may still remember it, not even within one second.
std::string fresh_picture_path(const std::string& picture, std::string* error)
{
	std::string folder = fresh_folder();
	std::error_code ignored;
	std::filesystem::create_directories(folder, ignored);

	std::string name = std::filesystem::path(picture).filename().string();
	size_t dot = name.rfind('.');
	std::string stem = dot != std::string::npos && dot > 0 ? name.substr(0, dot) : name;
	std::string extension = dot != std::string::npos && dot > 0 ? name.substr(dot) : "";
	// A plain name survives every desktop's quoting.
	for (std::string* part : {&stem, &extension}) {
		for (char& c : *part) {
			if (!isalnum((unsigned char)c) && c != '.' && c != '-' && c != '_')
				c = '_';
		}
	}
	time_t now = time(nullptr);
	struct tm local;
	localtime_r(&now, &local);
	char stamp[32];
	strftime(stamp, sizeof(stamp), "%Y%m%d-%H%M%S", &local);

	// The last number given is kept apart as well, for when every picture was removed.
	std::string counterFile = folder + "/.last";
	long long last = 0;
	std::ifstream(counterFile) >> last;
	std::vector<std::pair<long long, std::string>> earlier = fresh_pictures(folder);
	if (!earlier.empty() && earlier[0].first > last)
		last = earlier[0].first;

	for (int tries = 0; tries < 1000; tries++) {
		long long number = last + 1 + tries;
		std::string path = folder + "/" + stem + "-" + stamp + "-" + std::to_string(number)
			+ extension;
		std::ofstream(counterFile) << number << "\n";
		if (link(picture.c_str(), path.c_str()) == 0)
			return path;
		if (errno == EEXIST)
			continue;
		if (errno == ENOENT || errno == EACCES || errno == ENOTDIR) {
			if (access(picture.c_str(), R_OK) != 0) {
				*error = "cannot read the picture " + picture + ": " + strerror(errno);
				return "";
			}
		}
		std::error_code copyError;
		if (std::filesystem::exists(path, copyError))
			continue;
		if (std::filesystem::copy_file(picture, path, copyError))
			return path;
		*error = "cannot place the picture in " + folder + ": " + copyError.message();
		return "";
	}
	*error = "too many pictures in " + folder;
	return "";
}

// A few earlier pictures stay, for a desktop that is still loading one when the next comes.
void remove_older_fresh_pictures(const std::string& newest)
{
	std::string folder = fresh_folder();
	std::string keepName = std::filesystem::path(newest).filename().string();
	long long keepNumber = sequence_of(keepName);
	int kept = 1;
	for (const auto& picture : fresh_pictures(folder)) {
		// A later run's picture is that run's to keep.
		if (picture.second == keepName || picture.first > keepNumber)
			continue;
		if (kept < kKeptPictures)
			kept++;
		else
			unlink((folder + "/" + picture.second).c_str());
	}
}

std::string apply_background(desktop_kind kind, const background& what)
{
	if (what.picture.empty() && !what.has_color)
		return "";
	switch (kind) {
		case k_gnome:
		case k_cinnamon:
		case k_mate:
			return apply_gsettings(kind, what);
		case k_kde:
			return apply_plasma(what);
		case k_xfce:
			return apply_xfce(what);
		case k_lxqt:
		case k_lxde:
			return apply_pcmanfm(what, kind == k_lxqt);
		case k_sway:
			return apply_sway(what);
		case k_wayland:
			return apply_swaybg(what);
		case k_x11: {
			const char* display = getenv("DISPLAY");
			return x11_set_root_background(display != nullptr ? display : "", what);
		}
		case k_no_desktop:
			break;
	}
	return "no desktop session to show it (neither DISPLAY nor WAYLAND_DISPLAY is set)";
}

}

