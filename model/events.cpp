#include "model/events.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "model/event_parts.h"

std::vector<std::string> event_sources;
std::vector<std::string> holiday_sources;
std::atomic<bool> event_loads_ending{false};

namespace {

// Prepared dates are widened to cover the next request up to this span, so calendars of
// neighbouring months share one preparation.
const int kWidestPreparation = 800;

// One list of sources as read, with the days prepared from it.
struct event_book {
	std::vector<calendar_text> calendars;
	day_table table;
};

event_book g_books[kEventBooks];

// Fetches in a thread of its own for config mode; what it brings waits in `arrived` until the
// thread that composes takes it.
struct background_loader {
	std::mutex lock;
	std::condition_variable wake;
	std::thread thread;
	bool stop = false;
	// The sources asked for, by book; a later request replaces an earlier one.
	std::vector<std::vector<std::string>> asked;
	std::vector<bool> waiting;
	std::vector<std::vector<calendar_text>> arrived;
	std::vector<bool> ready;
	// Counts each book's requests, so an answer to one that a later request replaced is
	// dropped.
	std::vector<unsigned> generation;
	void (*told)() = nullptr;
	// The book whose sources are being fetched, -1 for none; whether that fetch was told to
	// give up because a later request replaced it.
	int fetching = -1;
	bool given_up = false;

	background_loader()
		: asked(kEventBooks), waiting(kEventBooks, false), arrived(kEventBooks),
		ready(kEventBooks, false), generation(kEventBooks, 0) {}

	~background_loader() { End(); }

	// Forgets what was asked, tells no one any more, and makes a fetch under way give up at
	// once, so a closing config mode is not held for its timeout; a later request starts the
	// thread again.
	void End()
	{
		bool running;
		{
			std::lock_guard<std::mutex> hold(lock);
			running = thread.joinable();
			stop = true;
			told = nullptr;
			for (int book = 0; book < kEventBooks; book++) {
				generation[book]++;
				waiting[book] = false;
				ready[book] = false;
				arrived[book].clear();
			}
		}
		// Only with a thread under way: at exit the fetch module may already be torn down.
		if (running) {
			event_loads_ending = true;
			event_fetch_cancel(true);
			wake.notify_all();
			thread.join();
			event_fetch_cancel(false);
			event_loads_ending = false;
		}
		std::lock_guard<std::mutex> hold(lock);
		stop = false;
	}

	void Run()
	{
		std::unique_lock<std::mutex> hold(lock);
		while (!stop) {
			int book = (int)(std::find(waiting.begin(), waiting.end(), true) - waiting.begin());
			if (book == kEventBooks) {
				wake.wait(hold);
				continue;
			}
			std::vector<std::string> sources = asked[book];
			unsigned taken = generation[book];
			waiting[book] = false;
			fetching = book;
			hold.unlock();
			std::vector<calendar_text> calendars = read_sources(sources);
			hold.lock();
			fetching = -1;
			if (given_up) {
				given_up = false;
				event_fetch_cancel(false);
				event_loads_ending = false;
				wake.notify_all();
			}
			if (generation[book] != taken)
				continue;
			arrived[book] = std::move(calendars);
			ready[book] = true;
			if (told != nullptr)
				told();
		}
	}
};

background_loader* g_loader = nullptr;

background_loader& loader()
{
	static background_loader the;
	g_loader = &the;
	return the;
}

bool known(int book)
{
	return book >= 0 && book < kEventBooks;
}

}

// Days since 1970-01-01 of a civil date, and back.
time_t local_time(int y, int m, int d, int hour, int minute, int second)
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
	civil_from_days(day, &y, &m, &d);
	return local_time(y, m, d);
}

