#include "preview_ui/preview.h"

#include <cmath>
#include <cstring>
#include <string>

#include <Alert.h>

#include <Bitmap.h>
#include <FilePanel.h>
#include <Message.h>
#include <Messenger.h>
#include <Screen.h>
#include <Window.h>

#include "app/version.h"
#include "model/daily_design.h"
#include "model/design_archive.h"
#include "model/design_paths.h"
#include "model/edit_history.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/object.h"
#include "model/tevraview.h"
#include "preview_ui/prevwindow.h"
#include "shared_ui/design_state.h"
#include "shared_ui/find_view.h"
#include "shared_ui/messages.h"
#include "shared_ui/ui_globals.h"

namespace {

object* selected_object()
{
	return sel_no >= 0 ? (object*)obl.ItemAt(sel_no) : nullptr;
}

void close_file_panel()
{
	delete fp;
	fp = nullptr;
}

// Why the storage kit refused, in words; its codes are negated errno values.
std::string failure_text(status_t status)
{
	if (status < 0 && status > -4096)
		return strerror(-status);
	return "the file could not be written";
}

float truncated(float value)
{
	return std::trunc(value);
}

}

// The index goes whole (not cut to eight bits); before the panel exists nobody listens.
void request_edit(int32 index)
{
	BHandler* panel = find_view("configview");
	if (panel == nullptr)
		return;
	BMessage request(kMsgEditRequest);
	request.AddInt32("edit_no", index);
	BMessenger(panel).SendMessage(&request, nullptr, B_INFINITE_TIMEOUT);
}

preview::preview(BRect frame)
	: BView(frame, "preview", B_FOLLOW_ALL_SIDES, B_WILL_DRAW), calview(nullptr),
	drag_mode(kDragNone), press_point(0, 0), moved(false), view_scale(1), shown(nullptr),
	outline(), handles_at()
{
	calview = new tevraview(scrn);
	calview->create_wallpaper();
	// A new preview starts a new design, with no file until one is opened or saved.
	design_path.clear();
	sel_now.shown = false;
	sel_old.shown = false;
	sel_no = -1;
}

preview::~preview()
{
	delete shown;
	delete calview;
}

void preview::AttachedToWindow()
{
	set_events_target(BMessenger(this));
	// One picture pixel on one pixel of the screen, however the desktop is scaled.
	set_scale(real_scale());
	SetHighColor(255, 255, 255, 255);
	SetViewColor(0, 0, 0, 255);
	SetLowColor(100, 100, 100, 255);
	SetFont(be_bold_font, B_FONT_ALL);
	// The keys that edit the picture work as soon as its window is active.
	MakeFocus();
	start_history();
}

void preview::MouseDown(BPoint where)
{
	MakeFocus();
	BPoint location;
	uint32 buttons = 0;
	GetMouse(&location, &buttons);
	if (buttons == B_SECONDARY_MOUSE_BUTTON) {
		if (Window() != nullptr)
			Window()->Zoom();
		return;
	}

	int32 old = sel_no;
	BPoint point = picture_point(where);
	press_point = point;
	drag_mode = kDragNone;
	moved = false;

	if (object* item = selected_object()) {
		// Handles (on the screen, whatever the scale) win over the inside; of overlapping
		// handles the later one.
		BRect b = item->bounds;
		BRect s = on_screen(b);
		int32 hit = kDragNone;
		if (b.Contains(point))
			hit = kDragMove;
		if (handle_rect(s.left, s.top).Contains(where))
			hit = kDragLeftTop;
		if (handle_rect(s.right, s.top).Contains(where))
			hit = kDragRightTop;
		if (handle_rect(s.left, s.bottom).Contains(where))
			hit = kDragLeftBottom;
		if (handle_rect(s.right, s.bottom).Contains(where))
			hit = kDragRightBottom;
		drag_mode = hit;
		if (hit == kDragNone)
			sel_no = -1;
	} else {
		sel_no = -1;
	}

	// A press on another object selects it and starts moving it at once; the one drawn on
	// top wins.
	if (sel_no < 0) {
		for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++) {
			if (item->bounds.Contains(point))
				sel_no = i;
		}
		if (sel_no >= 0)
			drag_mode = kDragMove;
	}
	if (object* item = selected_object()) {
		// A release without a move must store the bounds as they are, not an old frame.
		eraseframe();
		sel_now.rect = item->bounds;
		sel_now.shown = true;
		drawframe();
	}
	// The panel hears of a new selection at the release, so that the press does not
	// compose the picture anew as the drag begins; a press beside everything tells it now.
	if (sel_no != old && sel_no < 0)
		request_edit(sel_no);
}

