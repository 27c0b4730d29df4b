#include "model/events.h"

#include <algorithm>
#include <cstdio>

#include "model/event_parts.h"

std::vector<std::string> event_sources;
std::vector<std::string> holiday_sources;

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

bool known(int book)
{
	return book >= 0 && book < kEventBooks;
}

}

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
	int day = day_number(y, m, d);
	if (day < table.first || day > table.last)
		prepare_days(&g_books[book], day_number(y, m, 1), day_number(y, m + 1, 1) - 1);
	if (day < table.first || day > table.last)
		return nullptr;
	return &table.days[day - table.first];
}

}

void load_event_book(int book, const std::vector<std::string>& sources)
{
	if (!known(book))
		return;
	g_books[book] = event_book();
	g_books[book].calendars = read_sources(sources);
}

void prepare_event_book(int book, int y1, int m1, int d1, int y2, int m2, int d2)
{
	if (known(book) && sane(y1, m1, d1) && sane(y2, m2, d2))
		prepare_days(&g_books[book], day_number(y1, m1, d1), day_number(y2, m2, d2));
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
			summaries.push_back(e.summary);
	}
	return summaries;
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
