#include "model/civil_date.h"

// Counted in eras of 400 years, which repeat exactly, from March, so a leap day ends a year.
int days_from_civil(int y, int m, int d)
{
	y -= m <= 2;
	int era = (y >= 0 ? y : y - 399) / 400;
	int yoe = y - era * 400;
	int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
	int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
	return era * 146097 + doe - 719468;
}

void civil_from_days(int day, int* y, int* m, int* d)
{
	day += 719468;
	int era = (day >= 0 ? day : day - 146096) / 146097;
	int doe = day - era * 146097;
	int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
	int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
	int mp = (5 * doy + 2) / 153;
	*d = doy - (153 * mp + 2) / 5 + 1;
	*m = mp + (mp < 10 ? 3 : -9);
	*y = yoe + era * 400 + (*m <= 2);
}

int weekday_of_day(int day)
{
	// 1970-01-01 was a Thursday.
	return ((day + 4) % 7 + 7) % 7;
}

// Sakamoto's rule.
int weekday_of(int y, int m, int d)
{
	static const int offset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
	if (m < 3)
		y -= 1;
	int w = (y + y / 4 - y / 100 + y / 400 + offset[m - 1] + d) % 7;
	return w < 0 ? w + 7 : w;
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
