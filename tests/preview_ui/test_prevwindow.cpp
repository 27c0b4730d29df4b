#include "tests/preview_ui/preview_fixture.h"

#include <Application.h>
#include <Screen.h>

namespace {

TEST(Startup, ConfigModeOpensThePreviewBesideThePanel)
{
	BRect screen = BScreen().Frame();
	const auto& opened = test_app()->startup_window;
	ASSERT_TRUE(opened.opened);
	EXPECT_TRUE(opened.shown);
	EXPECT_EQ(opened.title, "tevra preview");
	EXPECT_EQ(opened.frame,
		BRect(10, 30, screen.Width() - 420, screen.Height() - 10));
}

class window_test : public preview_test {
};

TEST_F(window_test, OpensWithItsFrameAsTheContentArea)
{
	BRect frame(20, 40, 619, 452);
	open(frame);
	EXPECT_EQ(window->Frame(), frame);
	EXPECT_EQ(window->Bounds(), BRect(0, 0, 599, 412));
	EXPECT_FALSE(window->IsHidden());
	EXPECT_EQ(window->Type(), B_DOCUMENT_WINDOW);

	// The view fills the window but for the bars, which overlap its far edges by a pixel.
	EXPECT_EQ(view->Frame(), BRect(0, 0, 585, 398));
	EXPECT_EQ(window->scroll_v->Frame(), BRect(586, 0, 600, 399));
	EXPECT_EQ(window->scroll_h->Frame(), BRect(0, 399, 586, 413));

	float minW, maxW, minH, maxH;
	window->GetSizeLimits(&minW, &maxW, &minH, &maxH);
	EXPECT_EQ(minW, 199);
	EXPECT_EQ(maxW, SW + 14);
	EXPECT_EQ(minH, 119);
	EXPECT_EQ(maxH, SH + 14);
}

struct range_case {
	const char* name;
	float width, height;        // of the window's frame
	float vertical, horizontal; // the largest scroll values
	float visibleV, visibleU;   // heights and widths the bars measure
};

void PrintTo(const range_case& c, std::ostream* os)
{
	*os << c.name;
}

class scroll_range : public preview_test, public testing::WithParamInterface<range_case> {
};

TEST_P(scroll_range, RangesAndProportionsFollowTheBars)
{
	const range_case& c = GetParam();
	open(BRect(10, 20, 10 + c.width, 20 + c.height));

	float min, max, small, large;
	window->scroll_v->GetRange(&min, &max);
	EXPECT_EQ(min, 0);
	EXPECT_EQ(max, c.vertical);
	EXPECT_FLOAT_EQ(window->scroll_v->Proportion(), std::min(1.0f, c.visibleV / SH));
	window->scroll_v->GetSteps(&small, &large);
	EXPECT_EQ(small, 5);
	EXPECT_EQ(large, c.visibleV);

	window->scroll_h->GetRange(&min, &max);
	EXPECT_EQ(min, 0);
	EXPECT_EQ(max, c.horizontal);
	EXPECT_FLOAT_EQ(window->scroll_h->Proportion(), std::min(1.0f, c.visibleU / SW));
	window->scroll_h->GetSteps(&small, &large);
	EXPECT_EQ(small, 5);
	EXPECT_EQ(large, c.visibleU);

	// The Qt bars let the user go exactly as far.
	int shownMin, shownMax, step;
	shown_scroll_range(window->scroll_v, &shownMin, &shownMax, &step);
	EXPECT_EQ(shownMin, 0);
	EXPECT_EQ(shownMax, (int)c.vertical);
	EXPECT_EQ(step, 5);
	shown_scroll_range(window->scroll_h, &shownMin, &shownMax, &step);
	EXPECT_EQ(shownMax, (int)c.horizontal);
}

INSTANTIATE_TEST_SUITE_P(prevwindow, scroll_range, testing::Values(
	// The bar is 413 - 13 = 400 high: 767 - 400 + 1.
	range_case{"bar_400_high_ranges_to_368", 500, 413, 368, 537, 400, 487},
	range_case{"one_pixel_short_of_the_picture_ranges_to_1", 1036, 780, 1, 1, 767, 1023},
	// The size limits hold the window to the picture and its bars: nothing to scroll.
	range_case{"larger_than_the_picture_ranges_to_0", 1400, 1000, 0, 0, 768, 1024}),
	case_name<range_case>);

TEST_F(window_test, ResizingMovesTheBarsAndResetsTheRanges)
{
	open(BRect(10, 20, 510, 433));
	window->ResizeTo(700, 513);
	process_events();

	EXPECT_EQ(window->scroll_v->Frame(), BRect(687, 0, 701, 500));
	EXPECT_EQ(window->scroll_h->Frame(), BRect(0, 500, 687, 514));
	float min, max;
	window->scroll_v->GetRange(&min, &max);
	EXPECT_EQ(max, SH - 500 + 1);
	window->scroll_h->GetRange(&min, &max);
	EXPECT_EQ(max, SW - 687 + 1);
}

TEST_F(window_test, BarsScrollThePicture)
{
	open(BRect(10, 20, 510, 433));
	add(BRect(50, 120, 450, 420));
	post(kMsgRedraw);

	move_scroll_knob(window->scroll_v, 100);
	click_scroll_arrow(window->scroll_h, true);
	EXPECT_EQ(window->scroll_v->Value(), 100);
	EXPECT_EQ(window->scroll_h->Value(), 5);
	EXPECT_EQ(view->Bounds().LeftTop(), BPoint(5, 100));

	// Each point of the view is that point of the picture, wherever the bars stand.
	shown_picture shown = grab_view(view);
	BRect visible = view->Bounds();
	EXPECT_EQ(differing_pixels(shown, visible), 0);
	// The calendar makes the picture uneven, so showing it unscrolled would be noticed.
	int uneven = 0;
	for (int y = (int)visible.top; y <= (int)visible.bottom; y += 3)
		uneven += picture_at(100, y) != picture_at(100, y - 100);
	EXPECT_GT(uneven, 0);
}

TEST_F(window_test, ZoomTogglesBetweenFullSizeAndTheSavedFrame)
{
	BRect frame(30, 50, 529, 463);
	open(frame);

	zoom();
	process_events();
	EXPECT_TRUE(whole_picture_in_view());
	float min, max;

	zoom();
	process_events();
	EXPECT_EQ(window->Frame(), frame);
	window->scroll_v->GetRange(&min, &max);
	EXPECT_EQ(max, 368);
}

struct zoom_case {
	const char* name;
	float width, height; // of the picture
	bool real_size;      // zoomed, it shows at real size; else fitted
	char edge;           // fitted: the work area's edge the window reaches, r(ight) or b(ottom)
};

void PrintTo(const zoom_case& c, std::ostream* os)
{
	*os << c.name;
}

class zooming : public preview_test, public testing::WithParamInterface<zoom_case> {
};

// The offscreen screen is 800 x 800.
TEST_P(zooming, ShowsTheWholePictureInsideTheWorkArea)
{
	const zoom_case& c = GetParam();
	scrn = BRect(0, 0, c.width - 1, c.height - 1);
	BRect frame(30, 50, 329, 263);
	open(frame);
	zoom();
	process_events();

	EXPECT_TRUE(whole_picture_in_view());
	BRect view_area = view->Bounds();
	if (c.real_size) {
		EXPECT_EQ(view->scale(), 1);
		EXPECT_EQ(window->Frame(), at_screen_origin(BRect(0, 0, c.width - 1 + kScrollBarSize,
			c.height - 1 + kScrollBarSize)));
	} else {
		// One scale both ways: the picture's pixels per pixel of the view.
		EXPECT_NEAR(view->scale(), c.width / (view_area.Width() + 1), 0.01);
		EXPECT_NEAR(view->scale(), c.height / (view_area.Height() + 1), 0.01);
		BRect work = BScreen(window).WorkArea(), outer = window->DecoratorFrame();
		EXPECT_EQ(c.edge == 'r' ? outer.right : outer.bottom,
			c.edge == 'r' ? work.right : work.bottom);
	}
	// The picture reaches the view's far corner, no further.
	base_mode = kBaseColor;
	base_color = 0x204060;
	post(kMsgRedraw);
	shown_picture shown = grab_view(view);
	EXPECT_EQ(shown.at(0, 0), 0x204060u);
	EXPECT_EQ(shown.at(view_area.right, view_area.bottom), 0x204060u);

	zoom();
	process_events();
	EXPECT_EQ(window->Frame(), frame);
	EXPECT_EQ(view->scale(), 1);
}

INSTANTIATE_TEST_SUITE_P(prevwindow, zooming, testing::Values(
	zoom_case{"fits_at_real_size_as_before", 600, 400, true, ' '},
	zoom_case{"wider_than_the_screen_fits_its_width", 1600, 500, false, 'r'},
	zoom_case{"taller_than_the_screen_fits_its_height", 500, 1600, false, 'b'},
	zoom_case{"larger_both_ways", 3840, 2160, false, 'r'}),
	case_name<zoom_case>);

TEST_F(window_test, MaximiseByTheWindowManagerZooms)
{
	BRect frame(30, 50, 529, 463);
	open(frame);

	zoom();
	process_events();
	BRect zoomed = window->Frame();
	zoom();
	maximise_window(window);
	process_events();
	EXPECT_EQ(window->Frame(), zoomed);

	zoom();
	process_events();
	EXPECT_EQ(window->Frame(), frame);
}

TEST_F(window_test, ResizedByHandToFullSizeBeforeAnyZoomGoesToTheSmallestFrame)
{
	open(BRect(30, 50, 529, 463));
	window->ResizeTo(SW + 14, SH + 14);
	process_events();

	zoom();
	process_events();
	// The saved frame is still the empty rectangle at (0, 0); the limits widen it.
	EXPECT_EQ(window->Frame(), at_screen_origin(BRect(0, 0, 199, 119)));
}

TEST_F(window_test, ResizedByHandToFullSizeAfterAZoomGoesToTheSavedFrame)
{
	BRect frame(30, 50, 529, 463);
	open(frame);
	zoom();
	zoom();
	process_events();
	window->MoveTo(200, 100);
	window->ResizeTo(SW + 14, SH + 14);
	process_events();

	zoom();
	process_events();
	EXPECT_EQ(window->Frame(), frame);
}

// The configuration window's place, while it does not exist yet: a window that notes being
// asked to quit.
class other_window : public BWindow {
public:
	other_window() : BWindow(BRect(600, 40, 900, 300), "other", B_TITLED_WINDOW, 0) {}
	bool QuitRequested() override
	{
		asked = true;
		return true;
	}
	static bool asked;
};

bool other_window::asked = false;

TEST_F(window_test, ClosingThePreviewQuitsTheApplication)
{
	remove_panel();
	open(BRect(30, 50, 529, 463));
	other_window::asked = false;
	new other_window();
	ASSERT_EQ(be_app->CountWindows(), 2);

	close_window(window);
	process_events();
	window = nullptr;

	// Only the application's quit request asks the other window and closes them all; the
	// test's process goes on because nothing runs the application's loop.
	EXPECT_TRUE(other_window::asked);
	EXPECT_EQ(be_app->CountWindows(), 0);
}

}
