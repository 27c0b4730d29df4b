// The events reader: the input is a feed's answer, read, indexed, parsed and expanded over a
// year and the days around it, as a calendar drawing them would.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/events.h"

namespace {

std::string g_answer;

// The events code is linked alone, without the program around it: a finding is an abort.
[[noreturn]] void disagree()
{
	fprintf(stderr, "fuzz_events: a day's mark and its list of events disagree\n");
	abort();
}

void answer(const std::vector<std::string>& urls, int, std::vector<std::string>* bodies,
	std::vector<std::string>* reasons)
{
	for (size_t i = 0; i < urls.size(); i++) {
		(*bodies)[i] = g_answer;
		(*reasons)[i].clear();
	}
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	// No home, so no copy is kept: every input goes the whole way from the answer.
	unsetenv("HOME");
	unsetenv("XDG_CACHE_HOME");
	setenv("TZ", "America/New_York", 1);
	event_fetch = answer;
	event_sources = {"https://fuzz.example/calendar.ics"};
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	g_answer.assign((const char*)data, size);
	load_events();
	prepare_events(2026, 1, 1, 2026, 12, 31);
	for (int m = 1; m <= 12; m++) {
		for (int d = 1; d <= 31; d += 3) {
			if (has_event(2026, m, d) != !event_summaries(2026, m, d).empty())
				disagree();
		}
	}
	// A date outside the prepared year prepares its own month.
	if (has_event(1997, 9, 2) != !event_summaries(1997, 9, 2).empty())
		disagree();
	return 0;
}
