#include "tests/render/render_fixture.h"

#include <string>
#include <vector>

#include "model/events.h"
#include "model/holidays.h"
#include "tests/support/temp_dir.h"

namespace {

// A month calendar's day cell, as the layout gives it, for column d and row r.
BRect month_cell(const object* item, int d, int r)
{
	float L = item->bounds.left, T = item->bounds.top;
	float W = item->bounds.Width(), H = item->bounds.Height();
	return BRect(L + W * (d + 0.5f) / 8 + W / 80, T + H / 8 * (r + 1.5f) + H / 80,
		L + W * (d + 1.5f) / 8 - W / 80, T + H / 8 * (r + 2.5f) - H / 80);
}

// The column and row of a day in a grid whose weeks start on week_start.
void grid_place(int year, int month, int day, int week_start, int* column, int* row)
{
	day_facts first, date;
	what_day(year, month, 1, &first);
	what_day(year, month, day, &date);
	*column = (date.weekday - week_start + 7) % 7;
	*row = (day - 1 + (first.weekday - week_start + 7) % 7) / 7;
}

// A year calendar's day cell for month 1..12, weekday d and row r.
BRect year_cell(const object* item, int month, int d, int r)
{
	float L = item->bounds.left, T = item->bounds.top;
	float W = item->bounds.Width(), H = item->bounds.Height();
	int x0 = (int)(((month - 1) % 6) * W / 6);
	int y0 = (int)(((month - 1) / 6) * H / 2);
	return BRect(L + x0 + W * (d + 0.5f) / 48, T + y0 + H * (r + 2) / 16,
		L + x0 + W * (d + 1.5f) / 48, T + y0 + H * (r + 3) / 16);
}

BRect inset(BRect rect, float by)
{
	rect.InsetBy(by, by);
	return rect;
}

// The cell of a date in a calendar object of either kind.
BRect cell_of(const object* item, int year, int month, int day)
{
	day_facts f;
	EXPECT_EQ(what_day(year, month, day, &f), 0);
	return item->type == kTypeYear ? year_cell(item, month, f.weekday, f.row)
		: month_cell(item, f.weekday, f.row);
}

const BRect kMonthBounds(60, 60, 940, 700);
const BRect kYearBounds(12, 84, 1012, 684);

}

// --- Month calendar: every day number lies in its own cell, in the colour of its kind.

struct month_case {
	const char* name;
	int year;
	int month;
	int week_start = 0;
};
TEVRA_PRINT_CASE(month_case)

class month_days : public render_test, public testing::WithParamInterface<month_case> {};

TEST_P(month_days, EveryNumberInsideItsOwnCellInItsDaysColour)
{
	const month_case& c = GetParam();
	set_today(c.year, c.month, 15, 0);
	object* item = add_object(kTypeMonth, kMonthBounds);
	item->week_start = c.week_start;
	view->create_wallpaper();

	std::vector<BRect> cells;
	const uint32 colours[] = {kDay, kSun, kSat, kHol, kToday};
	for (int day = 1; day <= 31; day++) {
		day_facts f;
		if (what_day(c.year, c.month, day, &f) != 0)
			break;
		// The colour follows the day, wherever its column is.
		int w = f.weekday, column, row;
		uint32 expected = f.holiday != 0 ? kHol : w == 0 ? kSun : w == 6 ? kSat : kDay;
		grid_place(c.year, c.month, day, c.week_start, &column, &row);
		BRect cell = month_cell(item, column, row);
		cells.push_back(cell);
		SCOPED_TRACE("day " + std::to_string(day));
		EXPECT_GT(count(cell, expected), 10);
		for (uint32 other : colours) {
			if (other != expected) {
				EXPECT_EQ(count(cell, other), 0) << std::hex << other;
			}
		}
	}

	int outside = 0;
	for_each_pixel(scrn, [&](int x, int y, uint32 value) {
		if (value == kBase)
			return;
		for (const BRect& cell : cells) {
			if (cell.Contains(BPoint(x, y)))
				return;
		}
		outside++;
	});
	EXPECT_EQ(outside, 0);
}

