#include "model/events_module.h"
#include "model/event_parts.h"

extern "C" __attribute__((visibility("default"))) const fetch_api* tevra_fetch_api()
{
	static const fetch_api api = {sizeof(fetch_api), network_fetch, network_cancel};
	return &api;
}
