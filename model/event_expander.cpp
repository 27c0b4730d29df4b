#include "model/event_expander.h"

#include <algorithm>
#include <climits>
#include <limits>

#include "model/events.h"

bool event_rules_by_library = false;

namespace {

// The longest event, in days; longer ones are cut to it.
const int kLongestEvent = 100 * 366;

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
	return days_from_civil(t.year, t.month, t.day);
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
	return weekday_of_day(day) + 1;
}

// The day of a month that the month's `position`th `wday` falls on, counted from its end
// when negative; INT_MIN when the month has none.
int nth_weekday(int y, int m, int wday, int position)
{
	int length = days_in_month(y, m);
	int day;
	if (position > 0) {
		int first = days_from_civil(y, m, 1);
		day = first + (wday - weekday(first) + 7) % 7 + 7 * (position - 1);
		return day < first + length ? day : INT_MIN;
	}
	int last = days_from_civil(y, m, length);
	day = last - (weekday(last) - wday + 7) % 7 + 7 * (position + 1);
	return day > last - length ? day : INT_MIN;
}

// Whether a rule is one event_expander::_Simple expands: every day, week, month or year from
// the start, on the start's own date or weekdays, or a month's nth weekday.
bool simple_rule(const icalrecurrencetype& rule, const icaltimetype& start)
{
	if ((rule.rscale != nullptr && rule.rscale[0] != '\0') || rule.interval < 1
		|| start.year < 1 || start.year > 9999 || start.month < 1 || start.month > 12
		|| start.day < 1 || start.day > days_in_month(start.year, start.month)
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
				|| !named[weekday(days_from_civil(start.year, start.month, start.day))]))
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

event_expander::event_expander(day_table* table)
	: fCalendar(nullptr), fTable(table), fFirst(table->first), fLast(table->last),
	fFrom(local_midnight(table->first)), fTo(local_midnight(table->last + 1)),
	fBudget(kSourceBudget)
{
}

