#include "model/holidays.h"

#include <cstdint>

#include "model/today.h"

namespace {

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

const char holiday_names[21][25] = {
	"元日", "成人の日", "建国記念の日", "春分の日", "昭和の日", "憲法記念日",
	"みどりの日", "こどもの日", "海の日", "山の日", "敬老の日", "秋分の日",
	"体育の日", "文化の日", "勤労感謝の日", "天皇誕生日", "振替休日", "国民の休日",
	"スポーツの日", "即位の日", "即位礼正殿の儀",
};

// Holidays that only the law of each date has.
const int code_sports = 31;
const int code_enthronement = 32;
const int code_enthronement_ceremony = 33;

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

int weekday_in(const month_facts& mf, int day)
{
	return (day - 1 + mf.first_weekday) % 7;
}

// The holidays with a fixed rule (codes 1 to 16); later rules win, though no
// date matches two of them.
int fixed_holiday(const month_facts& mf, int day)
{
	const int m = mf.month;
	const bool monday = weekday_in(mf, day) == 1;
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
		if (weekday_in(mf, d) == 0)
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
	else if (month_valid && day > days_in_month(year, month))
		status = 3;
	return status;
}

// The law of each date: every national holiday with the years it applies from and until.
enum rule_kind { on_day, nth_monday, vernal_equinox, autumnal_equinox };

struct law_rule {
	int code;
	int from;
	int until;
	int month;
	rule_kind kind;
	int day;
};

const law_rule law_rules[] = {
	{1, 2001, last_year, 1, on_day, 1},
	{2, 2001, last_year, 1, nth_monday, 2},
	{3, 2001, last_year, 2, on_day, 11},
	{16, 2020, last_year, 2, on_day, 23},
	{4, 2001, last_year, 3, vernal_equinox, 0},
	{7, 2001, 2006, 4, on_day, 29},
	{5, 2007, last_year, 4, on_day, 29},
	{6, 2001, last_year, 5, on_day, 3},
	{7, 2007, last_year, 5, on_day, 4},
	{8, 2001, last_year, 5, on_day, 5},
	{9, 2001, 2002, 7, on_day, 20},
	{9, 2003, 2019, 7, nth_monday, 3},
	{9, 2022, last_year, 7, nth_monday, 3},
	{10, 2016, 2019, 8, on_day, 11},
	{10, 2022, last_year, 8, on_day, 11},
	{11, 2001, 2002, 9, on_day, 15},
	{11, 2003, last_year, 9, nth_monday, 3},
	{12, 2001, last_year, 9, autumnal_equinox, 0},
	{13, 2001, 2019, 10, nth_monday, 2},
	{code_sports, 2022, last_year, 10, nth_monday, 2},
	{14, 2001, last_year, 11, on_day, 3},
	{15, 2001, last_year, 11, on_day, 23},
	{16, 2001, 2018, 12, on_day, 23},
	// The enthronement's days, and the summer holidays moved for the Olympic Games.
	{code_enthronement, 2019, 2019, 5, on_day, 1},
	{code_enthronement_ceremony, 2019, 2019, 10, on_day, 22},
	{9, 2020, 2020, 7, on_day, 23},
	{code_sports, 2020, 2020, 7, on_day, 24},
	{10, 2020, 2020, 8, on_day, 10},
	{9, 2021, 2021, 7, on_day, 22},
	{code_sports, 2021, 2021, 7, on_day, 23},
	{10, 2021, 2021, 8, on_day, 8},
};

// From this year on a substitute holiday is the first day after a Sunday holiday that is no
// holiday itself, and a day between two holidays is a holiday even on a Sunday.
const int law_of_2007 = 2007;

// The national holiday on a date under the law of that date, 0 for none.
int national_holiday(int year, int month, int day)
{
	const int weekday = weekday_of(year, month, day);
	for (const law_rule& rule : law_rules) {
		if (year < rule.from || year > rule.until || month != rule.month)
			continue;
		bool on = false;
		switch (rule.kind) {
			case on_day:
				on = day == rule.day;
				break;
			case nth_monday:
				on = weekday == 1 && (day + 6) / 7 == rule.day;
				break;
			case vernal_equinox:
				on = day == equinox_day(year, vernal_base);
				break;
			case autumnal_equinox:
				on = day == equinox_day(year, autumnal_base);
				break;
		}
		if (on)
			return rule.code;
	}
	return 0;
}

int national_holiday_after(int year, int month, int day, int shift)
{
	day += shift;
	adj(&year, &month, &day);
	return national_holiday(year, month, day);
}

// The holiday code of a date under the law in force on it.
int law_holiday(int year, int month, int day, int weekday)
{
	if (int code = national_holiday(year, month, day))
		return code;
	bool before = national_holiday_after(year, month, day, -1) != 0;
	if (year >= law_of_2007) {
		// Any Sunday in the run of holidays just before the day makes it a substitute.
		for (int back = 1; national_holiday_after(year, month, day, -back) != 0; back++) {
			if ((weekday - back % 7 + 7) % 7 == 0)
				return code_substitute;
		}
	} else if (weekday == 1 && before) {
		return code_substitute;
	}
	if (before && national_holiday_after(year, month, day, 1) != 0
		&& (year >= law_of_2007 || weekday != 0))
		return code_citizens;
	return 0;
}

} // namespace

int32_t holiday_rules = 0;

int what_day(int year, int month, int day, day_facts* facts)
{
	const int status = check_date(year, month, day);
	if (status != 0) {
		*facts = {-1, -1, -1, false};
		return status;
	}

	month_facts mf;
	mf.month = month;
	mf.first_weekday = weekday_of(year, month, 1);
	mf.vernal = equinox_day(year, vernal_base);
	mf.autumnal = equinox_day(year, autumnal_base);

	const int weekday = (day + mf.first_weekday - 1) % 7;
	int code = 0;
	if (holiday_rules < 0) {
		// No built-in holidays: only those of the design's holiday files.
	} else if (holiday_rules == 1) {
		code = law_holiday(year, month, day, weekday);
	} else {
		code = fixed_holiday(mf, day);
		if (code == 0 && weekday != 0 && ends_sunday_holiday_run(mf, day))
			code = code_substitute;
		if (code == 0 && month == 9 && day <= 22 && day + 1 == mf.autumnal && weekday == 2)
			code = code_citizens;
	}
	facts->row = (day + mf.first_weekday - 1) / 7;
	facts->weekday = weekday;
	facts->holiday = code;
	facts->today = year == now_y && month == now_m && day == now_d;
	return 0;
}

const char* holiday_name(int code)
{
	if (code >= 1 && code <= 16)
		return holiday_names[code - 1];
	if (code == code_substitute)
		return holiday_names[16];
	if (code == code_citizens)
		return holiday_names[17];
	if (code >= code_sports && code <= code_enthronement_ceremony)
		return holiday_names[18 + code - code_sports];
	return "";
}
