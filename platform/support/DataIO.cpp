#include <DataIO.h>

#include <cstdio>
#include <cstring>

BDataIO::~BDataIO()
{
}

ssize_t BPositionIO::Read(void* buffer, size_t size)
{
	off_t position = Position();
	ssize_t done = ReadAt(position, buffer, size);
	if (done > 0)
		Seek(position + done, SEEK_SET);
	return done;
}

ssize_t BPositionIO::Write(const void* buffer, size_t size)
{
	off_t position = Position();
	ssize_t done = WriteAt(position, buffer, size);
	if (done > 0)
		Seek(position + done, SEEK_SET);
	return done;
}

status_t BPositionIO::SetSize(off_t)
{
	return B_ERROR;
}

status_t BPositionIO::GetSize(off_t* size) const
{
	// Only the subclass knows its end; this asks it through Seek without moving.
	BPositionIO* self = const_cast<BPositionIO*>(this);
	off_t position = Position();
	off_t end = self->Seek(0, SEEK_END);
	self->Seek(position, SEEK_SET);
	if (end < 0)
		return end;
	*size = end;
	return B_OK;
}

BMallocIO::BMallocIO()
	: fPosition(0)
{
}

BMallocIO::~BMallocIO()
{
}

ssize_t BMallocIO::ReadAt(off_t position, void* buffer, size_t size)
{
	if (position < 0 || buffer == nullptr)
		return B_BAD_VALUE;
	if ((size_t)position >= fData.size())
		return 0;
	size_t count = std::min(size, fData.size() - (size_t)position);
	memcpy(buffer, fData.data() + position, count);
	return count;
}

ssize_t BMallocIO::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (position < 0 || buffer == nullptr)
		return B_BAD_VALUE;
	if ((size_t)position + size > fData.size())
		fData.resize(position + size);
	memcpy(&fData[position], buffer, size);
	return size;
}

off_t BMallocIO::Seek(off_t position, uint32 seekMode)
{
	off_t base = seekMode == SEEK_CUR ? fPosition : seekMode == SEEK_END ? (off_t)fData.size() : 0;
	if (base + position < 0)
		return B_BAD_VALUE;
	fPosition = base + position;
	return fPosition;
}

status_t BMallocIO::SetSize(off_t size)
{
	if (size < 0)
		return B_BAD_VALUE;
	fData.resize(size);
	return B_OK;
}
