#include "os_calls.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

int real_open(const char* path, int flags, mode_t mode)
{
	return ::open(path, flags | O_CLOEXEC, mode);
}

}

const os_calls k_real_os_calls = {
	real_open, ::pwrite, ::ftruncate, ::fsync, ::close, ::rename, ::unlink, ::fsetxattr,
};

os_calls g_os_calls = k_real_os_calls;

const char* map_haiku_path(const char* path, char* buffer, size_t size)
{
	static const char kHaikuHome[] = "/boot/home";
	const size_t prefix = sizeof(kHaikuHome) - 1;
	if (path == nullptr || strncmp(path, kHaikuHome, prefix) != 0
		|| (path[prefix] != '\0' && path[prefix] != '/'))
		return path;
	const char* home = getenv("HOME");
	if (home == nullptr || home[0] != '/')
		return path;
	size_t homeLength = strlen(home);
	while (homeLength > 1 && home[homeLength - 1] == '/')
		homeLength--;
	if (homeLength + strlen(path + prefix) + 1 > size)
		return path;
	memcpy(buffer, home, homeLength);
	strcpy(buffer + homeLength, path + prefix);
	return buffer;
}
