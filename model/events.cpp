#include "model/events.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include <libical/ical.h>

#include "model/design_paths.h"

std::vector<std::string> event_sources;
bool event_rules_by_library = false;

namespace {

// A time in one zone falls at most this many days from the same time's local date.
const int kZoneMargin = 2;
// The longest yearly event, in days, whose dates are told from its text.
const int kYearlyReach = 7;
// Steps one rule may take over one preparation: a bad rule (every second) cannot hold us.
const int kStepLimit = 50000;
// Prepared dates are widened to cover the next request up to this span, so calendars of
// neighbouring months share one preparation.
const int kWidestPreparation = 800;
const size_t kFileLimit = 64 * 1024 * 1024;

// One component of a source's text, with the days it can touch: [first, last].
struct block {
	size_t begin;
	size_t end;
	int first;
	int last;
	// For an event that comes back every year on its first date: that date's month * 32 +
	// day, else -1. Most of a calendar's birthdays then need no parsing.
	int yearly;
};

struct calendar_text {
	std::string text;
	std::vector<block> zones;
	std::vector<block> events;
};

struct entry {
	time_t start;
	size_t order;
	std::string summary;
};

std::vector<calendar_text> g_calendars;
// The prepared days [g_first, g_last], each with its events.
int g_first = 1;
int g_last = 0;
std::vector<std::vector<entry>> g_days;

// Days since 1970-01-01 of a civil date, and back.
int day_number(int y, int m, int d)
{
	y -= m <= 2;
	int era = (y >= 0 ? y : y - 399) / 400;
	int yoe = y - era * 400;
	int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
	int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
	return era * 146097 + doe - 719468;
}

void civil(int day, int* y, int* m, int* d)
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

time_t local_time(int y, int m, int d, int hour = 0, int minute = 0, int second = 0)
{
	struct tm t = {};
	t.tm_year = y - 1900;
	t.tm_mon = m - 1;
	t.tm_mday = d;
	t.tm_hour = hour;
	t.tm_min = minute;
	t.tm_sec = second;
	t.tm_isdst = -1;
	return mktime(&t);
}

time_t local_midnight(int day)
{
	int y, m, d;
	civil(day, &y, &m, &d);
	return local_time(y, m, d);
}

int local_day(time_t when)
{
	struct tm t;
	if (localtime_r(&when, &t) == nullptr)
		return 0;
	return day_number(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
}

void complain(const std::string& source, const std::string& reason)
{
	fprintf(stderr, "tevra: events: %s: %s\n", source.c_str(), reason.c_str());
}

// A source that shows no events: said on standard error and kept for config mode to show.
void leave_out(const std::string& source, const std::string& reason)
{
	complain(source, reason + "; its events are left out");
	unread_files.push_back(source + ": " + reason);
}

// --- Reading the sources -------------------------------------------------------------------

bool starts_with_nocase(const std::string& text, const char* prefix)
{
	return strncasecmp(text.c_str(), prefix, strlen(prefix)) == 0;
}

bool is_feed(const std::string& source)
{
	return starts_with_nocase(source, "http://") || starts_with_nocase(source, "https://")
		|| starts_with_nocase(source, "webcal://");
}

bool read_file(const std::string& path, std::string* text, std::string* reason)
{
	// Only a regular file; opening without waiting, so a named pipe cannot hold the program.
	int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0) {
		*reason = strerror(errno);
		return false;
	}
	struct stat st;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (size_t)st.st_size > kFileLimit) {
		*reason = "not a readable file of a calendar's size";
		::close(fd);
		return false;
	}
	text->resize(st.st_size);
	size_t done = 0;
	while (done < text->size()) {
		ssize_t got = ::read(fd, &(*text)[done], text->size() - done);
		if (got < 0 && errno == EINTR)
			continue;
		if (got <= 0)
			break;
		done += got;
	}
	::close(fd);
	text->resize(done);
	return true;
}

std::string cache_folder()
{
	const char* cache = getenv("XDG_CACHE_HOME");
	if (cache != nullptr && cache[0] == '/')
		return std::string(cache) + "/tevra/events";
	const char* home = getenv("HOME");
	return std::string(home != nullptr ? home : "") + "/.cache/tevra/events";
}

// The kept copy of a feed, named by a hash of its address.
std::string cache_path(const std::string& url)
{
	uint64_t hash = 14695981039346656037ull;
	for (unsigned char c : url)
		hash = (hash ^ c) * 1099511628211ull;
	char name[32];
	snprintf(name, sizeof(name), "%016llx.ics", (unsigned long long)hash);
	return cache_folder() + "/" + name;
}

