#include "model/event_expander.h"

#include <algorithm>
#include <climits>
#include <limits>

#include "model/events.h"

bool event_rules_by_library = false;

namespace {

// Steps one rule may take over one preparation: a bad rule (every second) cannot hold us.
const int kStepLimit = 50000;

// The time with the zone its TZID names: the calendar's own definition first, else the
// system's.
icaltimetype with_zone(icalproperty* line, icaltimetype t, icalcomponent* calendar)
{
	icalparameter* tzid = icalproperty_get_first_parameter(line, ICAL_TZID_PARAMETER);
	if (tzid == nullptr || t.is_date || icaltime_is_utc(t) || icalparameter_get_tzid(tzid) == nullptr)
		return t;
	const char* name = icalparameter_get_tzid(tzid);
	icaltimezone* zone = icalcomponent_get_timezone(calendar, name);
	if (zone == nullptr)
		zone = icaltimezone_get_builtin_timezone(name);
	if (zone != nullptr)
		t.zone = zone;
	return t;
}

// The moment a time stands for: a date is local midnight, a floating time is local time.
time_t instant(const icaltimetype& t)
{
	if (t.is_date)
		return local_time(t.year, t.month, t.day);
	if (icaltime_is_utc(t))
		return icaltime_as_timet(t);
	if (t.zone != nullptr)
		return icaltime_as_timet_with_zone(t, t.zone);
	return local_time(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

int date_of(const icaltimetype& t)
{
	return day_number(t.year, t.month, t.day);
}


// The library steps every occurrence through a calendar object of its own, which costs more
// than the rest of a preparation; the rules calendars mostly hold are expanded here instead,
// from the first occurrence that can touch the prepared days.

bool empty(const short* by)
{
	return by[0] == ICAL_RECURRENCE_ARRAY_MAX;
}

// The weekday of a day as the library numbers them, Sunday 1 to Saturday 7.
int weekday(int day)
{
	return ((day + 4) % 7 + 7) % 7 + 1;
}

int month_length(int y, int m)
{
	return m == 12 ? 31 : day_number(y, m + 1, 1) - day_number(y, m, 1);
}

// The day of a month that the month's `position`th `wday` falls on, counted from its end
// when negative; INT_MIN when the month has none.
int nth_weekday(int y, int m, int wday, int position)
{
	int length = month_length(y, m);
	int day;
	if (position > 0) {
		int first = day_number(y, m, 1);
		day = first + (wday - weekday(first) + 7) % 7 + 7 * (position - 1);
		return day < first + length ? day : INT_MIN;
	}
	int last = day_number(y, m, length);
	day = last - (weekday(last) - wday + 7) % 7 + 7 * (position + 1);
	return day > last - length ? day : INT_MIN;
}

// Whether a rule is one event_expander::_Simple expands: every day, week, month or year from
// the start, on the start's own date or weekdays, or a month's nth weekday.
bool simple_rule(const icalrecurrencetype& rule, const icaltimetype& start)
{
	if ((rule.rscale != nullptr && rule.rscale[0] != '\0') || rule.interval < 1
		|| start.year < 1 || start.year > 9999 || start.month < 1 || start.month > 12
		|| start.day < 1 || start.day > month_length(start.year, start.month)
		|| !empty(rule.by_second)
		|| !empty(rule.by_minute) || !empty(rule.by_hour) || !empty(rule.by_year_day)
		|| !empty(rule.by_week_no) || !empty(rule.by_set_pos))
		return false;
	bool byDay = !empty(rule.by_day);
	bool single = byDay && rule.by_day[1] == ICAL_RECURRENCE_ARRAY_MAX;
	switch (rule.freq) {
	case ICAL_DAILY_RECURRENCE:
		return !byDay && empty(rule.by_month_day) && empty(rule.by_month);
	case ICAL_WEEKLY_RECURRENCE: {
		// Plain weekdays, each named once.
		bool named[8] = {};
		for (int i = 0; byDay && i < ICAL_BY_DAY_SIZE && rule.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX;
			i++) {
			int wday = icalrecurrencetype_day_day_of_week(rule.by_day[i]);
			if (icalrecurrencetype_day_position(rule.by_day[i]) != 0 || wday < 1 || named[wday])
				return false;
			named[wday] = true;
		}
		// The library counts every other week from elsewhere when the start is not one of
		// the weekdays, or weeks start on another day than Monday.
		if (byDay && rule.interval > 1 && (rule.week_start != ICAL_MONDAY_WEEKDAY
				|| !named[weekday(day_number(start.year, start.month, start.day))]))
			return false;
		return empty(rule.by_month_day) && empty(rule.by_month);
	}
	case ICAL_MONTHLY_RECURRENCE:
		if (byDay) {
			int position = icalrecurrencetype_day_position(rule.by_day[0]);
			return single && position != 0 && position >= -5 && position <= 5
				&& empty(rule.by_month_day) && empty(rule.by_month);
		}
		return empty(rule.by_month)
			&& (empty(rule.by_month_day) || (rule.by_month_day[0] == start.day
				&& rule.by_month_day[1] == ICAL_RECURRENCE_ARRAY_MAX));
	case ICAL_YEARLY_RECURRENCE:
		return !byDay
			&& (empty(rule.by_month_day) || (rule.by_month_day[0] == start.day
				&& rule.by_month_day[1] == ICAL_RECURRENCE_ARRAY_MAX))
			&& (empty(rule.by_month) || (rule.by_month[0] == start.month
				&& rule.by_month[1] == ICAL_RECURRENCE_ARRAY_MAX));
	default:
		return false;
	}
}

}

event_expander::event_expander(icalcomponent* calendar, day_table* table, size_t order)
	: fCalendar(calendar), fTable(table), fFirst(table->first), fLast(table->last),
	fFrom(local_midnight(table->first)), fTo(local_midnight(table->last + 1)), fOrder(order)
{
}

void event_expander::Expand(icalcomponent* event, const replaced_set& replaced)
{
	icalproperty* startLine = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
	if (startLine == nullptr || icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
		return;
	fStart = with_zone(startLine, icalproperty_get_dtstart(startLine), fCalendar);
	if (icaltime_is_null_time(fStart))
		return;
	fOrder++;
	const char* summary = icalcomponent_get_summary(event);
	fSummary = summary != nullptr ? summary : "";

	icalproperty* endLine = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY);
	icalproperty* durationLine = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY);
	time_t length = 0;
	if (endLine != nullptr) {
		icaltimetype end = with_zone(endLine, icalproperty_get_dtend(endLine), fCalendar);
		if (!icaltime_is_null_time(end))
			length = fStart.is_date ? (time_t)date_of(end) - date_of(fStart)
				: instant(end) - instant(fStart);
	} else if (durationLine != nullptr) {
		length = icaldurationtype_as_int(icalproperty_get_duration(durationLine));
		if (fStart.is_date)
			length /= 86400;
	} else if (fStart.is_date)
		length = 1;
	const time_t kCentury = 100 * 366 * 86400LL;
	fReach = std::min(std::max(length, (time_t)(fStart.is_date ? 1 : 0)), kCentury);

	fExcludedTimes.clear();
	fExcludedDates.clear();
	fSeen.clear();
	for (icalproperty* line = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY);
		line != nullptr; line = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
		icaltimetype t = with_zone(line, icalproperty_get_exdate(line), fCalendar);
		if (t.is_date)
			fExcludedDates.insert(date_of(t));
		else
			fExcludedTimes.insert(instant(t));
	}
	// A master's instances that its own exceptions replace are theirs to show.
	if (icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY) == nullptr) {
		const char* uid = icalcomponent_get_uid(event);
		auto from = replaced.lower_bound({uid != nullptr ? uid : "", std::numeric_limits<time_t>::min()});
		for (; from != replaced.end() && from->first == (uid != nullptr ? uid : ""); ++from)
			fExcludedTimes.insert(from->second);
	}

	bool ruled = false;
	for (icalproperty* line = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
		line != nullptr; line = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
		_Rule(icalproperty_get_rrule(line));
		ruled = true;
	}
	for (icalproperty* line = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
		line != nullptr; line = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
		icaldatetimeperiodtype date = icalproperty_get_rdate(line);
		_Add(with_zone(line, icaltime_is_null_time(date.time) ? date.period.start : date.time,
			fCalendar));
	}
	if (!ruled)
		_Add(fStart);
}

