#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench_support.h"
#include "model/events.h"

namespace {

// A personal calendar of ten years, 5,000 events: meetings in Berlin's time (defined in the
// file), all-day days off, weekly series (one in ten still running, the others ended) with
// exceptions, monthly series over two years, and 200 yearly birthdays.
std::string big_calendar()
{
	static std::string path;
	if (!path.empty())
		return path;
	path = files().folder + "/events-5000.ics";
	std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//tevra bench//EN\r\n"
		"BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
		"BEGIN:STANDARD\r\nDTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\n"
		"TZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\n"
		"BEGIN:DAYLIGHT\r\nDTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\n"
		"TZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nEND:DAYLIGHT\r\nEND:VTIMEZONE\r\n";
	uint32_t seed = 7;
	auto random = [&](int n) {
		seed = seed * 1664525u + 1013904223u;
		return (int)((seed >> 8) % n);
	};
	char line[600];
	for (int i = 0; i < 5000; i++) {
		int y = 2017 + random(10), m = 1 + random(12), d = 1 + random(28), h = 8 + random(10);
		if (i % 25 == 0) {
			// A birthday, every year since its first.
			snprintf(line, sizeof(line), "DTSTART;VALUE=DATE:%04d%02d%02d\r\nRRULE:FREQ=YEARLY\r\n",
				1950 + random(60), m, d);
		} else if (i % 25 == 1) {
			std::string until = i % 250 == 1 ? "" : ";UNTIL=" + std::to_string(y + 1) + "0101T000000Z";
			snprintf(line, sizeof(line), "DTSTART;TZID=Europe/Berlin:%04d%02d%02dT%02d0000\r\n"
				"DTEND;TZID=Europe/Berlin:%04d%02d%02dT%02d3000\r\n"
				"RRULE:FREQ=WEEKLY;BYDAY=MO,TH%s\r\nEXDATE;TZID=Europe/Berlin:%04d%02d%02dT%02d0000\r\n",
				y, m, d, h, y, m, d, h, until.c_str(), y, m + (m < 12), d, h);
		} else if (i % 25 == 2) {
			snprintf(line, sizeof(line), "DTSTART;TZID=Europe/Berlin:%04d%02d%02dT%02d0000\r\n"
				"DTEND;TZID=Europe/Berlin:%04d%02d%02dT%02d0000\r\n"
				"RRULE:FREQ=MONTHLY;BYDAY=-1FR;UNTIL=%04d1231T000000Z\r\n",
				y, m, d, h, y, m, d, h + 1, y + 1);
		} else if (i % 10 == 3) {
			snprintf(line, sizeof(line), "DTSTART;VALUE=DATE:%04d%02d%02d\r\n"
				"DTEND;VALUE=DATE:%04d%02d%02d\r\n", y, m, d, y, m, d + 1);
		} else {
			snprintf(line, sizeof(line), "DTSTART;TZID=Europe/Berlin:%04d%02d%02dT%02d0000\r\n"
				"DTEND;TZID=Europe/Berlin:%04d%02d%02dT%02d4500\r\n", y, m, d, h, y, m, d, h);
		}
		text += "BEGIN:VEVENT\r\nUID:" + std::to_string(i) + "@bench\r\nDTSTAMP:20250101T000000Z\r\n"
			+ line + "SUMMARY:Event number " + std::to_string(i) + "\r\n"
			"DESCRIPTION:What a real calendar carries along: an agenda\\, a room\\, a link to a "
			"call and\r\n  a line folded in the middle.\r\nLOCATION:Room " + std::to_string(i % 40)
			+ "\r\nEND:VEVENT\r\n";
	}
	text += "END:VCALENDAR\r\n";
	FILE* file = fopen(path.c_str(), "w");
	if (file != nullptr) {
		fwrite(text.data(), 1, text.size(), file);
		fclose(file);
	}
	return path;
}

// A design with one month (or year) calendar over a colour base, with or without the big
// calendar.
std::string design(bool withEvents, bool year = false)
{
	std::string path = files().folder + (year ? "/year" : "/month") + (withEvents ? "-events" : "")
		+ ".tevra";
	std::string text = "base_type\t0\nout_format\timage/png\n"
		+ (withEvents ? "events\t" + big_calendar() + "\n" : std::string())
		+ (year ? "\ntype\t20\nbg_type\t1\nbg_color\t60ffffff\nbounds\t96,86,1824,994\n"
			: "\ntype\t10\nbg_type\t1\nbg_color\t60ffffff\nbounds\t96,86,672,594\n");
	FILE* file = fopen(path.c_str(), "w");
	if (file != nullptr) {
		fwrite(text.data(), 1, text.size(), file);
		fclose(file);
	}
	return path;
}

// Create mode with a month calendar, a whole process, without and with 5,000 events.
void BM_CreateModeMonthEvents(benchmark::State& state)
{
	bool withEvents = state.range(0) != 0;
	std::string month = design(withEvents);
	std::string platform = "QT_QPA_PLATFORM=offscreen:configfile="
		+ files().screen_json(1920, 1080);
	std::string output = files().folder + "/out-month";
	for (auto _ : state) {
		if (run({TEVRA_BINARY_PATH, month, output}, {platform}) != 0)
			state.SkipWithError("create mode failed");
	}
	state.SetLabel(withEvents ? "5,000 events" : "no events");
}
BENCHMARK(BM_CreateModeMonthEvents)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)
	->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

// The same with a year calendar: a year's events prepared once, not month by month.
void BM_CreateModeYearEvents(benchmark::State& state)
{
	bool withEvents = state.range(0) != 0;
	std::string year = design(withEvents, true);
	std::string platform = "QT_QPA_PLATFORM=offscreen:configfile="
		+ files().screen_json(1920, 1080);
	std::string output = files().folder + "/out-year";
	for (auto _ : state) {
		if (run({TEVRA_BINARY_PATH, year, output}, {platform}) != 0)
			state.SkipWithError("create mode failed");
	}
	state.SetLabel(withEvents ? "5,000 events" : "no events");
}
BENCHMARK(BM_CreateModeYearEvents)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)
	->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

// Reading the 1.6 MB file: what create mode pays once, and config mode when sources change.
void BM_EventsLoad(benchmark::State& state)
{
	event_sources = {big_calendar()};
	for (auto _ : state)
		load_events();
	event_sources.clear();
	load_events();
}
BENCHMARK(BM_EventsLoad)->Unit(benchmark::kMillisecond);

// What one composition of a month asks: its six weeks prepared afresh (argument 0), or
// prepared before, as after a slider move (argument 1), and every day's events.
void BM_EventsMonthQueries(benchmark::State& state)
{
	bool prepared = state.range(0) != 0;
	event_sources = {big_calendar()};
	load_events();
	size_t shown = 0;
	for (auto _ : state) {
		if (!prepared) {
			state.PauseTiming();
			load_events();
			// The reading goes on beside the caller; asking anything waits for it.
			take_arrived_events();
			state.ResumeTiming();
		}
		prepare_events(2026, 2, 23, 2026, 4, 5);
		for (int day = 1; day <= 31; day++)
			shown += has_event(2026, 3, day) + event_summaries(2026, 3, day).size();
	}
	benchmark::DoNotOptimize(shown);
	state.SetLabel(prepared ? "prepared before" : "prepared afresh");
	event_sources.clear();
	load_events();
}
BENCHMARK(BM_EventsMonthQueries)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

}
