#ifndef TEVRA_TEST_X_SESSION_H
#define TEVRA_TEST_X_SESSION_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/helper_process.h"

struct _XDisplay;

// An X display of a test's own under Xvfb, optionally with a real window manager (openbox)
// and a bottom panel that reserves its strip of the screen. Everything it started stops when
// it goes.
class x_session {
public:
	x_session(int width, int height);
	~x_session();

	// Whether the programs the session needs are installed.
	static bool server_installed();
	static bool window_manager_installed();

	// For a test program's main: a display with openbox that Qt's windows go to. Null with
	// *skip set when Xvfb or openbox is missing (the tests then skip, saying why); the program
	// ends with status 1 when a part fails to start. prepare runs before openbox starts; a
	// panel of panelHeight is added after it.
	static std::unique_ptr<x_session> for_tests(int width, int height, const char** skip,
		int panelHeight = 0, bool (*prepare)(const std::string& display) = nullptr);

	bool running() const { return fDisplay != nullptr; }
	// The value for DISPLAY.
	const std::string& display() const { return fName; }

	// Starts openbox; true once it manages the screen.
	bool start_window_manager();
	// Maps a dock of that height along the bottom edge; with a window manager, true once the
	// strip is out of the work area.
	bool add_bottom_panel(int height);
	// The work area of the first desktop as the window manager publishes it (_NET_WORKAREA);
	// false when none is published.
	bool work_area(int* x, int* y, int* width, int* height) const;
	// The title a window manager shows for a window (_NET_WM_NAME, else WM_NAME).
	std::string window_title(unsigned long window) const;
	// Where the window manager's frame around the window of that title lies on the screen,
	// border and all, in the screen's pixels; false when no such window is mapped.
	bool window_frame(const std::string& title, int* x, int* y, int* width, int* height) const;
	// The desktop background as X wallpaper setters leave it (the pixmap _XROOTPMAP_ID names),
	// as 0xrrggbb at each point; empty while none is set.
	std::vector<unsigned long> root_background(const std::vector<std::pair<int, int>>& points)
		const;
	// Asks the window manager to maximise the window of that title, as its frame's button
	// does; false when no such window is mapped.
	bool maximise(const std::string& title);

private:
	unsigned long client_window(const std::string& title) const;

	std::unique_ptr<helper_process> fServer;
	std::unique_ptr<helper_process> fManager;
	std::unique_ptr<helper_process> fPanel;
	_XDisplay* fDisplay;
	std::string fName;
	int fHeight;
};

#endif
