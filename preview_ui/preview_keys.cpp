#include "preview_ui/preview.h"

#include <InterfaceDefs.h>

#include "model/globals.h"
#include "model/object.h"
#include "shared_ui/design_state.h"

namespace {

// Shift nudges by ten pixels, as drawing programs do.
const float kNudge = 1;
const float kShiftNudge = 10;

}

// Keys act on the selected calendar as the panel's buttons and the mouse do; what the
// preview does not use goes on (Tab with nothing to cycle through moves the focus).
void preview::KeyDown(const char* bytes, int32 numBytes)
{
	// While the mouse moves or resizes a calendar, the drag owns it.
	if (numBytes != 1 || drag_mode != kDragNone) {
		BView::KeyDown(bytes, numBytes);
		return;
	}
	int32 count = obl.CountItems();
	object* item = sel_no >= 0 ? (object*)obl.ItemAt(sel_no) : nullptr;
	bool shift = (modifiers() & B_SHIFT_KEY) != 0;
	float step = shift ? kShiftNudge : kNudge;
	float dx = 0, dy = 0;
	switch (bytes[0]) {
		case B_DELETE:
		case B_BACKSPACE:
			if (item == nullptr)
				break;
			delete (object*)obl.RemoveItem(sel_no);
			sel_no = -1;
			note_change();
			request_edit(-1);
			return;

		case B_LEFT_ARROW:
			dx = -step;
			break;
		case B_RIGHT_ARROW:
			dx = step;
			break;
		case B_UP_ARROW:
			dy = -step;
			break;
		case B_DOWN_ARROW:
			dy = step;
			break;

		case B_TAB:
			if (count == 0)
				break;
			if (shift)
				sel_no = sel_no <= 0 ? count - 1 : sel_no - 1;
			else
				sel_no = sel_no + 1 < count ? sel_no + 1 : 0;
			request_edit(sel_no);
			return;

		case B_ESCAPE:
			if (sel_no < 0)
				break;
			sel_no = -1;
			request_edit(-1);
			return;
	}
	if (item != nullptr && (dx != 0 || dy != 0)) {
		item->bounds.OffsetBy(dx, dy);
		// The nudges of one calendar in a row are one step of the history.
		note_change(sel_no);
		request_edit(sel_no);
		return;
	}
	BView::KeyDown(bytes, numBytes);
}
