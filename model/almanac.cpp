#include "model/almanac.h"

#include <map>
#include <mutex>

#include "model/astronomy.h"
#include "model/labels.h"

namespace {

const int kFirstYear = 2001;
const int kLastYear = 2099;

const char* const kRokuyo[6] = {"大安", "赤口", "先勝", "友引", "先負", "仏滅"};
const char* const kTerms[24] = {
	"春分", "清明", "穀雨", "立夏", "小満", "芒種", "夏至", "小暑", "大暑", "立秋", "処暑", "白露",
	"秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至", "小寒", "大寒", "立春", "雨水", "啓蟄",
};

// The Julian day number of a Gregorian date.
int day_number(int year, int month, int day)
{
	int a = (14 - month) / 12, y = year + 4800 - a, m = month + 12 * a - 3;
	return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

bool valid(int year, int month, int day)
{
	static const int kLengths[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
	if (year < kFirstYear || year > kLastYear || month < 1 || month > 12 || day < 1)
		return false;
	// No century year lies in the range, so every fourth year is a leap year.
	return day <= (month == 2 && year % 4 != 0 ? 28 : kLengths[month - 1]);
}

// Noon (UT) of a date, where searches for what happens around it start.
double noon(int year, int month, int day)
{
	return day_number(year, month, day);
}

// The month of the lunisolar calendar that begins on a day (JST).
struct lunar_month {
	int start;
	int number;
	bool leap;
};

// The months from the one holding a winter solstice to the one before the month holding the
// next: 11 is the solstice's month. With 13 of them, the first that holds no principal term
// (the sun's longitude a multiple of 30°) is a leap month and takes the number before it.
struct solstice_span {
	lunar_month months[13];
	int count;
};

// The new moon that begins the month holding day.
int month_lunation(int day, double near)
{
	int k = lunation_near(near);
	while (jst_day(new_moon(k)) > day)
		k--;
	while (jst_day(new_moon(k + 1)) <= day)
		k++;
	return k;
}

solstice_span span_ending(int year)
{
	double before = sun_reaches(270, noon(year - 1, 12, 21));
	double after = sun_reaches(270, noon(year, 12, 21));
	int first = month_lunation(jst_day(before), before);
	int last = month_lunation(jst_day(after), after);
	solstice_span span;
	span.count = last - first;
	int starts[14];
	for (int i = 0; i <= span.count && i < 14; i++)
		starts[i] = jst_day(new_moon(first + i));
	int leap = -1;
	if (span.count == 13) {
		int principal[13];
		for (int j = 0; j < 13; j++)
			principal[j] = jst_day(sun_reaches((270 + 30 * j) % 360, before + j * 30.44));
		for (int i = 0; i < 13 && leap < 0; i++) {
			bool holds = false;
			for (int day : principal)
				holds = holds || (day >= starts[i] && day < starts[i + 1]);
			if (!holds)
				leap = i;
		}
	}
	int number = 10;
	for (int i = 0; i < span.count && i < 13; i++) {
		bool isLeap = i == leap;
		if (!isLeap)
			number = number % 12 + 1;
		span.months[i] = {starts[i], number, isLeap};
	}
	return span;
}

// What a Gregorian year needs: its months (from the one holding January 1 on) and the days
// of its 24 solar terms.
struct almanac_year {
	lunar_month months[27];
	int count;
	int terms[24];
};

almanac_year compute_year(int year)
{
	almanac_year result;
	result.count = 0;
	for (int end = year; end <= year + 1; end++) {
		solstice_span span = span_ending(end);
		for (int i = 0; i < span.count && result.count < 27; i++)
			result.months[result.count++] = span.months[i];
	}
	// 小寒 (285°) opens the year; each term follows some 15.2 days after the one before.
	double near = noon(year, 1, 6);
	for (int i = 0; i < 24; i++) {
		int longitude = (285 + 15 * i) % 360;
		double moment = sun_reaches(longitude, near);
		result.terms[longitude / 15] = jst_day(moment);
		near = moment + 15.2;
	}
	return result;
}

std::mutex cache_lock;

const almanac_year& year_of(int year)
{
	static std::map<int, almanac_year> cache;
	std::lock_guard<std::mutex> hold(cache_lock);
	auto found = cache.find(year);
	if (found == cache.end())
		found = cache.emplace(year, compute_year(year)).first;
	return found->second;
}

}

bool lunisolar(int year, int month, int day, lunisolar_date* date)
{
	if (!valid(year, month, day))
		return false;
	const almanac_year& known = year_of(year);
	int today = day_number(year, month, day);
	for (int i = known.count - 1; i >= 0; i--) {
		if (known.months[i].start <= today) {
			*date = {known.months[i].number, known.months[i].leap,
				today - known.months[i].start + 1};
			return true;
		}
	}
	return false;
}

int rokuyo_of(const lunisolar_date& date)
{
	return (date.month + date.day) % 6;
}

const char* rokuyo_name(int index)
{
	return index >= 0 && index < 6 ? kRokuyo[index] : "";
}

int solar_term(int year, int month, int day)
{
	if (!valid(year, month, day))
		return -1;
	const almanac_year& known = year_of(year);
	int today = day_number(year, month, day);
	for (int i = 0; i < 24; i++) {
		if (known.terms[i] == today)
			return i;
	}
	return -1;
}

const char* solar_term_name(int index)
{
	return index >= 0 && index < 24 ? kTerms[index] : "";
}

std::string almanac_line(int year, int month, int day)
{
	lunisolar_date date;
	if (!lunisolar(year, month, day, &date))
		return "";
	std::string line = "旧暦";
	if (date.leap)
		line += "閏";
	line += kanji_number(date.month) + "月" + kanji_number(date.day) + "日 ";
	line += rokuyo_name(rokuyo_of(date));
	int term = solar_term(year, month, day);
	if (term >= 0)
		line += std::string(" ") + solar_term_name(term);
	return line;
}
