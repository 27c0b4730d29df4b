#include "model/event_expander.h"

#include <algorithm>
#include <climits>
#include <cctype>
#include <cstring>
#include <strings.h>
#include <limits>

#include <unicode/ucal.h>

#include "model/event_rule.h"
#include "model/events.h"

bool event_rules_by_library = false;

namespace {

// The longest event, in days; longer ones are cut to it.
const int kLongestEvent = 100 * 366;

// The system's zone of a Windows zone name (as Outlook writes them), or none.
icaltimezone* windows_zone(const std::string& name)
{
	UChar windows[128], id[128];
	if (name.size() >= 128)
		return nullptr;
	for (size_t i = 0; i < name.size(); i++)
		windows[i] = (unsigned char)name[i];
	UErrorCode status = U_ZERO_ERROR;
	int32_t length = ucal_getTimeZoneIDForWindowsID(windows, (int32_t)name.size(), nullptr, id,
		128, &status);
	if (U_FAILURE(status) || length <= 0 || length >= 128)
		return nullptr;
	std::string zone(id, id + length);
	return icaltimezone_get_builtin_timezone(zone.c_str());
}

// Dates written with a lower-case "t" before their time are read as the upper-case one the
// library expects.
void upper_time_marks(std::string* text)
{
	for (size_t at = text->find('t', 9); at != std::string::npos; at = text->find('t', at + 1)) {
		if (at + 1 >= text->size() || !isdigit((unsigned char)(*text)[at + 1]))
			continue;
		size_t digits = 0;
		while (digits < 8 && isdigit((unsigned char)(*text)[at - 1 - digits]))
			digits++;
		char before = (*text)[at - 9];
		if (digits == 8 && (before == ':' || before == ','))
			(*text)[at] = 'T';
	}
}

int date_of(const icaltimetype& t)
{
	return days_from_civil(t.year, t.month, t.day);
}

// The moment a time stands for (a date is local midnight, a floating time is local time), or
// earlier: a zone's wall time that a change to summer time skips comes out early by the
// change, as the library reads it with the offset after it. Good enough for a bound.
time_t instant_at_most(const icaltimetype& t)
{
	if (t.is_date)
		return local_time(t.year, t.month, t.day);
	if (icaltime_is_utc(t))
		return icaltime_as_timet(t);
	if (t.zone == nullptr)
		return local_time(t.year, t.month, t.day, t.hour, t.minute, t.second);
	return icaltime_as_timet_with_zone(t, t.zone);
}

// The moment a time stands for. A zone's wall time that a change to summer time skips is
// read with the offset before the change, which moves it on by the change; `moved` then gets
// the wall time it is moved to.
time_t instant(const icaltimetype& t, icaltimetype* moved = nullptr)
{
	time_t at = instant_at_most(t);
	if (t.is_date || icaltime_is_utc(t) || t.zone == nullptr)
		return at;
	icaltimetype back = icaltime_from_timet_with_zone(at, 0, (icaltimezone*)t.zone);
	int skipped = (date_of(t) - date_of(back)) * 86400
		+ ((t.hour - back.hour) * 60 + t.minute - back.minute) * 60 + t.second - back.second;
	if (skipped <= 0)
		return at;
	if (moved != nullptr)
		icaltime_adjust(moved, 0, 0, 0, skipped);
	return at + skipped;
}


}

event_expander::event_expander(day_table* table)
	: fCalendar(nullptr), fFloating(nullptr), fTable(table), fFirst(table->first), fLast(table->last),
	fFrom(local_midnight(table->first)), fTo(local_midnight(table->last + 1)),
	fBudget(kSourceBudget)
{
}

void event_expander::SetSource(const std::string& source, const std::string& floatingZone,
	bool zoneRefused)
{
	fSource = source;
	fZoneRefused = zoneRefused;
	fFloating = floatingZone.empty() ? nullptr : _Zone(floatingZone);
}

void event_expander::SetCalendar(icalcomponent* calendar)
{
	fCalendar = calendar;
	// A zone of the file's own belongs to the part parsed.
	fZones.clear();
}

