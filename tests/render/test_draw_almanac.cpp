#include "tests/render/render_fixture.h"

#include <string>
#include <vector>

#include "model/events.h"
#include "model/holidays.h"
#include "tests/support/temp_dir.h"

namespace {

const BRect kMonthBounds(60, 60, 940, 700);
const uint32 kEvent = 0x00ff00ff;

// Runs of picture rows that hold ink inside a rectangle, top to bottom, as [first, last];
// a gap of a row or two inside a glyph does not split its run.
struct band {
	int first, last;
	float middle() const { return (first + last) / 2.0f; }
};

}

class almanac_test : public render_test {
protected:
	// Ink is any colour but the base's, or only the colour given.
	std::vector<band> bands(BRect rect, uint32 only = kBase) const
	{
		std::vector<band> found;
		int lastRow = -10;
		for_each_pixel(rect, [&](int, int y, uint32 value) {
			if (value == kBase || (only != kBase && value != only) || y == lastRow)
				return;
			if (y <= lastRow + 3)
				found.back().last = y;
			else
				found.push_back({y, y});
			lastRow = y;
		});
		return found;
	}

	// The leftmost and rightmost columns of ink in a rectangle.
	std::pair<int, int> ink_columns(BRect rect) const
	{
		int minX = 100000, maxX = -1;
		for_each_pixel(rect, [&](int x, int, uint32 value) {
			if (value != kBase) {
				minX = std::min(minX, x);
				maxX = std::max(maxX, x);
			}
		});
		return {minX, maxX};
	}
};

// Each day's 六曜 stands under its number in the lowest quarter of its cell, in the day's
// colour; the number shrinks to the three quarters above; an event's bar goes below the 六曜.
TEST_F(almanac_test, MonthGridPutsEachDaysRokuyoInTheLowestQuarterOfItsCell)
{
	temp_dir dir;
	dir.write("days.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\n"
		"BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20261209\r\nSUMMARY:Dentist\r\n"
		"END:VEVENT\r\nEND:VCALENDAR\r\n");
	event_sources = {dir.file("days.ics")};
	load_events();
	set_today(2026, 12, 15, 2);
	object* item = add_object(kTypeMonth, kMonthBounds);
	item->event_color = kEvent;
	item->rokuyo = true;
	view->create_wallpaper();

	float L = item->bounds.left, T = item->bounds.top;
	float W = item->bounds.Width(), H = item->bounds.Height();
	auto cell_of = [&](int day) {
		day_facts f;
		what_day(2026, 12, day, &f);
		int d = f.weekday, r = f.row;
		return BRect(L + W * (d + 0.5f) / 8 + W / 80, T + H / 8 * (r + 1.5f) + H / 80,
			L + W * (d + 1.5f) / 8 - W / 80, T + H / 8 * (r + 2.5f) - H / 80);
	};
	std::vector<int> numberHeights;
	// Tuesdays to Fridays: the day colour, no holiday (December 23 is no longer one).
	for (int day : {1, 2, 3, 4, 8, 9, 10, 11, 16, 17, 18, 22, 24, 25}) {
		SCOPED_TRACE("day " + std::to_string(day));
		BRect cell = cell_of(day);
		float quarter = cell.Height() / 4;
		std::vector<band> ink = bands(cell);
		ASSERT_EQ(ink.size(), 2u);
		EXPECT_LT(ink[0].middle(), cell.bottom - quarter);
		EXPECT_GT(ink[1].middle(), cell.bottom - quarter);
		numberHeights.push_back(ink[0].last - ink[0].first);
		std::vector<band> bar = bands(BRect(cell.left, cell.top, cell.right, cell.bottom + 4),
			kEvent);
		if (day == 9) {
			ASSERT_EQ(bar.size(), 1u);
			EXPECT_GT(bar[0].first, ink[1].middle());
		} else {
			EXPECT_TRUE(bar.empty());
		}
	}

	// Without the almanac the number takes the whole cell again, drawn larger.
	item->rokuyo = false;
	view->create_wallpaper();
	std::vector<band> plain = bands(cell_of(10));
	ASSERT_EQ(plain.size(), 1u);
	EXPECT_GT(plain[0].last - plain[0].first, numberHeights[6] + 3);
	event_sources.clear();
	load_events();
}

struct almanac_case {
	const char* name;
	int year, month, day, weekday;
	int captionLines;	// the date, and a holiday's name
};
TEVRA_PRINT_CASE(almanac_case)

class single_almanac : public almanac_test,
	public testing::WithParamInterface<almanac_case> {};

// The date (and its holiday) keep the upper three quarters of the rectangle; the almanac's
// line is centred in the lowest, smaller than the date.
TEST_P(single_almanac, DrawsTheAlmanacLineInTheLowestQuarter)
{
	const almanac_case& c = GetParam();
	set_today(c.year, c.month, c.day, c.weekday);
	BRect bounds(112, 84, 912, 684);
	object* item = add_object(kTypeDay, bounds);
	item->rokuyo = true;
	view->create_wallpaper();

	std::vector<band> ink = bands(bounds);
	ASSERT_EQ((int)ink.size(), c.captionLines + 1);
	float lowest = bounds.top + bounds.Height() * 3 / 4;
	EXPECT_LT(ink[c.captionLines - 1].last, lowest);
	EXPECT_GT(ink.back().first, lowest);
	EXPECT_LT(ink.back().last - ink.back().first, (ink[0].last - ink[0].first) * 3 / 4);
	std::pair<int, int> line = ink_columns(BRect(bounds.left, ink.back().first, bounds.right,
		ink.back().last));
	EXPECT_NEAR((line.first + line.second) / 2.0, bounds.left + bounds.Width() / 2, 6);

	// A solar term's day carries its name on the line too: the line is longer.
	item->when = 1;
	view->create_wallpaper();
	std::vector<band> next = bands(bounds);
	std::pair<int, int> nextLine = ink_columns(BRect(bounds.left, next.back().first,
		bounds.right, next.back().last));
	EXPECT_GT(line.second - line.first, nextLine.second - nextLine.first + 20);
}

// 2026-12-07 is 大雪, 2026-03-20 春分の日 and 春分 (the days after have no term).
INSTANTIATE_TEST_SUITE_P(render, single_almanac, testing::Values(
	almanac_case{"PlainDayOfATerm_TwoLines", 2026, 12, 7, 1, 1},
	almanac_case{"HolidayOfATerm_ThreeLines", 2026, 3, 20, 5, 2}),
	case_name<almanac_case>);
