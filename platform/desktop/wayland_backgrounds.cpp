#include "backend_support.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

#include <QImageReader>
#include <QString>

#include "../interface/screen_layout.h"

namespace desktop {

namespace {

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

namespace {

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
