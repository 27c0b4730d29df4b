#ifndef _DIRECTORY_H
#define _DIRECTORY_H

#include <Node.h>

class BEntry;
class BFile;

class BDirectory : public BNode {
public:
	BDirectory();
	BDirectory(const char* path);
	BDirectory(const entry_ref* ref);
	~BDirectory() override;

	status_t SetTo(const char* path);
	status_t SetTo(const entry_ref* ref);
	// Creates (or, unless failIfExists, truncates) a file given relative to this folder.
	status_t CreateFile(const char* path, BFile* file, bool failIfExists = false);
	bool Contains(const char* path, int32 nodeFlags = B_ANY_NODE) const;
};

status_t create_directory(const char* path, mode_t mode);

#endif
