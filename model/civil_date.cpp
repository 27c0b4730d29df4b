#include "model/civil_date.h"

#include <climits>
#include <cstdint>

namespace {

// Counted in eras of 400 years, which repeat exactly, from March, so a leap day ends a year.
// In 64 bits, so that any year an int holds has its day.
int64_t days_from_civil64(int64_t y, int m, int d)
{
	y -= m <= 2;
	int64_t era = (y >= 0 ? y : y - 399) / 400;
	int64_t yoe = y - era * 400;
	int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
	int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
	return era * 146097 + doe - 719468;
}

void civil_from_days64(int64_t day, int64_t* y, int* m, int* d)
{
	day += 719468;
	int64_t era = (day >= 0 ? day : day - 146096) / 146097;
	int64_t doe = day - era * 146097;
	int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
	int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
	int64_t mp = (5 * doy + 2) / 153;
	*d = (int)(doy - (153 * mp + 2) / 5 + 1);
	*m = (int)(mp + (mp < 10 ? 3 : -9));
	*y = yoe + era * 400 + (*m <= 2);
}

}

int days_from_civil(int y, int m, int d)
{
	return (int)days_from_civil64(y, m, d);
}

void civil_from_days(int day, int* y, int* m, int* d)
{
	int64_t year;
	civil_from_days64(day, &year, m, d);
	*y = (int)year;
}

int weekday_of_day(int day)
{
	// 1970-01-01 was a Thursday.
	return ((day + 4) % 7 + 7) % 7;
}

int weekday_of(int y, int m, int d)
{
	int64_t day = days_from_civil64(y, m, d);
	return (int)(((day + 4) % 7 + 7) % 7);
}

bool leap_year(int y)
{
	return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int days_in_month(int y, int m)
{
	static const int length[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
	return m == 2 && leap_year(y) ? 29 : length[m - 1];
}

int day_of_year(int y, int m, int d)
{
	static const int before[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
	return before[m - 1] + d + (m > 2 && leap_year(y) ? 1 : 0);
}

void adj(int* year, int* month, int* day)
{
	// Months first, carrying whole years; then the day as a count from the month's first.
	int64_t months = (int64_t)*year * 12 + *month - 1;
	int64_t y = (months >= 0 ? months : months - 11) / 12;
	int m = (int)(months - y * 12) + 1;
	int d = *day;
	if (d < 1 || d > 28)
		civil_from_days64(days_from_civil64(y, m, 1) + d - 1, &y, &m, &d);
	if (y > INT_MAX || y < INT_MIN) {
		y = y > INT_MAX ? INT_MAX : INT_MIN;
		m = y > 0 ? 12 : 1;
		d = y > 0 ? 31 : 1;
	}
	*year = (int)y;
	*month = m;
	*day = d;
}