void make_folders(const std::string& folder)
{
	for (size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
		mkdir(folder.substr(0, slash).c_str(), 0700);
		if (slash == std::string::npos)
			break;
	}
}

// Written beside its place and renamed over it, so a reader never meets half a copy.
void keep_copy(const std::string& path, const std::string& text)
{
	make_folders(path.substr(0, path.rfind('/')));
	std::string temporary = path + ".XXXXXX";
	int fd = mkstemp(&temporary[0]);
	if (fd < 0)
		return;
	bool written = ::write(fd, text.data(), text.size()) == (ssize_t)text.size();
	if (::close(fd) != 0 || !written || rename(temporary.c_str(), path.c_str()) != 0)
		unlink(temporary.c_str());
}

// Unfolds the content line that starts at `at` (RFC 5545 folds long lines by a line break
// and one space or tab); `next` is where the following line starts.
std::string content_line(const std::string& text, size_t at, size_t* next)
{
	std::string line;
	for (;;) {
		size_t end = text.find('\n', at);
		if (end == std::string::npos)
			end = text.size();
		size_t stop = end > at && text[end - 1] == '\r' ? end - 1 : end;
		line.append(text, at, stop - at);
		at = end < text.size() ? end + 1 : end;
		if (at >= text.size() || (text[at] != ' ' && text[at] != '\t'))
			break;
		at++;
	}
	*next = at;
	return line;
}

// A property's name (upper case) and its value, after the first colon outside quotes.
void split_line(const std::string& line, std::string* name, std::string* value)
{
	size_t end = line.find_first_of(";:");
	name->assign(line, 0, end);
	for (char& c : *name)
		c = (char)toupper((unsigned char)c);
	bool quoted = false;
	for (size_t i = 0; i < line.size(); i++) {
		if (line[i] == '"')
			quoted = !quoted;
		else if (line[i] == ':' && !quoted) {
			value->assign(line, i + 1, std::string::npos);
			return;
		}
	}
	value->clear();
}

// The day of a value that starts with YYYYMMDD; false for any other value.
bool value_day(const char* value, int* day)
{
	int digits[8];
	for (int i = 0; i < 8; i++) {
		if (value[i] < '0' || value[i] > '9')
			return false;
		digits[i] = value[i] - '0';
	}
	int y = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
	int m = digits[4] * 10 + digits[5];
	int d = digits[6] * 10 + digits[7];
	if (m < 1 || m > 12 || d < 1 || d > 31)
		return false;
	*day = day_number(y, m, d);
	return true;
}

std::string upper(std::string text)
{
	for (char& c : text)
		c = (char)toupper((unsigned char)c);
	while (!text.empty() && (unsigned char)text.back() <= ' ')
		text.pop_back();
	return text;
}

// What an event's lines say about the days it can touch, read without parsing it.
struct event_shape {
	int start = INT_MIN;	// DTSTART's day; INT_MIN when not read
	int end = INT_MIN;	// DTEND's day
	int until = INT_MIN;	// the last day of its rules: INT_MIN without one, INT_MAX open
	bool always = false;	// shapes left to the parser
	bool yearly = false;	// every rule comes back yearly on the first date
	bool other = false;	// some rule does something else
};

void note(event_shape* shape, const std::string& name, const std::string& value)
{
	int day;
	if (name == "DTSTART")
		shape->always |= !value_day(value.c_str(), &shape->start);
	else if (name == "DTEND")
		shape->always |= !value_day(value.c_str(), &shape->end);
	else if (name == "RRULE") {
		size_t until = value.find("UNTIL=");
		if (until != std::string::npos && value_day(value.c_str() + until + 6, &day))
			shape->until = std::max(shape->until, day);
		else
			shape->until = INT_MAX;
		std::string rule = upper(value);
		bool yearly = rule.find("FREQ=YEARLY") != std::string::npos
			&& rule.find("BY") == std::string::npos && rule.find("INTERVAL") == std::string::npos;
		shape->yearly |= yearly;
		shape->other |= !yearly;
	} else if (name == "DURATION" || name == "RDATE" || name == "RECURRENCE-ID")
		shape->always = true;
}

