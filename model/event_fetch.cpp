#include "model/events.h"
#include "model/event_parts.h"

#include <arpa/inet.h>
#include <cstring>
#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <netinet/in.h>

#include <curl/curl.h>

namespace {

// More than any calendar needs; a larger answer is no calendar of ours.
const size_t kBodyLimit = 64 * 1024 * 1024;
const long kMostRedirects = 5;

// The transfers under way, woken when they are to give up.
std::mutex g_runningLock;
std::vector<CURLM*> g_running;
std::atomic<bool> g_cancelled{false};

struct transfer {
	CURL* handle = nullptr;
	std::string* body = nullptr;
	bool tooLarge = false;
	bool seen = false;
	bool remote = false;	// the first request went to an address off this machine
	bool refused = false;
	char error[CURL_ERROR_SIZE] = "";
};

size_t keep(char* data, size_t size, size_t count, void* target)
{
	transfer* t = (transfer*)target;
	if (t->body->size() + size * count > kBodyLimit) {
		t->tooLarge = true;
		return 0;
	}
	t->body->append(data, size * count);
	return size * count;
}

// Loopback, link-local or unspecified: this machine or its own link, where a feed elsewhere
// has no business sending us.
bool local_address(std::string address)
{
	if (strncasecmp(address.c_str(), "::ffff:", 7) == 0 && address.find('.') != std::string::npos)
		address.erase(0, 7);
	in_addr v4;
	if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
		uint32_t host = ntohl(v4.s_addr);
		return (host >> 24) == 127 || (host >> 16) == 0xa9fe || (host >> 24) == 0;
	}
	in6_addr v6;
	if (inet_pton(AF_INET6, address.c_str(), &v6) == 1) {
		return IN6_IS_ADDR_LOOPBACK(&v6) || IN6_IS_ADDR_LINKLOCAL(&v6)
			|| IN6_IS_ADDR_UNSPECIFIED(&v6);
	}
	return false;
}

// Before every request, the first and each redirect's, with the address connected to.
int before_request(void* data, char* primary, char*, int, int)
{
	transfer* t = (transfer*)data;
	char* url = nullptr;
	curl_easy_getinfo(t->handle, CURLINFO_EFFECTIVE_URL, &url);
	bool local = local_address(event_judged_address(url != nullptr ? url : "",
		primary != nullptr ? primary : ""));
	if (!t->seen) {
		t->seen = true;
		t->remote = !local;
	} else if (t->remote && local) {
		t->refused = true;
		return CURL_PREREQFUNC_ABORT;
	}
	return CURL_PREREQFUNC_OK;
}

