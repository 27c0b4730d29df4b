#ifndef _ENTRY_H
#define _ENTRY_H

#include <string>

#include <StorageDefs.h>

class BDirectory;
class BPath;

// A reference to a file system entry. Here it holds the entry's absolute path; the entry
// itself may not exist.
struct entry_ref {
	entry_ref();
	entry_ref(const char* path);

	bool operator==(const entry_ref& other) const { return fPath == other.fPath; }
	bool operator!=(const entry_ref& other) const { return !(*this == other); }

	// The absolute path, or null for an unset reference.
	const char* Path() const { return fPath.empty() ? nullptr : fPath.c_str(); }
	status_t set_path(const char* path);

private:
	std::string fPath;
};

// Makes an entry_ref for a path, relative to the current folder when not absolute. The
// entry need not exist, but its folder must.
status_t get_ref_for_path(const char* path, entry_ref* ref);

class BEntry {
public:
	BEntry();
	BEntry(const entry_ref* ref, bool traverse = false);
	BEntry(const char* path, bool traverse = false);
	virtual ~BEntry();

	status_t SetTo(const entry_ref* ref, bool traverse = false);
	status_t SetTo(const char* path, bool traverse = false);
	void Unset();
	status_t InitCheck() const { return fStatus; }

	bool Exists() const;
	bool IsDirectory() const;
	status_t GetName(char* buffer) const;
	status_t GetRef(entry_ref* ref) const;
	status_t GetParent(BEntry* entry) const;
	status_t GetParent(BDirectory* dir) const;
	status_t Remove();
	// Moves the entry; a relative path is taken in the entry's folder.
	status_t Rename(const char* path, bool clobber = false);

	const char* Path() const { return fPath.c_str(); }

private:
	std::string fPath;
	status_t fStatus;
};

#endif
