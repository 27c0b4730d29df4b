#include "desktop_bridge.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QString>

#include "../interface/screen_layout.h"
#include "run_command.h"

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

namespace {

long long now_ms()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

// Runs the commands of one application, each within its own time and all within one budget,
// and keeps the first failure.
class commands {
public:
	commands() : fDeadline(now_ms() + g_limits.total_ms) {}

	bool run(const std::vector<std::string>& argv, command_result* result = nullptr,
		bool detach = false)
	{
		command_result local;
		command_result& r = result != nullptr ? *result : local;
		long long left = fDeadline - now_ms();
		if (left <= 0) {
			fail(argv[0] + " was not run: the desktop took too long to answer");
			return false;
		}
		command_options options;
		options.detach = detach;
		int wanted = detach ? g_limits.detach_wait_ms : g_limits.command_ms;
		options.timeout_ms = (int)(left < wanted ? left : wanted);
		r = g_run_command(argv, options);
		if (r.ok() || (detach && r.how == command_result::running))
			return true;
		if (detach && r.how == command_result::exited)
			fail(argv[0] + " ended at once (status " + std::to_string(r.status) + ")");
		else
			fail(describe_failure(argv, r));
		return false;
	}

	void fail(const std::string& why)
	{
		if (fWhy.empty())
			fWhy = why;
	}
	const std::string& why() const { return fWhy; }

private:
	long long fDeadline;
	std::string fWhy;
};

std::string env_or(const char* name, const std::string& fallback)
{
	const char* value = getenv(name);
	return value != nullptr && value[0] == '/' ? std::string(value) : fallback;
}

std::string home()
{
	const char* value = getenv("HOME");
	return value != nullptr ? value : "";
}

std::string fresh_folder()
{
	return env_or("XDG_CACHE_HOME", home() + "/.cache") + "/tevra/backgrounds";
}

// A GVariant string literal, as gsettings and gdbus read their arguments.
std::string gvariant_string(const std::string& text)
{
	std::string quoted = "'";
	for (char c : text) {
		if (c == '\\' || c == '\'')
			quoted += '\\';
		quoted += c;
	}
	return quoted + "'";
}

// A JavaScript string literal for Plasma's scripting.
std::string js_string(const std::string& text)
{
	std::string quoted = "\"";
	for (unsigned char c : text) {
		if (c == '\\' || c == '"') {
			quoted += '\\';
			quoted += (char)c;
		} else if (c < 0x20) {
			char escape[8];
			snprintf(escape, sizeof(escape), "\\u%04x", c);
			quoted += escape;
		} else {
			quoted += (char)c;
		}
	}
	return quoted + "\"";
}

// A colour channel as xfconf reads a double, whatever the locale says about commas.
std::string unit_fraction(uint8 channel)
{
	long millionths = (long)((channel * 1000000L + 127) / 255);
	char text[16];
	snprintf(text, sizeof(text), "%ld.%06ld", millionths / 1000000, millionths % 1000000);
	return text;
}

// The picture a desktop is given, and its removal if the desktop did not take it.
class fresh_picture {
public:
	fresh_picture(const background& what, commands* run)
	{
		if (what.picture.empty())
			return;
		std::string error;
		fPath = fresh_picture_path(what.picture, &error);
		if (fPath.empty())
			run->fail(error);
	}

	bool failed(const background& what) const { return !what.picture.empty() && fPath.empty(); }
	const std::string& path() const { return fPath; }

	// The part of the picture that one screen shows, as a fresh file of its own; "" when it
	// could not be made (run says why).
	std::string part(const background& what, const BRect& frame, commands* run)
	{
		std::string error;
		std::string path = fresh_picture_path(what.picture, &error);
		if (path.empty()) {
			run->fail(error);
			return "";
		}
		fParts.push_back(path);
		QImage whole(QString::fromStdString(what.picture));
		QImage cut = whole.copy((int)frame.left, (int)frame.top, frame.IntegerWidth() + 1,
			frame.IntegerHeight() + 1);
		std::string suffix = std::filesystem::path(path).extension().string();
		QByteArray format = suffix.size() > 1 ? QByteArray(suffix.c_str() + 1) : "png";
		// Written under another name first: the desktop must never see half a picture.
		std::string temporary = path + ".new";
		if (whole.isNull() || !cut.save(QString::fromStdString(temporary), format.constData())
			|| rename(temporary.c_str(), path.c_str()) != 0) {
			unlink(temporary.c_str());
			run->fail("cannot cut the picture into each screen's part in "
				+ std::filesystem::path(path).parent_path().string());
			return "";
		}
		return path;
	}

