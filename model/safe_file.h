#ifndef TEVRA_SAFE_FILE_H
#define TEVRA_SAFE_FILE_H

#include <string>

#include <File.h>

// A file written in full beside its target and only then renamed over it, so a write that
// fails half-way (a full disk, no permission) leaves the previous file as it was. Until it
// is complete the file has no name where the file system allows it; otherwise a hidden
// name that the next write to the same target removes if its writer was stopped.
class safe_file {
public:
	// folder and name give the target; the temporary file is made in the same folder.
	safe_file(const char* folder, const char* name);
	// Removes the temporary file unless Commit succeeded.
	~safe_file();

	status_t InitCheck() const { return fStatus; }
	BFile* File() { return &fFile; }
	const char* Target() const { return fTarget.c_str(); }
	// Flushes the data to the disk and renames the file over the target.
	status_t Commit();

private:
	unsigned _Serial(int attempt) const;

	BFile fFile;
	std::string fTarget;
	std::string fFolder;
	std::string fName;
	std::string fTemporary;
	status_t fStatus;
	bool fCommitted;
	bool fUnnamed;
	bool fReplaces;
	uint32 fMode;
};

#endif
