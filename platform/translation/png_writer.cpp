#include "png_writer.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <thread>
#include <vector>

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <zlib.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// Fewer rows than this are not worth a thread of their own.
const int kMinStripeRows = 64;
const int kMaxStripes = 64;
// Rows are filtered a few at a time into a buffer that stays in the cache.
const int kRowsPerBatch = 16;

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx"))) void clear_upper_halves()
{
	_mm256_zeroupper();
}
#endif

// ISA-L returns with the upper halves of the vector registers still in use, which makes every
// SSE instruction that runs next (our filter, zlib) pay a penalty: twice the time, measured.
void after_isal()
{
#if defined(__x86_64__) || defined(__i386__)
	if (__builtin_cpu_supports("avx"))
		clear_upper_halves();
#endif
}

// A compressed piece of the picture's data, grown as the compressor needs room.
struct packed {
	std::vector<uint8_t> bytes;
	size_t size = 0;

	uint8_t* room(size_t* space)
	{
		if (size == bytes.size())
			bytes.resize(size + size / 2 + 4096);
		*space = std::min(bytes.size() - size, (size_t)UINT32_MAX);
		return bytes.data() + size;
	}
};

struct stripe {
	int first = 0;
	int last = 0;
	bool final = false;
	// Room kept at the front of the first stripe for the zlib header.
	size_t lead = 0;
	size_t rawSize = 0;
	uint32_t adler = 1;
	packed data;
	bool ok = false;
};

void put32(uint8_t* bytes, uint32_t value)
{
	bytes[0] = (uint8_t)(value >> 24);
	bytes[1] = (uint8_t)(value >> 16);
	bytes[2] = (uint8_t)(value >> 8);
	bytes[3] = (uint8_t)value;
}

// Filter type 1 (Sub): each byte minus the same channel of the pixel on its left.
void filter_row(const uint32_t* pixels, int width, bool alpha, uint8_t* row)
{
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

// Filters the stripe's rows a batch at a time and hands each batch on, saying whether it is
// the last.
template <typename Feed>
bool filter_batches(const QImage& image, bool alpha, const stripe& part, Feed feed)
{
	const int width = image.width();
	const size_t rowBytes = (size_t)width * (alpha ? 4 : 3) + 1;
	std::vector<uint8_t> batch(rowBytes * kRowsPerBatch);
	for (int y = part.first; y < part.last; y += kRowsPerBatch) {
		int rows = std::min(kRowsPerBatch, part.last - y);
		for (int i = 0; i < rows; i++) {
			filter_row((const uint32_t*)image.constScanLine(y + i), width, alpha,
				batch.data() + rowBytes * i);
		}
		if (!feed(batch.data(), rowBytes * rows, y + rows >= part.last))
			return false;
	}
	return true;
}

// Runs ISA-L until it has taken the batch and, after the last one, closed or flushed the run.
bool pump(isal_zstream* stream, packed* out, bool closing)
{
	for (;;) {
		size_t space;
		stream->next_out = out->room(&space);
		stream->avail_out = (uint32_t)space;
		uint32_t waiting = stream->avail_in;
		int result = isal_deflate(stream);
		after_isal();
		if (result != COMP_OK)
			return false;
		out->size += space - stream->avail_out;
		// Space left over means the compressor had nothing more to give for now.
		if (stream->avail_in == 0 && stream->avail_out > 0
			&& (!closing || stream->internal_state.state == ZSTATE_END))
			return true;
		if (stream->avail_out == space && stream->avail_in == waiting)
			return false;
	}
}

// The quick pass: ISA-L's fastest level, fast on photographs.
bool deflate_quick(const QImage& image, bool alpha, stripe* part, std::vector<uint8_t>* level)
{
	isal_zstream stream;
	isal_deflate_init(&stream);
	stream.level = 1;
	stream.level_buf = level->data();
	stream.level_buf_size = (uint32_t)level->size();
	part->data.bytes.resize(part->lead + part->rawSize / 2 + 4096);
	part->data.size = part->lead;
	return filter_batches(image, alpha, *part, [&](uint8_t* batch, size_t bytes, bool last) {
		part->adler = isal_adler32(part->adler, batch, bytes);
		after_isal();
		stream.next_in = batch;
		stream.avail_in = (uint32_t)bytes;
		stream.end_of_stream = last && part->final;
		stream.flush = last && !part->final ? FULL_FLUSH : NO_FLUSH;
		return pump(&stream, &part->data, last && part->final);
	});
}

// The thorough pass: zlib's default level, for pictures of flat colour where the quick pass's
// coding leaves much on the table and a closer search costs little.
bool deflate_thorough(const QImage& image, bool alpha, const stripe& part, packed* out)
{
	z_stream stream = {};
	if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY)
		!= Z_OK)
		return false;
	// zlib's state is released however this ends, running out of memory included.
	struct ender {
		z_stream* stream;
		~ender() { deflateEnd(stream); }
	} end{&stream};
	out->bytes.resize(part.lead + part.rawSize / 8 + 4096);
	out->size = part.lead;
	return filter_batches(image, alpha, part, [&](uint8_t* batch, size_t bytes, bool last) {
		int flush = !last ? Z_NO_FLUSH : part.final ? Z_FINISH : Z_FULL_FLUSH;
		stream.next_in = batch;
		stream.avail_in = (uInt)bytes;
		for (;;) {
			size_t space;
			stream.next_out = out->room(&space);
			stream.avail_out = (uInt)std::min(space, (size_t)UINT_MAX);
			uInt offered = stream.avail_out;
			int result = deflate(&stream, flush);
			out->size += offered - stream.avail_out;
			if (result == Z_STREAM_END)
				return true;
			if (result != Z_OK && result != Z_BUF_ERROR)
				return false;
			if (stream.avail_in == 0 && stream.avail_out > 0 && flush != Z_FINISH)
				return true;
			if (result == Z_BUF_ERROR && stream.avail_out > 0)
				return false;
		}
	});
}

