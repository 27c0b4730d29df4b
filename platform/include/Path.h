#ifndef _PATH_H
#define _PATH_H

#include <string>

#include <StorageDefs.h>

class BDirectory;
class BEntry;
struct entry_ref;

class BPath {
public:
	BPath();
	BPath(const char* dir, const char* leaf = nullptr, bool normalize = false);
	BPath(const BEntry* entry);
	BPath(const entry_ref* ref);
	virtual ~BPath();

	status_t SetTo(const char* path, const char* leaf = nullptr, bool normalize = false);
	status_t SetTo(const BEntry* entry);
	status_t SetTo(const entry_ref* ref);
	status_t Append(const char* path, bool normalize = false);
	void Unset();
	status_t InitCheck() const { return fStatus; }

	const char* Path() const;
	const char* Leaf() const;
	status_t GetParent(BPath* path) const;

private:
	std::string fPath;
	status_t fStatus;
};

#endif
