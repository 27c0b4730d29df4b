#include "model/event_rule.h"

#include <algorithm>

#include "model/civil_date.h"

namespace {

std::vector<int> listed(const short* by, int size)
{
	std::vector<int> values;
	for (int i = 0; i < size && by[i] != ICAL_RECURRENCE_ARRAY_MAX; i++)
		values.push_back(by[i]);
	return values;
}

bool has(const std::vector<int>& values, int value)
{
	return std::find(values.begin(), values.end(), value) != values.end();
}

// Whether `index` (1-based) of `length` things is named by a value counted from the start
// (positive) or from the end (negative).
bool named(const std::vector<int>& values, int index, int length)
{
	return has(values, index) || has(values, index - length - 1);
}

long long floor_div(long long a, long long b)
{
	return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The last day a series may reach: 9999-12-31.
const int kLastDay = 2932896;

int year_length(int y)
{
	return leap_year(y) ? 366 : 365;
}

}

rule_expander::rule_expander(const icalrecurrencetype& rule, const icaltimetype& start)
	: fRule(rule), fStart(start), fCount(0), fNext(0), fOver(false)
{
	fValid = (rule.rscale == nullptr || rule.rscale[0] == '\0') && rule.interval >= 1
		&& rule.freq >= ICAL_SECONDLY_RECURRENCE && rule.freq <= ICAL_YEARLY_RECURRENCE
		&& start.year >= 1 && start.year <= 9999 && start.month >= 1 && start.month <= 12
		&& start.day >= 1 && start.day <= days_in_month(start.year, start.month);
	if (!fValid)
		return;
	fStartDay = days_from_civil(start.year, start.month, start.day);
	fStartSecond = start.is_date ? 0 : start.hour * 3600 + start.minute * 60 + start.second;
	fMonths = listed(rule.by_month, ICAL_BY_MONTH_SIZE);
	fWeekNos = listed(rule.by_week_no, ICAL_BY_WEEKNO_SIZE);
	fYearDays = listed(rule.by_year_day, ICAL_BY_YEARDAY_SIZE);
	fMonthDays = listed(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE);
	fHours = listed(rule.by_hour, ICAL_BY_HOUR_SIZE);
	fMinutes = listed(rule.by_minute, ICAL_BY_MINUTE_SIZE);
	fSeconds = listed(rule.by_second, ICAL_BY_SECOND_SIZE);
	fSetPos = listed(rule.by_set_pos, ICAL_BY_SETPOS_SIZE);
	for (int value : listed(rule.by_day, ICAL_BY_DAY_SIZE)) {
		fWeekdays.push_back({icalrecurrencetype_day_position(value),
			icalrecurrencetype_day_day_of_week(value) - 1});
	}
	for (int month : fMonths)
		fValid &= month >= 1 && month <= 12;
	fWeekStart = rule.week_start >= ICAL_SUNDAY_WEEKDAY && rule.week_start <= ICAL_SATURDAY_WEEKDAY
		? rule.week_start - 1 : 1;

	// What DTSTART gives where the rule does not say: the weekday of week numbers, the
	// month of a yearly rule's days of the month, the day itself where no day is named.
	if (rule.freq == ICAL_YEARLY_RECURRENCE && !fWeekNos.empty() && fYearDays.empty()
		&& fMonthDays.empty() && fWeekdays.empty())
		fWeekdays.push_back({0, weekday_of_day(fStartDay)});
	if (rule.freq == ICAL_YEARLY_RECURRENCE && fMonths.empty() && !fMonthDays.empty()
		&& fWeekNos.empty() && fYearDays.empty())
		fMonths.push_back(start.month);
	if (fWeekNos.empty() && fYearDays.empty() && fMonthDays.empty() && fWeekdays.empty()) {
		if (rule.freq == ICAL_YEARLY_RECURRENCE) {
			if (fMonths.empty())
				fMonths.push_back(start.month);
			fMonthDays.push_back(start.day);
		} else if (rule.freq == ICAL_MONTHLY_RECURRENCE)
			fMonthDays.push_back(start.day);
		else if (rule.freq == ICAL_WEEKLY_RECURRENCE)
			fWeekdays.push_back({0, weekday_of_day(fStartDay)});
	}
	// And where it names no time, for periods longer than the time's unit.
	if (fHours.empty() && rule.freq > ICAL_HOURLY_RECURRENCE)
		fHours.push_back(fStartSecond / 3600);
	if (fMinutes.empty() && rule.freq > ICAL_MINUTELY_RECURRENCE)
		fMinutes.push_back(fStartSecond / 60 % 60);
	if (fSeconds.empty() && rule.freq > ICAL_SECONDLY_RECURRENCE)
		fSeconds.push_back(fStartSecond % 60);

	int y, m, d;
	civil_from_days(fStartDay, &y, &m, &d);
	switch (rule.freq) {
	// With week numbers, a yearly rule's years are the years its weeks belong to.
	case ICAL_YEARLY_RECURRENCE: fPeriod = fWeekNos.empty() ? y : _WeekYear(fStartDay); break;
	case ICAL_MONTHLY_RECURRENCE: fPeriod = y * 12LL + m - 1; break;
	case ICAL_WEEKLY_RECURRENCE:
		fPeriod = floor_div(fStartDay - _WeekOrigin(), 7);
		break;
	case ICAL_DAILY_RECURRENCE: fPeriod = fStartDay; break;
	case ICAL_HOURLY_RECURRENCE: fPeriod = fStartDay * 24LL + fStartSecond / 3600; break;
	case ICAL_MINUTELY_RECURRENCE: fPeriod = fStartDay * 1440LL + fStartSecond / 60; break;
	default: fPeriod = fStartDay * 86400LL + fStartSecond; break;
	}
}

// A day on which weeks start: weeks are counted from it.
int rule_expander::_WeekOrigin() const
{
	// 1970-01-01, day 0, was a Thursday.
	return (fWeekStart - 4 + 7) % 7;
}

void rule_expander::SkipTo(int day)
{
	if (!fValid || fRule.count > 0 || !fFound.empty())
		return;
	int y, m, d;
	civil_from_days(day, &y, &m, &d);
	long long target;
	switch (fRule.freq) {
	case ICAL_YEARLY_RECURRENCE: target = y - 1; break;
	case ICAL_MONTHLY_RECURRENCE: target = y * 12LL + m - 1; break;
	case ICAL_WEEKLY_RECURRENCE:
		target = floor_div(day - _WeekOrigin(), 7);
		break;
	case ICAL_DAILY_RECURRENCE: target = day; break;
	case ICAL_HOURLY_RECURRENCE: target = day * 24LL; break;
	case ICAL_MINUTELY_RECURRENCE: target = day * 1440LL; break;
	default: target = day * 86400LL; break;
	}
	if (target > fPeriod)
		fPeriod += (target - fPeriod) / fRule.interval * fRule.interval;
}

// Week numbers as RFC 5545 counts them: weeks start on WKST, and week 1 is the first with
// at least four days of the year.
int rule_expander::_FirstWeek(int year) const
{
	int january = days_from_civil(year, 1, 1);
	int start = january - (weekday_of_day(january) - fWeekStart + 7) % 7;
	return january - start <= 3 ? start : start + 7;
}

int rule_expander::_WeekYear(int day) const
{
	int y, m, d;
	civil_from_days(day, &y, &m, &d);
	return day < _FirstWeek(y) ? y - 1 : day >= _FirstWeek(y + 1) ? y + 1 : y;
}

bool rule_expander::_WeekMatches(int day, int y) const
{
	auto first_week = [this](int year) { return _FirstWeek(year); };
	int weekYear = day < first_week(y) ? y - 1 : day >= first_week(y + 1) ? y + 1 : y;
	int first = first_week(weekYear);
	int weeks = (first_week(weekYear + 1) - first) / 7;
	return named(fWeekNos, (day - first) / 7 + 1, weeks);
}

bool rule_expander::_WeekdayMatches(int day, int y, int m, int d) const
{
	int weekday = weekday_of_day(day);
	// An ordinal counts within the month, or within the year for a yearly rule without
	// months (and not at all with week numbers or in shorter periods).
	bool inMonth = fRule.freq == ICAL_MONTHLY_RECURRENCE
		|| (fRule.freq == ICAL_YEARLY_RECURRENCE && !fMonths.empty());
	bool inYear = fRule.freq == ICAL_YEARLY_RECURRENCE && fMonths.empty() && fWeekNos.empty();
	for (const auto& wanted : fWeekdays) {
		if (wanted.second != weekday)
			continue;
		if (wanted.first == 0 || (!inMonth && !inYear))
			return true;
		int index = inMonth ? d : day_of_year(y, m, d);
		int length = inMonth ? days_in_month(y, m) : year_length(y);
		int position = wanted.first;
		if ((position > 0 && (index - 1) / 7 + 1 == position)
			|| (position < 0 && -((length - index) / 7 + 1) == position))
			return true;
	}
	return false;
}

bool rule_expander::_DayMatches(int day) const
{
	int y, m, d;
	civil_from_days(day, &y, &m, &d);
	return (fMonths.empty() || has(fMonths, m))
		&& (fWeekNos.empty() || _WeekMatches(day, y))
		&& (fYearDays.empty() || named(fYearDays, day_of_year(y, m, d), year_length(y)))
		&& (fMonthDays.empty() || named(fMonthDays, d, days_in_month(y, m)))
		&& (fWeekdays.empty() || _WeekdayMatches(day, y, m, d));
}

// Whether the hour (and, for minutes and seconds, the minute and second) at `second` of a
// day are among those named; the finer parts of a period expand rather than limit.
bool rule_expander::_TimeMatches(int second, long long unit) const
{
	return (fHours.empty() || has(fHours, second / 3600))
		&& (unit > 60 || fMinutes.empty() || has(fMinutes, second / 60 % 60))
		&& (unit > 1 || fSeconds.empty() || has(fSeconds, second % 60));
}

// The period's instances, earliest first, before BYSETPOS and the series' bounds.
bool rule_expander::_Period(std::vector<moment>* found) const
{
	found->clear();
	int firstDay, lastDay;
	switch (fRule.freq) {
	case ICAL_YEARLY_RECURRENCE:
		if (fPeriod > 9999)
			return false;
		firstDay = fWeekNos.empty() ? days_from_civil((int)fPeriod, 1, 1)
			: _FirstWeek((int)fPeriod);
		lastDay = fWeekNos.empty() ? days_from_civil((int)fPeriod, 12, 31)
			: _FirstWeek((int)fPeriod + 1) - 1;
		break;
	case ICAL_MONTHLY_RECURRENCE: {
		int y = (int)floor_div(fPeriod, 12), m = (int)(fPeriod - y * 12LL) + 1;
		firstDay = days_from_civil(y, m, 1);
		lastDay = firstDay + days_in_month(y, m) - 1;
		break;
	}
	case ICAL_WEEKLY_RECURRENCE:
		firstDay = (int)(fPeriod * 7) + _WeekOrigin();
		lastDay = firstDay + 6;
		break;
	case ICAL_DAILY_RECURRENCE:
		firstDay = lastDay = (int)fPeriod;
		break;
	default: {
		// Hours and finer: one day, and the period's own span of its seconds.
		long long unit = fRule.freq == ICAL_HOURLY_RECURRENCE ? 3600
			: fRule.freq == ICAL_MINUTELY_RECURRENCE ? 60 : 1;
		long long first = fPeriod * unit;
		int day = (int)floor_div(first, 86400);
		int from = (int)(first - day * 86400LL);
		if (day > kLastDay || !_DayMatches(day) || !_TimeMatches(from, unit))
			return day <= kLastDay;
		std::vector<int> minutes = unit == 3600 ? fMinutes : std::vector<int>{from / 60 % 60};
		std::vector<int> seconds = unit > 1 ? fSeconds : std::vector<int>{from % 60};
		std::sort(minutes.begin(), minutes.end());
		std::sort(seconds.begin(), seconds.end());
		for (int minute : minutes)
			for (int second : seconds)
				found->push_back({day, from / 3600 * 3600 + minute * 60 + second});
		return true;
	}
	}
	if (firstDay > kLastDay)
		return false;
	std::vector<int> times;
	if (fStart.is_date)
		times.push_back(0);
	else {
		for (int hour : fHours)
			for (int minute : fMinutes)
				for (int second : fSeconds)
					times.push_back(hour * 3600 + minute * 60 + second);
		std::sort(times.begin(), times.end());
		times.erase(std::unique(times.begin(), times.end()), times.end());
	}
	// A year limited to some months looks at those months' days only.
	std::vector<std::pair<int, int>> spans = {{firstDay, lastDay}};
	if (fRule.freq == ICAL_YEARLY_RECURRENCE && fWeekNos.empty() && !fMonths.empty()) {
		std::vector<int> months = fMonths;
		std::sort(months.begin(), months.end());
		months.erase(std::unique(months.begin(), months.end()), months.end());
		spans.clear();
		for (int m : months) {
			if (m >= 1 && m <= 12) {
				int first = days_from_civil((int)fPeriod, m, 1);
				spans.push_back({first, first + days_in_month((int)fPeriod, m) - 1});
			}
		}
	}
	for (const auto& span : spans) {
		for (int day = span.first; day <= span.second; day++) {
			if (!_DayMatches(day))
				continue;
			for (int second : times)
				found->push_back({day, second});
		}
	}
	return true;
}

void rule_expander::_Advance()
{
	fPeriod += fRule.interval;
}

bool rule_expander::Next(icaltimetype* instance, long* steps)
{
	while (fValid && !fOver) {
		if (fNext >= fFound.size()) {
			if (*steps <= 0)
				return false;
			--*steps;
			if (!_Period(&fFound)) {
				fOver = true;
				break;
			}
			fNext = 0;
			if (!fSetPos.empty()) {
				std::vector<moment> picked;
				int length = (int)fFound.size();
				for (int i = 0; i < length; i++) {
					if (named(fSetPos, i + 1, length))
						picked.push_back(fFound[i]);
				}
				fFound.swap(picked);
			}
			_Advance();
			continue;
		}
		moment at = fFound[fNext++];
		if (at.day < fStartDay || (at.day == fStartDay && at.second < fStartSecond))
			continue;
		icaltimetype t = fStart;
		civil_from_days(at.day, &t.year, &t.month, &t.day);
		if (t.year > 9999) {
			fOver = true;
			break;
		}
		if (!t.is_date) {
			t.hour = at.second / 3600;
			t.minute = at.second / 60 % 60;
			t.second = at.second % 60;
		}
		if (fRule.count > 0 && ++fCount > fRule.count) {
			fOver = true;
			break;
		}
		if (!icaltime_is_null_time(fRule.until)) {
			icaltimetype until = fRule.until;
			bool after;
			if (until.is_date || t.is_date) {
				after = days_from_civil(t.year, t.month, t.day)
					> days_from_civil(until.year, until.month, until.day);
			} else if (icaltime_is_utc(until) && t.zone != nullptr && !icaltime_is_utc(t)) {
				after = icaltime_as_timet_with_zone(t, (icaltimezone*)t.zone)
					> icaltime_as_timet(until);
			} else {
				until.zone = t.zone;
				after = icaltime_compare(t, until) > 0;
			}
			if (after) {
				fOver = true;
				break;
			}
		}
		*instance = t;
		return true;
	}
	return false;
}