// Takes the rule's next occurrence, on `day`, counted in `count`; false once the series or
// the prepared days are over.
bool event_expander::_Occurrence(int day, const icalrecurrencetype& rule, int* count)
{
	if (rule.count > 0 && ++*count > rule.count)
		return false;
	if (day > fToDay || day > fUntilDay + 1)
		return false;
	icaltimetype t = fStart;
	civil(day, &t.year, &t.month, &t.day);
	if (day >= fUntilDay - 1 && icaltime_compare(t, rule.until) > 0)
		return false;
	if (day >= fFromDay) {
		time_t at = instant(t);
		if (at >= fTo)
			return false;
		if (t.zone != nullptr && !t.is_date && !icaltime_is_utc(t)) {
			// A wall time that a change to summer time skips is moved on by the change,
			// as the library does.
			icaltimetype back = icaltime_from_timet_with_zone(at, 0, (icaltimezone*)t.zone);
			int skipped = (date_of(t) - date_of(back)) * 86400
				+ ((t.hour - back.hour) * 60 + t.minute - back.minute) * 60 + t.second - back.second;
			if (skipped > 0)
				icaltime_adjust(&t, 0, 0, 0, skipped);
		}
		_Add(t);
	}
	return true;
}

bool event_expander::_Simple(const icalrecurrencetype& rule)
{
	if (!simple_rule(rule, fStart))
		return false;
	int start = date_of(fStart);
	int reachDays = fStart.is_date ? (int)fReach : (int)(fReach / 86400) + 1;
	fFromDay = fFirst - reachDays - kZoneMargin - 1;
	fToDay = fLast + kZoneMargin + 1;
	fUntilDay = icaltime_is_null_time(rule.until) ? INT_MAX - 2 : date_of(rule.until);
	int interval = rule.interval;
	int count = 0;
	switch (rule.freq) {
	case ICAL_DAILY_RECURRENCE: {
		// Every occurrence counts, so the first one worth making is found by division.
		long long skip = fFromDay > start ? (fFromDay - start) / interval : 0;
		count = (int)std::min<long long>(skip, INT_MAX / 2);
		for (long long day = start + skip * interval; day <= fToDay; day += interval) {
			if (!_Occurrence((int)day, rule, &count))
				break;
		}
		break;
	}
	case ICAL_WEEKLY_RECURRENCE: {
		bool days[8] = {};
		int perWeek = 0;
		if (empty(rule.by_day))
			days[weekday(start)] = true;
		for (int i = 0; i < ICAL_BY_DAY_SIZE && rule.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; i++)
			days[icalrecurrencetype_day_day_of_week(rule.by_day[i])] = true;
		for (int w = 1; w <= 7; w++)
			perWeek += days[w];
		int weekStart = rule.week_start >= ICAL_SUNDAY_WEEKDAY
			&& rule.week_start <= ICAL_SATURDAY_WEEKDAY ? rule.week_start : ICAL_MONDAY_WEEKDAY;
		int week = start - (weekday(start) - weekStart + 7) % 7;
		int firstWeek = 0;
		for (int day = start; day < week + 7; day++)
			firstWeek += days[weekday(day)];
		// Whole weeks of the rule that end before the first day worth making.
		long long skip = fFromDay > week + 7 ? (fFromDay - week - 7) / (7LL * interval) : 0;
		if (skip > 0) {
			count = (int)std::min<long long>(firstWeek + (skip - 1) * perWeek, INT_MAX / 2);
			week += (int)std::min<long long>(skip * 7 * interval, INT_MAX / 4);
		}
		for (bool going = true; going && week <= fToDay; week += 7 * interval) {
			for (int day = std::max(week, start); going && day < week + 7; day++) {
				if (days[weekday(day)])
					going = _Occurrence(day, rule, &count);
			}
		}
		break;
	}
	case ICAL_MONTHLY_RECURRENCE:
	case ICAL_YEARLY_RECURRENCE: {
		// Months without the date (or the nth weekday) are passed over, uncounted.
		bool yearly = rule.freq == ICAL_YEARLY_RECURRENCE;
		int step = yearly ? 12 * interval : interval;
		int wday = 0, position = 0;
		if (!yearly && !empty(rule.by_day)) {
			wday = icalrecurrencetype_day_day_of_week(rule.by_day[0]);
			position = icalrecurrencetype_day_position(rule.by_day[0]);
		}
		for (int month = fStart.year * 12 + fStart.month - 1; month / 12 <= 9999; month += step) {
			int y = month / 12, m = month % 12 + 1;
			int day = position != 0 ? nth_weekday(y, m, wday, position)
				: fStart.day <= month_length(y, m) ? day_number(y, m, fStart.day) : INT_MIN;
			if (day == INT_MIN || day < start)
				continue;
			if (day > fToDay || !_Occurrence(day, rule, &count))
				break;
		}
		break;
	}
	default:
		return false;
	}
	return true;
}

