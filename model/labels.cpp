#include "model/labels.h"

#include <cstdio>

#include "model/holidays.h"

namespace {

const char* const kanji_digits[11] = {
	"〇", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十",
};

const char era_name[] = "平成";
const char reiwa_name[] = "令和";
const char first_year_numeral[] = "元";
// The year before 令和's first, and its first day (May 1) as month * 100 + day.
const int reiwa_start = 2018;
const int reiwa_first_day = 501;
const char year_suffix[] = "年";
const char hundred[] = "百";
const int era_start = 1988;

// Era year in kanji numerals: 1 一, 10 十, 11 十一, 28 二十八, 100 百, 111 百十一,
// 200 二百. Returns false when the number needs a place above the hundreds.
bool append_era_numeral(std::string& out, int n)
{
	if (n < 1 || n > 999)
		return false;
	if (n > 99) {
		if (n > 199)
			out += kanji_digits[n / 100];
		out += hundred;
		n %= 100;
	}
	if (n > 19)
		out += kanji_digits[n / 10];
	if (n > 9) {
		out += kanji_digits[10];
		n %= 10;
	}
	if (n != 0)
		out += kanji_digits[n];
	return true;
}

} // namespace

std::string kanji_number(int n)
{
	std::string text;
	append_era_numeral(text, n);
	return text;
}

std::string ystr(int year, int year_type)
{
	std::string text;
	switch (year_type) {
		case 0:
			text = std::to_string(year);
			break;
		case 1:
			// One kanji digit per decimal place, so only four-place years fit.
			if (year >= 0 && year <= 9999) {
				text += kanji_digits[year / 1000];
				text += kanji_digits[year % 1000 / 100];
				text += kanji_digits[year % 100 / 10];
				text += kanji_digits[year % 10];
			}
			break;
		case 2:
			if (year > era_start) {
				text = era_name;
				if (append_era_numeral(text, year - era_start))
					text += year_suffix;
				else
					text.clear();
			}
			break;
		default:
			break;
	}
	return text;
}

std::string ystr(int year, int year_type, int month, int day)
{
	if (holiday_rules == 0 || year_type != 2)
		return ystr(year, year_type);
	bool reiwa = year > reiwa_start + 1
		|| (year == reiwa_start + 1 && month * 100 + day >= reiwa_first_day);
	int start = reiwa ? reiwa_start : era_start;
	if (year <= start)
		return "";
	std::string text = reiwa ? reiwa_name : era_name;
	if (year - start == 1)
		text += first_year_numeral;
	else if (!append_era_numeral(text, year - start))
		return "";
	return text + year_suffix;
}

const char month_names[49][10] = {
	"",
	"１", "２", "３", "４", "５", "６", "７", "８", "９", "１０", "１１", "１２",
	"一月", "二月", "三月", "四月", "五月", "六月",
	"七月", "八月", "九月", "十月", "十一月", "十二月",
	"睦月", "如月", "弥生", "卯月", "皐月", "水無月",
	"文月", "葉月", "長月", "神無月", "霜月", "師走",
	"january", "february", "march", "april", "may", "june",
	"july", "august", "september", "october", "november", "december",
};

const char* month_name(int month_type, int month)
{
	if (month_type < 0 || month_type > 3 || month < 1 || month > 12)
		return "";
	return month_names[month_type * 12 + month];
}

const char* month_name(int month_type, int month, const language_names* names)
{
	if (month_type != kMonthTypeLanguage)
		return month_name(month_type, month);
	if (names == nullptr || month < 1 || month > 12)
		return "";
	return names->months[month].c_str();
}

const char* weekday_language(int month_type)
{
	if (month_type == 3)
		return "en";
	if (month_type == 1 || month_type == 2)
		return "ja";
	return "";
}

const char* const weekday_abbr[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

std::string date_caption(int year, int month, int day, int weekday)
{
	const char* abbr = (weekday >= 0 && weekday < 7) ? weekday_abbr[weekday] : "?";
	char buf[64];
	std::snprintf(buf, sizeof buf, "%d/%d/%d(%s)", year, month, day, abbr);
	return buf;
}