INSTANTIATE_TEST_SUITE_P(render, month_days, testing::Values(
	month_case{"Feb2015_28DaysFromSunday_Rows0To3", 2015, 2},
	month_case{"Oct2016_31DaysFromSaturday_ReachesRow5", 2016, 10},
	month_case{"Jan2026_NewYearAndComingOfAge", 2026, 1},
	month_case{"May2026_GoldenWeekAndSubstitute", 2026, 5},
	month_case{"Sep2015_CitizensHoliday", 2015, 9},
	month_case{"Mar2026_MondayFirst_SundaysInTheLastColumn", 2026, 3, 1},
	month_case{"Aug2026_SaturdayFirst_FiveRows", 2026, 8, 6}),
	case_name<month_case>);

// Week numbers stand in a column left of the grid, one per row of the month, and nothing
// of them reaches the rows the month does not have.
TEST_F(render_test, WeekNumbersStandLeftOfTheirRows)
{
	set_today(2026, 12, 15, 2);
	object* item = add_object(kTypeMonth, kMonthBounds);
	item->week_start = 1;
	item->week_numbers = true;
	view->create_wallpaper();
	float L = item->bounds.left, T = item->bounds.top;
	float W = item->bounds.Width(), H = item->bounds.Height();
	for (int row = 0; row < 6; row++) {
		BRect band(L, T + H / 8 * (row + 1.5f), L + W / 16 + W / 32, T + H / 8 * (row + 2.5f));
		SCOPED_TRACE("row " + std::to_string(row));
		if (row < 5) {
			EXPECT_GT(count_not_base(band), 10);
		} else {
			EXPECT_EQ(count_not_base(band), 0);
		}
	}
}

// The weekday row stands in a band of H / 16 at the grid's top, each name in its column
// and in its day's colour, following the week's first day; the weeks below keep clear of it.
struct header_case {
	const char* name;
	uint8 type;
	int week_start;
};
TEVRA_PRINT_CASE(header_case)

class week_header : public render_test, public testing::WithParamInterface<header_case> {};

TEST_P(week_header, NamesEachColumnInItsDaysColour)
{
	const header_case& c = GetParam();
	set_today(2026, 12, 15, 2);
	design_language = "de";
	object* item = add_object(c.type, c.type == kTypeYear ? kYearBounds : kMonthBounds);
	item->week_start = c.week_start;
	item->week_header = true;
	// A year's automatic names are too thin to show a pixel of their colour whole.
	if (c.type == kTypeYear)
		item->day_size = 24;
	view->create_wallpaper();
	design_language.clear();
	float L = item->bounds.left, T = item->bounds.top;
	float W = item->bounds.Width(), H = item->bounds.Height();
	// December's block in a year grid, or the whole month.
	float top = c.type == kTypeYear ? T + (int)(H / 2) + H / 8 : T + H * 3 / 16;
	float band = c.type == kTypeYear ? H / 32 : H / 16;
	float left = c.type == kTypeYear ? L + (int)(5 * W / 6) : L;
	float column = c.type == kTypeYear ? W / 48 : W / 8;
	for (int k = 0; k < 7; k++) {
		int weekday = (k + c.week_start) % 7;
		uint32 want = weekday == 0 ? kSun : weekday == 6 ? kSat : kDay;
		// The middle of the column: a neighbour's name may reach its edges.
		BRect name(left + column * (k + 0.7f), top, left + column * (k + 1.3f), top + band);
		SCOPED_TRACE("column " + std::to_string(k));
		EXPECT_GT(count(name, want), 3);
		for (uint32 other : {kDay, kSun, kSat, kHol, kToday}) {
			if (other != want) {
				EXPECT_EQ(count(name, other), 0) << std::hex << other;
			}
		}
	}
}

INSTANTIATE_TEST_SUITE_P(render, week_header, testing::Values(
	header_case{"Month_SundayFirst", kTypeMonth, 0},
	header_case{"Month_MondayFirst", kTypeMonth, 1},
	header_case{"Year_SaturdayFirst", kTypeYear, 6}),
	case_name<header_case>);

