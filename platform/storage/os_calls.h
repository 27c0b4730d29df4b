#ifndef TEVRA_OS_CALLS_H
#define TEVRA_OS_CALLS_H

#include <sys/types.h>

// Every call through which the storage kit changes the file system. Tests swap entries to
// inject failures (a full disk, a write cut short) without touching the system.
struct os_calls {
	int (*open)(const char* path, int flags, mode_t mode);
	ssize_t (*pwrite)(int fd, const void* buffer, size_t size, off_t offset);
	int (*ftruncate)(int fd, off_t size);
	int (*fsync)(int fd);
	int (*close)(int fd);
	int (*rename)(const char* from, const char* to);
	int (*unlink)(const char* path);
	int (*fsetxattr)(int fd, const char* name, const void* value, size_t size, int flags);
	// Gives an open file that has no name (O_TMPFILE) the name path.
	int (*link_fd)(int fd, const char* path);
};

extern os_calls g_os_calls;
// The real calls, for restoring after a test.
extern const os_calls k_real_os_calls;

#endif
