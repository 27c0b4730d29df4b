#include "model/events_module.h"

#include <dlfcn.h>
#include <mutex>
#include <string>

namespace {

std::once_flag g_opening;
const fetch_api* g_fetch = nullptr;
// Guards g_fetch's cancelling against its opening, so a cancel told while the module opens
// still reaches it.
std::mutex g_cancelLock;
bool g_cancelled = false;
std::string g_missing = "the fetch module is missing";

// The fetch module lies beside this one, wherever that was installed or built.
void open_fetch_module()
{
	Dl_info self;
	if (dladdr((void*)&open_fetch_module, &self) == 0 || self.dli_fname == nullptr)
		return;
	std::string path = self.dli_fname;
	path = path.substr(0, path.rfind('/') + 1) + TEVRA_FETCH_MODULE;
	void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
	if (handle == nullptr) {
		const char* why = dlerror();
		g_missing = why != nullptr ? why : path + " cannot be opened";
		return;
	}
	auto entry = (const fetch_api* (*)())dlsym(handle, TEVRA_FETCH_ENTRY);
	const fetch_api* api = entry != nullptr ? entry() : nullptr;
	if (api != nullptr && api->size == sizeof(fetch_api)) {
		std::lock_guard<std::mutex> hold(g_cancelLock);
		g_fetch = api;
		g_fetch->cancel(g_cancelled);
		return;
	}
	g_missing = path + " is not this program's fetch module";
	dlclose(handle);
}

void fetch_beside(const std::vector<std::string>& urls, int timeoutMs,
	std::vector<std::string>* bodies, std::vector<std::string>* reasons)
{
	std::call_once(g_opening, open_fetch_module);
	if (g_fetch == nullptr)
		reasons->assign(urls.size(), g_missing);
	else
		g_fetch->fetch(urls, timeoutMs, bodies, reasons);
}

void cancel_beside(bool cancelled)
{
	std::lock_guard<std::mutex> hold(g_cancelLock);
	g_cancelled = cancelled;
	if (g_fetch != nullptr)
		g_fetch->cancel(cancelled);
}

}

event_fetch_function event_fetch = fetch_beside;
void (*event_fetch_cancel)(bool) = cancel_beside;
int event_fetch_timeout_ms = 5000;

extern "C" __attribute__((visibility("default"))) const events_api* tevra_events_api()
{
	static const events_api api = {sizeof(events_api), load_event_book, prepare_event_book,
		book_has_event, book_event_summaries, load_event_book_in_background,
		take_arrived_events, end_event_loads, &event_fetch, &event_fetch_timeout_ms,
		&event_rules_by_library, fetch_beside};
	return &api;
}
