#include "model/events.h"

#include <curl/curl.h>

namespace {

// More than any calendar needs; a larger answer is no calendar of ours.
const size_t kBodyLimit = 64 * 1024 * 1024;

size_t keep(char* data, size_t size, size_t count, void* target)
{
	std::string* body = (std::string*)target;
	if (body->size() + size * count > kBodyLimit)
		return 0;
	body->append(data, size * count);
	return size * count;
}

bool fetch_with_curl(const std::string& url, int timeoutMs, std::string* body,
	std::string* reason)
{
	static bool started = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
	CURL* curl = started ? curl_easy_init() : nullptr;
	if (curl == nullptr) {
		*reason = "the network library did not start";
		return false;
	}
	char error[CURL_ERROR_SIZE] = "";
	body->clear();
	curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
	curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
	curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
	curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
	curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
	curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, (long)timeoutMs);
	curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
	curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
	curl_easy_setopt(curl, CURLOPT_USERAGENT, "tevra");
	curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
	curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keep);
	curl_easy_setopt(curl, CURLOPT_WRITEDATA, body);
	CURLcode result = curl_easy_perform(curl);
	long status = 0;
	curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
	curl_easy_cleanup(curl);
	if (result != CURLE_OK) {
		*reason = error[0] != '\0' ? error : curl_easy_strerror(result);
		return false;
	}
	if (status >= 400) {
		*reason = "the server answered " + std::to_string(status);
		return false;
	}
	return true;
}

}

event_fetch_function event_fetch = fetch_with_curl;
int event_fetch_timeout_ms = 5000;
