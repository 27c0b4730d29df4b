#include "model/safe_file.h"

#include <cstdio>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

#include <Directory.h>
#include <Entry.h>

safe_file::safe_file(const char* folder, const char* name)
	: fStatus(B_NO_INIT), fCommitted(false)
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
	std::string base = std::string(folder) + "/";
	// A link is saved through, as opening it for writing would: the file it names is
	// replaced, beside itself, and the link stays.
	struct stat st;
	char resolved[PATH_MAX];
	if (lstat(fTarget.c_str(), &st) == 0 && S_ISLNK(st.st_mode)
		&& realpath(fTarget.c_str(), resolved) != nullptr) {
		fTarget = resolved;
		size_t slash = fTarget.rfind('/');
		fStatus = directory.SetTo(slash == 0 ? "/" : fTarget.substr(0, slash).c_str());
		if (fStatus != B_OK)
			return;
		name = fTarget.c_str() + slash + 1;
		base = fTarget.substr(0, slash + 1);
	}
	// The new file takes the permissions of the one it replaces.
	bool replaces = stat(fTarget.c_str(), &st) == 0 && S_ISREG(st.st_mode);
	// A unique hidden name in the same folder, so the final rename stays on one disk.
	unsigned seed = (unsigned)getpid() ^ (unsigned)time(nullptr) ^ (unsigned)(uintptr_t)this;
	for (int attempt = 0; attempt < 100; attempt++) {
		char suffix[32];
		snprintf(suffix, sizeof(suffix), ".tevra-%08x", seed + attempt * 2654435761u);
		std::string leaf = std::string(".") + name + suffix;
		if (leaf.size() > 255)
			leaf = std::string(".tevra") + suffix;
		fStatus = directory.CreateFile(leaf.c_str(), &fFile, true);
		if (fStatus == B_OK) {
			fTemporary = base + leaf;
			if (replaces)
				chmod(fTemporary.c_str(), st.st_mode & 07777);
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
	BEntry entry(fTemporary.c_str());
	status = entry.Rename(fTarget.c_str(), true);
	if (status != B_OK)
		return status;
	fCommitted = true;
	fFile.Unset();
	return B_OK;
}
