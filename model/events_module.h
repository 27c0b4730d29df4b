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
	void (*load_book_in_background)(int book, const std::vector<std::string>& sources,
		void (*arrived)());
	bool (*take_arrived)();
	void (*end_loads)();
	// The module's own settings, which the program's copies are handed to before each call.
	event_fetch_function* fetch;
	int* fetch_timeout_ms;
	bool* rules_by_library;
	// The module's own fetch: libcurl's, in the fetch module beside it, opened on first use.
	event_fetch_function network_fetch;
};

#define TEVRA_EVENTS_ENTRY "tevra_events_api"
#define TEVRA_EVENTS_MODULE "libtevra-events.so"

// libcurl and the network stack it brings are a module of their own again: the events module
// opens it only when a feed is to be fetched, so calendar files alone cost neither.
struct fetch_api {
	// sizeof(fetch_api): a module built from other sources is refused.
	size_t size;
	event_fetch_function fetch;
	// Makes its transfers give up at once while set (config mode is closing).
	void (*cancel)(bool cancelled);
};

#define TEVRA_FETCH_ENTRY "tevra_fetch_api"
#define TEVRA_FETCH_MODULE "libtevra-fetch.so"

#endif
