#ifndef TEVRA_MODEL_EVENTS_H
#define TEVRA_MODEL_EVENTS_H

#include <string>
#include <vector>

// The user's own events, from iCalendar files and feeds. Sources are read once; a calendar
// then prepares the dates it draws and asks per date. Dates are local dates of the process's
// time zone (TZ); an all-day event falls on its own dates, a timed one on the local dates it
// covers. Months run 1 to 12, days 1 to 31.

// The design's `events` lines in order: paths of .ics files ("~/" is the home folder), or
// http://, https:// or webcal:// (fetched as https://) addresses of feeds.
extern std::vector<std::string> event_sources;

// The design's `holidays` lines, the same kinds of sources: every day on which one of their
// events falls is a holiday, named by the event's summary.
extern std::vector<std::string> holiday_sources;

// Reads every source of both lists afresh and drops whatever was prepared before. A feed is fetched and
// its copy kept in the cache folder; when the fetch fails the kept copy is read instead. A
// source that cannot be read or is no iCalendar text shows no events and costs one line on
// standard error naming it. In the program the reading goes on beside the caller (create
// mode composes the base meanwhile); the next call below waits for it.
void load_events();

// As load_events, for config mode: files and the feeds' kept copies are read at once, and
// the feeds fetched in a thread of the module's own, which calls `arrived` (from that thread)
// when they are in. The thread that composes then takes them with take_arrived_events.
void load_events_in_background(void (*arrived)());
// Puts what the background fetches brought in place of what was read before; false when
// nothing arrived since.
bool take_arrived_events();
// Ends the background fetches before what `arrived` reaches goes away: nothing more arrives
// or is told, and a fetch under way gives up at once, keeping no copy and saying nothing.
void end_event_loads();

// Expands the events over the local dates y1-m1-d1 to y2-m2-d2, both included, so the
// queries answer from a table. Only events that can touch those dates are parsed; asking
// again for dates already prepared costs nothing.
void prepare_events(int y1, int m1, int d1, int y2, int m2, int d2);

// Whether an event falls on the date. A date outside what was prepared prepares its month.
bool has_event(int y, int m, int d);
// The summaries of the date's events, by start time; an all-day event starts at midnight of
// its first day, so it comes first.
std::vector<std::string> event_summaries(int y, int m, int d);

// Each list of sources is a book of its own, read, cached, bounded and prepared as the
// design's events are (book kEventsBook, which the functions above use); another list, such
// as the holidays a design adds, takes another book.
const int kEventsBook = 0;
const int kHolidaysBook = 1;
const int kEventBooks = 2;
void load_event_book(int book, const std::vector<std::string>& sources);
void load_event_book_in_background(int book, const std::vector<std::string>& sources,
	void (*arrived)());
void prepare_event_book(int book, int y1, int m1, int d1, int y2, int m2, int d2);
bool book_has_event(int book, int y, int m, int d);
std::vector<std::string> book_event_summaries(int book, int y, int m, int d);

// Whether every recurrence rule goes through the library's own iterator; the common simple
// rules are otherwise expanded directly. Tests compare the two.
extern bool event_rules_by_library;

// The one door to the network: fetches every url at once, within timeoutMs in all, into
// bodies, or gives in reasons a short reason why not (empty for a good answer). Tests put
// their own in its place.
typedef void (*event_fetch_function)(const std::vector<std::string>& urls, int timeoutMs,
	std::vector<std::string>* bodies, std::vector<std::string>* reasons);
extern event_fetch_function event_fetch;
// How long the fetches may take in all, in milliseconds.
extern int event_fetch_timeout_ms;

// The address a fetch of url is taken to have connected to, given the one it did; redirects
// are judged by it. Tests put their own in its place to stand for a server elsewhere.
typedef std::string (*event_address_function)(const std::string& url,
	const std::string& address);
extern event_address_function event_judged_address;

// A feed's address as messages show it: scheme, host and last path segment, since a private
// calendar's secret is often in the user part, the path or the query.
std::string shown_address(const std::string& source);

#endif
