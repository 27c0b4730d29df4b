#ifndef TEVRA_TEST_RENDER_FIXTURE_H
#define TEVRA_TEST_RENDER_FIXTURE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <File.h>
#include <Rect.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include "model/globals.h"
#include "model/object.h"
#include "model/tevraview.h"
#include "tests/support/pictures.h"
#include "tests/support/param_rows.h"

// The base colour, and a colour for each thing a calendar draws, as 0xRRGGBB.
constexpr uint32 kBase = 0x204060;
constexpr uint32 kYear = 0xf0e000;
constexpr uint32 kMonth = 0x00e0f0;
constexpr uint32 kDay = 0xffffff;
constexpr uint32 kSun = 0xff0000;
constexpr uint32 kSat = 0x0000ff;
constexpr uint32 kHol = 0x00ff00;
constexpr uint32 kToday = 0xff00ff;

// A picture of four coloured quarters, 0xRRGGBB each: top left, top right, bottom left,
// bottom right.
inline BBitmap* make_quarters(int width, int height, const uint32 colours[4])
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, width - 1, height - 1), B_RGB32);
	for (int y = 0; y < height; y++) {
		uint32* row = (uint32*)((char*)bitmap->Bits() + (size_t)y * bitmap->BytesPerRow());
		for (int x = 0; x < width; x++)
			row[x] = 0xff000000 | colours[(y >= height / 2) * 2 + (x >= width / 2)];
	}
	return bitmap;
}

// Writes a bitmap as an image file through the roster; takes the bitmap.
inline status_t encode_file(BBitmap* bitmap, uint32 type, const std::string& path)
{
	BBitmapStream stream(bitmap);
	BFile file(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
	if (file.InitCheck() != B_OK)
		return file.InitCheck();
	return tr->Translate(&stream, nullptr, nullptr, &file, type);
}

// Composes pictures on a fixed 1024 x 768 screen on a fixed day, and puts the screen, the
// day and every setting back afterwards so other tests see the application as it started.
class render_test : public testing::Test {
protected:
	void SetUp() override
	{
		fScreen = scrn;
		fYear = now_y;
		fMonth = now_m;
		fDay = now_d;
		fWeekday = now_w;
		scrn = BRect(0, 0, 1023, 767);
		set_today(2026, 1, 20, 2);
		view.reset(new tevraview(scrn));
		base_mode = kBaseColor;
		base_color = kBase;
	}

	void TearDown() override
	{
		view.reset();
		scrn = fScreen;
		now_y = fYear;
		now_m = fMonth;
		now_d = fDay;
		now_w = fWeekday;
		tevraview(scrn).clr_obj();
	}

	static void set_today(int year, int month, int day, int weekday)
	{
		now_y = year;
		now_m = month;
		now_d = day;
		now_w = weekday;
	}

	// A new object in the list: no visible wall (fully transparent), captions off, each
	// kind of day in a colour of its own, so every pixel drawn tells what drew it.
	static object* add_object(uint8 type, BRect bounds)
	{
		object* item = new object(nullptr);
		item->type = type;
		item->bounds = bounds;
		item->bg_type = 0;
		item->bg_color = 0x00000000;
		item->year_type = -1;
		item->month_type = -1;
		item->year_color = kYear;
		item->month_color = kMonth;
		item->day_color = kDay;
		item->sun_color = kSun;
		item->sat_color = kSat;
		item->hol_color = kHol;
		item->today_color = kToday;
		item->today_mark = -1;
		obl.AddItem(item);
		return item;
	}

	// The picture's pixel as 0xRRGGBB.
	uint32 pixel(int x, int y) const { return pixel_of(view->wallbmp, x, y); }

	// How many pixels of exactly this colour lie inside the rectangle (edges included,
	// clipped to the picture).
	int count(BRect rect, uint32 color) const
	{
		int n = 0;
		for_each_pixel(rect, [&](int, int, uint32 value) { n += value == color; });
		return n;
	}

	// How many pixels inside the rectangle differ from the base colour.
	int count_not_base(BRect rect) const
	{
		int n = 0;
		for_each_pixel(rect, [&](int, int, uint32 value) { n += value != kBase; });
		return n;
	}

	template <typename F>
	void for_each_pixel(BRect rect, F visit) const
	{
		int left = std::max(0, (int)std::ceil(rect.left));
		int top = std::max(0, (int)std::ceil(rect.top));
		int right = std::min(scrn.IntegerWidth(), (int)std::floor(rect.right));
		int bottom = std::min(scrn.IntegerHeight(), (int)std::floor(rect.bottom));
		for (int y = top; y <= bottom; y++) {
			for (int x = left; x <= right; x++)
				visit(x, y, pixel(x, y));
		}
	}

	std::unique_ptr<tevraview> view;

private:
	BRect fScreen;
	int32 fYear, fMonth, fDay, fWeekday;
};

#endif
