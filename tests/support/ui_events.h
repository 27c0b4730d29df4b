#ifndef TEVRA_TEST_UI_EVENTS_H
#define TEVRA_TEST_UI_EVENTS_H

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <InterfaceDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

class BFilePanel;
class BScrollBar;
class BView;
class BWindow;

// Input as the window system delivers it: real Qt events sent to the widgets that show the
// layer's windows and views. Only this file and the platform tests touch Qt.

enum mouse_kind {
	mouse_down,
	mouse_moved,
	mouse_up,
};

// One mouse event at a point in the view's own coordinates (scrolling included). button is
// the Haiku button bit pressed (down), held (moved; 0 to hover) or released (up).
void send_mouse(BView* view, mouse_kind kind, BPoint where, uint32 button);
// Press at from, move to to, release there.
void drag(BView* view, BPoint from, BPoint to, uint32 button = B_PRIMARY_MOUSE_BUTTON);
// Press and release without moving.
void click(BView* view, BPoint where, uint32 button = B_PRIMARY_MOUSE_BUTTON);
// What GetMouse reports, for a test that calls a view's mouse hooks itself with points Qt
// cannot deliver.
void set_mouse_state(BView* view, BPoint where, uint32 buttons);

// Runs what is queued (messages between loopers, deferred drawing, deletions), round after
// round, for about ms milliseconds.
void process_events(int ms = 30);
// Runs what is queued until done says so, within about ms milliseconds; what done says last.
bool wait_until(const std::function<bool()>& done, int ms = 3000);

// What a view's widget shows now, as 0xRRGGBB pixels in the view's coordinates.
struct shown_picture {
	BRect area;
	int width = 0;
	int height = 0;
	std::vector<uint32> pixels;

	uint32 at(float x, float y) const
	{
		int column = (int)(x - area.left), row = (int)(y - area.top);
		return pixels[(size_t)row * width + column];
	}
};
shown_picture grab_view(BView* view);

// The tool tip that shows when the pointer rests on the view at where; empty for none.
std::string shown_tool_tip(BView* view, BPoint where);

// The close box of a window.
void close_window(BWindow* window);
// The window made the active one, as a click on it would; false when the window manager
// did not make it so.
bool activate_window(BWindow* window);
// A key (a character or a B_ key code) with B_ modifier bits (B_COMMAND_KEY is Ctrl), typed
// in the active window where its focus is, as the keyboard delivers it: shortcuts first.
void press_key(BWindow* window, uint32 key, uint32 modifiers = 0);
// The user switching to window and typing keys there while the program is busy: Qt takes
// the change of active window (a field losing focus commits its typing) and the keys in one
// pass, before any message they queue is handled. The window system is not asked.
void switch_and_press_keys(BWindow* window,
	const std::vector<std::pair<uint32, uint32>>& keys);
// The same key on the alert on screen; false when none shows.
bool press_key_in_alert(uint32 key);
// Files dragged from a file manager and let go at a point of the window's content area: the
// drag's enter and drop events with the files' addresses (and their paths as text), given to
// the widget there that takes drops, or the nearest one around it, as Qt hands them on. False
// when none took the drop.
bool drop_files(BWindow* window, BPoint where, const std::vector<std::string>& paths);
// The window manager's maximise.
void maximise_window(BWindow* window);

// The user dragging a scroll bar's knob to a value, or clicking its arrow once.
void move_scroll_knob(BScrollBar* bar, int value);
void click_scroll_arrow(BScrollBar* bar, bool forward);
// What the Qt bar offers the user: its range and the step of one arrow click.
void shown_scroll_range(BScrollBar* bar, int* min, int* max, int* singleStep);

// The user choosing a file in an open panel, or typing a name in a save panel, and
// confirming; false when the dialog did not accept it. Only for files that exist (open) or
// names that do not (save): anything else makes Qt ask with a modal box.
bool choose_in_file_panel(BFilePanel* panel, const std::string& path);
// The user closing a file panel without a choice.
void cancel_file_panel(BFilePanel* panel);

#endif