// --- The three marks of today, and a negative mark that switches it off. Today is New
// Year's Day, a holiday, so the day's own colour is the holiday colour.

struct today_case {
	const char* name;
	uint8 type;
	int8 mark;
	uint8 bg_type;
	uint32 fill;    // colour just inside the cell's edge, or kBase for none
	uint32 number;  // colour the number is drawn in
	bool ring;      // the today colour circles the cell
};
TEVRA_PRINT_CASE(today_case)

class today_mark : public render_test, public testing::WithParamInterface<today_case> {};

TEST_P(today_mark, MarksTodaysCell)
{
	const today_case& c = GetParam();
	set_today(2026, 1, 1, 4);
	object* item = add_object(c.type, c.type == kTypeYear ? kYearBounds : kMonthBounds);
	item->today_mark = c.mark;
	item->bg_type = c.bg_type;
	view->create_wallpaper();

	BRect cell = cell_of(item, 2026, 1, 1);
	int left = (int)std::ceil(cell.left) + 1;
	int top = (int)std::ceil(cell.top) + 1;
	int middle = (int)((cell.top + cell.bottom) / 2);
	if (c.ring) {
		EXPECT_GT(count(BRect(cell.left - 2, middle - 1, cell.left + 2, middle + 1), kToday), 0);
	} else {
		EXPECT_EQ(pixel(left, middle), c.fill);
	}
	// A bubble's corner is round; a filled cell's is square.
	if (c.bg_type == 0 || c.type == kTypeYear) {
		EXPECT_EQ(pixel(left, top), c.fill);
	}
	EXPECT_GT(count(inset(cell, 4), c.number), 3);
	if (c.ring) {
		// The ring runs along the edge: the middle of the cell is inside it.
		BRect centre = cell;
		centre.InsetBy(cell.Width() / 4, cell.Height() / 4);
		EXPECT_EQ(count(centre, kToday), 0);
	}
	if (c.fill == kBase && !c.ring) {
		EXPECT_EQ(count(cell, c.number == kToday ? kHol : kToday), 0);
	}
	if (c.mark < 0) {
		EXPECT_EQ(count(scrn, kToday), 0);
	}

	// The next day is not marked (a ring's pen may reach a pixel over the edge).
	BRect next = inset(cell_of(item, 2026, 1, 2), 2);
	EXPECT_EQ(count(next, kToday), 0);
	EXPECT_EQ(count(next, kHol), 0);
	EXPECT_GT(count(next, kDay), 3);
}

INSTANTIATE_TEST_SUITE_P(render, today_mark, testing::Values(
	today_case{"Month_Colour_NumberInTodayColour", kTypeMonth, 0, 0, kBase, kToday, false},
	today_case{"Month_Reverse_CellFilledInHolidayColour", kTypeMonth, 1, 0, kHol, kToday, false},
	today_case{"Month_ReverseBubble_OpaqueBubbleInHolidayColour", kTypeMonth, 1, 1, kHol,
		kToday, false},
	today_case{"Month_ReverseOverNeitherWallNorBubble_NoFill", kTypeMonth, 1, 2, kBase,
		kToday, false},
	today_case{"Month_Circle_RingInTodayColour", kTypeMonth, 2, 0, kBase, kHol, true},
	today_case{"Month_NegativeMark_NoMark", kTypeMonth, -1, 0, kBase, kHol, false},
	today_case{"Year_Colour_NumberInTodayColour", kTypeYear, 0, 0, kBase, kToday, false},
	today_case{"Year_Reverse_CellFilledInHolidayColour", kTypeYear, 1, 0, kHol, kToday, false},
	today_case{"Year_ReverseOverBubbles_CellStillFilled", kTypeYear, 1, 1, kHol, kToday, false},
	today_case{"Year_Circle_RingInTodayColour", kTypeYear, 2, 0, kBase, kHol, true},
	today_case{"Year_NegativeMark_NoMark", kTypeYear, -2, 0, kBase, kHol, false}),
	case_name<today_case>);