// Deflates the stripe's rows as a run of blocks that stands alone: the last stripe closes the
// stream, the others end on a byte boundary with their history cleared, so the pieces join.
void compress_stripe(const QImage& image, bool alpha, stripe* part, std::vector<uint8_t>* level)
{
	part->rawSize = ((size_t)image.width() * (alpha ? 4 : 3) + 1) * (part->last - part->first);
	// Stripes run on their own threads, where an escaping exception would end the program.
	try {
		part->ok = deflate_quick(image, alpha, part, level);
		if (part->ok && part->data.size - part->lead < part->rawSize / 8) {
			packed thorough;
			if (deflate_thorough(image, alpha, *part, &thorough)
				&& thorough.size < part->data.size)
				part->data = std::move(thorough);
		}
	} catch (const std::bad_alloc&) {
		part->ok = false;
	}
}

bool write_chunk(BPositionIO* destination, off_t* position, const char* type,
	const uint8_t* data, size_t size)
{
	uint8_t head[8];
	put32(head, size);
	memcpy(head + 4, type, 4);
	uint32_t crc = crc32_gzip_refl(0, (const unsigned char*)type, 4);
	if (size > 0)
		crc = crc32_gzip_refl(crc, data, size);
	after_isal();
	uint8_t tail[4];
	put32(tail, crc);
	if (destination->WriteAt(*position, head, sizeof(head)) != (ssize_t)sizeof(head))
		return false;
	*position += sizeof(head);
	if (size > 0 && destination->WriteAt(*position, data, size) != (ssize_t)size)
		return false;
	*position += size;
	if (destination->WriteAt(*position, tail, sizeof(tail)) != (ssize_t)sizeof(tail))
		return false;
	*position += sizeof(tail);
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

	// Horizontal stripes are filtered and deflated side by side. There are two to a core,
	// taken in turn, so a core whose stripes hold only flat colour helps with the text.
	int cores = std::max(1, (int)std::thread::hardware_concurrency());
	int count = std::clamp(std::min(cores * 2, height / kMinStripeRows), 1, kMaxStripes);
	std::vector<stripe> parts(count);
	for (int i = 0; i < count; i++) {
		parts[i].first = (int)((int64_t)height * i / count);
		parts[i].last = (int)((int64_t)height * (i + 1) / count);
	}
	parts.front().lead = 2;
	parts.back().final = true;
	std::atomic<int> next(0);
	auto work = [&]() {
		// The compressor's tables are the worker's, used for each of its stripes in turn.
		std::vector<uint8_t> level;
		try {
			level.resize(ISAL_DEF_LVL1_DEFAULT);
		} catch (const std::bad_alloc&) {
		}
		for (int i; (i = next++) < count;) {
			if (level.empty())
				parts[i].ok = false;
			else
				compress_stripe(image, alpha, &parts[i], &level);
		}
	};
	std::vector<std::thread> helpers;
	for (int i = 1; i < std::min(cores, count); i++) {
		try {
			helpers.emplace_back(work);
		} catch (const std::system_error&) {
			break;
		}
	}
	work();
	for (std::thread& helper : helpers)
		helper.join();

	uint32_t adler = parts[0].adler;
	for (int i = 0; i < count; i++) {
		if (!parts[i].ok)
			return false;
		if (i > 0)
			adler = adler32_combine(adler, parts[i].adler, (z_off_t)parts[i].rawSize);
	}
	// The zlib header: deflate with a 32K window, the fastest level, no dictionary.
	parts.front().data.bytes[0] = 0x78;
	parts.front().data.bytes[1] = 0x01;
	packed& tail = parts.back().data;
	tail.bytes.resize(tail.size + 4);
	put32(tail.bytes.data() + tail.size, adler);
	tail.size += 4;

	static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
	off_t position = 0;
	if (destination->WriteAt(position, kSignature, sizeof(kSignature)) != sizeof(kSignature))
		return false;
	position += sizeof(kSignature);

	uint8_t header[13];
	put32(header, width);
	put32(header + 4, height);
	header[8] = 8;
	header[9] = alpha ? 6 : 2;
	header[10] = header[11] = header[12] = 0;
	if (!write_chunk(destination, &position, "IHDR", header, sizeof(header)))
		return false;
	// Chunks hold at most 2^31 - 1 bytes; a stripe's data is split to fit.
	const size_t kChunkLimit = 1u << 30;
	for (const stripe& part : parts) {
		for (size_t offset = 0; offset < part.data.size; offset += kChunkLimit) {
			size_t size = std::min(kChunkLimit, part.data.size - offset);
			if (!write_chunk(destination, &position, "IDAT", part.data.bytes.data() + offset,
					size))
				return false;
		}
	}
	return write_chunk(destination, &position, "IEND", nullptr, 0);
}
