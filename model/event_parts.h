#ifndef TEVRA_MODEL_EVENT_PARTS_H
#define TEVRA_MODEL_EVENT_PARTS_H

// What the files of the events module share among themselves; the rest of the program sees
// model/events.h only.

#include <ctime>
#include <string>
#include <vector>

// A time in one zone falls at most this many days from the same time's local date.
const int kZoneMargin = 2;
// The longest yearly event, in days, whose dates are told from its text.
const int kYearlyReach = 7;

// One component of a source's text, with the days it can touch: [first, last].
struct event_block {
	size_t begin;
	size_t end;
	int first;
	int last;
	// For an event that comes back every year on its first date: that date's month * 32 +
	// day, else -1. Most of a calendar's birthdays then need no parsing.
	int yearly;
};

// One source as read, with its index.
struct calendar_text {
	std::string source;
	std::string text;
	std::vector<event_block> zones;
	std::vector<event_block> events;
};

// One occurrence on one prepared day.
struct day_entry {
	time_t start;
	size_t order;
	std::string summary;
};

// The prepared days, from `first`, each with its occurrences.
struct day_table {
	int first = 1;
	int last = 0;
	std::vector<std::vector<day_entry>> days;
};

// Days since 1970-01-01 of a civil date, and back.
int day_number(int y, int m, int d);
void civil(int day, int* y, int* m, int* d);

// Local times of the process's zone.
time_t local_time(int y, int m, int d, int hour = 0, int minute = 0, int second = 0);
time_t local_midnight(int day);
int local_day(time_t when);

// One line on standard error about a source.
void complain(const std::string& source, const std::string& reason);

// Finds the time zones and events of calendar->text, and what days each event can touch;
// false when the text is no whole iCalendar object.
bool index_text(calendar_text* calendar);

// Reads files and fetches feeds, indexed, in the order given; a source that shows no events
// is left out with a line on standard error.
std::vector<calendar_text> read_sources(const std::vector<std::string>& sources);

// Expands the calendars' events that can touch table's days into it.
void expand_calendars(const std::vector<calendar_text>& calendars, day_table* table);

#endif
