#include "model/weeks.h"

#include "model/civil_date.h"

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