// --- Backgrounds: the wall covers the bounds, edges included; the single date's bubble is
// one pixel smaller and rounded. Both blend by the alpha of the background colour.

TEST_F(render_test, WallBlendsOverTheWholeBoundsByItsAlpha)
{
	object* item = add_object(kTypeMonth, BRect(100, 100, 500, 400));
	item->bg_color = 0x80e0c0a0;
	view->create_wallpaper();

	const BPoint inside[] = {{100, 100}, {500, 400}, {100, 400}, {500, 100}};
	for (BPoint p : inside) {
		uint32 value = pixel(p.x, p.y);
		SCOPED_TRACE(std::to_string((int)p.x) + "," + std::to_string((int)p.y));
		EXPECT_NEAR((value >> 16) & 0xff, 0x80, 2);
		EXPECT_NEAR((value >> 8) & 0xff, 0x80, 2);
		EXPECT_NEAR(value & 0xff, 0x80, 2);
	}
	EXPECT_EQ(pixel(99, 100), kBase);
	EXPECT_EQ(pixel(100, 99), kBase);
	EXPECT_EQ(pixel(501, 400), kBase);
	EXPECT_EQ(pixel(500, 401), kBase);
}

TEST_F(render_test, OpaqueWallHidesAnEarlierObject)
{
	add_object(kTypeMonth, kMonthBounds);
	// A kind that is no calendar draws its wall and nothing more.
	object* cover = add_object(kTypeMonth + 1, kMonthBounds);
	cover->bg_color = 0xff102030;
	view->create_wallpaper();

	EXPECT_EQ(count(kMonthBounds, 0x102030), 881 * 641);
}

TEST_F(render_test, SingleDateBubbleIsOnePixelSmallerWithRoundCorners)
{
	object* item = add_object(kTypeDay, BRect(100, 100, 700, 300));
	item->bg_type = 1;
	item->bg_color = 0x80e0c0a0;
	view->create_wallpaper();

	EXPECT_NEAR((pixel(400, 101) >> 16) & 0xff, 0x80, 2);
	EXPECT_NEAR((pixel(101, 200) >> 16) & 0xff, 0x80, 2);
	EXPECT_NEAR((pixel(699, 200) >> 16) & 0xff, 0x80, 2);
	EXPECT_EQ(pixel(700, 200), kBase);
	EXPECT_EQ(pixel(400, 300), kBase);
	EXPECT_EQ(pixel(100, 100), kBase);
	EXPECT_EQ(pixel(698, 298), kBase);
}

// --- Single date: one line centred, or the date over the holiday's name; always in the day
// colour, whatever the day is.

struct single_case {
	const char* name;
	int year, month, day, weekday;
	int32 when;
	bool holiday;
};
TEVRA_PRINT_CASE(single_case)

class single_date : public render_test, public testing::WithParamInterface<single_case> {};

TEST_P(single_date, DrawsCaptionAndHolidayNameInTheirBands)
{
	const single_case& c = GetParam();
	set_today(c.year, c.month, c.day, c.weekday);
	BRect bounds(112, 84, 912, 684);
	object* item = add_object(kTypeDay, bounds);
	item->when = c.when;
	item->today_mark = 0;
	view->create_wallpaper();

	auto band = [&](float from, float to) {
		return count_not_base(BRect(bounds.left, bounds.top + from, bounds.right,
			bounds.top + to));
	};
	if (c.holiday) {
		EXPECT_GT(band(110, 190), 100);
		EXPECT_EQ(band(200, 400), 0);
		EXPECT_GT(band(410, 490), 100);
	} else {
		EXPECT_EQ(band(0, 250), 0);
		EXPECT_GT(band(260, 340), 100);
		EXPECT_EQ(band(350, 600), 0);
	}
	EXPECT_EQ(count_not_base(BRect(0, 0, 1023, 83)), 0);
	EXPECT_EQ(count_not_base(BRect(0, 685, 1023, 767)), 0);

	// Centred: as much ink left of the middle as right of it, within a glyph's slack.
	int minX = 1024, maxX = -1;
	for_each_pixel(bounds, [&](int x, int, uint32 value) {
		if (value != kBase) {
			minX = std::min(minX, x);
			maxX = std::max(maxX, x);
		}
	});
	EXPECT_NEAR((minX + maxX) / 2.0, bounds.left + bounds.Width() / 2, 6);

	for (uint32 other : {kSun, kSat, kHol, kToday})
		EXPECT_EQ(count(scrn, other), 0) << std::hex << other;
	EXPECT_GT(count(bounds, kDay), 100);
}

