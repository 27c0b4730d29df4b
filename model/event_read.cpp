#include "model/event_parts.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
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

bool read_file(const std::string& path, std::string* text, std::string* reason)
{
	// Only a regular file; opening without waiting, so a named pipe cannot hold the program.
	int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0) {
		*reason = strerror(errno);
		return false;
	}
	struct stat st;
	const char* refused = fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ? "not a regular file"
		: (size_t)st.st_size > kFileLimit ? "the file is larger than 64 MB" : nullptr;
	if (refused != nullptr) {
		*reason = refused;
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

// Where feeds' copies are kept; none without a home.
std::string cache_folder()
{
	const char* cache = getenv("XDG_CACHE_HOME");
	if (cache != nullptr && cache[0] == '/')
		return std::string(cache) + "/tevra/events";
	const char* home = getenv("HOME");
	if (home != nullptr && home[0] == '/')
		return std::string(home) + "/.cache/tevra/events";
	return "";
}

// The kept copy of a feed, named by a hash of its address.
std::string cache_name(const std::string& url)
{
	uint64_t hash = 14695981039346656037ull;
	for (unsigned char c : url)
		hash = (hash ^ c) * 1099511628211ull;
	char name[32];
	snprintf(name, sizeof(name), "%016llx.ics", (unsigned long long)hash);
	return name;
}

bool make_folders(const std::string& folder)
{
	for (size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
		if (mkdir(folder.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST)
			return false;
		if (slash == std::string::npos)
			return true;
	}
}

const char kTemporaryMark[] = ".tmp-";

// Copies a writer left half-made when it was stopped: one whose process is gone, or one of
// the unmarked kind older builds made and left for an hour.
void sweep_leftovers(const std::string& folder)
{
	DIR* dir = opendir(folder.c_str());
	if (dir == nullptr)
		return;
	time_t now = time(nullptr);
	while (dirent* item = readdir(dir)) {
		const char* name = item->d_name;
		const char* mark = strstr(name, kTemporaryMark);
		const char* ics = strstr(name, ".ics.");
		bool gone = false;
		if (mark != nullptr) {
			long pid = strtol(mark + strlen(kTemporaryMark), nullptr, 10);
			gone = pid > 0 && kill((pid_t)pid, 0) != 0 && errno == ESRCH;
		} else if (ics != nullptr && strlen(ics) == 11) {
			struct stat st;
			gone = fstatat(dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) == 0
				&& now - st.st_mtime > 3600;
		}
		if (gone)
			unlinkat(dirfd(dir), name, 0);
	}
	closedir(dir);
}

// Written in full beside its place and renamed over it, so a reader never meets half a copy;
// the temporary's name carries our pid, so the next writer knows a stopped one's leftovers.
void keep_copy(const std::string& source, const std::string& folder, const std::string& name,
	const std::string& text)
{
	if (folder.empty())
		return;
	std::string path = folder + "/" + name;
	std::string temporary = path + kTemporaryMark + std::to_string(getpid());
	bool written = false;
	int fd = -1;
	if (make_folders(folder)) {
		sweep_leftovers(folder);
		unlink(temporary.c_str());
		fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
	}
	if (fd >= 0) {
		written = ::write(fd, text.data(), text.size()) == (ssize_t)text.size();
		written = ::close(fd) == 0 && written && rename(temporary.c_str(), path.c_str()) == 0;
	}
	if (!written) {
		complain(source, std::string("its copy cannot be kept in ") + folder + ": "
			+ strerror(errno));
		unlink(temporary.c_str());
	}
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

// A feed's answer read, its good copy kept; when the fetch failed the kept copy stands in.
bool read_feed(const std::string& url, const std::string& body, std::string reason,
	calendar_text* calendar)
{
	std::string folder = cache_folder();
	std::string name = cache_name(url);
	if (reason.empty()) {
		calendar->text = body;
		if (index_text(calendar, &reason)) {
			keep_copy(calendar->source, folder, name, calendar->text);
			return true;
		}
		reason = "the answer: " + reason;
	}
	calendar_text fresh;
	fresh.source = calendar->source;
	*calendar = fresh;
	struct stat st;
	std::string ignored;
	std::string copy = folder + "/" + name;
	if (!folder.empty() && stat(copy.c_str(), &st) == 0
		&& read_file(copy, &calendar->text, &ignored) && index_text(calendar, &ignored)) {
		complain(calendar->source, reason + "; using the copy kept on " + kept_on(st.st_mtime));
		return true;
	}
	complain(calendar->source, reason + "; its events are left out");
	return false;
}

bool read_kept(const std::string& url, calendar_text* calendar)
{
	std::string folder = cache_folder(), ignored;
	return !folder.empty() && read_file(folder + "/" + cache_name(url), &calendar->text, &ignored)
		&& index_text(calendar, &ignored);
}

bool read_local(const std::string& path, calendar_text* calendar)
{
	std::string reason;
	if (!read_file(home_path(path), &calendar->text, &reason)
		|| !index_text(calendar, &reason)) {
		complain(calendar->source, reason + "; its events are left out");
		return false;
	}
	return true;
}

std::string feed_url(const std::string& source)
{
	return starts_with_nocase(source, "webcal://") ? "https://" + source.substr(9) : source;
}

}

bool is_feed(const std::string& source)
{
	return starts_with_nocase(source, "http://") || starts_with_nocase(source, "https://")
		|| starts_with_nocase(source, "webcal://");
}

std::string shown_address(const std::string& source)
{
	size_t scheme = source.find("://");
	if (scheme == std::string::npos)
		return source;
	size_t host = scheme + 3;
	size_t path = source.find_first_of("/?#", host);
	std::string authority = source.substr(host, path == std::string::npos ? std::string::npos
		: path - host);
	// The user part may hold a password.
	size_t at = authority.rfind('@');
	if (at != std::string::npos)
		authority.erase(0, at + 1);
	std::string shown = source.substr(0, host) + authority;
	if (path == std::string::npos || source[path] != '/')
		return shown;
	size_t end = source.find_first_of("?#", path);
	std::string segments = source.substr(path, end == std::string::npos ? std::string::npos
		: end - path);
	while (segments.size() > 1 && segments.back() == '/')
		segments.pop_back();
	size_t last = segments.rfind('/');
	return shown + (last == 0 ? "" : "/…") + segments.substr(last);
}

std::vector<calendar_text> read_sources(const std::vector<std::string>& sources, bool fetch)
{
	// Every feed is asked at once, so dead servers cost one timeout in all.
	std::vector<std::string> urls;
	for (const std::string& source : sources) {
		if (is_feed(source))
			urls.push_back(feed_url(source));
	}
	std::vector<std::string> bodies(urls.size()), reasons(urls.size());
	if (!urls.empty() && fetch)
		event_fetch(urls, event_fetch_timeout_ms, &bodies, &reasons);
	if (!urls.empty() && fetch && event_loads_ending)
		return std::vector<calendar_text>();
	std::vector<calendar_text> calendars;
	size_t feed = 0;
	for (const std::string& source : sources) {
		calendar_text calendar;
		calendar.source = is_feed(source) ? shown_address(source) : source;
		bool read = !is_feed(source) ? read_local(source, &calendar)
			: fetch ? read_feed(urls[feed], bodies[feed], reasons[feed], &calendar)
			: read_kept(urls[feed], &calendar);
		feed += is_feed(source);
		if (read)
			calendars.push_back(std::move(calendar));
	}
	return calendars;
}
