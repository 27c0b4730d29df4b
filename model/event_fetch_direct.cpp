#include "model/events.h"
#include "model/event_parts.h"

// Linked without the program (tests, the fuzzer), the events code fetches through libcurl
// directly; the program's module takes its fetch from the program instead.
event_fetch_function event_fetch = network_fetch;
int event_fetch_timeout_ms = 5000;
void (*event_fetch_cancel)(bool) = network_cancel;