INSTANTIATE_TEST_SUITE_P(render, single_date, testing::Values(
	single_case{"PlainTuesday_OneLine", 2026, 1, 20, 2, 0, false},
	single_case{"Sunday_OneLineInDayColour", 2026, 1, 18, 0, 0, false},
	single_case{"HolidayToday_TwoLines", 2026, 1, 12, 1, 0, true},
	single_case{"WhenReachesHoliday_TwoLines", 2026, 1, 10, 6, 2, true},
	single_case{"WhenBackIntoLastMonthsHoliday_TwoLines", 2026, 2, 1, 0, -20, true}),
	case_name<single_case>);

// --- Automatic font sizes: a size of 0 draws exactly as the size derived from the bounds.

struct size_case {
	const char* name;
	uint8 type;
	BRect bounds;
	int8 year_type;
	int32 year_size, month_size, day_size;
};
TEVRA_PRINT_CASE(size_case)

class auto_size : public render_test, public testing::WithParamInterface<size_case> {};

TEST_P(auto_size, ZeroSizeDrawsAsTheDerivedSize)
{
	const size_case& c = GetParam();
	auto compose = [&](int32 year, int32 month, int32 day) {
		view->clr_obj();
		base_mode = kBaseColor;
		base_color = kBase;
		object* item = add_object(c.type, c.bounds);
		item->year_type = c.year_type;
		item->month_type = 3;
		item->year_size = year;
		item->month_size = month;
		item->day_size = day;
		view->create_wallpaper();
		const BBitmap* bitmap = view->wallbmp;
		return std::string((const char*)bitmap->Bits(), bitmap->BitsLength());
	};
	std::string automatic = compose(0, 0, 0);
	std::string derived = compose(c.year_size, c.month_size, c.day_size);
	EXPECT_TRUE(automatic == derived);
	// A different size would show: the comparison can fail.
	EXPECT_FALSE(automatic == compose(c.year_size + 3, c.month_size + 3, c.day_size + 3));
}

INSTANTIATE_TEST_SUITE_P(render, auto_size, testing::Values(
	size_case{"DateWide_WidthOver15", kTypeDay, BRect(100, 100, 850, 700), 0, 0, 0, 50},
	size_case{"DateFlat_Height", kTypeDay, BRect(100, 100, 850, 130), 0, 0, 0, 30},
	size_case{"MonthDigitYear_WidthOver15", kTypeMonth, BRect(100, 60, 730, 700), 0, 42, 80, 64},
	size_case{"MonthKanjiYear_WidthOver18", kTypeMonth, BRect(100, 60, 730, 700), 1, 35, 80, 64},
	size_case{"MonthEraYear_WidthOver21", kTypeMonth, BRect(100, 60, 730, 700), 2, 30, 80, 64},
	size_case{"Year_W50_H16_W60", kTypeYear, BRect(50, 60, 950, 700), 0, 18, 40, 15}),
	case_name<size_case>);

// A composition draws as the process's first would, whatever was composed before it: after
// two designs that share its fonts, a design with a caption large enough to be drawn from
// outlines comes out the same twice in a row.
TEST_F(render_test, EarlierCompositionsLeaveNoTrace)
{
	auto compose = [&](int month, bool weekNumbers, int8 monthType, BRect bounds) {
		view->clr_obj();
		base_mode = kBaseColor;
		base_color = kBase;
		set_today(2026, month, 15, 2);
		object* item = add_object(kTypeMonth, bounds);
		item->week_start = weekNumbers;
		item->week_numbers = weekNumbers;
		item->month_type = monthType;
		item->year_type = monthType < 0 ? -1 : 0;
		view->create_wallpaper();
		const BBitmap* bitmap = view->wallbmp;
		return std::string((const char*)bitmap->Bits(), bitmap->BitsLength());
	};
	compose(12, true, -1, kMonthBounds);
	compose(1, false, -1, kMonthBounds);
	std::string first = compose(1, false, 3, BRect(100, 60, 730, 700));
	EXPECT_TRUE(compose(1, false, 3, BRect(100, 60, 730, 700)) == first);
}

