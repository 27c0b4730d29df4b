#include "png_writer.h"

#include <cstring>
#include <vector>

#include <libdeflate.h>

namespace {

void put32(std::vector<uint8_t>* out, uint32_t value)
{
	uint8_t bytes[4] = {(uint8_t)(value >> 24), (uint8_t)(value >> 16), (uint8_t)(value >> 8),
		(uint8_t)value};
	out->insert(out->end(), bytes, bytes + 4);
}

bool write_chunk(BPositionIO* destination, off_t* position, const char* type,
	const uint8_t* data, size_t size)
{
	std::vector<uint8_t> head;
	put32(&head, size);
	head.insert(head.end(), type, type + 4);
	uint32_t crc = libdeflate_crc32(0, type, 4);
	// Given no buffer, libdeflate answers with a fresh CRC instead of the running one.
	if (size > 0)
		crc = libdeflate_crc32(crc, data, size);
	std::vector<uint8_t> tail;
	put32(&tail, crc);
	if (destination->WriteAt(*position, head.data(), head.size()) != (ssize_t)head.size())
		return false;
	*position += head.size();
	if (size > 0 && destination->WriteAt(*position, data, size) != (ssize_t)size)
		return false;
	*position += size;
	if (destination->WriteAt(*position, tail.data(), tail.size()) != (ssize_t)tail.size())
		return false;
	*position += tail.size();
	return true;
}

}

bool write_png(const QImage& source, BPositionIO* destination)
{
	bool alpha = source.hasAlphaChannel();
	QImage image = source.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
	const int width = image.width(), height = image.height();
	if (image.isNull() || width <= 0 || height <= 0)
		return false;
	const int channels = alpha ? 4 : 3;
	const size_t rowBytes = (size_t)width * channels + 1;

	// Filter type 1 (Sub): each byte minus the same channel of the pixel on its left.
	std::vector<uint8_t> raw(rowBytes * height);
	for (int y = 0; y < height; y++) {
		const uint32_t* pixels = (const uint32_t*)image.constScanLine(y);
		uint8_t* row = raw.data() + rowBytes * y;
		*row++ = 1;
		uint32_t previous = 0;
		if (alpha) {
			for (int x = 0; x < width; x++, row += 4) {
				uint32_t p = pixels[x];
				row[0] = (uint8_t)((p >> 16) - (previous >> 16));
				row[1] = (uint8_t)((p >> 8) - (previous >> 8));
				row[2] = (uint8_t)(p - previous);
				row[3] = (uint8_t)((p >> 24) - (previous >> 24));
				previous = p;
			}
		} else {
			for (int x = 0; x < width; x++, row += 3) {
				uint32_t p = pixels[x];
				row[0] = (uint8_t)((p >> 16) - (previous >> 16));
				row[1] = (uint8_t)((p >> 8) - (previous >> 8));
				row[2] = (uint8_t)(p - previous);
				previous = p;
			}
		}
	}

	libdeflate_compressor* compressor = libdeflate_alloc_compressor(1);
	if (compressor == nullptr)
		return false;
	std::vector<uint8_t> compressed(libdeflate_zlib_compress_bound(compressor, raw.size()));
	size_t compressedSize = libdeflate_zlib_compress(compressor, raw.data(), raw.size(),
		compressed.data(), compressed.size());
	libdeflate_free_compressor(compressor);
	if (compressedSize == 0)
		return false;

	static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
	off_t position = 0;
	if (destination->WriteAt(position, kSignature, sizeof(kSignature)) != sizeof(kSignature))
		return false;
	position += sizeof(kSignature);

	std::vector<uint8_t> header;
	put32(&header, width);
	put32(&header, height);
	header.push_back(8);
	header.push_back(alpha ? 6 : 2);
	header.push_back(0);
	header.push_back(0);
	header.push_back(0);
	if (!write_chunk(destination, &position, "IHDR", header.data(), header.size()))
		return false;
	// Chunks hold at most 2^31 - 1 bytes; a picture's data is split to fit.
	const size_t kChunkLimit = 1u << 30;
	for (size_t offset = 0; offset < compressedSize; offset += kChunkLimit) {
		size_t size = std::min(kChunkLimit, compressedSize - offset);
		if (!write_chunk(destination, &position, "IDAT", compressed.data() + offset, size))
			return false;
	}
	return write_chunk(destination, &position, "IEND", nullptr, 0);
}