// As calendar programs resolve a TZID: a zone the system knows by that name, else the
// file's own definition, else a Windows name's zone, else the floating times' zone, else
// local time, said once.
icaltimezone* event_expander::_Zone(const std::string& name)
{
	auto known = fZones.find(name);
	if (known != fZones.end())
		return known->second;
	icaltimezone* zone = icaltimezone_get_builtin_timezone(name.c_str());
	if (zone == nullptr && fCalendar != nullptr)
		zone = icalcomponent_get_timezone(fCalendar, name.c_str());
	if (zone == nullptr)
		zone = windows_zone(name);
	if (zone == nullptr) {
		zone = fFloating;
		if (zone == nullptr && !fZoneRefused && fTable->told.insert(fSource + "\n" + name).second)
			complain(fSource, "the time zone \"" + name + "\" is unknown; its times are read as local");
	}
	fZones[name] = zone;
	return zone;
}

icaltimetype event_expander::Zoned(icalproperty* line, icaltimetype t)
{
	if (t.is_date || icaltime_is_utc(t) || icaltime_is_null_time(t))
		return t;
	icalparameter* tzid = icalproperty_get_first_parameter(line, ICAL_TZID_PARAMETER);
	const char* name = tzid != nullptr ? icalparameter_get_tzid(tzid) : nullptr;
	icaltimezone* zone = name != nullptr ? _Zone(name) : fFloating;
	if (zone != nullptr)
		t.zone = zone;
	return t;
}

void event_expander::Expand(icalcomponent* event, const replaced_set& replaced, uint32_t order)
{
	icalproperty* startLine = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
	if (startLine == nullptr || icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED
		|| !_Spend(1))
		return;
	fStart = Zoned(startLine, icalproperty_get_dtstart(startLine));
	if (icaltime_is_null_time(fStart))
		return;
	fOrder = order;
	fSummary = (uint32_t)fTable->summaries.size();
	const char* summary = icalcomponent_get_summary(event);
	fTable->summaries.push_back(summary != nullptr ? summary : "");
	_Length(event);
	_Exclusions(event, replaced);

	bool ruled = false;
	for (icalproperty* line = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
		line != nullptr; line = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
		_Rule(icalproperty_get_rrule(line));
		ruled = true;
	}
	for (icalproperty* line = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
		line != nullptr; line = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
		icaldatetimeperiodtype date = icalproperty_get_rdate(line);
		if (!icaltime_is_null_time(date.time)) {
			_Add(Zoned(line, date.time));
			continue;
		}
		// A period has its own end, or its own length.
		icaltimetype start = Zoned(line, date.period.start);
		time_t reach = -1;
		if (!icaltime_is_null_time(date.period.end))
			reach = instant(Zoned(line, date.period.end)) - instant(start);
		else if (!icaldurationtype_is_null_duration(date.period.duration))
			reach = icaldurationtype_as_int(date.period.duration);
		_Add(start, reach < 0 ? -1 : fStart.is_date ? (reach + 86399) / 86400 : reach);
	}
	if (!ruled)
		_Add(fStart);
}

void event_expander::_Length(icalcomponent* event)
{
	icalproperty* endLine = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY);
	icalproperty* durationLine = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY);
	time_t length = 0;
	fNominalDays = 0;
	fExactSeconds = 0;
	if (endLine != nullptr) {
		icaltimetype end = Zoned(endLine, icalproperty_get_dtend(endLine));
		if (!icaltime_is_null_time(end))
			length = fStart.is_date ? (time_t)date_of(end) - date_of(fStart)
				: instant(end) - instant(fStart);
	} else if (durationLine != nullptr) {
		icaldurationtype duration = icalproperty_get_duration(durationLine);
		length = icaldurationtype_as_int(duration);
		if (fStart.is_date)
			length /= 86400;
		else if (!duration.is_neg) {
			// Days and weeks are calendar days: a day with a change of summer time is
			// 23 or 25 hours long.
			fNominalDays = (int)std::min<unsigned>(duration.weeks * 7 + duration.days,
				kLongestEvent);
			fExactSeconds = duration.hours * 3600 + duration.minutes * 60 + duration.seconds;
			length += fNominalDays > 0 ? 3600 : 0;
		}
	} else if (fStart.is_date)
		length = 1;
	fReach = std::min(std::max(length, (time_t)(fStart.is_date ? 1 : 0)),
		(time_t)kLongestEvent * (fStart.is_date ? 1 : 86400));
}

