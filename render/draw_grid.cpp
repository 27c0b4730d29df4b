#include "render/draw_cal.h"

#include <cstdio>
#include <string>

#include "model/almanac.h"
#include "model/civil_date.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/holidays.h"
#include "model/labels.h"
#include "model/scan.h"
#include "model/weeks.h"
#include "render/locale_names.h"

namespace {

// Shifts a month by a count of months, carrying whole years either way.
void shift_month(int* year, int* month, int32 when)
{
	int64 months = (int64)*month - 1 + when;
	int64 years = months / 12;
	months %= 12;
	if (months < 0) {
		months += 12;
		years--;
	}
	*year = shift_clamped(*year, years);
	*month = (int)months + 1;
}

uint32 day_color(const object* item, int weekday, int code)
{
	if (code != 0)
		return item->hol_color;
	if (weekday == 0)
		return item->sun_color;
	if (weekday == 6)
		return item->sat_color;
	return item->day_color;
}

// A day with events gets a bar of the events' colour under its number, which keeps its
// own colour, so holidays and weekends still read.
void mark_events(BView* view, const object* item, int year, int month, int day,
	BPoint number, float width, const caption_font& font)
{
	if (!has_event(year, month, day))
		return;
	float thick = font.h / 12 > 1 ? font.h / 12 : 1;
	float top = number.y + font.height.descent / 3;
	set_opaque(view, item->event_color);
	view->FillRect(BRect(number.x, top, number.x + width - 1, top + thick - 1));
}

// The grid column of a month's first day, for the weekday its weeks start on.
int first_column(const object* item, int year, int month)
{
	return week_column(weekday_of(year, month, 1), item->week_start);
}

// The ISO week of each row of a month's grid, centred on where(row, line height) in the
// day font at a smaller size and the day colour half transparent: secondary to the days.
// A row's week is that of its Thursday, which holds most of its days.
template <class Place>
void draw_week_numbers(BView* view, const object* item, int year, int month, int first,
	float daySize, Place where)
{
	day_facts facts;
	if (what_day(year, month, 1, &facts) != 0)
		return;
	caption_font font = set_font(view, item->day_font, daySize * 0.55f);
	int thursday = week_column(4, item->week_start);
	view->SetDrawingMode(B_OP_ALPHA);
	set_color_alpha(view, (item->day_color & 0xffffff) | 0x80000000);
	for (int r = 0; r < 6; r++) {
		// A row whose first cell lies past the month's end is no row of the grid.
		if (r * 7 - first + 1 > days_in_month(year, month))
			break;
		int y = year, m = month, d = r * 7 + thursday - first + 1;
		adj(&y, &m, &d);
		char text[8];
		snprintf(text, sizeof(text), "%d", iso_week(y, m, d));
		BPoint at = where(r, (float)font.h);
		view->DrawString(text, BPoint(at.x - text_width(view, text) / 2,
			at.y - font.height.descent));
	}
	view->SetDrawingMode(B_OP_COPY);
}

// The weekday row: each column's short name in the calendar's language, in its day's colour,
// centred on x_of(column) and on the line y.
template <class Place>
void draw_week_header(BView* view, const object* item, float size, float y, Place x_of)
{
	const language_names& names = names_of(weekday_language(item->month_type));
	caption_font font = set_font(view, item->day_font, size);
	for (int column = 0; column < 7; column++) {
		int weekday = (column + item->week_start) % 7;
		set_color(view, day_color(item, weekday, 0));
		const char* text = names.weekdays[weekday].c_str();
		view->DrawString(text, BPoint(x_of(column) - text_width(view, text) / 2,
			y + font.h / 2 - font.height.descent));
	}
}

// A day's 六曜 centred on x in the lowest quarter of its cell, with the bar of the day's
// events under it; the day font is left at size.
void draw_rokuyo(BView* view, const object* item, int year, int month, int day, BRect cell,
	float x, float size)
{
	lunisolar_date date;
	if (!lunisolar(year, month, day, &date))
		return;
	caption_font small = set_font(view, item->day_font, size * kAlmanacScale);
	const char* name = rokuyo_name(rokuyo_of(date));
	int w = text_width(view, name);
	BPoint at(x - w / 2, cell.bottom - cell.Height() / 8 + small.h / 2 - small.height.descent);
	view->DrawString(name, at);
	mark_events(view, item, year, month, day, at, w, small);
	set_font(view, item->day_font, size);
}

// The month view's heading: the year at the left and the month's name centred, each on a
// bubble of its own when the calendar has bubbles.
void draw_month_heading(BView* view, const object* item, int year, int month)
{
	float L = item->bounds.left, T = item->bounds.top;
	float W = item->bounds.Width(), H = item->bounds.Height();
	if (item->year_type >= 0) {
		float size = item->year_size > 0 ? item->year_size : W / (15 + 3 * item->year_type);
		caption_font font = set_font(view, item->year_font, size);
		// The era is the one in force on the month's last day.
		std::string text = ystr(year, item->year_type, month, days_in_month(year, month));
		int w = text_width(view, text.c_str());
		if (item->bg_type == 1) {
			fill_bubble(view, BRect(L + font.h / 2, T, L + font.h / 2 + w, T + font.h),
				font.h / 4, item->bg_color);
		}
		set_color(view, item->year_color);
		view->DrawString(text.c_str(), BPoint(L + font.h / 2, T + font.height.ascent));
	}

	if (item->month_type >= 0) {
		float size = item->month_size > 0 ? item->month_size : H / 8;
		caption_font font = set_font(view, item->month_font, size);
		const char* text = month_name(item->month_type, month,
			item->month_type == kMonthTypeLanguage ? &names_of("") : nullptr);
		int w = text_width(view, text);
		if (item->bg_type == 1) {
			fill_bubble(view, BRect(L + W / 2 - w / 2 - font.h / 2, T,
				L + W / 2 + w / 2 + font.h / 2, T + font.h), font.h / 4, item->bg_color);
		}
		set_color(view, item->month_color);
		view->DrawString(text, BPoint(L + W / 2 - w / 2, T + font.height.ascent));
	}
}

// What a grid needs of one day: its place, whether it is today where the calendar marks
// today, and its colour.
struct grid_day {
	int column, row;
	bool today;
	uint32 color;
};

// False past the month's last day or outside the supported years: the grid ends there.
bool look_up_day(const object* item, int year, int month, int day, int first, grid_day* out)
{
	day_facts facts;
	if (what_day(year, month, day, &facts) != 0)
		return false;
	// The day's own weekday gives its colour; the week's first day, its place.
	out->column = week_column(facts.weekday, item->week_start);
	out->row = week_row(day, first);
	out->today = facts.today && item->today_mark >= 0;
	out->color = day_color(item, facts.weekday,
		with_holiday_files(year, month, day, facts.holiday));
	return true;
}

void ring_today(BView* view, const object* item, BRect cell)
{
	set_opaque(view, item->today_color);
	view->SetPenSize(3);
	view->StrokeEllipse(cell);
}

// Where a day's number went and how wide it is, for the bar of events under it.
struct drawn_number {
	BPoint at;
	int width;
};

// A day's number in colour c, centred on x and on the line middle.
drawn_number draw_day_number(BView* view, int day, uint32 c, float x, float middle,
	const caption_font& font)
{
	set_color(view, c);
	char text[16];
	snprintf(text, sizeof(text), "%d", day);
	drawn_number number;
	number.width = text_width(view, text);
	number.at = BPoint(x - number.width / 2, middle + font.h / 2 - font.height.descent);
	view->DrawString(text, number.at);
	return number;
}

// The week numbers left of a month's grid and the weekday row over it, when asked for; the
// day font is set again after them for the numbers.
template <class Number, class Column>
void draw_grid_margins(BView* view, const object* item, int year, int month, int first,
	float daySize, float headerSize, float headerY, Number number_at, Column column_x)
{
	if (item->week_numbers)
		draw_week_numbers(view, item, year, month, first, daySize, number_at);
	if (item->week_header)
		draw_week_header(view, item, headerSize, headerY, column_x);
	if (item->week_numbers || item->week_header)
		set_font(view, item->day_font, daySize);
}

// The month view's grid: the calendar's rectangle, the weekday row's band and the rows under
// it, the columns' span beside the week numbers, and the numbers' size.
struct month_grid {
	float L, T, W, H;
	bool header;
	float band, rowH;
	float GL, GW;
	float size;
};

month_grid month_grid_of(const object* item)
{
	month_grid g;
	g.L = item->bounds.left;
	g.T = item->bounds.top;
	g.W = item->bounds.Width();
	g.H = item->bounds.Height();
	// A weekday row takes a band of H / 16 at the grid's top; the six weeks share the rest,
	// and an automatic day size shrinks with them.
	g.header = item->week_header;
	g.band = g.H / 16;
	g.rowH = (g.H * 3 / 4 - g.band) / 6;
	// The almanac takes the lowest quarter of each cell from an automatically sized number.
	g.size = item->day_size != 0 ? item->day_size
		: (item->rokuyo ? g.H / 10 * 0.75f : g.H / 10) * (g.header ? g.rowH / (g.H / 8) : 1);
	// Week numbers take a narrow column on the left; the grid keeps its shape beside it.
	g.GL = item->week_numbers ? g.L + g.W / 16 : g.L;
	g.GW = item->week_numbers ? g.W - g.W / 16 : g.W;
	return g;
}

float month_row_top(const month_grid& g, int r)
{
	return g.header ? g.T + g.H * 3 / 16 + g.band + g.rowH * r : g.T + g.H / 8 * (r + 1.5f);
}

float month_row_mid(const month_grid& g, int r)
{
	return g.header ? g.T + g.H * 3 / 16 + g.band + g.rowH * (r + 0.5f)
		: g.T + (r + 2) * g.H / 8;
}

// One day of the month view: its bubble and today's mark, its number, and under the number
// the almanac's line or the bar of its events.
void draw_month_day(BView* view, const object* item, int year, int month, int day,
	const grid_day& place, const month_grid& g, const caption_font& font)
{
	uint32 c = place.color;
	uint32 b = item->bg_color;
	BRect cell(g.GL + g.GW * (place.column + 0.5f) / 8 + g.W / 80,
		month_row_top(g, place.row) + g.H / 80,
		g.GL + g.GW * (place.column + 1.5f) / 8 - g.W / 80,
		month_row_top(g, place.row + 1) - g.H / 80);
	if (place.today && item->today_mark == 1) {
		// The mark's background is the bubble's or the wall's; a calendar with neither
		// has none.
		if (item->bg_type == 1) {
			b = c | 0xff000000;
		} else if (item->bg_type == 0) {
			set_opaque(view, c);
			view->FillRect(cell);
		}
	}
	// Marks 0 and 1 colour the number; any other mark rings the day.
	bool ring = place.today && item->today_mark > 1;
	if (place.today && !ring)
		c = item->today_color;
	if (item->bg_type == 1)
		fill_bubble(view, cell, g.H / 32, b);
	if (ring)
		ring_today(view, item, cell);
	float x = g.GL + (place.column + 1) * g.GW / 8;
	// With the almanac, the number is centred in the upper three quarters of its cell.
	float middle = item->rokuyo ? cell.top + cell.Height() * 3 / 8 : month_row_mid(g, place.row);
	drawn_number number = draw_day_number(view, day, c, x, middle, font);
	if (item->rokuyo)
		draw_rokuyo(view, item, year, month, day, cell, x, g.size);
	else
		mark_events(view, item, year, month, day, number.at, number.width, font);
}

// Where the year view's block of month i (0 to 11) starts, six to a row, in whole pixels from
// the calendar's corner.
struct block_corner {
	int x, y;
};

block_corner block_of(const object* item, int i)
{
	float W = item->bounds.Width(), H = item->bounds.Height();
	return {truncate_int((i % 6) * W / 6), truncate_int((i / 6) * H / 2)};
}

// The year view's captions: the year at the top left and each month's number centred over
// its block, with the blocks' bubbles under everything when the calendar has bubbles.
void draw_year_heading(BView* view, const object* item, int year)
{
	float L = item->bounds.left, T = item->bounds.top;
	float W = item->bounds.Width(), H = item->bounds.Height();
	if (item->bg_type == 1) {
		for (int i = 0; i < 12; i++) {
			block_corner o = block_of(item, i);
			fill_bubble(view, BRect(L + o.x + W / 120, T + o.y + H / 50,
				L + o.x + W / 6 - W / 120, T + o.y + H / 2 - H / 50), H / 15, item->bg_color);
		}
	}

	char text[16];
	caption_font font = set_font(view, item->year_font,
		item->year_size > 0 ? item->year_size : W / 50);
	set_color(view, item->year_color);
	snprintf(text, sizeof(text), "%d", year);
	view->DrawString(text, BPoint(L + font.h / 2, T + font.h));

	font = set_font(view, item->month_font, item->month_size > 0 ? item->month_size : H / 16);
	set_color(view, item->month_color);
	for (int i = 0; i < 12; i++) {
		block_corner o = block_of(item, i);
		snprintf(text, sizeof(text), "%d", i + 1);
		view->DrawString(text,
			BPoint(L + o.x + W / 12 - text_width(view, text) / 2, T + o.y + font.h));
	}
}

// A month's block in the year view: the calendar's rectangle, the block's corner, and the
// weekday row's band and the rows under it.
struct year_block {
	float L, T, W, H;
	int x0, y0;
	bool header, numbers;
	float band, rowH;
};

float year_row_top(const year_block& b, int r)
{
	return b.header ? b.T + b.y0 + b.H / 8 + b.band + b.rowH * r
		: b.T + b.y0 + b.H * (r + 2) / 16;
}

float year_row_mid(const year_block& b, int r)
{
	return b.header ? b.T + b.y0 + b.H / 8 + b.band + b.rowH * (r + 0.5f)
		: b.T + b.y0 + b.H / 16 * (r + 2.5f);
}

// Where a column starts, counted in columns: with week numbers the month's grid is narrowed
// beside them.
float year_column_x(const year_block& b, float column)
{
	return b.numbers ? b.L + b.x0 + b.W / 48 + (b.W / 6 - b.W / 48) * column / 8
		: b.L + b.x0 + b.W * column / 48;
}

// One day of the year view: today's mark, the number and the bar of its events.
void draw_year_day(BView* view, const object* item, int year, int month, int day,
	const grid_day& place, const year_block& b, const caption_font& font)
{
	uint32 c = place.color;
	BRect cell(year_column_x(b, place.column + 0.5f), year_row_top(b, place.row),
		year_column_x(b, place.column + 1.5f), year_row_top(b, place.row + 1));
	if (place.today) {
		if (item->today_mark == 0) {
			c = item->today_color;
		} else if (item->today_mark == 1) {
			set_opaque(view, c);
			view->FillRect(cell);
			c = item->today_color;
		} else if (item->today_mark == 2) {
			ring_today(view, item, cell);
		}
	}
	drawn_number number = draw_day_number(view, day, c, year_column_x(b, place.column + 1),
		year_row_mid(b, place.row), font);
	mark_events(view, item, year, month, day, number.at, number.width, font);
}

// One month's block of the year view, below its number.
void draw_year_month(BView* view, const object* item, int year, int month, year_block b,
	float daySize, const caption_font& font)
{
	block_corner o = block_of(item, month - 1);
	b.x0 = o.x;
	b.y0 = o.y;
	int first = first_column(item, year, month);
	draw_grid_margins(view, item, year, month, first, daySize, daySize * 0.75f,
		b.T + b.y0 + b.H / 8 + b.band / 2,
		[&](int row, float h) {
			return BPoint(b.L + b.x0 + b.W / 48, year_row_mid(b, row) + h / 2);
		},
		[&](int column) { return year_column_x(b, column + 1); });
	for (int day = 1; day <= 31; day++) {
		grid_day place;
		if (!look_up_day(item, year, month, day, first, &place))
			break;
		draw_year_day(view, item, year, month, day, place, b, font);
	}
}

}

