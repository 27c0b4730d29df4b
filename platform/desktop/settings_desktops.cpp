#include "backend_support.h"

#include <cstdio>
#include <set>
#include <sstream>

namespace desktop {

namespace {

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

std::string apply_schema(const gsettings_schema& schema, const background& what)
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

std::string apply_gsettings(desktop_kind kind, const background& what)
{
	for (const gsettings_schema& schema : kSchemas) {
		if (schema.kind == kind)
			return apply_schema(schema, what);
	}
	return "";
}

}
