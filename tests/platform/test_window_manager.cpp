// Windows under a real window manager: openbox on Xvfb with a panel along the bottom edge
// that it keeps out of the work area, and a bare X server for comparison. The application
// talks to the display through Qt's xcb platform, as on a desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include <QAbstractButton>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <Alert.h>
#include <Application.h>
#include <Screen.h>
#include <View.h>
#include <Window.h>

#include "platform/interface/WindowPrivate.h"
#include "tests/platform/desktop_support.h"
#include "tests/support/shown_alert.h"
#include "tests/support/x_session.h"

namespace {

const int kPanelHeight = 40;

// Counts the clicks it gets.
class click_counter : public BView {
public:
	explicit click_counter(BRect frame)
		: BView(frame, "counter", B_FOLLOW_ALL_SIDES, B_WILL_DRAW) {}
	void MouseDown(BPoint) override { clicks++; }
	int clicks = 0;
};

// An application on a 1024 x 768 display of the test's own, with or without a window
// manager; a bottom panel stands on the display in both.
class on_display : public testing::Test {
protected:
	void Start(bool windowManager)
	{
		fSession.reset(new x_session(1024, 768));
		ASSERT_TRUE(fSession->running()) << "Xvfb did not start";
		if (windowManager) {
			ASSERT_TRUE(fSession->start_window_manager()) << "openbox did not start";
		}
		ASSERT_TRUE(fSession->add_bottom_panel(kPanelHeight)) << "the panel did not show";
		fEnv.set("DISPLAY", fSession->display());
		fEnv.unset("WAYLAND_DISPLAY");
		fEnv.set("QT_QPA_PLATFORM", "xcb");
		// Without a session bus libdbus would start one for the display and keep a buffer
		// that LeakSanitizer reports; placement needs no bus.
		fEnv.set("DBUS_SESSION_BUS_ADDRESS", "disabled:");
		fApp.reset(new BApplication("application/x-vnd.tevra-window-manager-test"));
	}
	// The case's windows are still open when its application goes, as at a program's end.
	void TearDown() override
	{
		fApp.reset();
		fSession.reset();
	}

	// A window shown and on screen: placed, framed and drawn.
	BWindow* Shown(BRect frame)
	{
		BWindow* window = new BWindow(frame, "window", B_TITLED_WINDOW, B_NOT_RESIZABLE);
		window->AddChild(new click_counter(window->Bounds()));
		window->Show();
		EXPECT_TRUE(QTest::qWaitForWindowExposed(BWindow::Private::Widget(window)));
		QTest::qWait(100);
		return window;
	}

	// The frame the program computes for a 400 x 400 window in the screen's bottom right.
	static BRect BottomRight()
	{
		BRect screen = BScreen().Frame();
		return BRect(screen.right - 399, screen.bottom - 399, screen.right, screen.bottom);
	}

	std::unique_ptr<x_session> fSession;
	desktop_test::scoped_env fEnv;
	std::unique_ptr<BApplication> fApp;
};

class openbox : public on_display {
protected:
	void SetUp() override
	{
		if (!x_session::server_installed() || !x_session::window_manager_installed())
			GTEST_SKIP() << "Xvfb or openbox is missing (scripts/install-deps test installs them)";
		Start(true);
	}
};

class bare_x : public on_display {
protected:
	void SetUp() override
	{
		if (!x_session::server_installed())
			GTEST_SKIP() << "Xvfb is missing (scripts/install-deps test installs it)";
		Start(false);
	}
};

TEST_F(openbox, WindowUnderThePanelIsShownInsideTheWorkArea)
{
	QRect work = QGuiApplication::primaryScreen()->availableGeometry();
	ASSERT_EQ(work, QRect(0, 0, 1024, 768 - kPanelHeight));

	BRect frame = BottomRight();
	BWindow* window = Shown(frame);
	QWidget* widget = BWindow::Private::Widget(window);
	QRect outer = widget->frameGeometry();
	// Border and all, moved no further than needed, the size kept.
	EXPECT_TRUE(work.contains(outer)) << outer.x() << ", " << outer.y() << " "
		<< outer.width() << " x " << outer.height();
	EXPECT_EQ(outer.bottom(), work.bottom());
	EXPECT_EQ(outer.right(), work.right());
	EXPECT_EQ(window->Frame().Width(), frame.Width());
	EXPECT_EQ(window->Frame().Height(), frame.Height());

	// A window clear of the panel goes where it was put.
	BRect clear(100, 100, 399, 299);
	EXPECT_EQ(Shown(clear)->Frame(), clear);
}

TEST_F(openbox, ResizableWindowLargerThanTheWorkAreaIsMadeToFit)
{
	QRect work = QGuiApplication::primaryScreen()->availableGeometry();
	BWindow* window = new BWindow(BRect(10, 30, 900, 760), "large", B_DOCUMENT_WINDOW, 0);
	window->Show();
	ASSERT_TRUE(QTest::qWaitForWindowExposed(BWindow::Private::Widget(window)));
	QTest::qWait(100);
	QRect outer = BWindow::Private::Widget(window)->frameGeometry();
	EXPECT_TRUE(work.contains(outer)) << outer.x() << ", " << outer.y() << " "
		<< outer.width() << " x " << outer.height();
	EXPECT_EQ(outer.bottom(), work.bottom());
	EXPECT_EQ(window->Frame().Width(), 890);
}

TEST_F(bare_x, WithoutWindowManagerAWindowKeepsItsFrame)
{
	QScreen* screen = QGuiApplication::primaryScreen();
	ASSERT_EQ(screen->availableGeometry(), screen->geometry());
	// Over the panel and past the screen's edge: nobody asks for it to be elsewhere.
	BRect frame = BottomRight().OffsetByCopy(0, 100);
	EXPECT_EQ(Shown(frame)->Frame(), frame);
}

TEST_F(openbox, AlertLeavesOtherWindowsWorkingAndHasNoTitle)
{
	BWindow* window = Shown(BRect(50, 50, 349, 249));
	click_counter* counter = static_cast<click_counter*>(window->ChildAt(0));
	QWindow* handle = BWindow::Private::Widget(window)->windowHandle();

	int clicksMeanwhile = -1;
	std::string shownTitle = "(no alert)";
	QTimer::singleShot(0, [&]() {
		if (!QTest::qWaitFor([] { return shown_alert() != nullptr; })
				|| !QTest::qWaitForWindowExposed(shown_alert()))
			return;
		QMessageBox* box = shown_alert();
		shownTitle = fSession->window_title(box->winId());
		// A click as the window system delivers it, through Qt's check for blocking windows.
		QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, QPoint(60, 40));
		QTest::qWait(50);
		clicksMeanwhile = counter->clicks;
		QList<QAbstractButton*> buttons = box->buttons();
		std::sort(buttons.begin(), buttons.end(), [](QAbstractButton* a, QAbstractButton* b) {
			return a->x() < b->x();
		});
		QTest::mouseClick(buttons[1], Qt::LeftButton);
	});
	BAlert* alert = new BAlert("", "A text long enough to wrap at a word boundary somewhere.",
		"No", "Maybe", "Yes");
	EXPECT_EQ(alert->Go(), 1);
	EXPECT_EQ(clicksMeanwhile, 1);
	// An empty title stays empty to the eye: Qt would put the application's name there.
	EXPECT_EQ(shownTitle, " ");
}

}
