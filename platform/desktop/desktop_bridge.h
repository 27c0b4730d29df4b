#ifndef TEVRA_DESKTOP_BRIDGE_H
#define TEVRA_DESKTOP_BRIDGE_H

#include <functional>
#include <map>
#include <string>

#include <GraphicsDefs.h>
#include <Screen.h>

// The layer's stand-in for the Tracker: the Tracker's signature and 'Tbgr' reach it, it reads
// the background attribute back from the Desktop folder, and BScreen::SetDesktopColor hands it
// the colour. It applies both to the Linux desktop that runs, once, when the application ends
// (or at once when a message loop runs), so that one run reports at most one failure.
namespace desktop {

// --- Which desktop runs.

enum desktop_kind {
	k_no_desktop,
	k_gnome,    // and relatives that read org.gnome.desktop.background
	k_cinnamon,
	k_mate,
	k_kde,      // Plasma
	k_xfce,
	k_lxqt,     // pcmanfm-qt draws the desktop
	k_lxde,     // pcmanfm draws the desktop
	k_sway,
	k_wayland,  // another compositor with layer-shell: swaybg
	k_x11,      // a bare X server: the root window
};

typedef std::map<std::string, std::string> environment;

environment current_environment();
// XDG_CURRENT_DESKTOP first; then sway's socket and Wayland; then the X window manager's name,
// asked of wm_name only when the X server decides. LXQt and LXDE run window managers of
// other desktops (Openbox, xfwm4, KWin), so only their session name tells them.
desktop_kind detect_desktop(const environment& env, const std::function<std::string()>& wm_name);
const char* desktop_name(desktop_kind kind);
// SWAYSOCK, or else the socket of the sway that runs for this user on WAYLAND_DISPLAY's
// runtime folder (the newest, if several), as an environment that names only the display
// (a timer, cron) leaves it to be found; "" when none.
std::string find_sway_socket(const environment& env);

// --- What to show.

struct background {
	std::string picture; // absolute; empty for the colour alone
	bool has_color = false;
	rgb_color color = {0, 0, 0, 255};
	// A picture made for every screen (the size of the box around them all): each screen's
	// frame in it, the main one first. Empty for a picture of the main screen.
	std::vector<screen_frame> screens;
};

// The screens' frames when the picture spans them all (it has the size of their box).
std::vector<screen_frame> spanned_screens(const std::string& picture);

// "" when applied, otherwise why not.
std::string apply_background(desktop_kind kind, const background& what);
// What an applied background leaves the user to do, said once (the first since the last take).
void note(const std::string& text);
std::string take_note();

// The X11 part: the name the window manager gives itself (_NET_SUPPORTING_WM_CHECK,
// _NET_WM_NAME), and the root window's background pixmap.
std::string x11_window_manager_name(const char* display);
std::string x11_set_root_background(const char* display, const background& what);

// --- Helpers the backends share, exposed for tests.

// A link (or copy) of the picture under a new name, never given before, in
// $XDG_CACHE_HOME/tevra/backgrounds: the path to hand to a desktop, or "" with *error set.
std::string fresh_picture_path(const std::string& picture, std::string* error);
// Removes the fresh pictures older than newest, but the latest few.
void remove_older_fresh_pictures(const std::string& newest);
std::string file_uri(const std::string& path);
std::string color_hex(rgb_color color); // "#rrggbb"

// --- The bridge.

struct limits {
	int command_ms = 5000;     // one command
	int total_ms = 20000;      // everything one application does
	int detach_wait_ms = 2000; // a background drawer that fails in its first seconds
};
extern limits g_limits;

// The background attribute of the Desktop folder: the picture of the first workspace, made
// absolute against the current folder. "" when read, otherwise why not.
std::string read_desktop_background(std::string* picture);

// Registers the Tracker stand-in and the desktop colour receiver (BApplication's start).
void start_desktop_bridge();
// Applies what is pending; returns "" or why it could not be applied.
std::string apply_pending();
// Applies what is pending and reports a failure in one line on standard error
// (BApplication's end).
void finish_desktop_bridge();
bool desktop_bridge_pending();

}

#endif