void close_shape(const event_shape& shape, block* event)
{
	event->first = INT_MIN;
	event->last = INT_MAX;
	event->yearly = -1;
	if (shape.always || shape.start == INT_MIN)
		return;
	event->first = shape.start - kZoneMargin;
	if (shape.yearly && !shape.other
		&& (shape.end == INT_MIN || shape.end - shape.start <= kYearlyReach)) {
		int y, m, d;
		civil(shape.start, &y, &m, &d);
		event->yearly = m * 32 + d;
	}
	if (shape.until != INT_MAX)
		event->last = std::max({shape.start, shape.end, shape.until}) + kZoneMargin;
}


// Whether the line at `at` is one the index reads; the others are skipped unread.
bool wanted(const std::string& text, size_t at)
{
	static const char* const kNames[] = {"BEGIN", "END", "DTSTART", "DTEND", "DURATION",
		"RRULE", "RDATE", "RECURRENCE-ID"};
	if (strchr("BEDRbedr", text[at]) == nullptr || text[at] == '\0')
		return false;
	for (const char* name : kNames) {
		size_t length = strlen(name);
		if (strncasecmp(text.c_str() + at, name, length) == 0
			&& (text[at + length] == ':' || text[at + length] == ';'))
			return true;
	}
	return false;
}

// Where the line after the one at `at` starts, past its folded continuations.
size_t next_line(const std::string& text, size_t at)
{
	do {
		at = text.find('\n', at);
		if (at == std::string::npos)
			return text.size();
		at++;
	} while (at < text.size() && (text[at] == ' ' || text[at] == '\t'));
	return at;
}

// Finds the time zones and events of an iCalendar text, and what days each event can touch;
// false when the text is no whole iCalendar object.
bool index_text(calendar_text* calendar)
{
	const std::string& text = calendar->text;
	std::vector<std::string> open;
	size_t begin = 0;
	event_shape shape;
	bool whole = false;
	for (size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0, next; at < text.size();
		at = next) {
		if (!wanted(text, at)) {
			next = next_line(text, at);
			continue;
		}
		std::string name, value;
		split_line(content_line(text, at, &next), &name, &value);
		if (name == "BEGIN") {
			value = upper(value);
			if (open.empty() && value != "VCALENDAR")
				return false;
			if (open.size() == 1) {
				begin = at;
				shape = event_shape();
			}
			open.push_back(value);
		} else if (name == "END") {
			if (open.empty() || open.back() != upper(value))
				return false;
			open.pop_back();
			if (open.size() == 1) {
				block component = {begin, next, INT_MIN, INT_MAX, -1};
				if (upper(value) == "VEVENT") {
					close_shape(shape, &component);
					calendar->events.push_back(component);
				} else if (upper(value) == "VTIMEZONE")
					calendar->zones.push_back(component);
			}
			whole |= open.empty();
		} else if (open.size() == 2 && open[1] == "VEVENT")
			note(&shape, name, value);
	}
	return whole && open.empty();
}

std::string kept_on(time_t when)
{
	char text[40];
	struct tm t;
	localtime_r(&when, &t);
	strftime(text, sizeof(text), "%Y-%m-%d %H:%M", &t);
	return text;
}

// Fetches a feed, keeping a good copy; when the fetch fails the kept copy stands in.
bool read_feed(const std::string& source, calendar_text* calendar)
{
	std::string url = starts_with_nocase(source, "webcal://")
		? "https://" + source.substr(9) : source;
	std::string copy = cache_path(url);
	std::string reason;
	if (event_fetch(url, event_fetch_timeout_ms, &calendar->text, &reason)) {
		if (index_text(calendar)) {
			keep_copy(copy, calendar->text);
			return true;
		}
		reason = "the answer is not an iCalendar file";
	}
	*calendar = calendar_text();
	struct stat st;
	std::string ignored;
	if (stat(copy.c_str(), &st) == 0 && read_file(copy, &calendar->text, &ignored)
		&& index_text(calendar)) {
		complain(source, reason + "; using the copy kept on " + kept_on(st.st_mtime));
		return true;
	}
	leave_out(source, reason);
	return false;
}

bool read_source(const std::string& source, calendar_text* calendar)
{
	if (is_feed(source))
		return read_feed(source, calendar);
	std::string reason;
	if (!read_file(design_file_path(source), &calendar->text, &reason)) {
		leave_out(source, reason);
		return false;
	}
	if (!index_text(calendar)) {
		leave_out(source, "not an iCalendar file");
		return false;
	}
	return true;
}

// --- Expanding the events over the prepared days ----------------------------------------

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

