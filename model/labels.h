#ifndef TEVRA_MODEL_LABELS_H
#define TEVRA_MODEL_LABELS_H

#include <string>

// Year caption: year_type 0 decimal digits, 1 four kanji digits, 2 era year
// (平成, years after 1988). Any other style, or an era year before 1989, is "".
std::string ystr(int year, int year_type);
// The year caption of a calendar whose last day is year/month/day: with the law of each date
// (holiday_rules 1) the era in force that day, 令和 from May 1, 2019, and the first year of
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

// Sunday first, indexed by the weekday numbers of what_day.
extern const char* const weekday_abbr[7];

// Caption of a single date, e.g. "2016/2/11(thu)"; an unknown weekday shows "?".
std::string date_caption(int year, int month, int day, int weekday);

#endif
