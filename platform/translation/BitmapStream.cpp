#include <BitmapStream.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <endian.h>

#include <Bitmap.h>

namespace {

uint32 to_big(uint32 value)
{
	return htobe32(value);
}

float to_big(float value)
{
	uint32 bits;
	memcpy(&bits, &value, sizeof(bits));
	bits = htobe32(bits);
	memcpy(&value, &bits, sizeof(bits));
	return value;
}

}

BBitmapStream::BBitmapStream(BBitmap* bitmap)
	: fBitmap(nullptr), fPosition(0), fDetached(false)
{
	_SetBitmap(bitmap);
}

BBitmapStream::~BBitmapStream()
{
	if (!fDetached)
		delete fBitmap;
}

void BBitmapStream::_SetBitmap(BBitmap* bitmap)
{
	if (fBitmap != nullptr && fBitmap != bitmap && !fDetached)
		delete fBitmap;
	fBitmap = bitmap;
	fDetached = false;
	_MakeHeader();
}

void BBitmapStream::_MakeHeader()
{
	fHeader = TranslatorBitmap();
	fHeader.bounds.Set(0, 0, 0, 0);
	if (fBitmap == nullptr || !fBitmap->IsValid())
		return;
	BRect bounds = fBitmap->Bounds();
	fHeader.magic = to_big((uint32)B_TRANSLATOR_BITMAP);
	fHeader.bounds.Set(to_big(bounds.left), to_big(bounds.top), to_big(bounds.right),
		to_big(bounds.bottom));
	fHeader.rowBytes = to_big((uint32)fBitmap->BytesPerRow());
	fHeader.colors = (color_space)to_big((uint32)fBitmap->ColorSpace());
	fHeader.dataSize = to_big((uint32)fBitmap->BitsLength());
}

off_t BBitmapStream::Size() const
{
	if (fBitmap == nullptr || !fBitmap->IsValid())
		return 0;
	return sizeof(fHeader) + fBitmap->BitsLength();
}

ssize_t BBitmapStream::ReadAt(off_t position, void* buffer, size_t size)
{
	if (position < 0 || buffer == nullptr)
		return B_BAD_VALUE;
	off_t end = Size();
	if (position >= end)
		return 0;
	size = std::min<off_t>(size, end - position);
	size_t done = 0;
	if (position < (off_t)sizeof(fHeader)) {
		size_t count = std::min(size, sizeof(fHeader) - (size_t)position);
		memcpy(buffer, (const char*)&fHeader + position, count);
		done = count;
	}
	if (done < size) {
		off_t offset = position + done - sizeof(fHeader);
		memcpy((char*)buffer + done, (const char*)fBitmap->Bits() + offset, size - done);
		done = size;
	}
	return done;
}

ssize_t BBitmapStream::WriteAt(off_t, const void*, size_t)
{
	// Decoders fill the bitmap directly; a byte stream into a bitmap is not needed here.
	return B_NOT_SUPPORTED;
}

off_t BBitmapStream::Seek(off_t position, uint32 seekMode)
{
	off_t base = seekMode == SEEK_CUR ? fPosition : seekMode == SEEK_END ? Size() : 0;
	if (base + position < 0)
		return B_BAD_VALUE;
	fPosition = base + position;
	return fPosition;
}

status_t BBitmapStream::SetSize(off_t)
{
	return B_NOT_SUPPORTED;
}

status_t BBitmapStream::DetachBitmap(BBitmap** bitmap)
{
	if (bitmap == nullptr)
		return B_BAD_VALUE;
	if (fBitmap == nullptr || fDetached)
		return B_ERROR;
	*bitmap = fBitmap;
	fDetached = true;
	return B_OK;
}
