#include "render/draw_cal.h"

#include <cstdint>
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
	int64 shifted = *year + years;
	*year = shifted > INT32_MAX ? INT32_MAX : shifted < INT32_MIN ? INT32_MIN : (int)shifted;
	*month = (int)months + 1;
}

uint32 day_color(const object* item, int weekday, int code)
{
	if (code % 100 != 0)
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
	int row, weekday, code;
	if (what_day(year, month, 1, &row, &weekday, &code) != 0)
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

}

void draw_month(BView* view, const object* item, int year, int month)
{
	float L = item->bounds.left, T = item->bounds.top;
	float W = item->bounds.Width(), H = item->bounds.Height();
	shift_month(&year, &month, item->when);

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

	// A weekday row takes a band of H / 16 at the grid's top; the six weeks share the rest,
	// and an automatic day size shrinks with them.
	bool header = item->week_header;
	float band = H / 16, rowH = (H * 3 / 4 - band) / 6;
	auto row_top = [&](int r) {
		return header ? T + H * 3 / 16 + band + rowH * r : T + H / 8 * (r + 1.5f);
	};
	auto row_mid = [&](int r) {
		return header ? T + H * 3 / 16 + band + rowH * (r + 0.5f) : T + (r + 2) * H / 8;
	};
	// The almanac takes the lowest quarter of each cell from an automatically sized number.
	float size = item->day_size != 0 ? item->day_size
		: (item->rokuyo ? H / 10 * 0.75f : H / 10) * (header ? rowH / (H / 8) : 1);
	caption_font font = set_font(view, item->day_font, size);
	int first = first_column(item, year, month);
	prepare_events(year, month, 1, year, month, days_in_month(year, month));
	// Week numbers take a narrow column on the left; the grid keeps its shape beside it.
	float GL = L, GW = W;
	if (item->week_numbers) {
		GL = L + W / 16;
		GW = W - W / 16;
		draw_week_numbers(view, item, year, month, first, size, [&](int row, float h) {
			return BPoint(L + W / 16, row_mid(row) + h / 2);
		});
	}
	if (header) {
		draw_week_header(view, item, size * 0.5f, T + H * 3 / 16 + band / 2,
			[&](int column) { return GL + (column + 1) * GW / 8; });
	}
	if (item->week_numbers || header)
		set_font(view, item->day_font, size);
	for (int day = 1; day <= 31; day++) {
		int sundayRow, weekday, code;
		if (what_day(year, month, day, &sundayRow, &weekday, &code) != 0)
			break;
		code = with_holiday_files(year, month, day, code);
		// The day's own weekday gives its colour; the week's first day, its place.
		int column = week_column(weekday, item->week_start);
		int row = week_row(day, first);
		if (item->today_mark < 0)
			code %= 100;
		uint32 c = day_color(item, weekday, code);
		uint32 b = item->bg_color;
		BRect cell(GL + GW * (column + 0.5f) / 8 + W / 80, row_top(row) + H / 80,
			GL + GW * (column + 1.5f) / 8 - W / 80, row_top(row + 1) - H / 80);
		if (code > 99 && item->today_mark == 0) {
			c = item->today_color;
			code -= 100;
		}
		if (code > 99 && item->today_mark == 1) {
			// The mark's background is the bubble's or the wall's; a calendar with neither
			// has none.
			if (item->bg_type == 1) {
				b = c | 0xff000000;
			} else if (item->bg_type == 0) {
				set_opaque(view, c);
				view->FillRect(cell);
			}
			c = item->today_color;
			code -= 100;
		}
		if (item->bg_type == 1)
			fill_bubble(view, cell, H / 32, b);
		if (code > 99) {
			set_opaque(view, item->today_color);
			view->SetPenSize(3);
			view->StrokeEllipse(cell);
		}
		set_color(view, c);
		char text[16];
		snprintf(text, sizeof(text), "%d", day);
		// With the almanac, the number is centred in the upper three quarters of its cell.
		float middle = item->rokuyo ? cell.top + cell.Height() * 3 / 8 : row_mid(row);
		BPoint at(GL + (column + 1) * GW / 8 - text_width(view, text) / 2,
			middle + font.h / 2 - font.height.descent);
		view->DrawString(text, at);
		if (item->rokuyo)
			draw_rokuyo(view, item, year, month, day, cell, GL + (column + 1) * GW / 8, size);
		else
			mark_events(view, item, year, month, day, at, text_width(view, text), font);
	}
}