void event_expander::_Rule(icalrecurrencetype rule)
{
	// A rule that ended before the prepared days is left without making its iterator.
	int reachDays = fStart.is_date ? (int)fReach : (int)(fReach / 86400) + 1;
	if (!icaltime_is_null_time(rule.until)
		&& date_of(rule.until) + 1 + reachDays + kZoneMargin < fFirst)
		return;
	if (!event_rules_by_library && _Simple(rule))
		return;
	icalrecur_iterator* iterator = icalrecur_iterator_new(rule, fStart);
	if (iterator == nullptr)
		return;
	// Instances that end before the first day are skipped without being made; the library
	// cannot skip under a COUNT, which has to be counted from the start.
	time_t skip = fFrom - (fStart.is_date ? fReach * 86400 : fReach) - kZoneMargin * 86400;
	if (rule.count == 0 && skip > instant(fStart)) {
		icalrecur_iterator_set_start(iterator,
			icaltime_from_timet_with_zone(skip, fStart.is_date, fStart.zone));
	}
	for (int step = 0; step < kStepLimit; step++) {
		icaltimetype t = icalrecur_iterator_next(iterator);
		if (icaltime_is_null_time(t))
			break;
		t.zone = fStart.zone;
		if (instant(t) >= fTo)
			break;
		_Add(t);
	}
	icalrecur_iterator_free(iterator);
}

