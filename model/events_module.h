#ifndef TEVRA_MODEL_EVENTS_MODULE_H
#define TEVRA_MODEL_EVENTS_MODULE_H

#include <string>
#include <vector>

#include "model/events.h"

// The events code with libical and libcurl is a module of its own, opened on first use
// (events_on_demand.cpp), so a design without events maps neither library nor the network
// stack they bring. The module hands the program this table.
struct events_api {
	// sizeof(events_api): a module built from other sources is refused.
	size_t size;
	void (*load_book)(int book, const std::vector<std::string>& sources);
	void (*prepare_book)(int book, int y1, int m1, int d1, int y2, int m2, int d2);
	bool (*has_event)(int book, int y, int m, int d);
	std::vector<std::string> (*summaries)(int book, int y, int m, int d);
	// The module's own settings, which the program's copies are handed to before each call.
	event_fetch_function* fetch;
	int* fetch_timeout_ms;
	bool* rules_by_library;
	// The module's own fetch, through libcurl.
	event_fetch_function network_fetch;
};

#define TEVRA_EVENTS_ENTRY "tevra_events_api"
#define TEVRA_EVENTS_MODULE "libtevra-events.so"

#endif
