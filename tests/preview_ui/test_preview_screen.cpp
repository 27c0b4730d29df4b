// The preview on a real screen: Xvfb with openbox and a panel that reserves the bottom strip,
// at the desktop's scale TEVRA_TEST_SCALE (built at 1, 1.5 and 2): the fitted zoom
// inside the work area, by the secondary button and by the window manager's maximise,
// press-and-drag in the fitted view with its outline, and the real size
// that shows one picture pixel on one device pixel.
#include "tests/preview_ui/preview_fixture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <Screen.h>

#include "tests/support/x_session.h"

namespace {

x_session* session = nullptr;
const char* skip_reason = nullptr;
const int kPanelHeight = 40;
const float kScale = TEVRA_TEST_SCALE;
const BRect kCalendar(600, 400, 800, 550);

// The device pixels (as the view's grab has them) that only the view's pixels under rect
// cover; at a fractional ratio a device pixel on their edge is shared with the next.
BRect device_pixels(BRect rect)
{
	return BRect(std::ceil(std::floor(rect.left) * kScale),
		std::ceil(std::floor(rect.top) * kScale),
		std::floor((std::floor(rect.right) + 1) * kScale) - 1,
		std::floor((std::floor(rect.bottom) + 1) * kScale) - 1);
}

// The nearest device pixels around those that only the view's pixels just outside rect cover.
BRect device_pixels_around(BRect rect)
{
	return BRect(std::floor(std::floor(rect.left) * kScale) - 1,
		std::floor(std::floor(rect.top) * kScale) - 1,
		std::ceil((std::floor(rect.right) + 1) * kScale),
		std::ceil((std::floor(rect.bottom) + 1) * kScale));
}

// Whether the window manager's frame around the preview lies in the work area in the
// screen's own pixels, where a fractional ratio rounds the border and the place.
testing::AssertionResult frame_in_work_area()
{
	int x, y, width, height, left, top, wide, high;
	if (!session->work_area(&x, &y, &width, &height)
			|| !session->window_frame("tevra preview", &left, &top, &wide, &high))
		return testing::AssertionFailure() << "no work area or no frame";
	if (left < x || top < y || left + wide > x + width || top + high > y + height) {
		return testing::AssertionFailure() << "the frame " << left << "," << top << " "
			<< wide << "x" << high << " leaves " << x << "," << y << " " << width << "x"
			<< height;
	}
	return testing::AssertionSuccess();
}

// A 1024 x 768 picture, the X screen's, in a preview window placed as config mode places it.
class on_screen : public preview_test {
protected:
	void SetUp() override
	{
		if (skip_reason != nullptr)
			GTEST_SKIP() << skip_reason;
		preview_test::SetUp();
		open(BRect(10, 30, 400, 300));
		add(kCalendar);
		post(kMsgRedraw);
		// The zoom fits the window manager's border, there once it has framed the window.
		ASSERT_TRUE(wait_until([this] { return window->DecoratorFrame() != window->Frame(); }));
	}