void event_expander::_Exclusions(icalcomponent* event, const replaced_set& replaced)
{
	fExcludedTimes.clear();
	fExcludedDates.clear();
	fSeen.clear();
	// An all-day series' exclusions are dates, even where they are written as midnights of
	// the calendar's zone.
	for (icalproperty* line = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY);
		line != nullptr; line = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
		icaltimetype t = Zoned(line, icalproperty_get_exdate(line));
		if (t.is_date || fStart.is_date)
			fExcludedDates.insert(date_of(t));
		else
			fExcludedTimes.insert(instant(t));
	}
	// A master's instances that its own exceptions replace are theirs to show.
	if (icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY) != nullptr)
		return;
	const char* uidText = icalcomponent_get_uid(event);
	std::string uid = uidText != nullptr ? uidText : "";
	if (fStart.is_date) {
		for (auto from = replaced.dates.lower_bound({uid, INT_MIN});
			from != replaced.dates.end() && from->first == uid; ++from)
			fExcludedDates.insert(from->second);
		return;
	}
	for (auto from = replaced.times.lower_bound({uid, std::numeric_limits<time_t>::min()});
		from != replaced.times.end() && from->first == uid; ++from)
		fExcludedTimes.insert(from->second);
}

// Whether the rule makes DTSTART its first instance, as it should; RFC 5545 counts DTSTART
// as the first instance where it does not. DTSTART's own period tells.
bool event_expander::_StartsRule(const icalrecurrencetype& rule)
{
	rule_expander own(rule, fStart);
	icaltimetype first;
	long steps = 1;
	if (!own.Valid())
		return true;
	return own.Next(&first, &steps) && first.year == fStart.year && first.month == fStart.month
		&& first.day == fStart.day && first.hour == fStart.hour && first.minute == fStart.minute
		&& first.second == fStart.second;
}

// The rule's instances from the first that can touch the prepared days, through the one
// expander; the periods it looks at come out of the source's budget.
void event_expander::_Own(rule_expander* own)
{
	int reachDays = fStart.is_date ? (int)fReach : (int)(fReach / 86400) + 1;
	own->SkipTo(fFirst - reachDays - kZoneMargin - 1);
	icaltimetype t;
	long steps = fBudget;
	while (own->Next(&t, &steps)) {
		if (instant_at_most(t) >= fTo)
			break;
		fBudget -= 1;
		_Add(t);
		if (fBudget <= 0)
			break;
	}
	// Periods looked at, found or not, were paid for.
	fBudget = std::min(fBudget, steps);
}

