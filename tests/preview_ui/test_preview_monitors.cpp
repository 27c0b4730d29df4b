// The preview on two monitors of different pixel ratios (Xvfb split by RandR, openbox, Qt told
// each monitor's scale): the view scale follows the window to the other monitor, and the
// fitted view fits again when the picture's size changes.
#include "tests/preview_ui/preview_fixture.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <Screen.h>

#include "tests/support/x_session.h"

namespace {

const char* skip_reason = nullptr;
// The left monitor (the main one) at ratio 1, the right one at 2, each 1024 x 768 pixels; in
// the desktop's logical pixels the right one starts at 1024.
const float kLeftRatio = 1, kRightRatio = 2;

class monitors : public preview_test {
protected:
	void SetUp() override
	{
		if (skip_reason != nullptr)
			GTEST_SKIP() << skip_reason;
		preview_test::SetUp();
		open(BRect(10, 30, 400, 300));
		post(kMsgRedraw);
	}

	void TearDown() override
	{
		screens = kScreensMain;
		preview_test::TearDown();
	}

	// Moved onto the monitor whose logical left edge is left, once Qt tells the move.
	bool move_to(float left, float ratio)
	{
		window->MoveTo(left + 10, 10);
		return wait_until([&] { return BScreen(window).PixelRatio() == ratio; });
	}
};

TEST_F(monitors, RealSizeFollowsTheScreensRatio)
{
	const struct {
		float left;
		float ratio;
	} moves[] = {{1024, kRightRatio}, {0, kLeftRatio}, {1024, kRightRatio}};
	for (const auto& move : moves) {
		ASSERT_TRUE(move_to(move.left, move.ratio)) << "not moved to " << move.left;
		// The view hears of the new screen after the window does, later on a busy machine.
		EXPECT_TRUE(wait_until([&] { return view->scale() == move.ratio; }))
			<< "at " << move.left << ": " << view->scale();
		process_events(100);
		// One picture pixel on one device pixel: the view's last pixel shows the picture's.
		shown_picture shown = grab_view(view);
		BRect bounds = view->Bounds();
		EXPECT_EQ(shown.width, (int)std::lround((bounds.Width() + 1) * move.ratio));
		EXPECT_EQ(shown.pixels.back(), picture_at(std::lround((bounds.right + 1) * move.ratio) - 1,
			std::lround((bounds.bottom + 1) * move.ratio) - 1)) << "at " << move.left;
	}
}

TEST_F(monitors, FittedViewFitsAgainWhenThePictureChangesSize)
{
	ASSERT_TRUE(move_to(0, kLeftRatio));
	zoom();
	ASSERT_TRUE(wait_until([this] { return whole_picture_in_view(); }));
	float fitted = view->scale();

	const struct {
		int32 every_screen;
		float picture_width;
	} changes[] = {{kScreensAll, 2048}, {kScreensMain, 1024}, {kScreensAll, 2048}};
	for (const auto& change : changes) {
		screens = change.every_screen;
		post(kMsgRedraw);
		ASSERT_EQ(scrn.Width() + 1, change.picture_width);
		process_events(100);
		EXPECT_TRUE(wait_until([this] { return whole_picture_in_view(); }))
			<< change.picture_width << " wide";
		EXPECT_GT(view->scale(), change.picture_width / 1024) << change.picture_width << " wide";
	}
	screens = kScreensMain;
	post(kMsgRedraw);
	EXPECT_TRUE(wait_until([&] { return view->scale() == fitted && whole_picture_in_view(); }));
	// Back at real size.
	zoom();
	process_events(100);
	EXPECT_EQ(view->scale(), kLeftRatio);
}

// Splits the X screen into the two monitors, as a desktop with two outputs has it.
bool split_screen(const std::string& display)
{
	Display* x = XOpenDisplay(display.c_str());
	if (x == nullptr)
		return false;
	for (int i = 0; i < 2; i++) {
		XRRMonitorInfo* monitor = XRRAllocateMonitor(x, 0);
		monitor->name = XInternAtom(x, i == 0 ? "LEFT" : "RIGHT", False);
		monitor->primary = i == 0;
		monitor->x = i * 1024;
		monitor->width = 1024;
		monitor->height = 768;
		monitor->mwidth = 270;
		monitor->mheight = 200;
		XRRSetMonitor(x, DefaultRootWindow(x), monitor);
		XRRFreeMonitors(monitor);
	}
	XSync(x, False);
	XCloseDisplay(x);
	return true;
}

}

int main(int argc, char** argv)
{
	testing::InitGoogleTest(&argc, argv);
	if (testing::GTEST_FLAG(list_tests))
		return RUN_ALL_TESTS();
	std::unique_ptr<x_session> screen = x_session::for_tests(2048, 768, &skip_reason, 0,
		split_screen);
	if (screen == nullptr)
		return RUN_ALL_TESTS();
	unsetenv("QT_SCALE_FACTOR");
	setenv("QT_SCREEN_SCALE_FACTORS", "LEFT=1;RIGHT=2", 1);
	return run_tests_in_app();
}