// --- Captions: a negative style switches a month calendar's caption off; a year calendar
// always shows its year and month numbers.

struct caption_case {
	const char* name;
	int8 year_type, month_type;
	bool year_shown, month_shown;
};
TEVRA_PRINT_CASE(caption_case)

class captions : public render_test, public testing::WithParamInterface<caption_case> {};

TEST_P(captions, MonthCaptionsFollowTheirStyles)
{
	const caption_case& c = GetParam();
	object* item = add_object(kTypeMonth, kMonthBounds);
	item->year_type = c.year_type;
	item->month_type = c.month_type;
	view->create_wallpaper();

	float L = kMonthBounds.left, T = kMonthBounds.top, W = kMonthBounds.Width();
	float band = T + 1.5f * kMonthBounds.Height() / 8;
	EXPECT_EQ(count(scrn, kYear) > 0, c.year_shown);
	EXPECT_EQ(count(scrn, kMonth) > 0, c.month_shown);
	// The year starts at the left in the caption band; the month is centred in it.
	EXPECT_EQ(count(BRect(L, T, L + W, band), kYear), count(scrn, kYear));
	EXPECT_EQ(count(BRect(L, T, L + W, band), kMonth), count(scrn, kMonth));
	EXPECT_EQ(count(BRect(L, T, L + 10, band), kYear), 0);
	if (c.month_shown) {
		int minX = 1024, maxX = -1;
		for_each_pixel(scrn, [&](int x, int, uint32 value) {
			if (value == kMonth) {
				minX = std::min(minX, x);
				maxX = std::max(maxX, x);
			}
		});
		EXPECT_NEAR((minX + maxX) / 2.0, L + W / 2, 6);
	}
}

INSTANTIATE_TEST_SUITE_P(render, captions, testing::Values(
	caption_case{"Digits_BothShown", 0, 0, true, true},
	caption_case{"EraAndEnglish_BothShown", 2, 3, true, true},
	caption_case{"NegativeYear_MonthOnly", -1, 1, false, true},
	caption_case{"NegativeMonth_YearOnly", 0, -1, true, false},
	caption_case{"BothNegative_NoCaption", -1, -1, false, false},
	caption_case{"UsersLanguage_BothShown", 0, 4, true, true}),
	case_name<caption_case>);

// --- Years outside 2001..2099: a single date ends the whole pass; a calendar keeps its
// captions and loses its days.

struct range_case {
	const char* name;
	int year, month, day, weekday;
	int32 when;
	bool later_drawn;
};
TEVRA_PRINT_CASE(range_case)

class single_date_range : public render_test, public testing::WithParamInterface<range_case> {};

TEST_P(single_date_range, DateOutsideTheYearsStopsItAndEveryLaterObject)
{
	const range_case& c = GetParam();
	set_today(c.year, c.month, c.day, c.weekday);
	BRect first(10, 10, 500, 300), date(520, 10, 1010, 300), later(10, 320, 1010, 760);
	add_object(kTypeMonth, first);
	object* item = add_object(kTypeDay, date);
	item->when = c.when;
	add_object(kTypeMonth, later)->year_type = 0;
	view->create_wallpaper();

	EXPECT_GT(count_not_base(first), 0);
	EXPECT_EQ(count_not_base(date) > 0, c.later_drawn);
	EXPECT_EQ(count_not_base(later) > 0, c.later_drawn);
}

