#include "render/draw_cal.h"

#include <string>
#include <vector>

#include "model/almanac.h"
#include "model/civil_date.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/holidays.h"
#include "model/labels.h"

namespace {

// The holiday's name: Japan's first, then those of the holiday files.
std::string holiday_names(int year, int month, int day, int code)
{
	std::string names = holiday_name(code);
	if (holiday_sources.empty())
		return names;
	for (const std::string& name : book_event_summaries(kHolidaysBook, year, month, day))
		names += (names.empty() ? "" : " / ") + name;
	return names;
}

// Longer summaries are cut before they are measured: no line of a wallpaper holds more.
const size_t kLongestSummary = 400;

// Where the character that starts at or before `at` starts.
size_t character_start(const std::string& text, size_t at)
{
	while (at > 0 && ((uchar)text[at] & 0xc0) == 0x80)
		at--;
	return at;
}

// As much of a text as fits in width, cut at a character with "…" after it; the cut is
// found by halving, so a long text costs a few measurements.
std::string fitted(BView* view, const std::string& text, float width)
{
	std::string whole = text.size() > kLongestSummary
		? text.substr(0, character_start(text, kLongestSummary)) : text;
	if (whole.size() == text.size() && view->StringWidth(text.c_str()) <= width)
		return text;
	// The longest cut that fits lies in [fits, over).
	size_t fits = 0, over = whole.size() + 1;
	while (over - fits > 1) {
		size_t middle = character_start(whole, (fits + over) / 2);
		if (middle <= fits) {
			// The halfway point is inside the character after `fits`: try its end.
			middle = fits + 1;
			while (middle < whole.size() && ((uchar)whole[middle] & 0xc0) == 0x80)
				middle++;
			if (middle >= over)
				break;
		}
		if (view->StringWidth((whole.substr(0, middle) + "…").c_str()) <= width)
			fits = middle;
		else
			over = middle;
	}
	if (fits == 0)
		return view->StringWidth("…") <= width ? "…" : "";
	return whole.substr(0, fits) + "…";
}

void draw_centred(BView* view, const std::string& text, float x, float baseline)
{
	view->DrawString(text.c_str(), BPoint(x - text_width(view, text.c_str()) / 2, baseline));
}

// A single date with events: the date, then its holiday's name, then the almanac's line
// (when asked for), then the events' summaries in a smaller size, one a line, as many as the
// rectangle holds.
void draw_day_with_events(BView* view, const object* item, const std::string& caption,
	const std::string& holiday, const std::string& almanac,
	const std::vector<std::string>& events, const caption_font& font, float size)
{
	float L = item->bounds.left, T = item->bounds.top;
	float W = item->bounds.Width(), H = item->bounds.Height();
	float y = T + font.h;
	view->DrawString(caption.c_str(),
		BPoint(L + W / 2 - text_width(view, caption.c_str()) / 2, y - font.height.descent));
	if (!holiday.empty()) {
		y += font.h;
		draw_centred(view, holiday, L + W / 2, y - font.height.descent);
	}
	if (!almanac.empty()) {
		caption_font line = set_font(view, item->day_font, size * kAlmanacScale);
		y += line.h;
		draw_centred(view, almanac, L + W / 2, y - line.height.descent);
	}
	caption_font small = set_font(view, item->day_font, font.h * 0.6f);
	set_color(view, item->day_color);
	for (const std::string& summary : events) {
		if (y + small.h > T + H)
			break;
		y += small.h;
		std::string shown = fitted(view, summary, W - W / 10);
		view->DrawString(shown.c_str(), BPoint(L + W / 2 - text_width(view, shown.c_str()) / 2,
			y - small.height.descent));
	}
}

}

bool draw_day(BView* view, const object* item, int year, int month, int day)
{
	float L = item->bounds.left, T = item->bounds.top;
	float W = item->bounds.Width(), H = item->bounds.Height();

	day = shift_clamped(day, item->when);
	adj(&year, &month, &day);
	if (item->bg_type == 1)
		fill_bubble(view, BRect(L, T, L + W - 1, T + H - 1), H / 4, item->bg_color);

	// With the almanac, the date takes the upper three quarters and its line the lowest.
	float textH = item->rokuyo ? H * 3 / 4 : H;
	float size = item->day_size > 0 ? item->day_size : (W / 15 < textH ? W / 15 : textH);
	caption_font font = set_font(view, item->day_font, size);
	set_color(view, item->day_color);

	day_facts facts;
	if (what_day(year, month, day, &facts) != 0)
		return false;
	int code = with_holiday_files(year, month, day, facts.holiday);
	std::string caption = date_caption(year, month, day, facts.weekday);
	std::string holiday = code != 0 ? holiday_names(year, month, day, code) : "";
	std::string almanac = item->rokuyo ? almanac_line(year, month, day) : "";
	float x = L + W / 2 - text_width(view, caption.c_str()) / 2;
	prepare_events(year, month, day, year, month, day);
	std::vector<std::string> events = event_summaries(year, month, day);
	if (!events.empty()) {
		draw_day_with_events(view, item, caption, holiday, almanac, events, font, size);
		return true;
	}
	if (code == 0) {
		view->DrawString(caption.c_str(),
			BPoint(x, T + textH / 2 + font.h / 2 - font.height.descent));
	} else {
		view->DrawString(caption.c_str(),
			BPoint(x, T + textH / 4 + font.h / 2 - font.height.descent));
		view->DrawString(holiday.c_str(), BPoint(L + W / 2
			- text_width(view, holiday.c_str()) / 2,
			T + 3 * textH / 4 + font.h / 2 - font.height.descent));
	}
	if (!almanac.empty()) {
		caption_font line = set_font(view, item->day_font, size * kAlmanacScale);
		draw_centred(view, almanac, L + W / 2,
			T + textH + (H - textH) / 2 + line.h / 2 - line.height.descent);
	}
	return true;
}
