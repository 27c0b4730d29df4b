#ifndef TEVRA_SCREEN_LAYOUT_H
#define TEVRA_SCREEN_LAYOUT_H

#include <string>
#include <vector>

#include <SupportDefs.h>

// What the display server itself says about its screens, where Qt cannot tell: the size of
// each output's current mode whatever the desktop's scale, and where it sits.

struct output_layout {
	std::string name;
	// In the desktop's logical coordinates, where windows are placed.
	int32 x = 0, y = 0, width = 0, height = 0;
	// The output's own pixels: its current mode, turned as it is shown.
	int32 pixel_width = 0, pixel_height = 0;
	bool primary = false;
};

struct wayland_display {
	bool connected = false;
	std::vector<std::string> globals; // every interface the compositor offers
	std::vector<output_layout> outputs;

	bool offers(const char* interface) const;
};

// A short-lived client of the compositor named by name (null: WAYLAND_DISPLAY).
wayland_display read_wayland_display(const char* name);

// RandR's monitors of an X server (null or empty: none); the X screen as one monitor where
// RandR says nothing. Logical and pixel sizes are the same on X.
std::vector<output_layout> read_x11_monitors(const char* display);

struct work_area {
	int32 x = 0, y = 0, width = 0, height = 0;
};
// The window manager's work area of the current desktop (_NET_WORKAREA), in the X screen's
// pixels; false when it publishes none. It spans every monitor.
bool read_x11_work_area(const char* display, work_area* area);

class QRect;
class QScreen;
// Where windows may go on a screen, in Qt's logical coordinates: the screen less the strips
// panels reserve.
QRect work_area_of(QScreen* screen);

#endif