void draw_month(BView* view, const object* item, int year, int month)
{
	shift_month(&year, &month, item->when);
	draw_month_heading(view, item, year, month);
	month_grid g = month_grid_of(item);
	caption_font font = set_font(view, item->day_font, g.size);
	int first = first_column(item, year, month);
	prepare_events(year, month, 1, year, month, days_in_month(year, month));
	draw_grid_margins(view, item, year, month, first, g.size, g.size * 0.5f,
		g.T + g.H * 3 / 16 + g.band / 2,
		[&](int row, float h) { return BPoint(g.L + g.W / 16, month_row_mid(g, row) + h / 2); },
		[&](int column) { return g.GL + (column + 1) * g.GW / 8; });
	for (int day = 1; day <= 31; day++) {
		grid_day place;
		if (!look_up_day(item, year, month, day, first, &place))
			break;
		draw_month_day(view, item, year, month, day, place, g, font);
	}
}

void draw_year(BView* view, const object* item, int year, int month, int day)
{
	year = shift_clamped(year, item->when);
	adj(&year, &month, &day);
	draw_year_heading(view, item, year);

	year_block b;
	b.L = item->bounds.left;
	b.T = item->bounds.top;
	b.W = item->bounds.Width();
	b.H = item->bounds.Height();
	b.x0 = b.y0 = 0;
	// A weekday row takes a band of a sixteenth of a month's block; the weeks share the rest,
	// and an automatic day size shrinks with them.
	b.header = item->week_header;
	b.numbers = item->week_numbers;
	b.band = b.H / 32;
	b.rowH = (b.H * 3 / 8 - b.band) / 6;
	float daySize = item->day_size > 0 ? item->day_size
		: b.header ? b.W / 60 * b.rowH / (b.H / 16) : b.W / 60;
	caption_font font = set_font(view, item->day_font, daySize);
	// The whole year at once: month by month would widen and redo the preparation twelve times.
	prepare_events(year, 1, 1, year, 12, 31);
	if (!holiday_sources.empty())
		prepare_event_book(kHolidaysBook, year, 1, 1, year, 12, 31);
	for (int m = 1; m <= 12; m++)
		draw_year_month(view, item, year, m, b, daySize, font);
}
