#ifndef TEVRA_MODEL_HOLIDAYS_H
#define TEVRA_MODEL_HOLIDAYS_H

#include <cstdint>

#include "model/civil_date.h"

// Holiday codes: 0 none, 1 to 16 the fixed holidays, 21 substitute, 22 citizens'; with the
// law of each date also 31 スポーツの日, 32 即位の日 and 33 即位礼正殿の儀.
// 40 is a day that only the design's holiday files name (its names are theirs).

// Which holidays what_day gives: 0 the fixed rules, the same for every year; 1 the law in
// force on each date (the days it added, moved and dropped over the years); -1 none at all,
// the eras as with 1.
extern int32_t holiday_rules;

const int kCodeFileHoliday = 40;

// What what_day finds of a date: its 0-based row in a Sunday-first month grid, its weekday
// (0 Sunday), its holiday code and whether it is today.
struct day_facts {
	int row;
	int weekday;
	int holiday;
	bool today;
};

// Checks year 2001..2099, month and day; returns 0 for a valid date, otherwise
// 1 (year), 2 (month) or 3 (day), the last check that failed. On error the row, weekday
// and holiday are -1 and the date is not today.
int what_day(int year, int month, int day, day_facts* facts);

// UTF-8 name of a holiday code; "" when the code has no name.
const char* holiday_name(int code);

#endif