void preview::MouseMoved(BPoint where, uint32, const BMessage*)
{
	object* item = selected_object();
	if (drag_mode == kDragNone || item == nullptr)
		return;
	BPoint point = picture_point(where);
	float dx = truncated(point.x - press_point.x);
	float dy = truncated(point.y - press_point.y);
	moved |= dx != 0 || dy != 0;
	BRect b = item->bounds;
	switch (drag_mode) {
		case kDragMove:
			sel_now.rect.Set(b.left + dx, b.top + dy, b.right + dx, b.bottom + dy);
			break;
		case kDragLeftTop:
			sel_now.rect.Set(b.left + dx, b.top + dy, b.right, b.bottom);
			break;
		case kDragRightTop:
			sel_now.rect.Set(b.left, b.top + dy, b.right + dx, b.bottom);
			break;
		case kDragLeftBottom:
			sel_now.rect.Set(b.left + dx, b.top, b.right, b.bottom + dy);
			break;
		case kDragRightBottom:
			sel_now.rect.Set(b.left, b.top, b.right + dx, b.bottom + dy);
			break;
	}
	// Only the outline and the handles follow the mouse; the picture is composed at release.
	eraseframe();
	hide_outline();
	if (moved)
		show_outline(sel_now.rect);
	drawframe();
}

void preview::MouseUp(BPoint)
{
	object* item = selected_object();
	if (drag_mode != kDragNone && item != nullptr) {
		BRect r(truncated(sel_now.rect.left), truncated(sel_now.rect.top),
			truncated(sel_now.rect.right), truncated(sel_now.rect.bottom));
		if (r.left > r.right)
			std::swap(r.left, r.right);
		if (r.top > r.bottom)
			std::swap(r.top, r.bottom);
		// A press released where it was changes nothing, not even by rounding.
		if (moved) {
			item->bounds = r;
			note_change();
		}
		eraseframe();
		hide_outline();
		drawframe();
		request_edit(sel_no);
	}
	drag_mode = kDragNone;
	moved = false;
}

void preview::step_history(bool back)
{
	BMessage state;
	if (!(back ? history.undo(&state) : history.redo(&state)))
		return;
	unread_files.clear();
	std::vector<std::string> events = event_sources, holidays = holiday_sources;
	int32 changed = restore_design(calview, &state);
	// Feeds come in the background, as when the design was first given them: a feed that
	// does not answer must not hold the windows.
	if (event_sources != events || holiday_sources != holidays)
		reload_events();
	// The calendar that changed is the one shown; a change of the base shows the base page.
	sel_no = changed < obl.CountItems() ? changed : -1;
	show_design_state();
	request_edit(sel_no);
	report_unread_files();
}