	// Zoomed, once the window manager has placed the window.
	void zoom_and_wait()
	{
		zoom();
		wait_until([this] { return whole_picture_in_view(); });
		process_events(100);
	}
};

TEST_F(on_screen, FittedZoomShowsTheWholePictureInsideTheWorkArea)
{
	int x, y, width, height;
	ASSERT_TRUE(session->work_area(&x, &y, &width, &height));
	zoom_and_wait();

	// The work area as the window manager publishes it, in the desktop's logical pixels.
	BRect work(x / kScale, y / kScale, (x + width) / kScale - 1, (y + height) / kScale - 1);
	BRect outer = window->DecoratorFrame();
	EXPECT_TRUE(work.Contains(outer)) << outer << " leaves " << work;
	EXPECT_TRUE(frame_in_work_area());
	EXPECT_TRUE(whole_picture_in_view());
	EXPECT_GT(view->scale(), kScale);
	// Scaled, not cut: the picture's last pixels show in the view's last device pixels.
	shown_picture shown = grab_view(view);
	BRect last = device_pixels(view->Bounds());
	EXPECT_EQ(shown.at(last.right, last.bottom), picture_at(SW, SH));
	EXPECT_EQ(shown.at(last.right, 0), picture_at(SW, 0));
}

// The frame's maximise button zooms the same way, measured once the window manager has put
// the window back with its usual border.
TEST_F(on_screen, MaximiseByTheWindowManagerFitsAsTheZoomDoes)
{
	zoom_and_wait();
	BRect zoomed = window->Frame();
	zoom();
	ASSERT_TRUE(wait_until([this] { return view->scale() == kScale; }));
	process_events(100);

	ASSERT_TRUE(session->maximise("tevra preview"));
	EXPECT_TRUE(wait_until([this, zoomed] { return window->Frame() == zoomed; }))
		<< window->Frame() << " against " << zoomed;
	process_events(100);
	EXPECT_EQ(window->Frame(), zoomed);
	EXPECT_TRUE(whole_picture_in_view());
	EXPECT_TRUE(frame_in_work_area());
}

TEST_F(on_screen, FirstPressDragsInTheFittedViewInPictureCoordinates)
{
	zoom_and_wait();
	float s = view->scale();
	BRect shown_at = view->on_screen(kCalendar);
	BPoint from(std::floor(shown_at.left) + 20, std::floor(shown_at.top) + 20);
	BPoint to = from + BPoint(30, 20);

	// The first press on the calendar, not yet selected, already moves it.
	ASSERT_EQ(sel_no, -1);
	send_mouse(view, mouse_down, from, B_PRIMARY_MOUSE_BUTTON);
	send_mouse(view, mouse_moved, to, B_PRIMARY_MOUSE_BUTTON);
	// Moved by the picture's whole pixels the pointer's move covers.
	BRect dragged = kCalendar.OffsetByCopy(std::trunc(30 * s), std::trunc(20 * s));
	BRect outline = device_pixels(view->on_screen(dragged));
	BRect outside = device_pixels_around(view->on_screen(dragged));
	EXPECT_TRUE(outline_shown(grab_view(view), outline, 5 * kScale, outside))
		<< "no outline along " << outline;
	EXPECT_EQ(item(0)->bounds, kCalendar) << "composed before the release";
	send_mouse(view, mouse_up, to, B_PRIMARY_MOUSE_BUTTON);
	process_events();

	EXPECT_EQ(sel_no, 0);
	EXPECT_EQ(item(0)->bounds, dragged);
	EXPECT_EQ(requests.values, std::vector<int>{0});
}

TEST_F(on_screen, RealSizeShowsOnePicturePixelOnOneDevicePixel)
{
	EXPECT_EQ(view->scale(), kScale);
	// Scrolled by whole logical steps, which at a fractional ratio are fractions of a device
	// pixel, the picture still lies on the device's grid.
	const BPoint scrolled[] = {{0, 0}, {1, 1}, {3, 5}, {7, 2}};
	for (BPoint by : scrolled) {
		window->scroll_h->SetValue(by.x);
		window->scroll_v->SetValue(by.y);
		process_events();
		BPoint origin = view->Bounds().LeftTop();
		float dx = origin.x * kScale, dy = origin.y * kScale;
		EXPECT_FLOAT_EQ(dx, std::round(dx)) << "scrolled by " << by;
		EXPECT_FLOAT_EQ(dy, std::round(dy)) << "scrolled by " << by;
		// The grab has the device's pixels: each the picture's own, not resampled.
		shown_picture shown = grab_view(view);
		ASSERT_EQ(shown.width, (int)std::lround((view->Bounds().Width() + 1) * kScale));
		int differing = 0;
		for (int y = 0; y < shown.height; y++) {
			for (int x = 0; x < shown.width; x++) {
				differing += shown.pixels[(size_t)y * shown.width + x]
					!= picture_at(x + std::lround(dx), y + std::lround(dy));
			}
		}
		EXPECT_EQ(differing, 0) << "scrolled by " << by;
	}
	window->scroll_h->SetValue(0);
	window->scroll_v->SetValue(0);

	// A press lands on the picture's pixel under the pointer's device pixel.
	send_mouse(view, mouse_down, BPoint(100.5, 90.5), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(view, mouse_up, BPoint(100.5, 90.5), B_PRIMARY_MOUSE_BUTTON);
	EXPECT_EQ(view->press_point, BPoint(std::floor(100.5 * kScale), std::floor(90.5 * kScale)));
}

}

int main(int argc, char** argv)
{
	testing::InitGoogleTest(&argc, argv);
	if (testing::GTEST_FLAG(list_tests))
		return RUN_ALL_TESTS();
	std::unique_ptr<x_session> screen = x_session::for_tests(1024, 768, &skip_reason,
		kPanelHeight);
	if (screen == nullptr)
		return RUN_ALL_TESTS();
	session = screen.get();
	setenv("QT_SCALE_FACTOR", std::to_string(kScale).c_str(), 1);
	return run_tests_in_app();
}
