#include "model/safe_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Directory.h>
#include <Entry.h>

namespace {

const char kMark[] = ".tevra-";

// A temporary of ours is named "." + target + ".tevra-" + pid "-" + eight hex digits (or,
// for a very long target name, ".tevra-" + the same), so the next write to the target can
// tell one whose writer was stopped from one still being written.
std::string temporary_leaf(const std::string& name, unsigned serial)
{
	char suffix[48];
	snprintf(suffix, sizeof(suffix), "%s%d-%08x", kMark, (int)getpid(), serial);
	std::string leaf = "." + name + suffix;
	return leaf.size() > 255 ? std::string(".tevra") + (suffix + 6) : leaf;
}

// Whether what follows the mark names a write that can no longer finish: its process is
// gone, or it is an old-style name (eight hex digits, no process) an hour old.
bool stale(const char* suffix, const std::string& path)
{
	char* end;
	long pid = strtol(suffix, &end, 10);
	if (end != suffix && *end == '-' && strlen(end + 1) == 8 && pid > 0)
		return kill((pid_t)pid, 0) != 0 && errno == ESRCH;
	struct stat st;
	return strlen(suffix) == 8 && strspn(suffix, "0123456789abcdef") == 8
		&& lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)
		&& time(nullptr) - st.st_mtime > 3600;
}

// Removes what stopped writes to name left in folder.
void remove_stale(const std::string& folder, const std::string& name)
{
	DIR* dir = opendir(folder.c_str());
	if (dir == nullptr)
		return;
	std::string own = "." + name + kMark;
	std::string shortened = kMark;
	while (dirent* entry = readdir(dir)) {
		const char* leaf = entry->d_name;
		const char* suffix = strncmp(leaf, own.c_str(), own.size()) == 0 ? leaf + own.size()
			: strncmp(leaf, shortened.c_str(), shortened.size()) == 0
			? leaf + shortened.size() : nullptr;
		std::string path = folder + "/" + leaf;
		if (suffix != nullptr && stale(suffix, path))
			BEntry(path.c_str()).Remove();
	}
	closedir(dir);
}

// Only a regular file, or a link to one, is replaced: a pipe or a device keeps its kind. In a
// shared folder (sticky, anyone may write) a link made by another user than us or the
// folder's owner is not followed, as the kernel would not open it either: it may point at
// a file of ours it wants replaced.
status_t replaceable(const std::string& folder, const std::string& target)
{
	struct stat link, file, shared;
	if (lstat(target.c_str(), &link) != 0)
		return B_OK;
	if (S_ISLNK(link.st_mode) && stat(folder.c_str(), &shared) == 0
		&& (shared.st_mode & S_ISVTX) != 0 && (shared.st_mode & S_IWOTH) != 0
		&& link.st_uid != geteuid() && link.st_uid != shared.st_uid)
		return B_NOT_ALLOWED;
	if (S_ISLNK(link.st_mode) && stat(target.c_str(), &file) != 0)
		return B_OK;
	return S_ISREG(S_ISLNK(link.st_mode) ? file.st_mode : link.st_mode) ? B_OK : B_BAD_TYPE;
}

}

safe_file::safe_file(const char* folder, const char* name)
	: fStatus(B_NO_INIT), fCommitted(false), fUnnamed(false), fReplaces(false), fMode(0)
{
	if (folder == nullptr || name == nullptr || name[0] == '\0') {
		fStatus = B_BAD_VALUE;
		return;
	}
	BDirectory directory(folder);
	fStatus = directory.InitCheck();
	if (fStatus != B_OK)
		return;
	fTarget = std::string(folder) + "/" + name;
	fFolder = folder;
	fName = name;
	fStatus = replaceable(fFolder, fTarget);
	if (fStatus != B_OK)
		return;
	// A link is saved through, as opening it for writing would: the file it names is
	// replaced, beside itself, and the link stays.
	struct stat st;
	char resolved[PATH_MAX];
	if (lstat(fTarget.c_str(), &st) == 0 && S_ISLNK(st.st_mode)
		&& realpath(fTarget.c_str(), resolved) != nullptr) {
		fTarget = resolved;
		size_t slash = fTarget.rfind('/');
		fFolder = slash == 0 ? "/" : fTarget.substr(0, slash);
		fStatus = directory.SetTo(fFolder.c_str());
		if (fStatus != B_OK)
			return;
		fName = fTarget.substr(slash + 1);
	}
	remove_stale(fFolder, fName);
	// The new file takes the permissions of the one it replaces.
	fReplaces = stat(fTarget.c_str(), &st) == 0 && S_ISREG(st.st_mode);
	fMode = fReplaces ? st.st_mode & 07777 : 0644;
	// A file with no name until it is complete leaves nothing behind when the program is
	// stopped; where the file system has none, a hidden name in the same folder.
	fStatus = fFile.SetToUnnamed(fFolder.c_str(), fMode);
	if (fStatus == B_OK) {
		fUnnamed = true;
		return;
	}
	if (fStatus != B_NOT_SUPPORTED)
		return;
	for (int attempt = 0; attempt < 100; attempt++) {
		std::string leaf = temporary_leaf(fName, _Serial(attempt));
		fStatus = directory.CreateFile(leaf.c_str(), &fFile, true);
		if (fStatus == B_OK) {
			fTemporary = fFolder + "/" + leaf;
			if (fReplaces)
				chmod(fTemporary.c_str(), fMode);
			return;
		}
		if (fStatus != B_FILE_EXISTS)
			return;
	}
}

safe_file::~safe_file()
{
	if (fCommitted || fTemporary.empty())
		return;
	fFile.Unset();
	BEntry(fTemporary.c_str()).Remove();
}

status_t safe_file::Commit()
{
	if (fStatus != B_OK)
		return fStatus;
	status_t status = fFile.Sync();
	if (status != B_OK)
		return status;
	// The complete file gets its hidden name only now, and for as short a time as a rename.
	for (int attempt = 0; fUnnamed && fTemporary.empty() && attempt < 100; attempt++) {
		std::string path = fFolder + "/" + temporary_leaf(fName, _Serial(attempt));
		status = fFile.Link(path.c_str());
		if (status == B_OK) {
			fTemporary = path;
			if (fReplaces)
				chmod(fTemporary.c_str(), fMode);
		} else if (status != B_FILE_EXISTS) {
			return status;
		}
	}
	if (fTemporary.empty())
		return B_FILE_EXISTS;
	BEntry entry(fTemporary.c_str());
	status = entry.Rename(fTarget.c_str(), true);
	if (status != B_OK)
		return status;
	fCommitted = true;
	fFile.Unset();
	return B_OK;
}

unsigned safe_file::_Serial(int attempt) const
{
	unsigned seed = (unsigned)time(nullptr) ^ (unsigned)(uintptr_t)this;
	return seed + attempt * 2654435761u;
}
