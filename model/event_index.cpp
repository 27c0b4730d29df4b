#include "model/event_parts.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// How deep components may nest; real calendars go three deep.
const size_t kDeepestNesting = 64;

// Unfolds the content line that starts at `at` into *line (RFC 5545 folds long lines by a
// line break and one space or tab); `next` is where the following line starts. The buffer is
// the caller's, so reading a large file does not allocate for every line.
void content_line(const std::string& text, size_t at, size_t* next, std::string* line)
{
	line->clear();
	for (;;) {
		size_t end = text.find('\n', at);
		if (end == std::string::npos)
			end = text.size();
		size_t stop = end > at && text[end - 1] == '\r' ? end - 1 : end;
		line->append(text, at, stop - at);
		at = end < text.size() ? end + 1 : end;
		if (at >= text.size() || (text[at] != ' ' && text[at] != '\t'))
			break;
		at++;
	}
	*next = at;
}

// A property's value: what follows the first colon outside quotes.
void line_value(const std::string& line, std::string* value)
{
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

// The properties the index reads; the others are skipped unread.
enum property { kOther, kBegin, kEnd, kDtStart, kDtEnd, kDuration, kRRule, kRDate,
	kRecurrenceId, kWrTimezone };

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
	*day = days_from_civil(y, m, d);
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

std::string trimmed(std::string text)
{
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
	bool exception = false;	// it replaces an instance of a series
	bool yearly = false;	// every rule comes back yearly on the first date
	bool other = false;	// some rule does something else
};

void note(event_shape* shape, property name, const std::string& value)
{
	int day;
	if (name == kDtStart)
		shape->always |= !value_day(value.c_str(), &shape->start);
	else if (name == kDtEnd)
		shape->always |= !value_day(value.c_str(), &shape->end);
	else if (name == kRRule) {
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
	} else if (name == kDuration || name == kRDate || name == kRecurrenceId) {
		shape->always = true;
		shape->exception |= name == kRecurrenceId;
	}
}

void close_shape(const event_shape& shape, event_block* event)
{
	event->first = INT_MIN;
	event->last = INT_MAX;
	event->yearly = -1;
	event->exception = shape.exception;
	if (shape.always || shape.start == INT_MIN)
		return;
	event->first = shape.start - kZoneMargin;
	if (shape.yearly && !shape.other
		&& (shape.end == INT_MIN || shape.end - shape.start <= kYearlyReach)) {
		int y, m, d;
		civil_from_days(shape.start, &y, &m, &d);
		event->yearly = m * 32 + d;
	}
	// The last occurrence starts by UNTIL's day and lasts as long as the first.
	int length = shape.end != INT_MIN ? std::max(shape.end - shape.start, 0) : 0;
	if (shape.until != INT_MAX)
		event->last = std::max({shape.start, shape.end, shape.until + length}) + kZoneMargin;
}


// Whether the line starts with the property `name` (upper case), in any case.
bool named(const char* line, const char* name)
{
	for (; *name != '\0'; line++, name++) {
		char c = *line >= 'a' && *line <= 'z' ? (char)(*line - 'a' + 'A') : *line;
		if (c != *name)
			return false;
	}
	return *line == ':' || *line == ';';
}

// Which property a line that starts with `line` is, of those the index reads; asked of every
// line of a file, so it looks at the first letter first.
property wanted_name(const char* line)
{
	switch (line[0]) {
		case 'B': case 'b':
			return named(line, "BEGIN") ? kBegin : kOther;
		case 'E': case 'e':
			return named(line, "END") ? kEnd : kOther;
		case 'D': case 'd':
			return named(line, "DTSTART") ? kDtStart : named(line, "DTEND") ? kDtEnd
				: named(line, "DURATION") ? kDuration : kOther;
		case 'R': case 'r':
			return named(line, "RRULE") ? kRRule : named(line, "RDATE") ? kRDate
				: named(line, "RECURRENCE-ID") ? kRecurrenceId : kOther;
		case 'X': case 'x':
			return named(line, "X-WR-TIMEZONE") ? kWrTimezone : kOther;
		default:
			return kOther;
	}
}

// Which property the line at `at` is, of those the index reads. A name folded across lines
// is read unfolded.
property wanted(const std::string& text, size_t at, std::string* buffer)
{
	property name = wanted_name(text.c_str() + at);
	if (name != kOther)
		return name;
	size_t end = text.find('\n', at);
	if (end == std::string::npos || end + 1 >= text.size()
		|| (text[end + 1] != ' ' && text[end + 1] != '\t') || end - at > 20)
		return kOther;
	size_t ignored;
	content_line(text, at, &ignored, buffer);
	return wanted_name(buffer->substr(0, 32).c_str());
}

// Whether a rule's frequency is hourly or finer: a time zone so ruled would make the library
// step through every change since its start.
bool finer_than_daily(const std::string& rule)
{
	std::string text = upper(rule);
	size_t freq = text.find("FREQ=");
	return freq != std::string::npos && (text.compare(freq + 5, 8, "SECONDLY") == 0
		|| text.compare(freq + 5, 8, "MINUTELY") == 0 || text.compare(freq + 5, 6, "HOURLY") == 0);
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

}

bool index_text(calendar_text* calendar, std::string* reason)
{
	const std::string& text = calendar->text;
	std::vector<std::string> open;
	size_t begin = 0;
	event_shape shape;
	bool whole = false;
	bool zoneTooFine = false;
	*reason = "not an iCalendar file";
	std::string line, value;
	for (size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0, next; at < text.size();
		at = next) {
		property name = wanted(text, at, &line);
		if (name == kOther) {
			next = next_line(text, at);
			continue;
		}
		content_line(text, at, &next, &line);
		line_value(line, &value);
		if (name == kBegin) {
			value = upper(value);
			if (open.empty() && value != "VCALENDAR")
				return false;
			// The library frees components recursively: a deep nest would overflow the stack.
			if (open.size() >= kDeepestNesting) {
				*reason = "its components nest deeper than " + std::to_string(kDeepestNesting);
				return false;
			}
			if (open.size() == 1) {
				begin = at;
				shape = event_shape();
			}
			open.push_back(value);
		} else if (name == kEnd) {
			value = upper(value);
			if (open.empty() || open.back() != value)
				return false;
			open.pop_back();
			if (open.size() == 1) {
				event_block component = {begin, next, INT_MIN, INT_MAX, -1, false};
				if (value == "VEVENT") {
					close_shape(shape, &component);
					calendar->events.push_back(component);
				} else if (value == "VTIMEZONE" && !zoneTooFine)
					calendar->zones.push_back(component);
				else if (value == "VTIMEZONE" && !calendar->zone_refused) {
					calendar->zone_refused = true;
					complain(calendar->source, "a time zone that changes more often than daily "
						"is left out");
				}
				zoneTooFine = false;
			}
			whole |= open.empty();
		} else if (open.size() == 2 && open[1] == "VEVENT")
			note(&shape, name, value);
		else if (open.size() == 1 && name == kWrTimezone)
			calendar->floating_zone = trimmed(value);
		else if (open.size() == 3 && open[1] == "VTIMEZONE" && name == kRRule)
			zoneTooFine |= finer_than_daily(value);
	}
	return whole && open.empty();
}
