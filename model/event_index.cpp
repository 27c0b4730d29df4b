#include "model/event_parts.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

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

void close_shape(const event_shape& shape, event_block* event)
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

}

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
				event_block component = {begin, next, INT_MIN, INT_MAX, -1};
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