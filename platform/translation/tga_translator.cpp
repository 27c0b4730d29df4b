#include "tga_translator.h"

#include <cstring>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <TranslatorFormats.h>

#include "BitmapStreamPrivate.h"
#include "qt_translator.h"

namespace {

const int kHeaderSize = 18;

struct tga_header {
	uint8 idLength;
	uint8 mapType;
	uint8 imageType;
	uint16 mapFirst;
	uint16 mapLength;
	uint8 mapEntryBits;
	uint16 width;
	uint16 height;
	uint8 depth;
	uint8 descriptor;
};

enum {
	kColourMapped = 1,
	kTrueColour = 2,
	kGrey = 3,
	kRunLength = 8,
};

uint16 le16(const uint8* p)
{
	return p[0] | p[1] << 8;
}

tga_header parse(const uint8* p)
{
	tga_header h;
	h.idLength = p[0];
	h.mapType = p[1];
	h.imageType = p[2];
	h.mapFirst = le16(p + 3);
	h.mapLength = le16(p + 5);
	h.mapEntryBits = p[7];
	h.width = le16(p + 12);
	h.height = le16(p + 14);
	h.depth = p[16];
	h.descriptor = p[17];
	return h;
}

int bytes_for(int bits)
{
	return (bits + 7) / 8;
}

bool colour_bits(int bits)
{
	return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

off_t data_offset(const tga_header& h)
{
	off_t map = h.mapType == 1 ? (off_t)h.mapLength * bytes_for(h.mapEntryBits) : 0;
	return kHeaderSize + h.idLength + map;
}

// A Targa file has no magic number; only a header whose every field makes sense, and data
// enough for it, is taken for one.
bool plausible(const tga_header& h, off_t size)
{
	int kind = h.imageType & 3;
	if (h.mapType > 1 || (h.imageType & ~0xb) != 0 || kind == 0)
		return false;
	if (h.width == 0 || h.height == 0 || (h.descriptor & 0xc0) != 0
		|| (h.descriptor & 0x0f) > 8)
		return false;
	if (h.mapType == 1 && !colour_bits(h.mapEntryBits))
		return false;
	if (kind == kColourMapped
		&& (h.mapType != 1 || h.mapLength == 0 || (h.depth != 8 && h.depth != 16)))
		return false;
	if (kind == kTrueColour && !colour_bits(h.depth))
		return false;
	if (kind == kGrey && h.depth != 8 && h.depth != 16)
		return false;
	off_t offset = data_offset(h);
	if (offset > size)
		return false;
	off_t pixels = (off_t)h.width * h.height;
	// A run-length packet covers at most 128 pixels, so a file too short for that many
	// packets cannot hold the picture, whatever size its header claims: it is turned away
	// before a bitmap of that size is made.
	if ((h.imageType & kRunLength) != 0)
		return size - offset >= (pixels + 127) / 128 * (1 + bytes_for(h.depth));
	return size - offset >= pixels * bytes_for(h.depth);
}

// A colour of 15, 16, 24 or 32 bits as 0xAARRGGBB; alpha only when asked for.
uint32 colour_of(const uint8* p, int bits, bool alpha)
{
	if (bits <= 16) {
		uint16 v = le16(p);
		auto expand = [](uint32 x) { return (x << 3) | (x >> 2); };
		return 0xff000000 | expand((v >> 10) & 31) << 16 | expand((v >> 5) & 31) << 8
			| expand(v & 31);
	}
	uint32 a = bits == 32 && alpha ? p[3] : 0xff;
	return a << 24 | (uint32)p[2] << 16 | (uint32)p[1] << 8 | p[0];
}


}

TgaTranslator::TgaTranslator()
{
	// Surer than Qt's readers, one of which claims Targa files it cannot read.
	fInputs.push_back(make_format(B_TGA_FORMAT, "image/x-targa", "Targa image", 0.9f));
	fOutputs.push_back(make_format(B_TRANSLATOR_BITMAP, "image/x-be-bitmap",
		"Be Bitmap Format", 0.4f));
}

const translation_format* TgaTranslator::InputFormats(int32* count) const
{
	*count = fInputs.size();
	return fInputs.data();
}

const translation_format* TgaTranslator::OutputFormats(int32* count) const
{
	*count = fOutputs.size();
	return fOutputs.data();
}

status_t TgaTranslator::Identify(BPositionIO* source, const translation_format*, BMessage*,
	translator_info* info, uint32 outType)
{
	if (outType != 0 && outType != B_TRANSLATOR_BITMAP)
		return B_NO_TRANSLATOR;
	uint8 header[kHeaderSize];
	off_t size = 0;
	if (source->ReadAt(0, header, sizeof(header)) != sizeof(header)
		|| source->GetSize(&size) != B_OK || !plausible(parse(header), size))
		return B_NO_TRANSLATOR;
	const translation_format& own = fInputs.front();
	info->type = own.type;
	info->group = own.group;
	info->quality = own.quality;
	info->capability = own.capability;
	strcpy(info->name, own.name);
	strcpy(info->MIME, own.MIME);
	return B_OK;
}

status_t TgaTranslator::Translate(BPositionIO* source, const translator_info*, BMessage*,
	uint32 outType, BPositionIO* destination)
{
	BBitmapStream* stream = dynamic_cast<BBitmapStream*>(destination);
	if (stream == nullptr)
		return B_NOT_SUPPORTED;
	if (outType != 0 && outType != B_TRANSLATOR_BITMAP)
		return B_NO_TRANSLATOR;

	const off_t limit = (off_t)kDecodeLimitMegabytes << 20;
	off_t size = 0;
	if (source->GetSize(&size) != B_OK || size < kHeaderSize || size > limit)
		return B_NO_TRANSLATOR;
	std::vector<uint8> file(size);
	if (source->ReadAt(0, file.data(), size) != size)
		return B_NO_TRANSLATOR;
	tga_header h = parse(file.data());
	if (!plausible(h, size))
		return B_NO_TRANSLATOR;
	int64 count = (int64)h.width * h.height;
	if (count * 4 > limit)
		return B_NO_MEMORY;

	int kind = h.imageType & 3;
	int alphaBits = h.descriptor & 0x0f;
	int pixelBits = kind == kColourMapped ? h.mapEntryBits : h.depth;
	bool alpha = alphaBits == 8 && (pixelBits == 32 || (kind == kGrey && h.depth == 16));

	std::vector<uint32> palette;
	if (h.mapType == 1) {
		const uint8* entry = file.data() + kHeaderSize + h.idLength;
		int step = bytes_for(h.mapEntryBits);
		for (int i = 0; i < h.mapLength; i++, entry += step)
			palette.push_back(colour_of(entry, h.mapEntryBits, alpha));
	}
	auto decode = [&](const uint8* p) -> uint32 {
		if (kind == kGrey) {
			uint32 a = h.depth == 16 && alpha ? p[1] : 0xff;
			return a << 24 | (uint32)p[0] << 16 | (uint32)p[0] << 8 | p[0];
		}
		if (kind == kTrueColour)
			return colour_of(p, h.depth, alpha);
		int index = (h.depth == 8 ? p[0] : le16(p)) - h.mapFirst;
		return index >= 0 && index < (int)palette.size() ? palette[index] : 0xff000000;
	};

	BBitmap* bitmap = new BBitmap(BRect(0, 0, h.width - 1, h.height - 1),
		alpha ? B_RGBA32 : B_RGB32);
	if (!bitmap->IsValid()) {
		delete bitmap;
		return B_NO_MEMORY;
	}
	bool topDown = (h.descriptor & 0x20) != 0;
	bool rightToLeft = (h.descriptor & 0x10) != 0;
	uint32 seenAlpha = 0;
	auto put = [&](int64 i, uint32 colour) {
		int row = i / h.width, column = i % h.width;
		int y = topDown ? row : h.height - 1 - row;
		int x = rightToLeft ? h.width - 1 - column : column;
		((uint32*)((char*)bitmap->Bits() + (size_t)y * bitmap->BytesPerRow()))[x] = colour;
		seenAlpha |= colour;
	};

	const uint8* p = file.data() + data_offset(h);
	const uint8* end = file.data() + size;
	const int step = bytes_for(h.depth);
	bool complete = true;
	if ((h.imageType & kRunLength) == 0) {
		for (int64 i = 0; i < count; i++, p += step)
			put(i, decode(p));
	} else {
		// Packets may run on from one row into the next.
		int64 i = 0;
		while (i < count && complete) {
			if (p >= end) {
				complete = false;
				break;
			}
			uint8 head = *p++;
			int n = (head & 0x7f) + 1;
			if (head & 0x80) {
				if (end - p < step) {
					complete = false;
					break;
				}
				uint32 colour = decode(p);
				p += step;
				for (int k = 0; k < n && i < count; k++)
					put(i++, colour);
			} else {
				for (int k = 0; k < n && i < count; k++, p += step) {
					if (end - p < step) {
						complete = false;
						break;
					}
					put(i++, decode(p));
				}
			}
		}
	}
	if (!complete) {
		delete bitmap;
		return B_NO_TRANSLATOR;
	}
	// Many writers declare an alpha channel and leave it empty; such a picture is opaque.
	if (alpha && (seenAlpha >> 24) == 0) {
		for (int y = 0; y < h.height; y++) {
			uint32* row = (uint32*)((char*)bitmap->Bits() + (size_t)y * bitmap->BytesPerRow());
			for (int x = 0; x < h.width; x++)
				row[x] |= 0xff000000;
		}
	}
	BBitmapStream::Private::SetBitmap(stream, bitmap);
	return B_OK;
}