void start(transfer* t, const std::string& url, int timeoutMs)
{
	curl_easy_setopt(t->handle, CURLOPT_URL, url.c_str());
	curl_easy_setopt(t->handle, CURLOPT_PROTOCOLS_STR, "http,https");
	// A feed asked for over https stays on https.
	bool secure = strncasecmp(url.c_str(), "https:", 6) == 0;
	curl_easy_setopt(t->handle, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
	curl_easy_setopt(t->handle, CURLOPT_FOLLOWLOCATION, 1L);
	curl_easy_setopt(t->handle, CURLOPT_MAXREDIRS, kMostRedirects);
	curl_easy_setopt(t->handle, CURLOPT_PREREQFUNCTION, before_request);
	curl_easy_setopt(t->handle, CURLOPT_PREREQDATA, t);
	curl_easy_setopt(t->handle, CURLOPT_TIMEOUT_MS, (long)timeoutMs);
	curl_easy_setopt(t->handle, CURLOPT_NOSIGNAL, 1L);
	// A transfer given up while its name is looked up does not wait for the look-up.
	curl_easy_setopt(t->handle, CURLOPT_QUICK_EXIT, 1L);
	curl_easy_setopt(t->handle, CURLOPT_ACCEPT_ENCODING, "");
	curl_easy_setopt(t->handle, CURLOPT_USERAGENT, "tevra");
	curl_easy_setopt(t->handle, CURLOPT_ERRORBUFFER, t->error);
	// An answer that says it is too large is refused before it comes.
	curl_easy_setopt(t->handle, CURLOPT_MAXFILESIZE_LARGE, (curl_off_t)kBodyLimit);
	curl_easy_setopt(t->handle, CURLOPT_WRITEFUNCTION, keep);
	curl_easy_setopt(t->handle, CURLOPT_WRITEDATA, t);
	if (!event_fetch_certificates.empty())
		curl_easy_setopt(t->handle, CURLOPT_CAINFO, event_fetch_certificates.c_str());
}

std::string reason_for(const transfer& t, CURLcode result)
{
	if (t.refused)
		return "a redirect to this machine's own address was refused";
	if (t.tooLarge || result == CURLE_FILESIZE_EXCEEDED)
		return "the answer is larger than 64 MB";
	if (result == CURLE_TOO_MANY_REDIRECTS)
		return "more than " + std::to_string(kMostRedirects) + " redirects";
	if (result == CURLE_UNSUPPORTED_PROTOCOL)
		return "a redirect to another protocol than https was refused";
	if (result != CURLE_OK)
		return t.error[0] != '\0' ? t.error : curl_easy_strerror(result);
	long status = 0;
	curl_easy_getinfo(t.handle, CURLINFO_RESPONSE_CODE, &status);
	if (status >= 400)
		return "the server answered " + std::to_string(status);
	return "";
}

// Once, whichever thread fetches first: this libcurl's start is safe from any thread.
bool network_started()
{
	static bool started = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
	return started;
}

std::string as_connected(const std::string&, const std::string& address)
{
	return address;
}

}

void network_fetch(const std::vector<std::string>& urls, int timeoutMs,
	std::vector<std::string>* bodies, std::vector<std::string>* reasons)
{
	CURLM* multi = network_started() ? curl_multi_init() : nullptr;
	std::vector<transfer> transfers(urls.size());
	for (size_t i = 0; i < urls.size(); i++) {
		transfer& t = transfers[i];
		t.body = &(*bodies)[i];
		t.body->clear();
		t.handle = multi != nullptr ? curl_easy_init() : nullptr;
		(*reasons)[i] = "the network library did not start";
		if (t.handle == nullptr)
			continue;
		start(&t, urls[i], timeoutMs);
		(*reasons)[i] = "no answer";
		curl_multi_add_handle(multi, t.handle);
	}
	if (multi != nullptr) {
		std::lock_guard<std::mutex> hold(g_runningLock);
		g_running.push_back(multi);
	}
	// All at once: the slowest feed, not their sum, decides how long this takes.
	for (int running = 1; multi != nullptr && running > 0 && !g_cancelled;) {
		if (curl_multi_perform(multi, &running) != CURLM_OK)
			break;
		if (running > 0)
			curl_multi_poll(multi, nullptr, 0, 100, nullptr);
	}
	int left = 0;
	while (CURLMsg* message = multi != nullptr ? curl_multi_info_read(multi, &left) : nullptr) {
		if (message->msg != CURLMSG_DONE)
			continue;
		for (size_t i = 0; i < transfers.size(); i++) {
			if (transfers[i].handle == message->easy_handle)
				(*reasons)[i] = reason_for(transfers[i], message->data.result);
		}
	}
	for (transfer& t : transfers) {
		if (t.handle == nullptr)
			continue;
		curl_multi_remove_handle(multi, t.handle);
		curl_easy_cleanup(t.handle);
	}
	if (multi != nullptr) {
		std::lock_guard<std::mutex> hold(g_runningLock);
		g_running.erase(std::find(g_running.begin(), g_running.end(), multi));
		curl_multi_cleanup(multi);
	}
}

void network_cancel(bool cancelled)
{
	std::lock_guard<std::mutex> hold(g_runningLock);
	g_cancelled = cancelled;
	for (CURLM* multi : g_running)
		curl_multi_wakeup(multi);
}

event_address_function event_judged_address = as_connected;
std::string event_fetch_certificates;