// Instances of recurring events that another VEVENT of the same UID replaces or cancels.
typedef std::set<std::pair<std::string, time_t>> replaced_set;

class event_expander {
public:
	event_expander(icalcomponent* calendar, int first, int last, size_t order)
		: fCalendar(calendar), fFirst(first), fLast(last), fFrom(local_midnight(first)),
		fTo(local_midnight(last + 1)), fOrder(order) {}

	void Expand(icalcomponent* event, const replaced_set& replaced);
	size_t Order() const { return fOrder; }

private:
	void _Add(icaltimetype t);
	void _Rule(icalrecurrencetype rule);
	bool _Simple(const icalrecurrencetype& rule);
	bool _Occurrence(int day, const icalrecurrencetype& rule, int* count);

	icalcomponent* fCalendar;
	int fFirst;
	int fLast;
	time_t fFrom;
	time_t fTo;
	size_t fOrder;
	// The event at hand.
	icaltimetype fStart;
	time_t fReach;	// its length: days for an all-day event, else seconds
	std::string fSummary;
	std::set<time_t> fExcludedTimes;
	std::set<int> fExcludedDates;
	std::set<time_t> fSeen;
	// For the simple rule at hand: occurrences before fFromDay or after fToDay cannot touch
	// the prepared days; fUntilDay is its UNTIL's day, or far ahead without one.
	int fFromDay;
	int fToDay;
	int fUntilDay;
};

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
		g_days[day - fFirst].push_back({at, fOrder, fSummary});
}

size_t expand_calendar(icalcomponent* calendar, int first, int last, size_t order)
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
	event_expander expander(calendar, first, last, order);
	for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
		event != nullptr;
		event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
		expander.Expand(event, replaced);
	return expander.Order();
}

void prepare_days(int first, int last)
{
	if (first > last || (first >= g_first && last <= g_last))
		return;
	// Widened to cover what was prepared too, so calendars of nearby dates share the work.
	if (g_first <= g_last && std::max(last, g_last) - std::min(first, g_first)
		< kWidestPreparation) {
		first = std::min(first, g_first);
		last = std::max(last, g_last);
	}
	last = std::min(last, first + kWidestPreparation * 5);
	g_first = first;
	g_last = last;
	g_days.assign(last - first + 1, std::vector<entry>());
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
	for (const calendar_text& text : g_calendars) {
		// Only the events that can touch the days are handed to the parser, with every
		// time zone the file defines.
		std::string picked = "BEGIN:VCALENDAR\r\n";
		for (const block& zone : text.zones)
			picked.append(text.text, zone.begin, zone.end - zone.begin);
		size_t size = picked.size();
		for (const block& event : text.events) {
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
		order = expand_calendar(calendar, first, last, order);
		icalcomponent_free(calendar);
	}
	for (std::vector<entry>& day : g_days) {
		std::sort(day.begin(), day.end(), [](const entry& a, const entry& b) {
			return a.start != b.start ? a.start < b.start : a.order < b.order;
		});
	}
}

bool sane(int y, int m, int d)
{
	return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= 31;
}

const std::vector<entry>* entries(int y, int m, int d)
{
	if (!sane(y, m, d))
		return nullptr;
	int day = day_number(y, m, d);
	if (day < g_first || day > g_last)
		prepare_days(day_number(y, m, 1), day_number(y, m + 1, 1) - 1);
	if (day < g_first || day > g_last)
		return nullptr;
	return &g_days[day - g_first];
}

}

void load_events()
{
	g_calendars.clear();
	g_days.clear();
	g_first = 1;
	g_last = 0;
	for (const std::string& source : event_sources) {
		calendar_text calendar;
		if (read_source(source, &calendar))
			g_calendars.push_back(std::move(calendar));
	}
}

void prepare_events(int y1, int m1, int d1, int y2, int m2, int d2)
{
	if (sane(y1, m1, d1) && sane(y2, m2, d2))
		prepare_days(day_number(y1, m1, d1), day_number(y2, m2, d2));
}

bool has_event(int y, int m, int d)
{
	const std::vector<entry>* day = entries(y, m, d);
	return day != nullptr && !day->empty();
}

std::vector<std::string> event_summaries(int y, int m, int d)
{
	std::vector<std::string> summaries;
	if (const std::vector<entry>* day = entries(y, m, d)) {
		for (const entry& e : *day)
			summaries.push_back(e.summary);
	}
	return summaries;
}