void event_expander::_Rule(icalrecurrencetype rule)
{
	// A rule that ended before the prepared days (DTSTART with it) is left unexpanded.
	int reachDays = fStart.is_date ? (int)fReach : (int)(fReach / 86400) + 1;
	if (!icaltime_is_null_time(rule.until)
		&& std::max(date_of(rule.until), date_of(fStart)) + 1 + reachDays + kZoneMargin < fFirst)
		return;
	if (!_StartsRule(rule)) {
		_Add(fStart);
		if (rule.count == 1)
			return;
		rule.count = std::max(rule.count - 1, 0);
	}
	rule_expander own(rule, fStart);
	if (!event_rules_by_library && own.Valid()) {
		_Own(&own);
		return;
	}
	icalrecur_iterator* iterator = icalrecur_iterator_new(rule, fStart);
	if (iterator == nullptr)
		return;
	// Instances that end before the first day are skipped without being made; the library
	// cannot skip under a COUNT, which has to be counted from the start. The skip is a
	// whole number of the rule's steps, so the series keeps its phase.
	time_t begin = instant(fStart);
	time_t skip = fFrom - (fStart.is_date ? fReach * 86400 : fReach) - kZoneMargin * 86400;
	long unit = rule.freq == ICAL_SECONDLY_RECURRENCE ? 1 : rule.freq == ICAL_MINUTELY_RECURRENCE
		? 60 : rule.freq == ICAL_HOURLY_RECURRENCE ? 3600 : 0;
	if (rule.count == 0 && skip > begin && (unit > 0 || rule.interval <= 1)) {
		if (unit > 0)
			skip = begin + (skip - begin) / (unit * rule.interval) * (unit * rule.interval);
		icalrecur_iterator_set_start(iterator,
			icaltime_from_timet_with_zone(skip, fStart.is_date, fStart.zone));
	}
	while (_Spend(1)) {
		icaltimetype t = icalrecur_iterator_next(iterator);
		if (icaltime_is_null_time(t))
			break;
		t.zone = fStart.zone;
		if (instant_at_most(t) >= fTo)
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

void event_expander::_Add(icaltimetype t, time_t reach)
{
	if (icaltime_is_null_time(t) || !_Spend(1))
		return;
	// Nominal days count from the wall time it starts at.
	icaltimetype end = t;
	time_t at = instant(t, &end);
	if (fExcludedTimes.count(at) != 0 || fExcludedDates.count(date_of(t)) != 0
		|| !fSeen.insert(at).second)
		return;
	if (reach < 0 && fNominalDays > 0 && !t.is_date) {
		icaltime_adjust(&end, fNominalDays, 0, 0, 0);
		reach = instant(end) + fExactSeconds - at;
	}
	reach = reach < 0 ? fReach : std::min(reach, fStart.is_date ? (time_t)kLongestEvent
		: (time_t)kLongestEvent * 86400);
	int first, last;
	if (t.is_date) {
		first = date_of(t);
		last = first + (int)std::max(reach, (time_t)1) - 1;
	} else {
		first = local_day(at);
		last = local_day(reach > 0 ? at + reach - 1 : at);
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
void note_replaced(icalcomponent* calendar, event_expander* expander, replaced_set* replaced)
{
	for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
		event != nullptr;
		event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
		icalproperty* line = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
		const char* uid = icalcomponent_get_uid(event);
		if (line == nullptr || uid == nullptr)
			continue;
		icaltimetype t = expander->Zoned(line, icalproperty_get_recurrenceid(line));
		replaced->times.insert({uid, instant(t)});
		replaced->dates.insert({uid, date_of(t)});
	}
}

// Whether a property is one expansion reads; a line whose name is not whole on its first
// line is kept too.
bool needed(const char* line, size_t length)
{
	static const char* const kNames[] = {"BEGIN", "END", "DTSTART", "DTEND", "DURATION",
		"RRULE", "RDATE", "EXDATE", "RECURRENCE-ID", "UID", "SUMMARY", "STATUS"};
	size_t name = 0;
	while (name < length && line[name] != ':' && line[name] != ';')
		name++;
	if (name == length)
		return true;
	for (const char* wanted : kNames) {
		if (strlen(wanted) == name && strncasecmp(line, wanted, name) == 0)
			return true;
	}
	return false;
}

// Appends the event text[begin, end) with only the lines expansion reads: the parser then
// skips what a calendar carries for people (descriptions, attendees, alarms), most of its text.
void append_needed(std::string* part, const std::string& text, size_t begin, size_t end)
{
	for (size_t at = begin; at < end;) {
		size_t stop = at;
		// The line with its folded continuations.
		do {
			const void* found = memchr(text.data() + stop, '\n', end - stop);
			stop = found != nullptr ? (const char*)found - text.data() + 1 : end;
		} while (stop < end && (text[stop] == ' ' || text[stop] == '\t'));
		const void* lineEnd = memchr(text.data() + at, '\n', stop - at);
		size_t first = lineEnd != nullptr ? (const char*)lineEnd - text.data() - at : stop - at;
		if (needed(text.data() + at, first))
			part->append(text, at, stop - at);
		at = stop;
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
		append_needed(&part, text.text, text.events[index].begin, text.events[index].end);
	part += "END:VCALENDAR\r\n";
	upper_time_marks(&part);
	icalcomponent* calendar = icalparser_parse_string(part.c_str());
	if (calendar == nullptr)
		return;
	expander->SetCalendar(calendar);
	note_replaced(calendar, expander, replaced);
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
	expander.SetSource(text.source, text.floating_zone, text.zone_refused);
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

void prepare_zones(const calendar_text& calendar)
{
	const size_t kZonesAhead = 8;
	time_t now = time(nullptr);
	struct tm today;
	if (localtime_r(&now, &today) == nullptr)
		return;
	std::set<std::string> seen;
	const std::string& text = calendar.text;
	for (size_t at = text.find("TZID="); at != std::string::npos && seen.size() < kZonesAhead;
		at = text.find("TZID=", at + 5)) {
		size_t end = std::min(text.find_first_of(":;\r\n", at + 5), at + 69);
		std::string name = text.substr(at + 5, end - at - 5);
		if (name.empty() || !seen.insert(name).second)
			continue;
		icaltimezone* zone = icaltimezone_get_builtin_timezone(name.c_str());
		if (zone == nullptr)
			continue;
		icaltimetype t = icaltime_null_time();
		t.year = today.tm_year + 1900;
		t.month = 1;
		t.day = 1;
		icaltimezone_get_utc_offset(zone, &t, nullptr);
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
