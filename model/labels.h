#ifndef TEVRA_MODEL_LABELS_H
#define TEVRA_MODEL_LABELS_H

#include <string>

// Year caption: year_type 0 decimal digits, 1 four kanji digits, 2 era year
// (平成, years after 1988). Any other style, or an era year before 1989, is "".
std::string ystr(int year, int year_type);
// The year caption of a calendar whose last day is year/month/day: with the law of each date
// (holiday_rules 1 or -1) the era in force that day, 令和 from May 1, 2019, and the first year of
// an era as 元年; otherwise as above.
std::string ystr(int year, int year_type, int month, int day);

// 1 to 999 in kanji numerals as dates and eras write them (11 十一, 28 二十八); "" otherwise.
std::string kanji_number(int n);

// Month captions, UTF-8 padded with NUL: record month_type * 12 + month for
// month_type 0 (full-width digits), 1 (kanji), 2 (traditional), 3 (English).
// Record 0 is empty. The renderer may read the table directly.
extern const char month_names[49][10];

// The month caption, or "" when month_type or month is out of range.
const char* month_name(int month_type, int month);

// Names in one language, as the platform's locale gives them: months 1 to 12 as headings
// (months[0] unused) and abbreviated weekday names, Sunday first. This library has no names of
// any language beyond the fixed styles; the renderer fills these and hands them in.
struct language_names {
	std::string months[13];
	std::string weekdays[7];
};
enum { kMonthTypeLanguage = 4 };
// As above, and month_type 4: the month's name in `names` ("" without names).
const char* month_name(int month_type, int month, const language_names* names);

// The language a calendar's weekday row is written in: English beside English months,
// Japanese beside kanji or traditional ones, otherwise the design's (an empty name).
const char* weekday_language(int month_type);

// Sunday first, indexed by the weekday numbers of what_day.
extern const char* const weekday_abbr[7];

// Caption of a single date, e.g. "2016/2/11(thu)"; an unknown weekday shows "?".
std::string date_caption(int year, int month, int day, int weekday);

#endif
