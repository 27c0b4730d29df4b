#ifndef _DATA_IO_H
#define _DATA_IO_H

#include <string>

#include <SupportDefs.h>

class BDataIO {
public:
	virtual ~BDataIO();
	virtual ssize_t Read(void* buffer, size_t size) = 0;
	virtual ssize_t Write(const void* buffer, size_t size) = 0;
};

class BPositionIO : public BDataIO {
public:
	ssize_t Read(void* buffer, size_t size) override;
	ssize_t Write(const void* buffer, size_t size) override;
	virtual ssize_t ReadAt(off_t position, void* buffer, size_t size) = 0;
	virtual ssize_t WriteAt(off_t position, const void* buffer, size_t size) = 0;
	virtual off_t Seek(off_t position, uint32 seekMode) = 0;
	virtual off_t Position() const = 0;
	virtual status_t SetSize(off_t size);
	virtual status_t GetSize(off_t* size) const;
};

// A BPositionIO over bytes held in memory.
class BMallocIO : public BPositionIO {
public:
	BMallocIO();
	~BMallocIO() override;

	ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;
	off_t Seek(off_t position, uint32 seekMode) override;
	off_t Position() const override { return fPosition; }
	status_t SetSize(off_t size) override;

	const void* Buffer() const { return fData.data(); }
	size_t BufferLength() const { return fData.size(); }

private:
	std::string fData;
	off_t fPosition;
};

#endif