void preview::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case B_CANCEL:
			close_file_panel();
			break;

		case kMsgClear:
			calview->clr_obj();
			sel_now.shown = false;
			reload_events();
			design_path.clear();
			start_history();
			request_edit(-1);
			break;

		case kMsgNamed:
			start_history();
			break;

		case B_SIMPLE_DATA:
			take_drop(message);
			break;

		// The keys of the panel's menus, pressed in this window, go to the panel; undo and redo
		// come back here once the panel has committed what was being typed.
		case kMsgUndo:
		case kMsgRedo: {
			bool committed = false;
			if (message->FindBool("committed", &committed) == B_OK && committed) {
				step_history(message->what == kMsgUndo);
				break;
			}
		}
			// fall through
		case kMsgFileNew:
		case kMsgFileOpen:
		case kMsgFileSave:
		case kMsgFileSaveNow:
			if (BHandler* panel = find_view("configview"))
				BMessenger(panel).SendMessage(message, nullptr, B_INFINITE_TIMEOUT);
			break;

		case kMsgRedraw: {
			take_arrived_events();
			// The design may ask for every screen now, or the screens may have changed.
			BRect before = scrn;
			calview->fit_screens();
			if (scrn != before && Window() != nullptr)
				static_cast<prevwindow*>(Window())->picture_resized();
			calview->create_wallpaper();
			update_shown();
			object* item = selected_object();
			sel_now.shown = item != nullptr;
			if (item != nullptr)
				sel_now.rect = item->bounds;
			Draw(Bounds());
			break;
		}

		case kMsgLoadConfig: {
			entry_ref ref;
			if (message->FindRef("refs", &ref) != B_OK)
				break;
			close_file_panel();
			unread_files.clear();
			if (!calview->load_config(&ref)) {
				tell(std::string("The design ") + ref.Path() + " could not be read.");
				request_edit(-1);
				break;
			}
			sel_now.shown = false;
			// An example is opened as a copy that names its files where they are, so that it
			// draws the same and is never saved over.
			bool example = false;
			if (message->FindBool("example", &example) == B_OK && example) {
				move_paths(design_path, "");
				design_path.clear();
			}
			// Read once per design, never while a slider moves; feeds are fetched in the
			// background and redraw the preview when they arrive.
			reload_events();
			start_history();
			request_edit(-1);
			report_unread_files();
			break;
		}

		case kMsgLoadImage: {
			entry_ref ref;
			if (message->FindRef("refs", &ref) != B_OK)
				break;
			close_file_panel();
			// The name as the user gave it: typed, or chosen in the file panel.
			const char* given = ref.Path();
			message->FindString("path", &given);
			unread_files.clear();
			calview->load_base_image(given);
			// The panel goes back to the base page; the preview lets go of the calendar with
			// it, so both show the same selection (a design load clears it the same way).
			sel_no = -1;
			note_change();
			request_edit(-1);
			report_unread_files();
			break;
		}

		case kMsgSelect: {
			eraseframe();
			object* item = selected_object();
			sel_now.shown = item != nullptr;
			if (item != nullptr)
				sel_now.rect = item->bounds;
			drawframe();
			break;
		}

		case kMsgSaveConfig: {
			entry_ref folder;
			const char* name;
			bool daily = false;
			message->FindBool("daily", &daily);
			std::string dailyPath = daily_design_path();
			if (daily)
				name = dailyPath.c_str();
			else if (message->FindRef("directory", &folder) != B_OK
				|| message->FindString("name", &name) != B_OK)
				break;
			// The folder whose files a design keeps copies of: the bundled examples'.
			const char* adopt = "";
			message->FindString("adopt", &adopt);
			status_t status = daily ? save_daily_design(calview, adopt)
				: calview->save_config(&folder, name);
			if (!daily)
				close_file_panel();
			if (status != B_OK) {
				// Nothing waiting on the save goes on: the changes are still unsaved.
				tell(std::string("The design could not be saved as ") + name + ": "
					+ failure_text(status) + ".");
				break;
			}
			history.mark_saved();
			show_design_state();
			BMessage then;
			if (message->FindMessage("then", &then) == B_OK) {
				if (BHandler* panel = find_view("configview"))
					BMessenger(panel).SendMessage(&then, nullptr, B_INFINITE_TIMEOUT);
			}
			break;
		}

		default:
			BView::MessageReceived(message);
			break;
	}
}
