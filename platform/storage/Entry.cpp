#include <Entry.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <Directory.h>
#include <Path.h>

#include "os_calls.h"
#include "storage_paths.h"

status_t resolve_entry_path(const char* path, bool traverse, std::string* result)
{
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	if (strlen(path) >= PATH_MAX)
		return B_NAME_TOO_LONG;

	char mapped[PATH_MAX];
	std::string full = map_haiku_path(path, mapped, sizeof(mapped));
	if (full[0] != '/') {
		char cwd[PATH_MAX];
		if (getcwd(cwd, sizeof(cwd)) == nullptr)
			return B_ENTRY_NOT_FOUND;
		full = std::string(cwd) + "/" + full;
	}
	while (full.size() > 1 && full.back() == '/')
		full.pop_back();

	size_t slash = full.rfind('/');
	std::string leaf = full.substr(slash + 1);
	std::string folder = slash == 0 ? "/" : full.substr(0, slash);
	if (leaf == "." || leaf == ".." || leaf.empty()) {
		folder = full;
		leaf.clear();
	}

	char resolved[PATH_MAX];
	if (realpath(folder.c_str(), resolved) == nullptr)
		return errno == ENAMETOOLONG ? B_NAME_TOO_LONG : B_ENTRY_NOT_FOUND;
	std::string out = resolved;
	if (!leaf.empty())
		out += (out == "/" ? "" : "/") + leaf;

	if (traverse && !leaf.empty()) {
		struct stat st;
		if (lstat(out.c_str(), &st) == 0 && S_ISLNK(st.st_mode)
			&& realpath(out.c_str(), resolved) != nullptr)
			out = resolved;
	}
	if (out.size() >= PATH_MAX)
		return B_NAME_TOO_LONG;
	*result = out;
	return B_OK;
}

entry_ref::entry_ref()
{
}

entry_ref::entry_ref(const char* path)
{
	set_path(path);
}

status_t entry_ref::set_path(const char* path)
{
	if (path == nullptr || path[0] != '/') {
		fPath.clear();
		return B_BAD_VALUE;
	}
	fPath = path;
	return B_OK;
}

status_t get_ref_for_path(const char* path, entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	std::string resolved;
	status_t status = resolve_entry_path(path, false, &resolved);
	if (status != B_OK)
		return status;
	return ref->set_path(resolved.c_str());
}

BEntry::BEntry()
	: fStatus(B_NO_INIT)
{
}

BEntry::BEntry(const entry_ref* ref, bool traverse)
	: fStatus(B_NO_INIT)
{
	SetTo(ref, traverse);
}

BEntry::BEntry(const char* path, bool traverse)
	: fStatus(B_NO_INIT)
{
	SetTo(path, traverse);
}

BEntry::~BEntry()
{
}

status_t BEntry::SetTo(const entry_ref* ref, bool traverse)
{
	if (ref == nullptr || ref->Path() == nullptr) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	return SetTo(ref->Path(), traverse);
}

status_t BEntry::SetTo(const char* path, bool traverse)
{
	fPath.clear();
	fStatus = resolve_entry_path(path, traverse, &fPath);
	if (fStatus != B_OK)
		fPath.clear();
	return fStatus;
}

void BEntry::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}

bool BEntry::Exists() const
{
	struct stat st;
	return fStatus == B_OK && lstat(fPath.c_str(), &st) == 0;
}

bool BEntry::IsDirectory() const
{
	struct stat st;
	return fStatus == B_OK && stat(fPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

status_t BEntry::GetName(char* buffer) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (buffer == nullptr)
		return B_BAD_VALUE;
	const char* leaf = strrchr(fPath.c_str(), '/') + 1;
	if (fPath == "/")
		leaf = "/";
	if (strlen(leaf) >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	strcpy(buffer, leaf);
	return B_OK;
}

status_t BEntry::GetRef(entry_ref* ref) const
{
	if (fStatus != B_OK)
		return fStatus;
	return ref->set_path(fPath.c_str());
}

status_t BEntry::GetParent(BEntry* entry) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (fPath == "/")
		return B_ENTRY_NOT_FOUND;
	size_t slash = fPath.rfind('/');
	std::string parent = slash == 0 ? "/" : fPath.substr(0, slash);
	entry->fPath = parent;
	entry->fStatus = B_OK;
	return B_OK;
}

status_t BEntry::GetParent(BDirectory* dir) const
{
	BEntry parent;
	status_t status = GetParent(&parent);
	if (status != B_OK)
		return status;
	return dir->SetTo(parent.Path());
}

status_t BEntry::Remove()
{
	if (fStatus != B_OK)
		return fStatus;
	if (g_os_calls.unlink(fPath.c_str()) != 0)
		return -errno;
	return B_OK;
}

status_t BEntry::Rename(const char* path, bool clobber)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	std::string target = path;
	if (target[0] != '/')
		target = fPath.substr(0, fPath.rfind('/') + 1) + target;
	std::string resolved;
	status_t status = resolve_entry_path(target.c_str(), false, &resolved);
	if (status != B_OK)
		return status;
	struct stat st;
	if (!clobber && lstat(resolved.c_str(), &st) == 0)
		return B_FILE_EXISTS;
	if (g_os_calls.rename(fPath.c_str(), resolved.c_str()) != 0)
		return -errno;
	fPath = resolved;
	return B_OK;
}