void event_expander::Expand(icalcomponent* event, const replaced_set& replaced, uint32_t order)
{
	icalproperty* startLine = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
	if (startLine == nullptr || icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED
		|| !_Spend(1))
		return;
	fStart = with_zone(startLine, icalproperty_get_dtstart(startLine), fCalendar);
	if (icaltime_is_null_time(fStart))
		return;
	fOrder = order;
	fSummary = (uint32_t)fTable->summaries.size();
	const char* summary = icalcomponent_get_summary(event);
	fTable->summaries.push_back(summary != nullptr ? summary : "");

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
	fReach = std::min(std::max(length, (time_t)(fStart.is_date ? 1 : 0)),
		(time_t)kLongestEvent * (fStart.is_date ? 1 : 86400));

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
	if (!_Spend(1))
		return false;
	if (rule.count > 0 && ++*count > rule.count)
		return false;
	if (day > fToDay || day > fUntilDay + 1)
		return false;
	icaltimetype t = fStart;
	civil_from_days(day, &t.year, &t.month, &t.day);
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
		int month = fStart.year * 12 + fStart.month - 1;
		// The steps before the prepared days are stepped over at once when none has to be
		// counted, or when each has its occurrence (its first one included).
		bool everyStep = position != 0
			? position >= -4 && position <= 4
				&& nth_weekday(fStart.year, fStart.month, wday, position) >= start
			: yearly ? fStart.month != 2 || fStart.day <= 28 : fStart.day <= 28;
		int y, m, d;
		civil_from_days(fFromDay, &y, &m, &d);
		int from = y * 12 + m - 2;
		if ((rule.count == 0 || everyStep) && from > month) {
			int steps = (from - month) / step;
			month += steps * step;
			count = rule.count > 0 ? steps : 0;
		}
		for (; month / 12 <= 9999; month += step) {
			int y = month / 12, m = month % 12 + 1;
			int day = position != 0 ? nth_weekday(y, m, wday, position)
				: fStart.day <= days_in_month(y, m) ? days_from_civil(y, m, fStart.day) : INT_MIN;
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
	while (_Spend(1)) {
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

bool event_expander::_Spend(long units)
{
	fBudget -= units;
	return fBudget > 0;
}

void event_expander::_Add(icaltimetype t)
{
	if (icaltime_is_null_time(t) || !_Spend(1))
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
	first = std::max(first, fFirst);
	last = std::min(last, fLast);
	if (first > last || !_Spend(last - first + 1))
		return;
	for (int day = first; day <= last; day++)
		fTable->days[day - fFirst].push_back({at, fOrder, fSummary});
}

namespace {

// Events are parsed this many at a time, so a huge source never stands in memory whole as
// the library's objects, and one over its budget stops being parsed.
const size_t kEventsPerParse = 1000;

// The instances that exceptions replace, by UID.
void note_replaced(icalcomponent* calendar, replaced_set* replaced)
{
	for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
		event != nullptr;
		event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
		icalproperty* line = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
		const char* uid = icalcomponent_get_uid(event);
		if (line != nullptr && uid != nullptr) {
			replaced->insert({uid,
				instant(with_zone(line, icalproperty_get_recurrenceid(line), calendar))});
		}
	}
}

// Parses the events of `text` at `picked` with all its time zones, and expands them; each
// event's order is `base` plus its place in the text.
void expand_batch(const calendar_text& text, const std::string& zones,
	const std::vector<size_t>& picked, uint32_t base, replaced_set* replaced,
	event_expander* expander)
{
	std::string part = "BEGIN:VCALENDAR\r\n" + zones;
	for (size_t index : picked)
		part.append(text.text, text.events[index].begin,
			text.events[index].end - text.events[index].begin);
	part += "END:VCALENDAR\r\n";
	icalcomponent* calendar = icalparser_parse_string(part.c_str());
	if (calendar == nullptr)
		return;
	note_replaced(calendar, replaced);
	expander->SetCalendar(calendar);
	size_t at = 0;
	for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
		event != nullptr && at < picked.size() && !expander->Spent();
		event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
		expander->Expand(event, *replaced, base + (uint32_t)picked[at++]);
	icalcomponent_free(calendar);
}

// The events of one source that can touch the table's days, exceptions first so their
// series know what they replace, then the rest a batch at a time.
void expand_source(const calendar_text& text, const std::vector<bool>& yearly, uint32_t base,
	day_table* table)
{
	int first = table->first, last = table->last;
	std::string zones;
	for (const event_block& zone : text.zones)
		zones.append(text.text, zone.begin, zone.end - zone.begin);
	std::vector<size_t> exceptions, others;
	for (size_t i = 0; i < text.events.size(); i++) {
		const event_block& event = text.events[i];
		if (event.last >= first && event.first <= last
			&& (event.yearly < 0 || last - first >= 400 || yearly[event.yearly]))
			(event.exception ? exceptions : others).push_back(i);
	}
	event_expander expander(table);
	replaced_set replaced;
	if (!exceptions.empty())
		expand_batch(text, zones, exceptions, base, &replaced, &expander);
	for (size_t from = 0; from < others.size() && !expander.Spent(); from += kEventsPerParse) {
		std::vector<size_t> batch(others.begin() + from,
			others.begin() + std::min(others.size(), from + kEventsPerParse));
		expand_batch(text, zones, batch, base, &replaced, &expander);
	}
	if (expander.Spent() && table->told.insert(text.source).second)
		complain(text.source, "too many occurrences to draw; only some of its events are shown");
}

}

void expand_calendars(const std::vector<calendar_text>& calendars, day_table* table)
{
	int first = table->first, last = table->last;
	table->summaries.clear();
	// The parser would stop the program at an error of the text otherwise.
	icalerror_set_errors_are_fatal(0);
	// The month-days the prepared days reach, for events that come back yearly.
	std::vector<bool> yearly(13 * 32, false);
	for (int day = first - kZoneMargin - kYearlyReach; day <= last + kZoneMargin
		&& day - first < 400; day++) {
		int y, m, d;
		civil_from_days(day, &y, &m, &d);
		yearly[m * 32 + d] = true;
	}
	uint32_t base = 0;
	for (const calendar_text& text : calendars) {
		expand_source(text, yearly, base, table);
		base += (uint32_t)text.events.size();
	}
}
