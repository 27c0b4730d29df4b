#include <File.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Entry.h>

#include "os_calls.h"

BFile::BFile()
	: fMode(0)
{
}

BFile::BFile(const char* path, uint32 openMode)
	: fMode(0)
{
	SetTo(path, openMode);
}

BFile::BFile(const entry_ref* ref, uint32 openMode)
	: fMode(0)
{
	SetTo(ref, openMode);
}

BFile::~BFile()
{
}

status_t BFile::SetTo(const char* path, uint32 openMode)
{
	status_t status = _Open(path, openMode);
	if (status != B_OK)
		return status;
	struct stat st;
	// A folder opens read-only like a file would; it is no file.
	if (fstat(fFd, &st) == 0 && S_ISDIR(st.st_mode)) {
		Unset();
		return fStatus = B_IS_A_DIRECTORY;
	}
	fMode = openMode;
	return B_OK;
}

status_t BFile::SetTo(const entry_ref* ref, uint32 openMode)
{
	if (ref == nullptr || ref->Path() == nullptr) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	return SetTo(ref->Path(), openMode);
}

void BFile::Unset()
{
	BNode::Unset();
	fMode = 0;
}

status_t BFile::SetToUnnamed(const char* folder, uint32 permissions)
{
	// Naming it later goes through /proc; without it the file could never be kept.
	if (access("/proc/self/fd", X_OK) != 0) {
		Unset();
		return fStatus = B_NOT_SUPPORTED;
	}
	status_t status = _Open(folder, O_TMPFILE | O_RDWR, permissions & 07777);
	// Older kernels and some file systems refuse it in one of these ways.
	if (status == -EOPNOTSUPP || status == -EISDIR || status == -EINVAL)
		return fStatus = B_NOT_SUPPORTED;
	if (status != B_OK)
		return status;
	fMode = B_READ_WRITE;
	return B_OK;
}

status_t BFile::Link(const char* path)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == nullptr)
		return B_BAD_VALUE;
	if (g_os_calls.link_fd(fFd, path) != 0)
		return -errno;
	fPath = path;
	return B_OK;
}

bool BFile::IsReadable() const
{
	return fStatus == B_OK && (fMode & O_ACCMODE) != O_WRONLY;
}

bool BFile::IsWritable() const
{
	return fStatus == B_OK && (fMode & O_ACCMODE) != O_RDONLY;
}

ssize_t BFile::Read(void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return fStatus;
	ssize_t done = ::read(fFd, buffer, size);
	return done < 0 ? -errno : done;
}

ssize_t BFile::Write(const void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return fStatus;
	off_t position = Position();
	if (position < 0)
		return position;
	ssize_t done = WriteAt(position, buffer, size);
	if (done > 0)
		lseek(fFd, position + done, SEEK_SET);
	return done;
}

ssize_t BFile::ReadAt(off_t position, void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return fStatus;
	ssize_t done = ::pread(fFd, buffer, size, position);
	return done < 0 ? -errno : done;
}

ssize_t BFile::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return fStatus;
	// A short write is continued; a failure is reported even after part was written.
	size_t total = 0;
	while (total < size) {
		ssize_t done = g_os_calls.pwrite(fFd, (const char*)buffer + total, size - total,
			position + total);
		if (done < 0) {
			if (errno == EINTR)
				continue;
			return -errno;
		}
		if (done == 0)
			return B_IO_ERROR;
		total += done;
	}
	return total;
}

off_t BFile::Seek(off_t position, uint32 seekMode)
{
	if (fStatus != B_OK)
		return fStatus;
	off_t result = lseek(fFd, position, seekMode);
	return result < 0 ? -errno : result;
}

off_t BFile::Position() const
{
	if (fStatus != B_OK)
		return fStatus;
	off_t result = lseek(fFd, 0, SEEK_CUR);
	return result < 0 ? -errno : result;
}

status_t BFile::SetSize(off_t size)
{
	if (fStatus != B_OK)
		return fStatus;
	if (g_os_calls.ftruncate(fFd, size) != 0)
		return -errno;
	return B_OK;
}

status_t BFile::GetSize(off_t* size) const
{
	if (fStatus != B_OK)
		return fStatus;
	struct stat st;
	if (fstat(fFd, &st) != 0)
		return -errno;
	*size = st.st_size;
	return B_OK;
}
