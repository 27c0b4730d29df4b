// Base-image decoding through the roster on arbitrary bytes: whatever decodes must be a
// bitmap whose every pixel can be read, at full size and at a reduced size, as drawing
// the picture onto the wallpaper reads them.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <QImage>
#include <QSize>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <DataIO.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include "fuzz/fuzz_app.h"
#include "model/globals.h"
#include "platform/interface/BitmapPrivate.h"

namespace {

uint32 sum_rows(const uchar* bits, int64 rowBytes, int64 usedBytes, int64 rows)
{
	uint32 sum = 0;
	for (int64 y = 0; y < rows; y++) {
		for (int64 x = 0; x < usedBytes; x++)
			sum += bits[y * rowBytes + x];
	}
	return sum;
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	start_tevra();
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	BMallocIO file;
	if (size > 0 && file.WriteAt(0, data, size) != (ssize_t)size)
		fuzz_fail("cannot hold the input in memory");
	file.Seek(0, SEEK_SET);
	BBitmapStream stream;
	if (tr->Translate(&file, nullptr, nullptr, &stream, B_TRANSLATOR_BITMAP) != B_OK)
		return 0;
	BBitmap* bitmap = nullptr;
	if (stream.DetachBitmap(&bitmap) != B_OK || bitmap == nullptr)
		fuzz_fail("a decoded picture gives no bitmap");

	BRect bounds = bitmap->Bounds();
	int64 width = bounds.IntegerWidth() + 1, height = bounds.IntegerHeight() + 1;
	if (!bitmap->IsValid() || width <= 0 || height <= 0
		|| (bitmap->ColorSpace() != B_RGB32 && bitmap->ColorSpace() != B_RGBA32))
		fuzz_fail("a decoded picture is not a valid 32-bit bitmap");

	// A picture kept encoded is first drawn small, from its reduced decode.
	QSize small(std::max<int64>(1, width / 16), std::max<int64>(1, height / 16));
	if (const QImage* scaled = BBitmap::Private::Scaled(bitmap, small)) {
		if (scaled->size() != small)
			fuzz_fail("a scaled picture has another size");
		sum_rows(scaled->constBits(), scaled->bytesPerLine(), (int64)small.width() * 4,
			small.height());
	}

	// Then every pixel at full size.
	const uchar* bits = (const uchar*)bitmap->Bits();
	if (bits == nullptr || bitmap->BytesPerRow() < width * 4
		|| bitmap->BitsLength() != (int64)bitmap->BytesPerRow() * height)
		fuzz_fail("a decoded picture's pixels do not match its bounds");
	volatile uint32 sum = sum_rows(bits, bitmap->BytesPerRow(), width * 4, height);
	(void)sum;
	delete bitmap;
	return 0;
}
