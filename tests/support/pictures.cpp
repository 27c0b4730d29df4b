#include "tests/support/pictures.h"

#include <cstring>

#include <BitmapStream.h>
#include <File.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include "model/globals.h"
#include "tests/support/run_program.h"

BBitmap* decode_file(const std::string& path)
{
	BFile file(path.c_str(), B_READ_ONLY);
	BBitmapStream stream;
	if (file.InitCheck() != B_OK
		|| tr->Translate(&file, nullptr, nullptr, &stream, B_TRANSLATOR_BITMAP) != B_OK)
		return nullptr;
	BBitmap* bitmap = nullptr;
	stream.DetachBitmap(&bitmap);
	return bitmap;
}

uint32 pixel_of(const BBitmap* bitmap, int x, int y)
{
	uint32 value;
	memcpy(&value, (const char*)bitmap->Bits() + (size_t)y * bitmap->BytesPerRow() + x * 4,
		sizeof(value));
	return value & 0xffffff;
}

std::string identify_size(const std::string& path)
{
	return run_program({"identify", "-format", "%w %h", path}).out;
}