void event_expander::_Add(icaltimetype t)
{
	if (icaltime_is_null_time(t))
		return;
	time_t at = instant(t);
	if (fExcludedTimes.count(at) != 0 || fExcludedDates.count(date_of(t)) != 0
		|| !fSeen.insert(at).second)
		return;
	int first, last;
	if (fStart.is_date) {
		first = date_of(t);
		last = first + (int)fReach - 1;
	} else {
		first = local_day(at);
		last = local_day(fReach > 0 ? at + fReach - 1 : at);
	}
	for (int day = std::max(first, fFirst); day <= std::min(last, fLast); day++)
		fTable->days[day - fFirst].push_back({at, fOrder, fSummary});
}

namespace {

size_t expand_calendar(icalcomponent* calendar, day_table* table, size_t order)
{
	replaced_set replaced;
	for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
		event != nullptr;
		event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
		icalproperty* line = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
		const char* uid = icalcomponent_get_uid(event);
		if (line != nullptr && uid != nullptr) {
			replaced.insert({uid,
				instant(with_zone(line, icalproperty_get_recurrenceid(line), calendar))});
		}
	}
	event_expander expander(calendar, table, order);
	for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
		event != nullptr;
		event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
		expander.Expand(event, replaced);
	return expander.Order();
}
}

void expand_calendars(const std::vector<calendar_text>& calendars, day_table* table)
{
	int first = table->first, last = table->last;
	// The parser would stop the program at an error of the text otherwise.
	icalerror_set_errors_are_fatal(0);
	// The month-days the prepared days reach, for events that come back yearly.
	std::vector<bool> yearly(13 * 32, false);
	for (int day = first - kZoneMargin - kYearlyReach; day <= last + kZoneMargin
		&& day - first < 400; day++) {
		int y, m, d;
		civil(day, &y, &m, &d);
		yearly[m * 32 + d] = true;
	}
	size_t order = 0;
	for (const calendar_text& text : calendars) {
		// Only the events that can touch the days are handed to the parser, with every
		// time zone the file defines.
		std::string picked = "BEGIN:VCALENDAR\r\n";
		for (const event_block& zone : text.zones)
			picked.append(text.text, zone.begin, zone.end - zone.begin);
		size_t size = picked.size();
		for (const event_block& event : text.events) {
			if (event.last >= first && event.first <= last
				&& (event.yearly < 0 || last - first >= 400 || yearly[event.yearly]))
				picked.append(text.text, event.begin, event.end - event.begin);
		}
		if (picked.size() == size)
			continue;
		picked += "END:VCALENDAR\r\n";
		icalcomponent* calendar = icalparser_parse_string(picked.c_str());
		if (calendar == nullptr)
			continue;
		order = expand_calendar(calendar, table, order);
		icalcomponent_free(calendar);
	}
}
