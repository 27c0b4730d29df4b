#ifndef TEVRA_TEST_PREVIEW_FIXTURE_H
#define TEVRA_TEST_PREVIEW_FIXTURE_H

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <Bitmap.h>
#include <FilePanel.h>
#include <Looper.h>
#include <Message.h>
#include <Rect.h>
#include <Screen.h>
#include <ScrollBar.h>
#include <Window.h>

#include "model/globals.h"
#include "model/object.h"
#include "model/tevraview.h"
#include "preview_ui/preview.h"
#include "preview_ui/prevwindow.h"
#include "shared_ui/messages.h"
#include "shared_ui/ui_globals.h"
#include "tests/support/param_rows.h"
#include "tests/support/pictures.h"
#include "tests/support/print_geometry.h"
#include "tests/support/test_app.h"
#include "tests/support/ui_events.h"

// Stands in for the configuration panel: a view of the panel's name, in a window of its own
// that is never shown, keeping the "edit_no" of every 'Preq' it gets.
class edit_requests : public BView {
public:
	static constexpr int kNoField = 1000;

	explicit edit_requests(std::vector<int>* values)
		: BView(BRect(0, 0, 9, 9), "configview", B_FOLLOW_NONE, 0), fValues(values) {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what != kMsgEditRequest) {
			BView::MessageReceived(message);
			return;
		}
		int32 index;
		fValues->push_back(message->FindInt32("edit_no", &index) == B_OK ? index : kNoField);
	}

private:
	std::vector<int>* fValues;
};

struct request_log {
	std::vector<int> values;
};

// A preview window over a 1024 x 768 picture, as on a screen of that size, on a fixed day,
// with a stand-in panel; screen, day, settings and panel are put back afterwards.
class preview_test : public testing::Test {
protected:
	static constexpr float SW = 1023;
	static constexpr float SH = 767;

	void SetUp() override
	{
		fScreen = scrn;
		fToday[0] = now_y;
		fToday[1] = now_m;
		fToday[2] = now_d;
		fToday[3] = now_w;
		scrn = BRect(0, 0, SW, SH);
		now_y = 2026;
		now_m = 1;
		now_d = 20;
		now_w = 2;
		panel_window = new BWindow(BRect(0, 0, 9, 9), "panel stand-in", B_TITLED_WINDOW, 0);
		panel_window->AddChild(new edit_requests(&requests.values));
	}

	// Takes the stand-in panel away, as before the configuration window exists.
	void remove_panel()
	{
		if (panel_window != nullptr)
			panel_window->Quit();
		panel_window = nullptr;
	}

	void TearDown() override
	{
		remove_panel();
		if (window != nullptr)
			window->Quit();
		window = nullptr;
		view = nullptr;
		delete fp;
		fp = nullptr;
		process_events();
		scrn = fScreen;
		now_y = fToday[0];
		now_m = fToday[1];
		now_d = fToday[2];
		now_w = fToday[3];
		// The settings as the application started, for whatever test runs next.
		tevraview(scrn).clr_obj();
	}

	// The window, with everything it queued while opening done.
	void open(BRect frame)
	{
		window = new prevwindow(frame);
		view = window->preview_view;
		process_events();
	}

	// A default calendar object with the given bounds, added to the design; its index.
	int add(BRect bounds)
	{
		object* item = new object(nullptr);
		item->bounds = bounds;
		obl.AddItem(item);
		return obl.CountItems() - 1;
	}

	object* item(int index) const { return (object*)obl.ItemAt(index); }

	// A message to the preview view, as the panel or a file panel sends it, carried out.
	void post(BMessage* message)
	{
		window->PostMessage(message, view);
		process_events();
	}
	void post(uint32 what)
	{
		BMessage message(what);
		post(&message);
	}

	// What the panel does when it picks an object: sets the selection and asks for 'slct'.
	void select(int index)
	{
		sel_no = index;
		post(kMsgSelect);
	}

	// The composed picture's pixel as 0xRRGGBB.
	uint32 picture_at(int x, int y) const { return pixel_of(view->calview->wallbmp, x, y); }

	// How many pixels of area (in picture coordinates, all shown) differ from the picture.
	int differing_pixels(const shown_picture& shown, BRect area) const
	{
		int count = 0;
		for (int y = (int)area.top; y <= (int)area.bottom; y++) {
			for (int x = (int)area.left; x <= (int)area.right; x++)
				count += shown.at(x, y) != picture_at(x, y);
		}
		return count;
	}

