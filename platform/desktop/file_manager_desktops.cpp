#include "backend_support.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace desktop {

namespace {

// --- LXQt and LXDE: the file manager that draws the desktop takes the picture; the colour
// around it is the desktop's own, which neither lets another program set.

// The desktop profile's settings file that names the picture, or "": the file manager hands
// the picture to its running desktop and ends with status 0 even when no desktop of its runs.
std::string pcmanfm_settings_naming(bool qt, const std::string& picture)
{
	std::string folder = env_or("XDG_CONFIG_HOME", home() + "/.config")
		+ (qt ? "/pcmanfm-qt" : "/pcmanfm");
	// The settings writer may escape the folder's name; the file's own name is plain and new.
	std::string leaf = "/" + std::filesystem::path(picture).filename().string();
	std::string key = qt ? "Wallpaper=" : "wallpaper=";
	std::error_code error;
	for (const auto& profile : std::filesystem::directory_iterator(folder, error)) {
		for (const auto& file : std::filesystem::directory_iterator(profile.path(), error)) {
			std::string name = file.path().filename().string();
			if (qt ? name != "settings.conf" : name.rfind("desktop-items-", 0) != 0)
				continue;
			std::ifstream in(file.path());
			for (std::string line; std::getline(in, line);) {
				if (line.rfind(key, 0) == 0 && line.size() >= key.size() + leaf.size()
					&& line.compare(line.size() - leaf.size(), leaf.size(), leaf) == 0)
					return file.path().string();
			}
		}
	}
	return "";
}

// pcmanfm-qt 1.2 shows the picture in the mode asked for but saves the mode its desktop started
// with, and a desktop started on "none" shows no picture: the settings get the mode as
// pcmanfm-qt writes it, in its [Desktop] section. Whether the settings still need it.
std::string file_text(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream text;
	text << in.rdbuf();
	return text.str();
}

bool lxqt_keep_centred(const std::string& settings)
{
	// pcmanfm-qt rewrites the file in place: it is taken once it reads the same twice.
	std::string text = file_text(settings);
	long long deadline = now_ms() + g_limits.command_ms;
	for (;;) {
		usleep(100000);
		std::string again = file_text(settings);
		if (again == text || now_ms() >= deadline)
			break;
		text = again;
	}
	std::istringstream in(text);
	std::vector<std::string> lines;
	bool inDesktop = false, present = false, changed = false;
	size_t desktopEnd = std::string::npos;
	for (std::string line; std::getline(in, line);) {
		if (!line.empty() && line[0] == '[') {
			if (inDesktop)
				desktopEnd = lines.size();
			inDesktop = line == "[Desktop]";
		} else if (inDesktop && line.rfind("WallpaperMode=", 0) == 0) {
			present = true;
			if (line == "WallpaperMode=none" || line == "WallpaperMode=") {
				line = "WallpaperMode=center";
				changed = true;
			}
		}
		lines.push_back(line);
	}
	if (inDesktop)
		desktopEnd = lines.size();
	if (!present && desktopEnd != std::string::npos) {
		lines.insert(lines.begin() + desktopEnd, "WallpaperMode=center");
		changed = true;
	}
	if (!changed)
		return false;
	// Written whole under another name first: the desktop may read it at any moment; and not
	// over a newer save of its own.
	std::string temporary = settings + ".tevra-new";
	bool written;
	{
		std::ofstream out(temporary, std::ios::trunc);
		for (const std::string& line : lines)
			out << line << "\n";
		written = (bool)out.flush();
	}
	if (!written || file_text(settings) != text
		|| rename(temporary.c_str(), settings.c_str()) != 0)
		unlink(temporary.c_str());
	return true;
}

// The settings file that names the picture once the desktop saved it, or "" at the deadline.
// It rewrites the file in place, so a second look may catch it half written: the look that
// saw the picture is the answer.
std::string wait_for_settings_naming(bool qt, const std::string& picture)
{
	long long deadline = now_ms() + g_limits.command_ms;
	std::string settings;
	while ((settings = pcmanfm_settings_naming(qt, picture)).empty() && now_ms() < deadline)
		usleep(20000);
	return settings;
}

bool settings_line(const std::string& settings, const std::string& line)
{
	std::istringstream in(file_text(settings));
	for (std::string each; std::getline(in, each);)
		if (each == line)
			return true;
	return false;
}

}

std::string apply_pcmanfm(const background& what, bool qt)
{
	commands run;
	fresh_picture picture(what, &run);
	if (picture.failed(what) || picture.path().empty())
		return run.why();
	const char* program = qt ? "pcmanfm-qt" : "pcmanfm";
	// Hands a picture over and waits for the desktop to save it: the settings that name it.
	auto hand_over = [&](const std::string& shown, const char* mode) {
		if (qt)
			run.run({program, "--set-wallpaper", shown, mode});
		else
			run.run({program, "--set-wallpaper=" + shown, mode});
		std::string settings;
		if (run.why().empty() && (settings = wait_for_settings_naming(qt, shown)).empty())
			run.fail(std::string(program) + " did not take the picture (is its desktop running?)");
		return settings;
	};
	// Both centre one picture on the desktop that covers every screen, which spans it.
	std::string settings = hand_over(picture.path(), qt || what.screens.empty()
		? "--wallpaper-mode=center" : "--wallpaper-mode=screen");
	// Unless pcmanfm-qt's "Individual wallpaper for each monitor" is on: then it centres the
	// picture on each screen, and the main screen's part is what every screen can show.
	if (run.why().empty() && qt && !what.screens.empty()
		&& settings_line(settings, "PerScreenWallpaper=true")) {
		std::string part = picture.part(what, what.screens[0].frame, &run);
		if (!part.empty())
			settings = hand_over(part, "--wallpaper-mode=center");
		if (run.why().empty())
			note("pcmanfm-qt shows one picture on every monitor while its \"Individual wallpaper "
				"for each monitor\" is on: every screen shows the main screen's part");
	}
	if (run.why().empty() && qt && lxqt_keep_centred(settings))
		note("pcmanfm-qt's running desktop keeps no wallpaper mode and saves that again "
			"when it quits; choose one once in its Desktop Preferences so that the next "
			"log-in shows the picture");
	picture.settle(run);
	return run.why();
}

}