INSTANTIATE_TEST_SUITE_P(render, single_date_range, testing::Values(
	range_case{"LastDayOf2099_Drawn", 2099, 12, 31, 4, 0, true},
	range_case{"OneDayInto2100_Stops", 2099, 12, 31, 4, 1, false},
	range_case{"OneDayBackInto2000_Stops", 2001, 1, 1, 1, -1, false}),
	case_name<range_case>);

struct calendar_range_case {
	const char* name;
	uint8 type;
	int year, month;
	int32 when;
	bool days_drawn;
};
TEVRA_PRINT_CASE(calendar_range_case)

class calendar_range : public render_test,
	public testing::WithParamInterface<calendar_range_case> {};

TEST_P(calendar_range, CalendarOutsideTheYearsKeepsOnlyItsCaptions)
{
	const calendar_range_case& c = GetParam();
	set_today(c.year, c.month, 15, 0);
	object* item = add_object(c.type, c.type == kTypeYear ? kYearBounds : kMonthBounds);
	item->year_type = 0;
	item->month_type = 0;
	item->when = c.when;
	item->today_mark = 0;
	view->create_wallpaper();

	EXPECT_GT(count(scrn, kYear), 0);
	EXPECT_GT(count(scrn, kMonth), 0);
	int days = 0;
	for (uint32 colour : {kDay, kSun, kSat, kHol, kToday})
		days += count(scrn, colour);
	EXPECT_EQ(days > 0, c.days_drawn);
}

INSTANTIATE_TEST_SUITE_P(render, calendar_range, testing::Values(
	calendar_range_case{"Year2099_DaysDrawn", kTypeYear, 2099, 6, 0, true},
	calendar_range_case{"Year2100_CaptionsOnly", kTypeYear, 2099, 6, 1, false},
	calendar_range_case{"Year2000_CaptionsOnly", kTypeYear, 2001, 6, -1, false},
	calendar_range_case{"MonthDec2099_DaysDrawn", kTypeMonth, 2099, 12, 0, true},
	calendar_range_case{"MonthJan2100_CaptionsOnly", kTypeMonth, 2099, 12, 1, false}),
	case_name<calendar_range_case>);

// --- A month calendar's "when" counts months, carried into the year both ways.

struct shift_case {
	const char* name;
	int year, month, day;
	int32 when;
	int shown_year, shown_month;
};
TEVRA_PRINT_CASE(shift_case)

class month_shift : public render_test, public testing::WithParamInterface<shift_case> {};

TEST_P(month_shift, ShowsTheShiftedMonth)
{
	const shift_case& c = GetParam();
	set_today(c.year, c.month, c.day, 0);
	object* item = add_object(kTypeMonth, kMonthBounds);
	item->when = c.when;
	view->create_wallpaper();
	std::string shifted((const char*)view->wallbmp->Bits(), view->wallbmp->BitsLength());

	view->clr_obj();
	base_mode = kBaseColor;
	base_color = kBase;
	set_today(c.shown_year, c.shown_month, 15, 0);
	add_object(kTypeMonth, kMonthBounds);
	view->create_wallpaper();
	EXPECT_TRUE(shifted == std::string((const char*)view->wallbmp->Bits(),
		view->wallbmp->BitsLength()));
}

INSTANTIATE_TEST_SUITE_P(render, month_shift, testing::Values(
	shift_case{"Jan31PlusOne_February", 2026, 1, 31, 1, 2026, 2},
	shift_case{"Mar31MinusOne_February", 2026, 3, 31, -1, 2026, 2},
	shift_case{"PlusTwelve_SameMonthNextYear", 2026, 5, 10, 12, 2027, 5},
	shift_case{"JanMinusThirteen_DecemberTwoYearsBack", 2026, 1, 10, -13, 2024, 12}),
	case_name<shift_case>);

// --- Events: a bar of the events' colour under the number of a day that has one, and the
// summaries listed under a single date.