	// How many of the four corners of rect (in the view's pixels) carry exactly one handle on
	// the screen: the 7 x 7 square around the corner inverted from what shows without it
	// (under; the picture at real size when null), the ring around it untouched.
	int handles_shown(const shown_picture& shown, BRect rect,
		const shown_picture* under = nullptr) const
	{
		BPoint corners[] = {rect.LeftTop(), rect.RightTop(), rect.LeftBottom(),
			rect.RightBottom()};
		int count = 0;
		for (BPoint corner : corners) {
			bool handle = true;
			for (int dy = -4; dy <= 4; dy++) {
				for (int dx = -4; dx <= 4; dx++) {
					int x = (int)corner.x + dx, y = (int)corner.y + dy;
					bool inside = dx >= -3 && dx <= 3 && dy >= -3 && dy <= 3;
					uint32 plain = under != nullptr ? under->at(x, y) : picture_at(x, y);
					uint32 expected = plain ^ (inside ? 0xffffff : 0);
					handle = handle && shown.at(x, y) == expected;
				}
			}
			count += handle;
		}
		return count;
	}

	// Whether the dragged calendar's outline shows along rect (in the view's pixels): a white
	// line on its edge pixels and a black one outside them, along outside when given (at a
	// fractional ratio a device pixel both lines cover shows a blend between them). The
	// corners, where the handles invert it, are left out (corner pixels from each).
	bool outline_shown(const shown_picture& shown, BRect rect, int corner = 5,
		BRect outside = BRect()) const
	{
		if (!outside.IsValid())
			outside.Set(rect.left - 1, rect.top - 1, rect.right + 1, rect.bottom + 1);
		bool drawn = true;
		for (int x = (int)rect.left + corner; x <= (int)rect.right - corner; x++) {
			for (int y : {(int)rect.top, (int)rect.bottom}) {
				int out = y == (int)rect.top ? (int)outside.top : (int)outside.bottom;
				drawn = drawn && shown.at(x, y) == 0xffffff && shown.at(x, out) == 0;
			}
		}
		for (int y = (int)rect.top + corner; y <= (int)rect.bottom - corner; y++) {
			for (int x : {(int)rect.left, (int)rect.right}) {
				int out = x == (int)rect.left ? (int)outside.left : (int)outside.right;
				drawn = drawn && shown.at(x, y) == 0xffffff && shown.at(out, y) == 0;
			}
		}
		return drawn;
	}

	// The whole picture shows in the window (nothing to scroll), and the window, border and
	// all, in the screen's free area.
	testing::AssertionResult whole_picture_in_view() const
	{
		float min, vertical, horizontal;
		window->scroll_v->GetRange(&min, &vertical);
		window->scroll_h->GetRange(&min, &horizontal);
		BRect work = BScreen(window).WorkArea();
		BRect outer = window->DecoratorFrame();
		if (vertical != 0 || horizontal != 0)
			return testing::AssertionFailure() << "the bars scroll " << horizontal << ", "
				<< vertical;
		if (!work.Contains(outer))
			return testing::AssertionFailure() << outer << " is not inside " << work;
		return testing::AssertionSuccess();
	}

	// The window's zoom, as the zoom button or the preview asks for it.
	void zoom() { static_cast<BWindow*>(window)->Zoom(); }

	// Where a shown window asked to go to the screen's left top ends up: window systems keep
	// its border on the screen (Qt's offscreen platform by two pixels).
	static BPoint screen_origin()
	{
		BWindow* probe = new BWindow(BRect(100, 100, 300, 200), "probe", B_TITLED_WINDOW, 0);
		probe->Show();
		process_events();
		probe->MoveTo(0, 0);
		process_events();
		BPoint origin = probe->Frame().LeftTop();
		probe->Quit();
		return origin;
	}

	// A frame asked for at the screen's left top, where the window system puts it.
	static BRect at_screen_origin(BRect frame)
	{
		BPoint origin = screen_origin();
		return frame.OffsetByCopy(origin.x, origin.y);
	}

	// The frame of a window that shows the whole picture and its scroll bars.
	static BRect full_frame()
	{
		return at_screen_origin(BRect(0, 0, SW + kScrollBarSize, SH + kScrollBarSize));
	}

	prevwindow* window = nullptr;
	preview* view = nullptr;
	request_log requests;
	BWindow* panel_window = nullptr;

private:
	BRect fScreen;
	int32 fToday[4];
};

#endif
