#ifndef _FILE_H
#define _FILE_H

#include <DataIO.h>
#include <Node.h>

class BFile : public BNode, public BPositionIO {
public:
	BFile();
	BFile(const char* path, uint32 openMode);
	BFile(const entry_ref* ref, uint32 openMode);
	~BFile() override;

	status_t SetTo(const char* path, uint32 openMode);
	status_t SetTo(const entry_ref* ref, uint32 openMode);
	void Unset() override;
	// Beyond Haiku: a new file in folder that has no name yet, so that a program stopped
	// while writing it leaves nothing behind. B_NOT_SUPPORTED where the file system has no
	// such files.
	status_t SetToUnnamed(const char* folder, uint32 permissions);
	// Gives a file made by SetToUnnamed its name; B_FILE_EXISTS when the name is taken.
	status_t Link(const char* path);
	bool IsReadable() const;
	bool IsWritable() const;

	ssize_t Read(void* buffer, size_t size) override;
	ssize_t Write(const void* buffer, size_t size) override;
	ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;
	off_t Seek(off_t position, uint32 seekMode) override;
	off_t Position() const override;
	status_t SetSize(off_t size) override;
	status_t GetSize(off_t* size) const override;

private:
	friend class BDirectory;
	uint32 fMode;
};

#endif