TEST_F(render_test, EventsMarkTheirDaysAndListUnderASingleDate)
{
	temp_dir dir;
	dir.write("days.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\n"
		"BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20260114\r\nSUMMARY:Dentist\r\n"
		"END:VEVENT\r\nEND:VCALENDAR\r\n");
	event_sources = {dir.file("days.ics")};
	load_events();
	const uint32 kEvent = 0x00ff00ff;
	object* month = add_object(kTypeMonth, kMonthBounds);
	month->event_color = kEvent;
	BRect day(600, 705, 1000, 760);
	object* single = add_object(kTypeDay, day);
	single->when = -6;
	// A size that leaves room for a summary line whatever the system font's line height.
	single->day_size = 20;
	view->create_wallpaper();

	BRect marked = cell_of(month, 2026, 1, 14), plain = cell_of(month, 2026, 1, 15);
	EXPECT_GT(count(marked, kEvent), 3);
	EXPECT_GT(count(marked, kDay), 10);
	EXPECT_EQ(count(plain, kEvent), 0);
	int withSummary = count_not_base(day);

	event_sources.clear();
	load_events();
	view->create_wallpaper();
	EXPECT_EQ(count(marked, kEvent), 0);
	// The summary is a line of its own beside the date.
	EXPECT_GT(withSummary, count_not_base(day) + 20);
}


// --- Holidays from a calendar file (Germany's of 2026, tests/render/data): a year grid
// draws each of its days, and only those, in the holiday colour when Japan's are switched off;
// with Japan's rules both countries' days are holidays.

struct holiday_file_case {
	const char* name;
	int rules;
	bool japans_too;
};
TEVRA_PRINT_CASE(holiday_file_case)

class holiday_file : public render_test,
	public testing::WithParamInterface<holiday_file_case> {};

TEST_P(holiday_file, YearGridDrawsTheFilesDaysAsHolidays)
{
	const holiday_file_case& c = GetParam();
	holiday_rules = c.rules;
	holiday_sources = {TEVRA_SOURCE_DIR "/tests/render/data/de-holidays-2026.ics"};
	load_events();
	object* item = add_object(kTypeYear, kYearBounds);
	view->create_wallpaper();
	holiday_sources.clear();
	load_events();
	holiday_rules = 0;

	const int german[][2] = {{1, 1}, {4, 3}, {4, 6}, {5, 1}, {5, 14}, {5, 25}, {10, 3},
		{12, 25}, {12, 26}};
	for (const auto& d : german) {
		SCOPED_TRACE(std::to_string(d[0]) + "/" + std::to_string(d[1]));
		EXPECT_GT(count(cell_of(item, 2026, d[0], d[1]), kHol), 3);
	}
	// Japan's Coming of Age Day and Culture Day, which no German file names.
	for (const auto& d : {std::make_pair(1, 12), std::make_pair(11, 3)}) {
		int n = count(cell_of(item, 2026, d.first, d.second), kHol);
		EXPECT_EQ(n > 3, c.japans_too) << d.first << "/" << d.second;
	}
}

INSTANTIATE_TEST_SUITE_P(render, holiday_file, testing::Values(
	holiday_file_case{"NoneBuiltIn_OnlyTheFiles", -1, false},
	holiday_file_case{"FixedRules_BothCountries", 0, true}),
	case_name<holiday_file_case>);

// A weekly six-day event's last occurrence, January 27 to February 1, marks February 1 in
// February's calendar, though its series ended in January.
TEST_F(render_test, AnEventsLastOccurrenceSpillsIntoTheNextMonth)
{
	temp_dir dir;
	dir.write("spill.ics", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:a\r\n"
		"DTSTART;VALUE=DATE:20260106\r\nDTEND;VALUE=DATE:20260112\r\n"
		"RRULE:FREQ=WEEKLY;UNTIL=20260127\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
	event_sources = {dir.file("spill.ics")};
	load_events();
	set_today(2026, 2, 10, 2);
	const uint32 kEvent = 0x00ff00ff;
	object* month = add_object(kTypeMonth, kMonthBounds);
	month->event_color = kEvent;
	view->create_wallpaper();
	EXPECT_GT(count(cell_of(month, 2026, 2, 1), kEvent), 3);
	EXPECT_EQ(count(cell_of(month, 2026, 2, 2), kEvent), 0);
	event_sources.clear();
	load_events();
}
