#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QWidget>

#include <Bitmap.h>
#include <View.h>
#include <Window.h>

#include "platform/interface/ViewPrivate.h"

// Small text, such as the digits beside the panel's colour sliders (6 to 8 pixels), is drawn
// on screen fitted to whole pixels so that it reads; drawn into a bitmap (a wallpaper) it
// keeps its unhinted outlines.

namespace {

const char* kDigits = "0123456789abcdef";
const BRect kArea(0, 0, 119, 19);

// The pixels of the text drawn at where, in black on white.
QImage drawn(BView* view, BPoint where)
{
	view->SetLowColor(255, 255, 255);
	view->FillRect(view->Bounds(), B_SOLID_LOW);
	view->SetHighColor(0, 0, 0);
	view->DrawString(kDigits, where);
	view->Sync();
	return BView::Private::Widget(view)->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage drawn_in_bitmap(float size, BPoint where)
{
	BBitmap bitmap(kArea, B_RGB32, true, false);
	BView* view = new BView(kArea, "bitmap", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
	bitmap.AddChild(view);
	bitmap.Lock();
	view->SetFontSize(size);
	view->SetLowColor(255, 255, 255);
	view->FillRect(kArea, B_SOLID_LOW);
	view->SetHighColor(0, 0, 0);
	view->DrawString(kDigits, where);
	view->Sync();
	QImage image((const uchar*)bitmap.Bits(), kArea.IntegerWidth() + 1,
		kArea.IntegerHeight() + 1, bitmap.BytesPerRow(), QImage::Format_RGB32);
	QImage copy = image.copy();
	bitmap.Unlock();
	bitmap.RemoveChild(view);
	delete view;
	return copy;
}

int dark_pixels(const QImage& image)
{
	int count = 0;
	for (int y = 0; y < image.height(); y++) {
		for (int x = 0; x < image.width(); x++)
			count += qGray(image.pixel(x, y)) < 64;
	}
	return count;
}

// The sizes of the alpha and the colour sliders' digits.
class SmallText : public testing::TestWithParam<float> {};

TEST_P(SmallText, OnScreenIsSolidAndOnWholePixels)
{
	BWindow* window = new BWindow(BRect(100, 100, 219, 119), "text", B_TITLED_WINDOW, 0);
	BView* view = new BView(kArea, "screen", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
	window->AddChild(view);
	view->SetFontSize(GetParam());

	QImage screen = drawn(view, BPoint(2.4f, 12.3f));
	EXPECT_TRUE(screen == drawn(view, BPoint(2, 12))) << "the baseline starts on a whole pixel";
	int unhinted = dark_pixels(drawn_in_bitmap(GetParam(), BPoint(2.4f, 12.3f)));
	EXPECT_GT(dark_pixels(screen), 2 * unhinted) << unhinted << " in a bitmap";
	window->Quit();
	QCoreApplication::processEvents();
}

INSTANTIATE_TEST_SUITE_P(SliderDigits, SmallText, testing::Values(6.0f, 23.0f / 3));

}
