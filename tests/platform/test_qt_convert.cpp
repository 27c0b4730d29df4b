#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/support/qt_convert.h"

namespace {

// --- fill_rect: the pixels a Haiku fill covers, its right and bottom edges included.

struct fill_row {
	const char* name;
	BRect haiku;
	bool empty;
	QRect pixels;
};

void PrintTo(const fill_row& row, std::ostream* out)
{
	*out << row.name;
}

const fill_row fill_rows[] = {
	{"origin_10x10", BRect(0, 0, 9, 9), false, QRect(0, 0, 10, 10)},
	{"single_pixel", BRect(5, 7, 5, 7), false, QRect(5, 7, 1, 1)},
	{"one_row", BRect(2, 3, 30, 3), false, QRect(2, 3, 29, 1)},
	{"screen_1920x1080", BRect(0, 0, 1919, 1079), false, QRect(0, 0, 1920, 1080)},
	{"negative_whole", BRect(-4, -2, 1, 3), false, QRect(-4, -2, 6, 6)},
	{"fractions_inside_pixels", BRect(5.3f, 5.7f, 14.6f, 9.2f), false, QRect(5, 5, 10, 5)},
	{"fractions_near_next_pixel", BRect(0.99f, 0.01f, 2.99f, 0.99f), false, QRect(0, 0, 3, 1)},
	{"quarter_of_screen", BRect(1919 / 4.0f, 1079 / 4.0f, 1919 * 3 / 4.0f, 1079 * 3 / 4.0f),
		false, QRect(QPoint(479, 269), QPoint(1439, 809))},
	{"within_one_pixel", BRect(3.2f, 3.2f, 3.8f, 3.8f), false, QRect(3, 3, 1, 1)},
	{"default_rect", BRect(), true, QRect()},
	{"right_before_left", BRect(10, 0, 9, 5), true, QRect()},
	{"bottom_above_top", BRect(0, 10, 5, 9), true, QRect()},
	{"fraction_before_left", BRect(10, 0, 9.5f, 5), true, QRect()},
};

class FillRect : public ::testing::TestWithParam<fill_row> {};

TEST_P(FillRect, CoversHaikuPixels)
{
	const fill_row& row = GetParam();
	QRect got = fill_rect(row.haiku);
	if (row.empty) {
		EXPECT_TRUE(got.isEmpty()) << got.x() << "," << got.y() << " " << got.width() << "x"
			<< got.height();
		return;
	}
	EXPECT_EQ(got, row.pixels);
}

INSTANTIATE_TEST_SUITE_P(Rects, FillRect, ::testing::ValuesIn(fill_rows),
	[](const ::testing::TestParamInfo<fill_row>& info) { return std::string(info.param.name); });

// Whole-pixel rectangles go to Qt and back unchanged, so a widget's frame reads as Haiku's.
TEST(FillRectBack, WholeRectanglesReturnUnchanged)
{
	const BRect rects[] = {BRect(0, 0, 0, 0), BRect(0, 0, 1919, 1079), BRect(-5, 3, 40, 3),
		BRect(10, 30, 1500, 1070)};
	for (const BRect& r : rects)
		EXPECT_EQ(to_brect(fill_rect(r)), r) << r.left << "," << r.top << "," << r.right << ","
			<< r.bottom;
}

// --- Colours: the same four bytes both ways, alpha included.

struct color_row {
	const char* name;
	uint8 r, g, b, a;
};

void PrintTo(const color_row& row, std::ostream* out)
{
	*out << row.name;
}

const color_row color_rows[] = {
	{"black_opaque", 0, 0, 0, 255},
	{"white_opaque", 255, 255, 255, 255},
	{"base_blue", 0x33, 0x66, 0x99, 255},
	{"half_white", 255, 255, 255, 0x80},
	{"transparent_red", 255, 0, 0, 0},
	{"odd_values", 1, 127, 254, 3},
};

class ColorConversion : public ::testing::TestWithParam<color_row> {};

TEST_P(ColorConversion, ToQt)
{
	const color_row& c = GetParam();
	QColor q = to_qcolor(make_color(c.r, c.g, c.b, c.a));
	EXPECT_EQ(q.red(), c.r);
	EXPECT_EQ(q.green(), c.g);
	EXPECT_EQ(q.blue(), c.b);
	EXPECT_EQ(q.alpha(), c.a);
}

TEST_P(ColorConversion, FromQt)
{
	const color_row& c = GetParam();
	EXPECT_EQ(to_rgb_color(QColor(c.r, c.g, c.b, c.a)), make_color(c.r, c.g, c.b, c.a));
}

TEST_P(ColorConversion, RoundTrip)
{
	const color_row& c = GetParam();
	rgb_color original = make_color(c.r, c.g, c.b, c.a);
	EXPECT_EQ(to_rgb_color(to_qcolor(original)), original);
}

INSTANTIATE_TEST_SUITE_P(Colors, ColorConversion, ::testing::ValuesIn(color_rows),
	[](const ::testing::TestParamInfo<color_row>& info) { return std::string(info.param.name); });

TEST(ColorConversionSpec, QtColorInAnotherSpecStillGivesItsBytes)
{
	QColor hsv = QColor(0x33, 0x66, 0x99).toHsv();
	EXPECT_EQ(to_rgb_color(hsv), make_color(0x33, 0x66, 0x99, 255));
}

}
