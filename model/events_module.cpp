#include "model/events_module.h"

extern "C" __attribute__((visibility("default"))) const events_api* tevra_events_api()
{
	static const events_api api = {sizeof(events_api), load_event_book, prepare_event_book,
		book_has_event, book_event_summaries, &event_fetch, &event_fetch_timeout_ms,
		&event_rules_by_library, event_fetch};
	return &api;
}
