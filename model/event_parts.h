#ifndef TEVRA_MODEL_EVENT_PARTS_H
#define TEVRA_MODEL_EVENT_PARTS_H

// What the files of the events module share among themselves; the rest of the program sees
// model/events.h only.

#include <atomic>
#include <cstdint>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "model/civil_date.h"

// A time in one zone falls at most this many days from the same time's local date.
const int kZoneMargin = 2;
// Steps and day entries one source may cost a preparation: a count, so what is drawn never
// depends on the machine's speed. A year of a busy calendar costs a few ten thousand.
const long kSourceBudget = 500000;
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
	// Whether it replaces an instance of a series (it has a RECURRENCE-ID).
	bool exception;
};

// One source as read, with its index.
struct calendar_text {
	std::string source;
	std::string text;
	std::vector<event_block> zones;
	std::vector<event_block> events;
	// X-WR-TIMEZONE: the zone of its floating times, or empty.
	std::string floating_zone;
	// Whether a zone of its own was left out (and named on standard error then).
	bool zone_refused = false;
};

// An event's occurrence on one prepared day: `order` is the event's place among all the
// sources' events, which decides between equal starts; `summary` indexes the table's.
struct day_entry {
	time_t start;
	uint32_t order;
	uint32_t summary;
};

// The prepared days, from `first`, each with its events' occurrences, and the events'
// summaries, each kept once however many days it marks.
struct day_table {
	int first = 1;
	int last = 0;
	std::vector<std::vector<day_entry>> days;
	std::vector<std::string> summaries;
	// Sources already named for running over their budget since they were read.
	std::set<std::string> told;
};

// Local times of the process's zone.
time_t local_time(int y, int m, int d, int hour = 0, int minute = 0, int second = 0);
time_t local_midnight(int day);
int local_day(time_t when);

// One line on standard error about a source.
void complain(const std::string& source, const std::string& reason);

// Finds the time zones and events of calendar->text, and what days each event can touch;
// false, with the reason, when the text is no whole iCalendar object or one that cannot be
// read safely.
bool index_text(calendar_text* calendar, std::string* reason);

// The fetch through libcurl (event_fetch.cpp), which the program opens as a module of its
// own, only for a design that names a feed.
void network_fetch(const std::vector<std::string>& urls, int timeoutMs,
	std::vector<std::string>* bodies, std::vector<std::string>* reasons);
// Makes libcurl's transfers under way, and any begun until it is called with false, give up
// at once.
void network_cancel(bool cancelled);
// The same for whichever fetch the events code has: libcurl's directly, or the fetch module's.
extern void (*event_fetch_cancel)(bool cancelled);
// Set while background loads are ended: read_sources drops what a fetch brought, keeping no
// copy and saying nothing, as no one is waiting for it.
extern std::atomic<bool> event_loads_ending;
// Certificates the fetch trusts instead of the system's, as a file; empty for the system's.
// Tests trust their own server's; nothing a user writes reaches it.
extern std::string event_fetch_certificates;

// Whether a source is a feed's address rather than a file.
bool is_feed(const std::string& source);

// Reads files and fetches feeds, indexed, in the order given; a source that shows no events
// is left out with a line on standard error. Without `fetch`, a feed's kept copy stands in
// for it, silently, and a feed without one is left out.
std::vector<calendar_text> read_sources(const std::vector<std::string>& sources,
	bool fetch = true);

// Makes ready the system's time zones a calendar names, whose changes the library otherwise
// works out when an event first needs them; the program reads calendars beside composing, so
// this work is done there. Up to a few zones per calendar.
void prepare_zones(const calendar_text& calendar);

// Expands the calendars' events that can touch table's days into it.
void expand_calendars(const std::vector<calendar_text>& calendars, day_table* table);

#endif
