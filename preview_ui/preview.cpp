#include "preview_ui/preview.h"

#include <cmath>

#include <Bitmap.h>
#include <FilePanel.h>
#include <Message.h>
#include <Messenger.h>
#include <Window.h>

#include "app/version.h"
#include "config_ui/find_view.h"
#include "config_ui/messages.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/object.h"
#include "model/tevraview.h"
#include "preview_ui/prevwindow.h"

namespace {

const float kHandle = 3;

object* selected_object()
{
	return sel_no >= 0 ? (object*)obl.ItemAt(sel_no) : nullptr;
}

BRect handle(float x, float y)
{
	return BRect(x - kHandle, y - kHandle, x + kHandle, y + kHandle);
}

void fill_handles(BView* view, BRect rect)
{
	view->SetDrawingMode(B_OP_INVERT);
	view->FillRect(handle(rect.left, rect.top));
	view->FillRect(handle(rect.right, rect.top));
	view->FillRect(handle(rect.left, rect.bottom));
	view->FillRect(handle(rect.right, rect.bottom));
	view->SetDrawingMode(B_OP_COPY);
}

// Tells the panel which object to edit, the index whole (not cut to eight bits); before
// the panel exists nobody listens.
void request_edit(int32 index)
{
	BHandler* panel = find_view("configview");
	if (panel == nullptr)
		return;
	BMessage request(kMsgEditRequest);
	request.AddInt32("edit_no", index);
	BMessenger(panel).SendMessage(&request, nullptr, B_INFINITE_TIMEOUT);
}

void close_file_panel()
{
	delete fp;
	fp = nullptr;
}

float truncated(float value)
{
	return std::trunc(value);
}

}

preview::preview(BRect frame)
	: BView(frame, "preview", B_FOLLOW_ALL_SIDES, B_WILL_DRAW), calview(nullptr),
	drag_mode(kDragNone), press_point(0, 0)
{
	calview = new tevraview(scrn);
	calview->create_wallpaper();
	sel_now.shown = false;
	sel_old.shown = false;
	sel_no = -1;
}

preview::~preview()
{
	delete calview;
}

void preview::AttachedToWindow()
{
	SetHighColor(255, 255, 255, 255);
	SetViewColor(0, 0, 0, 255);
	SetLowColor(100, 100, 100, 255);
	SetFont(be_bold_font, B_FONT_ALL);
}

void preview::eraseframe()
{
	if (!sel_old.shown)
		return;
	fill_handles(this, sel_old.rect);
	sel_old.shown = false;
}

void preview::drawframe()
{
	if (sel_now.shown)
		fill_handles(this, sel_now.rect);
	sel_old = sel_now;
}

void preview::Draw(BRect updateRect)
{
	eraseframe();
	DrawBitmap(calview->wallbmp, updateRect, updateRect);
	// Over a picture for several screens, where each screen's part begins and ends.
	if (scrns.size() > 1) {
		SetDrawingMode(B_OP_INVERT);
		for (const BRect& f : scrns) {
			FillRect(BRect(f.left, f.top, f.right, f.top));
			FillRect(BRect(f.left, f.bottom, f.right, f.bottom));
			FillRect(BRect(f.left, f.top + 1, f.left, f.bottom - 1));
			FillRect(BRect(f.right, f.top + 1, f.right, f.bottom - 1));
		}
		SetDrawingMode(B_OP_COPY);
	}
	drawframe();
	// An empty design says what program this is.
	if (baseimgpath[0] == '\0' && obl.CountItems() == 0) {
		SetFontSize(30);
		DrawString("tevra", BPoint(45, 50));
		SetFontSize(20);
		DrawString("ver." TEVRA_VERSION, BPoint(75, 80));
	}
}

void preview::MouseDown(BPoint where)
{
	BPoint location;
	uint32 buttons = 0;
	GetMouse(&location, &buttons);
	if (buttons == B_SECONDARY_MOUSE_BUTTON) {
		if (Window() != nullptr)
			Window()->Zoom();
		return;
	}

	int32 old = sel_no;
	press_point = where;
	drag_mode = kDragNone;

	if (object* item = selected_object()) {
		// Handles win over the inside; of overlapping handles the later one.
		BRect b = item->bounds;
		int32 hit = kDragNone;
		if (b.Contains(where))
			hit = kDragMove;
		if (handle(b.left, b.top).Contains(where))
			hit = kDragLeftTop;
		if (handle(b.right, b.top).Contains(where))
			hit = kDragRightTop;
		if (handle(b.left, b.bottom).Contains(where))
			hit = kDragLeftBottom;
		if (handle(b.right, b.bottom).Contains(where))
			hit = kDragRightBottom;
		drag_mode = hit;
		if (hit == kDragNone) {
			sel_no = -1;
		} else {
			// A release without a move must store the bounds as they are, not an old frame.
			sel_now.rect = b;
		}
	} else {
		sel_no = -1;
	}

	// A press on an unselected object only selects it; the one drawn on top wins.
	if (sel_no < 0) {
		for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++) {
			if (item->bounds.Contains(where))
				sel_no = i;
		}
	}
	if (sel_no != old)
		request_edit(sel_no);
}

void preview::MouseMoved(BPoint where, uint32, const BMessage*)
{
	object* item = selected_object();
	if (drag_mode == kDragNone || item == nullptr)
		return;
	float dx = truncated(where.x - press_point.x);
	float dy = truncated(where.y - press_point.y);
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
	eraseframe();
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
		item->bounds = r;
		eraseframe();
		drawframe();
		request_edit(sel_no);
	}
	drag_mode = kDragNone;
}

void preview::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case B_CANCEL:
			close_file_panel();
			break;

		case kMsgClear:
			calview->clr_obj();
			load_events();
			request_edit(-1);
			break;

		case kMsgRedraw: {
			// The design may ask for every screen now, or the screens may have changed.
			BRect before = scrn;
			calview->fit_screens();
			if (scrn != before && Window() != nullptr) {
				Window()->SetSizeLimits(199, scrn.Width() + kScrollBarSize, 119,
					scrn.Height() + kScrollBarSize);
				Window()->FrameResized(Window()->Bounds().Width(), Window()->Bounds().Height());
			}
			calview->create_wallpaper();
			object* item = selected_object();
			sel_now.shown = item != nullptr;
			if (item != nullptr)
				sel_now.rect = item->bounds;
			Draw(scrn);
			break;
		}

		case kMsgLoadConfig: {
			entry_ref ref;
			if (message->FindRef("refs", &ref) != B_OK)
				break;
			close_file_panel();
			calview->load_config(&ref);
			// Read (and fetched) once per design, never while a slider moves.
			load_events();
			request_edit(-1);
			break;
		}

		case kMsgLoadImage: {
			entry_ref ref;
			if (message->FindRef("refs", &ref) != B_OK)
				break;
			close_file_panel();
			calview->load(&ref);
			// The panel goes back to the base page; the preview lets go of the calendar with
			// it, so both show the same selection (a design load clears it the same way).
			sel_no = -1;
			request_edit(-1);
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
			if (message->FindRef("directory", &folder) != B_OK
				|| message->FindString("name", &name) != B_OK)
				break;
			calview->save_config(&folder, name);
			close_file_panel();
			break;
		}

		default:
			BView::MessageReceived(message);
			break;
	}
}