void draw_year(BView* view, const object* item, int year, int month, int day)
{
	float L = item->bounds.left, T = item->bounds.top;
	float W = item->bounds.Width(), H = item->bounds.Height();
	int64 shifted = (int64)year + item->when;
	year = shifted > INT32_MAX ? INT32_MAX : shifted < INT32_MIN ? INT32_MIN : (int)shifted;
	adj(&year, &month, &day);

	if (item->bg_type == 1) {
		for (int i = 0; i < 12; i++) {
			int x0 = truncate_int((i % 6) * W / 6);
			int y0 = truncate_int((i / 6) * H / 2);
			fill_bubble(view, BRect(L + x0 + W / 120, T + y0 + H / 50,
				L + x0 + W / 6 - W / 120, T + y0 + H / 2 - H / 50), H / 15, item->bg_color);
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
		int x0 = truncate_int((i % 6) * W / 6);
		int y0 = truncate_int((i / 6) * H / 2);
		snprintf(text, sizeof(text), "%d", i + 1);
		view->DrawString(text,
			BPoint(L + x0 + W / 12 - text_width(view, text) / 2, T + y0 + font.h));
	}

	// A weekday row takes a band of a sixteenth of a month's block; the weeks share the rest,
	// and an automatic day size shrinks with them.
	bool header = item->week_header;
	float band = H / 32, rowH = (H * 3 / 8 - band) / 6;
	float daySize = item->day_size > 0 ? item->day_size
		: header ? W / 60 * rowH / (H / 16) : W / 60;
	font = set_font(view, item->day_font, daySize);
	// The whole year at once: month by month would widen and redo the preparation twelve times.
	prepare_events(year, 1, 1, year, 12, 31);
	if (!holiday_sources.empty())
		prepare_event_book(kHolidaysBook, year, 1, 1, year, 12, 31);
	for (int m = 1; m <= 12; m++) {
		int x0 = truncate_int(((m - 1) % 6) * W / 6);
		int y0 = truncate_int(((m - 1) / 6) * H / 2);
		int first = first_column(item, year, m);
		auto row_top = [&](int r) {
			return header ? T + y0 + H / 8 + band + rowH * r : T + y0 + H * (r + 2) / 16;
		};
		auto row_mid = [&](int r) {
			return header ? T + y0 + H / 8 + band + rowH * (r + 0.5f)
				: T + y0 + H / 16 * (r + 2.5f);
		};
		// Where a column starts, counted in columns: with week numbers the month's grid is
		// narrowed beside them.
		auto x_of = [&](float column) {
			return item->week_numbers ? L + x0 + W / 48 + (W / 6 - W / 48) * column / 8
				: L + x0 + W * column / 48;
		};
		if (item->week_numbers) {
			draw_week_numbers(view, item, year, m, first, daySize, [&](int row, float h) {
				return BPoint(L + x0 + W / 48, row_mid(row) + h / 2);
			});
		}
		if (header) {
			draw_week_header(view, item, daySize * 0.75f, T + y0 + H / 8 + band / 2,
				[&](int column) { return x_of(column + 1); });
		}
		if (item->week_numbers || header)
			font = set_font(view, item->day_font, daySize);
		for (int d = 1; d <= 31; d++) {
			int sundayRow, weekday, code;
			if (what_day(year, m, d, &sundayRow, &weekday, &code) != 0)
				break;
			code = with_holiday_files(year, m, d, code);
			int column = week_column(weekday, item->week_start);
			int row = week_row(d, first);
			if (item->today_mark < 0)
				code %= 100;
			uint32 c = day_color(item, weekday, code);
			BRect cell(x_of(column + 0.5f), row_top(row), x_of(column + 1.5f), row_top(row + 1));
			if (code > 99) {
				uint32 t = item->today_color;
				if (item->today_mark == 0) {
					c = t;
				} else if (item->today_mark == 1) {
					set_opaque(view, c);
					view->FillRect(cell);
					c = t;
				} else if (item->today_mark == 2) {
					set_opaque(view, t);
					view->SetPenSize(3);
					view->StrokeEllipse(cell);
				}
			}
			set_color(view, c);
			snprintf(text, sizeof(text), "%d", d);
			BPoint at(x_of(column + 1) - text_width(view, text) / 2,
				row_mid(row) + font.h / 2 - font.height.descent);
			view->DrawString(text, at);
			mark_events(view, item, year, m, d, at, text_width(view, text), font);
		}
	}
}
