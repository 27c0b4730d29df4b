#include <Directory.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include <Entry.h>
#include <File.h>

#include "storage_paths.h"

BDirectory::BDirectory()
{
}

BDirectory::BDirectory(const char* path)
{
	SetTo(path);
}

BDirectory::BDirectory(const entry_ref* ref)
{
	SetTo(ref);
}

BDirectory::~BDirectory()
{
}

status_t BDirectory::SetTo(const char* path)
{
	return _Open(path, O_RDONLY | O_DIRECTORY);
}

status_t BDirectory::SetTo(const entry_ref* ref)
{
	if (ref == nullptr || ref->Path() == nullptr) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	return SetTo(ref->Path());
}

status_t BDirectory::CreateFile(const char* path, BFile* file, bool failIfExists)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	std::string full = path[0] == '/' ? std::string(path) : fPath + "/" + path;
	BFile local;
	BFile* target = file != nullptr ? file : &local;
	uint32 mode = B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE;
	if (failIfExists)
		mode |= B_FAIL_IF_EXISTS;
	return target->SetTo(full.c_str(), mode);
}

bool BDirectory::Contains(const char* path, int32 nodeFlags) const
{
	if (fStatus != B_OK || path == nullptr)
		return false;
	std::string full = path[0] == '/' ? std::string(path) : fPath + "/" + path;
	struct stat st;
	if (lstat(full.c_str(), &st) != 0)
		return false;
	if (S_ISDIR(st.st_mode))
		return nodeFlags & B_DIRECTORY_NODE;
	if (S_ISLNK(st.st_mode))
		return nodeFlags & B_SYMLINK_NODE;
	return nodeFlags & B_FILE_NODE;
}

status_t create_directory(const char* path, mode_t mode)
{
	// As on Haiku, every missing folder along the path is made.
	std::string resolved;
	status_t status = resolve_entry_path(path, false, &resolved);
	if (status == B_ENTRY_NOT_FOUND && path != nullptr) {
		std::string parent = path;
		while (parent.size() > 1 && parent.back() == '/')
			parent.pop_back();
		size_t slash = parent.rfind('/');
		if (slash == std::string::npos || slash == 0)
			return status;
		status = create_directory(parent.substr(0, slash).c_str(), mode);
		if (status == B_OK)
			status = resolve_entry_path(path, false, &resolved);
	}
	if (status != B_OK)
		return status;
	if (mkdir(resolved.c_str(), mode) != 0 && errno != EEXIST)
		return -errno;
	return B_OK;
}
