#include "model/events.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdio>
#include <dlfcn.h>
#include <mutex>
#include <system_error>
#include <thread>
#include <unistd.h>

#include "model/design_paths.h"
#include "model/events_module.h"

std::vector<std::string> event_sources;
std::vector<std::string> holiday_sources;
bool event_rules_by_library = false;
int event_fetch_timeout_ms = 5000;

namespace {

void fetch_through_module(const std::vector<std::string>& urls, int timeoutMs,
	std::vector<std::string>* bodies, std::vector<std::string>* reasons);

}

event_fetch_function event_fetch = fetch_through_module;

namespace {

std::once_flag g_opening;
const events_api* g_api = nullptr;

// The installed module lies in the library folder beside the program's; a program run from
// the build tree takes the one built with it (and only then, so an installed program never
// opens a file from wherever it was built).
std::vector<std::string> module_paths()
{
	std::vector<std::string> paths;
	char self[PATH_MAX];
	ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
	if (length <= 0)
		return paths;
	std::string program(self, length);
	std::string folder = program.substr(0, program.rfind('/'));
	paths.push_back(folder + "/../" TEVRA_LIBDIR "/tevra/" TEVRA_EVENTS_MODULE);
	std::string build = TEVRA_BUILD_DIR "/";
	if (program.compare(0, build.size(), build) == 0)
		paths.push_back(build + TEVRA_EVENTS_MODULE);
	return paths;
}

void open_module()
{
	std::string why = "no module found";
	for (const std::string& path : module_paths()) {
		void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
		if (handle == nullptr) {
			if (access(path.c_str(), F_OK) == 0)
				why = dlerror();
			continue;
		}
		auto entry = (const events_api* (*)())dlsym(handle, TEVRA_EVENTS_ENTRY);
		const events_api* api = entry != nullptr ? entry() : nullptr;
		if (api != nullptr && api->size == sizeof(events_api)) {
			g_api = api;
			return;
		}
		why = path + " is not this program's events module";
		dlclose(handle);
	}
	fprintf(stderr, "tevra: events cannot be read: %s\n", why.c_str());
}

// The module, opened on first use, with the program's settings handed to it.
const events_api* module()
{
	std::call_once(g_opening, open_module);
	if (g_api != nullptr) {
		*g_api->fetch = event_fetch == fetch_through_module ? g_api->network_fetch : event_fetch;
		*g_api->fetch_timeout_ms = event_fetch_timeout_ms;
		*g_api->rules_by_library = event_rules_by_library;
	}
	return g_api;
}

void fetch_through_module(const std::vector<std::string>& urls, int timeoutMs,
	std::vector<std::string>* bodies, std::vector<std::string>* reasons)
{
	if (module() == nullptr) {
		reasons->assign(urls.size(), "the events module is missing");
		return;
	}
	g_api->network_fetch(urls, timeoutMs, bodies, reasons);
}

}

namespace {

// The module's reading of the sources runs beside the composing that follows it (create mode
// draws the base first); whatever asks the module next waits for it. Made once the module is
// open, so at exit it is ended before the module's own data.
struct module_reading {
	std::thread thread;

	~module_reading() { Wait(); }
	void Wait()
	{
		if (thread.joinable())
			thread.join();
	}
};

module_reading* g_reading = nullptr;

void settle()
{
	if (g_reading != nullptr)
		g_reading->Wait();
}

// The design's calendar files are read from its folder first; one that cannot be opened is
// noted for config mode to show (the module says why on standard error).
std::vector<std::string> resolved(const std::vector<std::string>& sources)
{
	std::vector<std::string> paths;
	for (const std::string& source : sources) {
		paths.push_back(design_file_path(source));
		if (source.find("://") == std::string::npos && access(paths.back().c_str(), R_OK) != 0)
			unread_files.push_back(source + ": " + strerror(errno));
	}
	return paths;
}

}

void load_event_book(int book, const std::vector<std::string>& sources)
{
	settle();
	// Nothing to read and nothing read before: the module stays closed.
	if (sources.empty() && g_api == nullptr)
		return;
	std::vector<std::string> paths = resolved(sources);
	if (module() != nullptr)
		g_api->load_book(book, paths);
}

void prepare_event_book(int book, int y1, int m1, int d1, int y2, int m2, int d2)
{
	settle();
	if (g_api != nullptr && module() != nullptr)
		g_api->prepare_book(book, y1, m1, d1, y2, m2, d2);
}

bool book_has_event(int book, int y, int m, int d)
{
	settle();
	return g_api != nullptr && module() != nullptr && g_api->has_event(book, y, m, d);
}

std::vector<std::string> book_event_summaries(int book, int y, int m, int d)
{
	settle();
	if (g_api == nullptr || module() == nullptr)
		return std::vector<std::string>();
	return g_api->summaries(book, y, m, d);
}

void load_event_book_in_background(int book, const std::vector<std::string>& sources,
	void (*arrived)())
{
	settle();
	if (sources.empty() && g_api == nullptr)
		return;
	std::vector<std::string> paths = resolved(sources);
	if (module() != nullptr)
		g_api->load_book_in_background(book, paths, arrived);
}

bool take_arrived_events()
{
	settle();
	return g_api != nullptr && module() != nullptr && g_api->take_arrived();
}

void load_events_in_background(void (*arrived)())
{
	load_event_book_in_background(kEventsBook, event_sources, arrived);
	load_event_book_in_background(kHolidaysBook, holiday_sources, arrived);
}

void end_event_loads()
{
	settle();
	if (g_api != nullptr)
		g_api->end_loads();
}

void load_events()
{
	settle();
	if (event_sources.empty() && holiday_sources.empty() && g_api == nullptr)
		return;
	std::vector<std::string> events = resolved(event_sources);
	std::vector<std::string> holidays = resolved(holiday_sources);
	if (module() == nullptr)
		return;
	static module_reading reading;
	g_reading = &reading;
	auto read = [events, holidays] {
		g_api->load_book(kEventsBook, events);
		g_api->load_book(kHolidaysBook, holidays);
	};
	try {
		reading.thread = std::thread(read);
	} catch (const std::system_error&) {
		read();
	}
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
