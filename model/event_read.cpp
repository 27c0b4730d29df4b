#include "model/event_parts.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/events.h"

namespace {

const size_t kFileLimit = 64 * 1024 * 1024;

bool starts_with_nocase(const std::string& text, const char* prefix)
{
	return strncasecmp(text.c_str(), prefix, strlen(prefix)) == 0;
}

bool is_feed(const std::string& source)
{
	return starts_with_nocase(source, "http://") || starts_with_nocase(source, "https://")
		|| starts_with_nocase(source, "webcal://");
}

bool read_file(const std::string& path, std::string* text, std::string* reason)
{
	// Only a regular file; opening without waiting, so a named pipe cannot hold the program.
	int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0) {
		*reason = strerror(errno);
		return false;
	}
	struct stat st;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (size_t)st.st_size > kFileLimit) {
		*reason = "not a readable file of a calendar's size";
		::close(fd);
		return false;
	}
	text->resize(st.st_size);
	size_t done = 0;
	while (done < text->size()) {
		ssize_t got = ::read(fd, &(*text)[done], text->size() - done);
		if (got < 0 && errno == EINTR)
			continue;
		if (got <= 0)
			break;
		done += got;
	}
	::close(fd);
	text->resize(done);
	return true;
}

std::string cache_folder()
{
	const char* cache = getenv("XDG_CACHE_HOME");
	if (cache != nullptr && cache[0] == '/')
		return std::string(cache) + "/tevra/events";
	const char* home = getenv("HOME");
	return std::string(home != nullptr ? home : "") + "/.cache/tevra/events";
}

// The kept copy of a feed, named by a hash of its address.
std::string cache_path(const std::string& url)
{
	uint64_t hash = 14695981039346656037ull;
	for (unsigned char c : url)
		hash = (hash ^ c) * 1099511628211ull;
	char name[32];
	snprintf(name, sizeof(name), "%016llx.ics", (unsigned long long)hash);
	return cache_folder() + "/" + name;
}

void make_folders(const std::string& folder)
{
	for (size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
		mkdir(folder.substr(0, slash).c_str(), 0700);
		if (slash == std::string::npos)
			break;
	}
}

// Written beside its place and renamed over it, so a reader never meets half a copy.
void keep_copy(const std::string& path, const std::string& text)
{
	make_folders(path.substr(0, path.rfind('/')));
	std::string temporary = path + ".XXXXXX";
	int fd = mkstemp(&temporary[0]);
	if (fd < 0)
		return;
	bool written = ::write(fd, text.data(), text.size()) == (ssize_t)text.size();
	if (::close(fd) != 0 || !written || rename(temporary.c_str(), path.c_str()) != 0)
		unlink(temporary.c_str());
}

std::string home_path(const std::string& source)
{
	const char* home = getenv("HOME");
	if (source.compare(0, 2, "~/") == 0 && home != nullptr)
		return home + source.substr(1);
	return source;
}

std::string kept_on(time_t when)
{
	char text[40];
	struct tm t;
	localtime_r(&when, &t);
	strftime(text, sizeof(text), "%Y-%m-%d %H:%M", &t);
	return text;
}

// Fetches a feed, keeping a good copy; when the fetch fails the kept copy stands in.
bool read_feed(const std::string& source, calendar_text* calendar)
{
	std::string url = starts_with_nocase(source, "webcal://")
		? "https://" + source.substr(9) : source;
	std::string copy = cache_path(url);
	std::string reason;
	if (event_fetch(url, event_fetch_timeout_ms, &calendar->text, &reason)) {
		if (index_text(calendar)) {
			keep_copy(copy, calendar->text);
			return true;
		}
		reason = "the answer is not an iCalendar file";
	}
	*calendar = calendar_text();
	struct stat st;
	std::string ignored;
	if (stat(copy.c_str(), &st) == 0 && read_file(copy, &calendar->text, &ignored)
		&& index_text(calendar)) {
		complain(source, reason + "; using the copy kept on " + kept_on(st.st_mtime));
		return true;
	}
	complain(source, reason + "; its events are left out");
	return false;
}

bool read_source(const std::string& source, calendar_text* calendar)
{
	if (is_feed(source))
		return read_feed(source, calendar);
	std::string reason;
	if (!read_file(home_path(source), &calendar->text, &reason)) {
		complain(source, reason + "; its events are left out");
		return false;
	}
	if (!index_text(calendar)) {
		complain(source, "not an iCalendar file; its events are left out");
		return false;
	}
	return true;
}

}

std::vector<calendar_text> read_sources(const std::vector<std::string>& sources)
{
	std::vector<calendar_text> calendars;
	for (const std::string& source : sources) {
		calendar_text calendar;
		if (read_source(source, &calendar))
			calendars.push_back(std::move(calendar));
	}
	return calendars;
}
