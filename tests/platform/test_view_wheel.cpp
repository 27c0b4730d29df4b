// The mouse wheel over a view scrolls the bars that target it, as Haiku's views do: three
// small steps a notch, vertically, horizontally with a tilting wheel or Shift, never past the
// bars' range. Real wheel events go to the view's widget.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWheelEvent>
#include <QWidget>

#include <ScrollBar.h>
#include <View.h>
#include <Window.h>

#include "platform/interface/ViewPrivate.h"

namespace {

struct wheel_case {
	const char* name;
	float startH, startV;
	int angleX, angleY; // Qt's eighths of a degree; 120 a notch, positive away from the user
	bool shift;
	float endH, endV;
};

void PrintTo(const wheel_case& c, std::ostream* os)
{
	*os << c.name;
}

class wheel : public testing::TestWithParam<wheel_case> {
protected:
	void SetUp() override
	{
		fWindow = new BWindow(BRect(50, 50, 250, 250), "wheel", B_TITLED_WINDOW, 0);
		fView = new BView(BRect(0, 0, 185, 185), "content", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
		fWindow->AddChild(fView);
		fVertical = new BScrollBar(BRect(186, 0, 200, 185), "v", fView, 0, 300, B_VERTICAL);
		fHorizontal = new BScrollBar(BRect(0, 186, 185, 200), "h", fView, 0, 300,
			B_HORIZONTAL);
		fWindow->AddChild(fVertical);
		fWindow->AddChild(fHorizontal);
		fVertical->SetSteps(5, 185);
		fHorizontal->SetSteps(5, 185);
		fWindow->Show();
	}
	void TearDown() override { fWindow->Quit(); }

	// Whether the view took the event; one not taken goes on to the widget's parent.
	bool turn_wheel(BView* view, int angleX, int angleY, bool shift)
	{
		QWidget* widget = BView::Private::Widget(view);
		QPointF where(20, 20);
		QWheelEvent event(where, widget->mapToGlobal(where), QPoint(), QPoint(angleX, angleY),
			Qt::NoButton, shift ? Qt::ShiftModifier : Qt::NoModifier, Qt::NoScrollPhase,
			false);
		QCoreApplication::sendEvent(widget, &event);
		return event.isAccepted();
	}

	BWindow* fWindow;
	BView* fView;
	BScrollBar* fVertical;
	BScrollBar* fHorizontal;
};

TEST_P(wheel, ScrollsTheViewsBars)
{
	const wheel_case& c = GetParam();
	fHorizontal->SetValue(c.startH);
	fVertical->SetValue(c.startV);
	EXPECT_TRUE(turn_wheel(fView, c.angleX, c.angleY, c.shift));
	EXPECT_EQ(fHorizontal->Value(), c.endH);
	EXPECT_EQ(fVertical->Value(), c.endV);
	EXPECT_EQ(fView->Bounds().LeftTop(), BPoint(c.endH, c.endV));
}

INSTANTIATE_TEST_SUITE_P(notches, wheel, testing::Values(
	wheel_case{"DownOneNotch", 0, 0, 0, -120, false, 0, 15},
	wheel_case{"UpTwoNotches", 0, 100, 0, 240, false, 0, 70},
	wheel_case{"ThirdOfANotchOfAFineWheel", 0, 0, 0, -40, false, 0, 5},
	wheel_case{"TiltRight", 0, 0, -120, 0, false, 15, 0},
	wheel_case{"TiltLeft", 40, 0, 120, 0, false, 25, 0},
	wheel_case{"ShiftTurnsDownIntoRight", 0, 30, 0, -120, true, 15, 30},
	wheel_case{"StopsAtTheEnd", 0, 290, 0, -360, false, 0, 300},
	wheel_case{"StopsAtTheStart", 0, 10, 0, 120, false, 0, 0}),
	[](const testing::TestParamInfo<wheel_case>& info) { return std::string(info.param.name); });

TEST_F(wheel, ViewWithoutBarsPassesTheWheelOn)
{
	BView* other = new BView(BRect(0, 0, 50, 50), "other", B_FOLLOW_NONE, B_WILL_DRAW);
	fView->AddChild(other);
	EXPECT_FALSE(turn_wheel(other, 0, -120, false));
	EXPECT_EQ(fVertical->Value(), 0);
}

}
