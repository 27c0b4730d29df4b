#ifndef TEVRA_TEST_PANEL_INPUT_H
#define TEVRA_TEST_PANEL_INPUT_H

#include <functional>
#include <string>
#include <vector>

#include <Rect.h>

class BMenu;
class BMenuField;
class BMenuItem;
class BTextControl;
class BView;
class BWindow;

// What the user does with the controls, menus and dialogs of config mode, through the Qt
// widgets that show them. Only support code touches Qt.

// Whether the user can see the view: it and every view around it are shown.
bool visible_on_screen(BView* view);

// Replaces a text field's contents by typing, then presses Enter (unless commit is false).
void type_text(BTextControl* control, const std::string& text, bool commit = true);
// What the field shows to the user now.
std::string shown_text(BTextControl* control);

// A click at a point of the window's content area, routed by the window system to whatever
// widget is on top there (so a control covered by another one does not get it).
void click_in_window(BWindow* window, BPoint where);
// A click on a button, radio button or check box where Qt counts it (on the indicator).
void click_control(BView* control);

// Choosing an item from its open menu (a menu bar's or a menu field's).
void choose_menu_item(BMenuItem* item);
// Opens a menu of a window's bar, as a click on its title does, and closes it again.
void open_and_close_menu(BMenu* menu);
// Whether the item shows a check mark.
bool shown_menu_item_checked(BMenuItem* item);
// The label on a menu field's button, whole even where the button shows it cut.
std::string shown_menu_label(BMenuField* field);

// A caption as the user sees it: the text, the whole caption as a tool tip when cut, and
// whether the shown text fits the room the widget gives it.
struct shown_caption_info {
	std::string text;
	std::string tip;
	bool fits = false;
	bool found = false;
};
shown_caption_info shown_caption(BView* control);

// The file dialogs on screen, by title.
std::vector<std::string> shown_file_dialogs();
// The user picking or naming path in the one file dialog on screen and confirming; false
// when there is not exactly one or it did not accept.
bool accept_shown_file_dialog(const std::string& path);
// The user closing the one file dialog on screen without a choice.
bool cancel_shown_file_dialog();

// Answers the next modal alert with its last button (or the one labelled press) once it
// shows, keeping its text and button labels. It waits a few seconds at most.
struct alert_seen {
	bool shown = false;
	std::string text;
	std::vector<std::string> buttons;
};
void answer_next_alert(alert_seen* seen, const char* press = nullptr);
// Once an alert shows, runs then (inside the loop the alert may wait in); a moment later
// answers every alert on screen with its last button, counting them in *shown. It waits a few
// seconds at most.
void when_alert_shows(std::function<void()> then, int* shown);
// The same at once, for the alert on screen now; false when none shows.
bool answer_shown_alert(alert_seen* seen, const char* press = nullptr);

#endif