	void settle(const commands& run)
	{
		if (fPath.empty())
			return;
		if (run.why().empty()) {
			remove_older_fresh_pictures(fPath);
			return;
		}
		unlink(fPath.c_str());
		for (const std::string& part : fParts)
			unlink(part.c_str());
	}

private:
	std::string fPath;
	std::vector<std::string> fParts;
};

// --- GNOME and its relatives: one schema each, set through gsettings.

struct gsettings_schema {
	desktop_kind kind;
	const char* schema;
	const char* picture_key;
	bool picture_is_uri;
	const char* dark_key; // the picture for the dark style, where the schema has one
};

const gsettings_schema kSchemas[] = {
	{k_gnome, "org.gnome.desktop.background", "picture-uri", true, "picture-uri-dark"},
	{k_cinnamon, "org.cinnamon.desktop.background", "picture-uri", true, nullptr},
	{k_mate, "org.mate.background", "picture-filename", false, nullptr},
};

// What `gsettings get` prints for a string or an enum: a GVariant text literal, in single or
// double quotes with backslash escapes.
std::string gvariant_text(const std::string& printed)
{
	std::string text = printed.substr(0, printed.find_last_not_of(" \n") + 1);
	if (text.size() < 2 || (text[0] != '\'' && text[0] != '"') || text.back() != text[0])
		return text;
	std::string value;
	for (size_t i = 1; i + 1 < text.size(); i++) {
		if (text[i] == '\\' && i + 2 < text.size())
			i++;
		value += text[i];
	}
	return value;
}

// The words of GLib's first warning, without the process and the time it prefixes:
// "(gsettings:12): dconf-WARNING **: 10:20:30.456: failed to commit changes to dconf: ...".
std::string glib_warning(const std::string& err)
{
	size_t start = err.find_first_not_of(" \n");
	if (start == std::string::npos)
		return "";
	std::string line = err.substr(start, err.find('\n', start) - start);
	size_t stars = line.find("**: ");
	if (stars != std::string::npos) {
		line = line.substr(stars + 4);
		size_t clock = line.find_first_not_of("0123456789:.");
		if (clock > 1 && clock != std::string::npos && line.compare(clock - 1, 2, ": ") == 0)
			line = line.substr(clock + 1);
	}
	return line;
}

std::string apply_gsettings(const gsettings_schema& schema, const background& what)
{
	commands run;
	command_result listed;
	if (!run.run({"gsettings", "list-keys", schema.schema}, &listed))
		return run.why();
	std::set<std::string> keys;
	std::istringstream lines(listed.out);
	for (std::string key; std::getline(lines, key);)
		keys.insert(key);
	std::vector<std::pair<std::string, std::string>> wanted;
	std::string warning;
	auto set = [&](const char* key, const std::string& value) {
		if (keys.count(key) == 0 || !run.why().empty())
			return;
		command_result result;
		run.run({"gsettings", "set", schema.schema, key, gvariant_string(value)}, &result);
		if (warning.empty())
			warning = glib_warning(result.err);
		wanted.push_back({key, value});
	};

	fresh_picture picture(what, &run);
	if (picture.failed(what))
		return run.why();
	if (!picture.path().empty()) {
		std::string value = schema.picture_is_uri ? file_uri(picture.path()) : picture.path();
		set("picture-options", what.screens.empty() ? "centered" : "spanned");
		set(schema.picture_key, value);
		if (schema.dark_key != nullptr)
			set(schema.dark_key, value);
	}
	if (what.has_color) {
		set("color-shading-type", "solid");
		set("primary-color", color_hex(what.color));
	}
	// gsettings says all is well even when the settings store could not be reached (dconf
	// without a session bus): only reading the values back tells.
	for (const auto& key : wanted) {
		command_result got;
		if (!run.why().empty() || !run.run({"gsettings", "get", schema.schema, key.first}, &got))
			break;
		if (gvariant_text(got.out) != key.second) {
			run.fail(std::string("gsettings did not keep ") + schema.schema + " " + key.first
				+ (warning.empty() ? std::string(" (is the session bus reachable?)")
					: " (" + warning + ")"));
		}
	}
	picture.settle(run);
	return run.why();
}

// --- KDE Plasma: a script for plasmashell, through D-Bus.

std::string apply_plasma(const background& what)
{
	commands run;
	fresh_picture picture(what, &run);
	if (picture.failed(what))
		return run.why();

	// A picture for every screen: each desktop gets the part of the screen it is on, found by
	// where the screen sits; the main screen's part where none matches.
	std::string image = js_string(file_uri(picture.path()));
	std::string script;
	if (!picture.path().empty() && !what.screens.empty()) {
		script = "var parts = [";
		for (size_t i = 0; i < what.screens.size(); i++) {
			std::string part = picture.part(what, what.screens[i].frame, &run);
			if (part.empty()) {
				picture.settle(run);
				return run.why();
			}
			script += std::string(i > 0 ? ", " : "") + "{x: "
				+ std::to_string((int)what.screens[i].window_frame.left) + ", y: "
				+ std::to_string((int)what.screens[i].window_frame.top) + ", image: "
				+ js_string(file_uri(part)) + "}";
		}
		script += "];\n";
		image = "image";
	}

	// FillMode 6 is Plasma's "Centered"; Color fills what the picture leaves.
	script += "var all = desktops();\n"
		"for (var i = 0; i < all.length; i++) {\n"
		"    var d = all[i];\n"
		"    d.wallpaperPlugin = \"org.kde.image\";\n"
		"    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n";
	if (!picture.path().empty()) {
		if (!what.screens.empty()) {
			script += "    var image = parts[0].image;\n"
				"    var g = screenGeometry(d.screen);\n"
				"    for (var j = 0; j < parts.length; j++) {\n"
				"        if (parts[j].x == g.x && parts[j].y == g.y)\n"
				"            image = parts[j].image;\n"
				"    }\n";
		}
		script += "    d.writeConfig(\"Image\", " + image + ");\n"
			"    d.writeConfig(\"FillMode\", 6);\n";
	}
	if (what.has_color)
		script += "    d.writeConfig(\"Color\", " + js_string(color_hex(what.color)) + ");\n";
	script += "}\n";

	std::string timeoutMs = std::to_string(g_limits.command_ms);
	std::vector<std::string> dbusSend = {"dbus-send", "--session", "--print-reply",
		"--reply-timeout=" + timeoutMs, "--dest=org.kde.plasmashell", "/PlasmaShell",
		"org.kde.PlasmaShell.evaluateScript", "string:" + script};
	command_result result;
	if (!run.run(dbusSend, &result) && result.how == command_result::not_found) {
		// Without libdbus's tools, GLib's will do.
		commands again;
		std::string seconds = std::to_string((g_limits.command_ms + 999) / 1000);
		command_result viaGlib;
		again.run({"gdbus", "call", "--session", "--timeout", seconds,
			"--dest", "org.kde.plasmashell", "--object-path", "/PlasmaShell",
			"--method", "org.kde.PlasmaShell.evaluateScript", gvariant_string(script)}, &viaGlib);
		picture.settle(again);
		if (viaGlib.how == command_result::not_found)
			return "neither dbus-send nor gdbus is installed";
		return again.why();
	}
	picture.settle(run);
	return run.why();
}

// --- Xfce: xfdesktop's settings, for every monitor and workspace it knows.

std::string apply_xfce(const background& what)
{
	commands run;
	command_result listed;
	if (!run.run({"xfconf-query", "-c", "xfce4-desktop", "-l"}, &listed))
		return run.why();
	const std::string suffix = "/last-image";
	std::vector<std::string> backdrops;
	std::istringstream lines(listed.out);
	for (std::string property; std::getline(lines, property);) {
		if (property.rfind("/backdrop/", 0) == 0 && property.size() > suffix.size()
			&& property.compare(property.size() - suffix.size(), suffix.size(), suffix) == 0)
			backdrops.push_back(property.substr(0, property.size() - suffix.size()));
	}
	if (backdrops.empty())
		return "xfdesktop has no backdrop settings yet (is xfdesktop running?)";

	fresh_picture picture(what, &run);
	if (picture.failed(what))
		return run.why();
	auto set = [&](const std::string& property, std::vector<std::string> typedValues) {
		if (!run.why().empty())
			return;
		std::vector<std::string> argv = {"xfconf-query", "-c", "xfce4-desktop", "-p", property,
			"-n"};
		argv.insert(argv.end(), typedValues.begin(), typedValues.end());
		run.run(argv);
	};
	for (const std::string& base : backdrops) {
		if (!picture.path().empty()) {
			// Centred, or one picture spanning the screens.
			set(base + "/image-style", {"-t", "int", "-s", what.screens.empty() ? "1" : "6"});
			set(base + "/last-image", {"-t", "string", "-s", picture.path()});
		}
		if (what.has_color) {
			set(base + "/color-style", {"-t", "int", "-s", "0"}); // solid
			set(base + "/rgba1", {"-t", "double", "-s", unit_fraction(what.color.red),
				"-t", "double", "-s", unit_fraction(what.color.green),
				"-t", "double", "-s", unit_fraction(what.color.blue),
				"-t", "double", "-s", "1.000000"});
		}
	}
	picture.settle(run);
	return run.why();
}

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

// pcmanfm-qt 1.2 shows the picture in the mode asked for but saves "none" (or keeps what it
// started with), and a desktop started on "none" shows no picture: the settings get the mode
// as pcmanfm-qt writes it, in its [Desktop] section. Whether the settings still need it.
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

std::string apply_pcmanfm(const background& what, bool qt)
{
	commands run;
	fresh_picture picture(what, &run);
	if (picture.failed(what) || picture.path().empty())
		return run.why();
	std::string shown = picture.path();
	if (qt && !what.screens.empty()) {
		// pcmanfm-qt shows one picture on every screen and spans none.
		shown = picture.part(what, what.screens[0].frame, &run);
		if (shown.empty()) {
			picture.settle(run);
			return run.why();
		}
		note("pcmanfm-qt spans no picture over several screens: every screen shows the main "
			"screen's part");
	}
	if (qt)
		run.run({"pcmanfm-qt", "--set-wallpaper", shown, "--wallpaper-mode=center"});
	else
		run.run({"pcmanfm", "--set-wallpaper=" + shown,
			what.screens.empty() ? "--wallpaper-mode=center" : "--wallpaper-mode=screen"});
	if (run.why().empty()) {
		// The desktop saves its settings a moment after it shows the picture.
		// It rewrites the file in place, so a second look may catch it half written: the
		// look that saw the picture is the answer.
		long long deadline = now_ms() + g_limits.command_ms;
		std::string settings;
		while ((settings = pcmanfm_settings_naming(qt, shown)).empty()
			&& now_ms() < deadline)
			usleep(20000);
		if (settings.empty())
			run.fail(std::string(qt ? "pcmanfm-qt" : "pcmanfm")
				+ " did not take the picture (is its desktop running?)");
		else if (qt && lxqt_keep_centred(settings))
			note("pcmanfm-qt's running desktop keeps no wallpaper mode and saves that again "
				"when it quits; choose one once in its Desktop Preferences so that the next "
				"log-in shows the picture");
	}
	picture.settle(run);
	return run.why();
}

// --- sway: its own command; it restarts its background drawer.

struct placement {
	std::string output;
	std::string picture;
	std::string mode;
};

// Each output by name with its picture and the way to draw it there: stretched where the
// picture has exactly the output's pixels (a fractionally scaled output is drawn through a
// larger buffer, where a centred picture would shrink), centred elsewhere. A picture for every
// screen is cut into each output's part. Empty where the compositor cannot be asked: then
// every output at once, centred.
std::vector<placement> wayland_placements(const background& what, fresh_picture* picture,
	commands* run)
{
	std::vector<placement> placements;
	QSize size = QImageReader(QString::fromStdString(picture->path())).size();
	for (const output_layout& output : read_wayland_display(nullptr).outputs) {
		if (output.name.empty() || output.name.find_first_of("'\"\\ ;,") != std::string::npos)
			return {};
		placement place = {output.name, picture->path(), "center"};
		for (const screen_frame& screen : what.screens) {
			if (output.name == screen.name && screen.frame.IntegerWidth() + 1 == output.pixel_width
				&& screen.frame.IntegerHeight() + 1 == output.pixel_height) {
				place.picture = picture->part(what, screen.frame, run);
				place.mode = "stretch";
				if (place.picture.empty())
					return {};
			}
		}
		if (size.width() == output.pixel_width && size.height() == output.pixel_height)
			place.mode = "stretch";
		placements.push_back(place);
	}
	return placements;
}

std::string apply_sway(const background& what)
{
	commands run;
	fresh_picture picture(what, &run);
	if (picture.failed(what))
		return run.why();
	std::vector<std::string> argv = {"swaymsg"};
	// swaymsg finds sway only through SWAYSOCK: the socket found otherwise is named to it.
	environment env = current_environment();
	std::string socket = find_sway_socket(env);
	if (!socket.empty() && (env.count("SWAYSOCK") == 0 || env["SWAYSOCK"].empty()))
		argv.insert(argv.end(), {"-s", socket});
	if (!picture.path().empty()) {
		// sway strips the double quotes, then word-expands the path: the single quotes keep
		// it one word, unexpanded.
		if (picture.path().find_first_of("'\"\\") != std::string::npos)
			return "sway cannot be given the path " + picture.path();
		std::vector<placement> placements = wayland_placements(what, &picture, &run);
		if (!run.why().empty()) {
			picture.settle(run);
			return run.why();
		}
		if (placements.empty())
			placements.push_back({"*", picture.path(), "center"});
		bool first = true;
		for (const placement& place : placements) {
			// One call, one command per output.
			if (!first)
				argv.push_back(";");
			first = false;
			argv.insert(argv.end(), {"output", place.output, "bg",
				"\"'" + place.picture + "'\"", place.mode});
			if (what.has_color)
				argv.push_back(color_hex(what.color));
		}
	} else {
		argv.insert(argv.end(), {"output", "*", "bg", color_hex(what.color), "solid_color"});
	}
	run.run(argv);
	picture.settle(run);
	return run.why();
}

// --- Other Wayland compositors: a swaybg of our own, replacing the one started last time.

std::string swaybg_pid_file()
{
	return env_or("XDG_RUNTIME_DIR", fresh_folder()) + "/tevra-swaybg.pid";
}

// Only a process that is still the swaybg we started is stopped.
void stop_earlier_swaybg(pid_t keep)
{
	std::ifstream in(swaybg_pid_file());
	long pid = 0;
	if (!(in >> pid) || pid <= 1 || pid == keep)
		return;
	std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
	std::string name;
	if (!std::getline(comm, name) || name != "swaybg" || getpgid(pid) != pid)
		return;
	kill(-(pid_t)pid, SIGTERM);
	// Our own child (a test, or two runs in one process) is reaped.
	waitpid(pid, nullptr, WNOHANG);
}

std::string apply_swaybg(const background& what)
{
	// A compositor without layer-shell (a kiosk such as cage) lets no other program draw
	// under its windows: swaybg would only end.
	wayland_display display = read_wayland_display(nullptr);
	if (display.connected && !display.offers("zwlr_layer_shell_v1"))
		return "the Wayland compositor offers no layer-shell (zwlr_layer_shell_v1), so no "
			"program can draw its background";
	commands run;
	fresh_picture picture(what, &run);
	if (picture.failed(what))
		return run.why();
	std::vector<std::string> argv = {"swaybg"};
	if (!picture.path().empty()) {
		std::vector<placement> placements = wayland_placements(what, &picture, &run);
		if (!run.why().empty()) {
			picture.settle(run);
			return run.why();
		}
		for (const placement& place : placements) {
			argv.insert(argv.end(), {"-o", place.output, "-i", place.picture, "-m", place.mode});
			if (what.has_color)
				argv.insert(argv.end(), {"-c", color_hex(what.color)});
		}
		if (placements.empty()) {
			argv.insert(argv.end(), {"-i", picture.path(), "-m", "center"});
			if (what.has_color)
				argv.insert(argv.end(), {"-c", color_hex(what.color)});
		}
	} else {
		argv.insert(argv.end(), {"-c", color_hex(what.color), "-m", "solid_color"});
	}
	command_result started;
	if (run.run(argv, &started, true)) {
		stop_earlier_swaybg(started.pid);
		std::string pidFile = swaybg_pid_file();
		std::filesystem::create_directories(std::filesystem::path(pidFile).parent_path());
		std::ofstream(pidFile) << started.pid << "\n";
	}
	picture.settle(run);
	return run.why();
}

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
			for (const gsettings_schema& schema : kSchemas) {
				if (schema.kind == kind)
					return apply_gsettings(schema, what);
			}
			break;
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