int local_day(time_t when)
{
	struct tm t;
	if (localtime_r(&when, &t) == nullptr)
		return 0;
	return days_from_civil(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
}

void complain(const std::string& source, const std::string& reason)
{
	fprintf(stderr, "tevra: events: %s: %s\n", source.c_str(), reason.c_str());
}

namespace {

void prepare_days(event_book* book, int first, int last)
{
	day_table& table = book->table;
	if (first > last || (first >= table.first && last <= table.last))
		return;
	// Widened to cover what was prepared too, so calendars of nearby dates share the work.
	if (table.first <= table.last
		&& std::max(last, table.last) - std::min(first, table.first) < kWidestPreparation) {
		first = std::min(first, table.first);
		last = std::max(last, table.last);
	}
	last = std::min(last, first + kWidestPreparation * 5);
	table.first = first;
	table.last = last;
	table.days.assign(last - first + 1, std::vector<day_entry>());
	expand_calendars(book->calendars, &table);
	for (std::vector<day_entry>& day : table.days) {
		std::sort(day.begin(), day.end(), [](const day_entry& a, const day_entry& b) {
			return a.start != b.start ? a.start < b.start : a.order < b.order;
		});
	}
}

bool sane(int y, int m, int d)
{
	return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= 31;
}

const std::vector<day_entry>* entries(int book, int y, int m, int d)
{
	if (!known(book) || !sane(y, m, d))
		return nullptr;
	day_table& table = g_books[book].table;
	int day = days_from_civil(y, m, d);
	if (day < table.first || day > table.last)
		prepare_days(&g_books[book], days_from_civil(y, m, 1), days_from_civil(y, m + 1, 1) - 1);
	if (day < table.first || day > table.last)
		return nullptr;
	return &table.days[day - table.first];
}

}

void load_event_book(int book, const std::vector<std::string>& sources)
{
	if (!known(book))
		return;
	if (g_loader != nullptr) {
		std::unique_lock<std::mutex> hold(g_loader->lock);
		// A fetch beside this one that is giving up ends first: its giving up would reach
		// this fetch too.
		g_loader->wake.wait(hold, [] { return !g_loader->given_up; });
		g_loader->generation[book]++;
		g_loader->waiting[book] = false;
		g_loader->ready[book] = false;
	}
	g_books[book] = event_book();
	g_books[book].calendars = read_sources(sources);
	for (const calendar_text& calendar : g_books[book].calendars)
		prepare_zones(calendar);
}

void prepare_event_book(int book, int y1, int m1, int d1, int y2, int m2, int d2)
{
	if (known(book) && sane(y1, m1, d1) && sane(y2, m2, d2))
		prepare_days(&g_books[book], days_from_civil(y1, m1, d1), days_from_civil(y2, m2, d2));
}

bool book_has_event(int book, int y, int m, int d)
{
	const std::vector<day_entry>* day = entries(book, y, m, d);
	return day != nullptr && !day->empty();
}

std::vector<std::string> book_event_summaries(int book, int y, int m, int d)
{
	std::vector<std::string> summaries;
	if (const std::vector<day_entry>* day = entries(book, y, m, d)) {
		for (const day_entry& e : *day)
			summaries.push_back(g_books[book].table.summaries[e.summary]);
	}
	return summaries;
}

void load_event_book_in_background(int book, const std::vector<std::string>& sources,
	void (*arrived)())
{
	if (!known(book))
		return;
	// Files and the feeds' kept copies at once, so the picture has them while feeds load.
	g_books[book] = event_book();
	g_books[book].calendars = read_sources(sources, false);
	background_loader& background = loader();
	std::lock_guard<std::mutex> hold(background.lock);
	// An answer still on its way for the book's old sources is not wanted: its fetch gives up
	// at once and says nothing (a feed still wanted is asked again and speaks then).
	background.generation[book]++;
	background.waiting[book] = false;
	background.ready[book] = false;
	if (background.fetching == book && !background.given_up) {
		background.given_up = true;
		event_loads_ending = true;
		event_fetch_cancel(true);
	}
	if (std::none_of(sources.begin(), sources.end(), is_feed))
		return;
	background.asked[book] = sources;
	background.waiting[book] = true;
	background.told = arrived;
	if (!background.thread.joinable())
		background.thread = std::thread([&background] { background.Run(); });
	background.wake.notify_all();
}

bool take_arrived_events()
{
	if (g_loader == nullptr)
		return false;
	background_loader& background = *g_loader;
	std::lock_guard<std::mutex> hold(background.lock);
	bool taken = false;
	for (int book = 0; book < kEventBooks; book++) {
		if (!background.ready[book])
			continue;
		g_books[book] = event_book();
		g_books[book].calendars = std::move(background.arrived[book]);
		background.ready[book] = false;
		taken = true;
	}
	return taken;
}

void load_events_in_background(void (*arrived)())
{
	load_event_book_in_background(kEventsBook, event_sources, arrived);
	load_event_book_in_background(kHolidaysBook, holiday_sources, arrived);
}

void end_event_loads()
{
	if (g_loader != nullptr)
		g_loader->End();
}

void load_events()
{
	load_event_book(kEventsBook, event_sources);
	load_event_book(kHolidaysBook, holiday_sources);
}

void prepare_events(int y1, int m1, int d1, int y2, int m2, int d2)
{
	prepare_event_book(kEventsBook, y1, m1, d1, y2, m2, d2);
}

bool has_event(int y, int m, int d)
{
	return book_has_event(kEventsBook, y, m, d);
}

std::vector<std::string> event_summaries(int y, int m, int d)
{
	return book_event_summaries(kEventsBook, y, m, d);
}
