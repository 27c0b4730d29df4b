#include "model/weeks.h"

#include "model/holidays.h"

namespace {

bool leap(int year)
{
	return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int day_of_year(int year, int month, int day)
{
	static const int before[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
	return before[month - 1] + day + (month > 2 && leap(year) ? 1 : 0);
}

// Sakamoto's rule: 0 Sunday to 6 Saturday, for any Gregorian date.
int weekday_of(int year, int month, int day)
{
	static const int offset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
	if (month < 3)
		year -= 1;
	int w = (year + year / 4 - year / 100 + year / 400 + offset[month - 1] + day) % 7;
	return w < 0 ? w + 7 : w;
}

}

int week_column(int weekday, int week_start)
{
	return ((weekday - week_start) % 7 + 7) % 7;
}

int week_row(int day, int first_column)
{
	return (day - 1 + first_column) / 7;
}

int iso_week(int year, int month, int day)
{
	// The week is the one of its Thursday, which lies in the year the week belongs to.
	int toThursday = 4 - (weekday_of(year, month, day) + 6) % 7 - 1;
	int y = year, m = month, d = day + toThursday;
	adj(&y, &m, &d);
	return (day_of_year(y, m, d) - 1) / 7 + 1;
}
