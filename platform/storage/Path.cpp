#include <Path.h>

#include <cstring>

#include <Entry.h>

#include "storage_paths.h"

BPath::BPath()
	: fStatus(B_NO_INIT)
{
}

BPath::BPath(const char* dir, const char* leaf, bool normalize)
	: fStatus(B_NO_INIT)
{
	SetTo(dir, leaf, normalize);
}

BPath::BPath(const BEntry* entry)
	: fStatus(B_NO_INIT)
{
	SetTo(entry);
}

BPath::BPath(const entry_ref* ref)
	: fStatus(B_NO_INIT)
{
	SetTo(ref);
}

BPath::~BPath()
{
}

status_t BPath::SetTo(const char* path, const char* leaf, bool normalize)
{
	Unset();
	if (path == nullptr || path[0] == '\0')
		return fStatus = B_BAD_VALUE;
	std::string full = path;
	if (full[0] != '/' || normalize) {
		fStatus = resolve_entry_path(path, false, &full);
		if (fStatus != B_OK)
			return fStatus;
	}
	fPath = full;
	fStatus = B_OK;
	if (leaf != nullptr)
		return Append(leaf, normalize);
	return B_OK;
}

status_t BPath::SetTo(const BEntry* entry)
{
	Unset();
	if (entry == nullptr || entry->InitCheck() != B_OK)
		return fStatus = B_BAD_VALUE;
	fPath = entry->Path();
	return fStatus = B_OK;
}

status_t BPath::SetTo(const entry_ref* ref)
{
	Unset();
	if (ref == nullptr || ref->Path() == nullptr)
		return fStatus = B_BAD_VALUE;
	fPath = ref->Path();
	return fStatus = B_OK;
}

status_t BPath::Append(const char* path, bool normalize)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == nullptr || path[0] == '/')
		return B_BAD_VALUE;
	if (path[0] == '\0')
		return B_OK;
	std::string full = fPath + (fPath == "/" ? "" : "/") + path;
	if (normalize) {
		std::string resolved;
		status_t status = resolve_entry_path(full.c_str(), false, &resolved);
		if (status != B_OK)
			return status;
		full = resolved;
	}
	fPath = full;
	return B_OK;
}

void BPath::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}

const char* BPath::Path() const
{
	return fStatus == B_OK ? fPath.c_str() : nullptr;
}

const char* BPath::Leaf() const
{
	if (fStatus != B_OK)
		return nullptr;
	if (fPath == "/")
		return "";
	return strrchr(fPath.c_str(), '/') + 1;
}

status_t BPath::GetParent(BPath* path) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (fPath == "/")
		return B_ENTRY_NOT_FOUND;
	size_t slash = fPath.rfind('/');
	return path->SetTo(slash == 0 ? "/" : fPath.substr(0, slash).c_str());
}
