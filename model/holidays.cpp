#include "model/holidays.h"

#include <cstdint>

#include "model/today.h"

namespace {

const int32_t month_days[2][12] = {
	{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
	{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};

const int32_t days_before_month[12] = {
	0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334,
};

// The equinox approximation holds for 2001..2099; no value it gives there lies
// within 0.003 of an integer, so doubles truncate to the right day.
const double equinox_rate = 0.2421904;
const double vernal_base = 20.69115;
const double autumnal_base = 23.09;
const int equinox_ref_year = 2000;

const int first_year = 2001;
const int last_year = 2099;

const int code_substitute = 21;
const int code_citizens = 22;
const int today_flag = 100;

const char holiday_names[18][19] = {
	"元日", "成人の日", "建国記念の日", "春分の日", "昭和の日", "憲法記念日",
	"みどりの日", "こどもの日", "海の日", "山の日", "敬老の日", "秋分の日",
	"体育の日", "文化の日", "勤労感謝の日", "天皇誕生日", "振替休日", "国民の休日",
};

// Every fourth year is a leap year; the range never reaches a century year.
bool is_leap(int year)
{
	return year % 4 == 0;
}

int month_length(int year, int month)
{
	return month_days[is_leap(year) ? 1 : 0][month - 1];
}

int equinox_day(int year, double base)
{
	int k = year - equinox_ref_year;
	return static_cast<int>(equinox_rate * k + base - k / 4);
}

// What the holiday rules need to know of one month of one year.
struct month_facts {
	int month;
	int first_weekday;
	int vernal;
	int autumnal;
};

int weekday_of(const month_facts& mf, int day)
{
	return (day - 1 + mf.first_weekday) % 7;
}

// The holidays with a fixed rule (codes 1 to 16); later rules win, though no
// date matches two of them.
int fixed_holiday(const month_facts& mf, int day)
{
	const int m = mf.month;
	const bool monday = weekday_of(mf, day) == 1;
	const int ordinal = (day + 6) / 7;
	int code = 0;
	if (m == 1 && day == 1) code = 1;
	if (m == 1 && monday && ordinal == 2) code = 2;
	if (m == 2 && day == 11) code = 3;
	if (m == 3 && day == mf.vernal) code = 4;
	if (m == 4 && day == 29) code = 5;
	if (m == 5 && day == 3) code = 6;
	if (m == 5 && day == 4) code = 7;
	if (m == 5 && day == 5) code = 8;
	if (m == 7 && monday && ordinal == 3) code = 9;
	if (m == 8 && day == 11) code = 10;
	if (m == 9 && monday && ordinal == 3) code = 11;
	if (m == 9 && day == mf.autumnal) code = 12;
	if (m == 10 && monday && ordinal == 2) code = 13;
	if (m == 11 && day == 3) code = 14;
	if (m == 11 && day == 23) code = 15;
	if (m == 12 && day == 23) code = 16;
	return code;
}

// A run of fixed holidays just before the day, within its month, that contains
// a Sunday makes the day a substitute holiday.
bool ends_sunday_holiday_run(const month_facts& mf, int day)
{
	for (int d = day - 1; d >= 1 && fixed_holiday(mf, d) != 0; --d) {
		if (weekday_of(mf, d) == 0)
			return true;
	}
	return false;
}

int check_date(int year, int month, int day)
{
	int status = 0;
	if (year < first_year || year > last_year)
		status = 1;
	const bool month_valid = month >= 1 && month <= 12;
	if (!month_valid)
		status = 2;
	if (day < 1 || day > 31)
		status = 3;
	else if (month_valid && day > month_length(year, month))
		status = 3;
	return status;
}

} // namespace

int what_day(int year, int month, int day, int* row, int* weekday, int* holiday)
{
	const int status = check_date(year, month, day);
	if (status != 0) {
		*row = -1;
		*weekday = -1;
		*holiday = -1;
		return status;
	}

	// Day 1 is January 1, 2001, a Monday.
	const int years = year - first_year;
	int n = 365 * years + years / 4 + 1 + days_before_month[month - 1];
	if (is_leap(year) && month >= 3)
		n += 1;

	month_facts mf;
	mf.month = month;
	mf.first_weekday = n % 7;
	mf.vernal = equinox_day(year, vernal_base);
	mf.autumnal = equinox_day(year, autumnal_base);

	*row = (day + mf.first_weekday - 1) / 7;
	*weekday = (day + n - 1) % 7;

	int code = fixed_holiday(mf, day);
	if (code == 0 && *weekday != 0 && ends_sunday_holiday_run(mf, day))
		code = code_substitute;
	if (code == 0 && month == 9 && day <= 22 && day + 1 == mf.autumnal && *weekday == 2)
		code = code_citizens;
	if (year == now_y && month == now_m && day == now_d)
		code += today_flag;
	*holiday = code;
	return 0;
}

void adj(int* year, int* month, int* day)
{
	int y = *year;
	int m = *month;
	int d = *day;
	for (;;) {
		if (m <= 0) {
			m += 12;
			y -= 1;
		} else if (m > 12) {
			m -= 12;
			y += 1;
		} else if (d <= 0) {
			m -= 1;
			if (m <= 0) {
				m += 12;
				y -= 1;
			}
			d += month_length(y, m);
		} else if (d > month_length(y, m)) {
			d -= month_length(y, m);
			m += 1;
		} else {
			break;
		}
	}
	*year = y;
	*month = m;
	*day = d;
}

const char* holiday_name(int code)
{
	const int c = code % today_flag;
	if (c >= 1 && c <= 16)
		return holiday_names[c - 1];
	if (c == code_substitute)
		return holiday_names[16];
	if (c == code_citizens)
		return holiday_names[17];
	return "";
}
