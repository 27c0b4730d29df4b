#include "png_writer.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
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
// What filtering may write past a row.
const size_t kRowRoom = 4;

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

// A compressed piece of the picture's data, grown as the compressor needs room. The room is
// not cleared: pages never written to cost no memory, which counts for an 8K picture.
struct packed {
	uint8_t* bytes = nullptr;
	size_t capacity = 0;
	size_t size = 0;

	packed() = default;
	packed(const packed&) = delete;
	packed& operator=(const packed&) = delete;
	~packed() { free(bytes); }

	void reserve(size_t wanted)
	{
		if (wanted <= capacity)
			return;
		uint8_t* grown = (uint8_t*)realloc(bytes, wanted);
		if (grown == nullptr)
			throw std::bad_alloc();
		bytes = grown;
		capacity = wanted;
	}
	void release()
	{
		free(bytes);
		bytes = nullptr;
		capacity = size = 0;
	}
	uint8_t* room(size_t* space)
	{
		if (size == capacity)
			reserve(size + size / 2 + 4096);
		*space = std::min(capacity - size, (size_t)UINT32_MAX);
		return bytes + size;
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
	bool done = false;
};

void put32(uint8_t* bytes, uint32_t value)
{
	bytes[0] = (uint8_t)(value >> 24);
	bytes[1] = (uint8_t)(value >> 16);
	bytes[2] = (uint8_t)(value >> 8);
	bytes[3] = (uint8_t)value;
}

const uint8_t kSub = 1;
const uint8_t kUp = 2;

// Each byte of a pixel minus the same byte of another, in one word: no borrow crosses from
// one byte into the next.
inline uint32_t bytewise_difference(uint32_t a, uint32_t b)
{
	return ((a | 0x80808080u) - (b & 0x7f7f7f7fu)) ^ ((a ^ ~b) & 0x80808080u);
}

#if defined(__x86_64__) || defined(__i386__)
// Four opaque pixels at a time: the bytes subtracted together, then their red, green and blue
// picked out in the file's order. Writes four bytes of room past the pixels it is given.
__attribute__((target("ssse3"))) int filter_opaque_ssse3(const uint32_t* pixels,
	const uint32_t* reference, int width, uint8_t* row)
{
	const __m128i order = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
	int x = 0;
	for (; x + 4 <= width; x += 4, row += 12) {
		__m128i p = _mm_loadu_si128((const __m128i*)(pixels + x));
		__m128i q = _mm_loadu_si128((const __m128i*)(reference + x));
		_mm_storeu_si128((__m128i*)row, _mm_shuffle_epi8(_mm_sub_epi8(p, q), order));
	}
	return x;
}
#endif

// The opaque pixels' red, green and blue minus those of the reference pixels (the row above,
// or the pixels one to the left); each word's bytes turned around and stored whole, so the row
// needs room past its end.
void filter_opaque(const uint32_t* pixels, const uint32_t* reference, int width, uint8_t* row)
{
	int x = 0;
#if defined(__x86_64__) || defined(__i386__)
	static const bool ssse3 = __builtin_cpu_supports("ssse3");
	if (ssse3)
		x = filter_opaque_ssse3(pixels, reference, width, row);
#endif
	for (; x < width; x++) {
		uint32_t bytes = __builtin_bswap32(bytewise_difference(pixels[x], reference[x])) >> 8;
		memcpy(row + 3 * x, &bytes, 4);
	}
}

// Filter type Sub: each byte minus the same channel of the pixel on its left; type Up: minus
// the pixel above (none above the first row). An opaque row is written with kRowRoom bytes
// of room after it.
void filter_row(const uint32_t* pixels, const uint32_t* above, int width, bool alpha,
	uint8_t filter, uint8_t* row)
{
	*row++ = filter;
	if (!alpha && (filter == kSub || above != nullptr)) {
		if (filter == kUp) {
			filter_opaque(pixels, above, width, row);
		} else {
			uint32_t first = __builtin_bswap32(pixels[0]) >> 8;
			memcpy(row, &first, 4);
			// Each pixel's reference is the one before it.
			filter_opaque(pixels + 1, pixels, width - 1, row + 3);
		}
		return;
	}
	uint32_t previous = 0;
	const int step = alpha ? 4 : 3;
	for (int x = 0; x < width; x++, row += step) {
		uint32_t p = pixels[x];
		if (filter == kUp)
			previous = above != nullptr ? above[x] : 0;
		row[0] = (uint8_t)((p >> 16) - (previous >> 16));
		row[1] = (uint8_t)((p >> 8) - (previous >> 8));
		row[2] = (uint8_t)(p - previous);
		if (alpha)
			row[3] = (uint8_t)((p >> 24) - (previous >> 24));
		previous = p;
	}
}

// Filters the stripe's rows (all by their left neighbour) a batch at a time and hands each
// batch on, saying whether it is the last.
template <typename Feed>
bool filter_batches(const QImage& image, bool alpha, const stripe& part, Feed feed)
{
	const int width = image.width();
	const size_t rowBytes = (size_t)width * (alpha ? 4 : 3) + 1;
	std::vector<uint8_t> batch(rowBytes * kRowsPerBatch + kRowRoom);
	for (int y = part.first; y < part.last; y += kRowsPerBatch) {
		int rows = std::min(kRowsPerBatch, part.last - y);
		for (int i = 0; i < rows; i++) {
			filter_row((const uint32_t*)image.constScanLine(y + i), nullptr, width, alpha, kSub,
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

// The quick way: ISA-L's fastest level, fast on photographs.
bool deflate_quick(const QImage& image, bool alpha, stripe* part, std::vector<uint8_t>* level)
{
	isal_zstream stream;
	isal_deflate_init(&stream);
	stream.level = 1;
	stream.level_buf = level->data();
	stream.level_buf_size = (uint32_t)level->size();
	part->data.reserve(part->lead + part->rawSize / 2 + 4096);
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

// Runs zlib with flush until it has taken all its input and given all its output.
bool run_zlib(z_stream* stream, packed* out, int flush)
{
	for (;;) {
		size_t space;
		stream->next_out = out->room(&space);
		stream->avail_out = (uInt)std::min(space, (size_t)UINT_MAX);
		uInt offered = stream->avail_out;
		int result = deflate(stream, flush);
		out->size += offered - stream->avail_out;
		if (result == Z_STREAM_END)
			return true;
		if (result != Z_OK && result != Z_BUF_ERROR)
			return false;
		if (stream->avail_in == 0 && stream->avail_out > 0 && flush != Z_FINISH)
			return true;
		if (result == Z_BUF_ERROR && stream->avail_out > 0)
			return false;
	}
}

// How zlib searches the rows that do not repeat: its quickest search, but every string of a
// match remembered (its quick levels forget those of long matches). A run of zeros across a
// caption's row then continues from the byte just before, a distance of no extra bits, rather
// than from where its last match began, seven extra bits a match. The hash table is smaller
// than zlib's default: less to move along with the window, for a file 0.5% larger.
const int kFlatLevel = 1;
const int kFlatMemLevel = 6;

void tune_zlib(z_stream* stream)
{
	deflateTune(stream, 4, 258, 8, 4);
}

// Closes zlib's block and changes how it searches, giving it room for what the block ends with.
bool switch_zlib(z_stream* stream, packed* out, bool runs)
{
	for (;;) {
		size_t space;
		stream->next_out = out->room(&space);
		stream->avail_out = (uInt)std::min(space, (size_t)UINT_MAX);
		uInt offered = stream->avail_out;
		int result = deflateParams(stream, kFlatLevel, runs ? Z_RLE : Z_DEFAULT_STRATEGY);
		out->size += offered - stream->avail_out;
		if (result == Z_OK) {
			tune_zlib(stream);
			return true;
		}
		if (result != Z_BUF_ERROR || stream->avail_out == offered)
			return false;
	}
}

// The flat way, for flat colour with captions, where ISA-L's coding leaves much on the table:
// zlib, a row that repeats the one above coded as a run of zeros (Up filter, run-length
// search only), any other row filtered by the one above too, where captions leave it mostly
// zeros, and searched as tune_zlib says.
bool deflate_flat(const QImage& image, bool alpha, stripe* part)
{
	z_stream stream = {};
	if (deflateInit2(&stream, kFlatLevel, Z_DEFLATED, -15, kFlatMemLevel, Z_DEFAULT_STRATEGY)
		!= Z_OK)
		return false;
	tune_zlib(&stream);
	// zlib's state is released however this ends, running out of memory included.
	struct ender {
		z_stream* stream;
		~ender() { deflateEnd(stream); }
	} end{&stream};
	part->data.reserve(part->lead + part->rawSize / 16 + 4096);
	part->data.size = part->lead;
	const int width = image.width();
	const size_t rowBytes = (size_t)width * (alpha ? 4 : 3) + 1;
	std::vector<uint8_t> batch(rowBytes * kRowsPerBatch + kRowRoom);
	int rows = 0;
	bool runs = false;
	auto hand_on = [&](int flush) {
		part->adler = isal_adler32(part->adler, batch.data(), rowBytes * rows);
		after_isal();
		stream.next_in = batch.data();
		stream.avail_in = (uInt)(rowBytes * rows);
		rows = 0;
		return run_zlib(&stream, &part->data, flush);
	};
	for (int y = part->first; y < part->last; y++) {
		const uint32_t* pixels = (const uint32_t*)image.constScanLine(y);
		const uint32_t* above = y > 0 ? (const uint32_t*)image.constScanLine(y - 1) : nullptr;
		bool repeats = above != nullptr && memcmp(pixels, above, (size_t)width * 4) == 0;
		if (rows == kRowsPerBatch || (repeats != runs && rows > 0)) {
			if (!hand_on(Z_NO_FLUSH))
				return false;
		}
		if (repeats != runs) {
			runs = repeats;
			if (!switch_zlib(&stream, &part->data, runs))
				return false;
		}
		uint8_t* row = batch.data() + rowBytes * rows++;
		if (repeats) {
			row[0] = kUp;
			memset(row + 1, 0, rowBytes - 1);
			continue;
		}
		filter_row(pixels, above, width, alpha, above != nullptr ? kUp : kSub, row);
	}
	return hand_on(part->final ? Z_FINISH : Z_FULL_FLUSH);
}

// Whether the stripe is mostly flat colour: nearly every pixel of a sample of its rows equals
// the one on its left. Deciding before deflating spares a pass that would be thrown away.
bool mostly_flat(const QImage& image, const stripe& part)
{
	const int width = image.width();
	int64_t same = 0, all = 0;
	for (int y = part.first; y < part.last; y += 4) {
		const uint32_t* pixels = (const uint32_t*)image.constScanLine(y);
		for (int x = 1; x < width; x++)
			same += pixels[x] == pixels[x - 1];
		all += width - 1;
	}
	return all > 0 && same * 8 >= all * 7;
}

// Deflates the stripe's rows as a run of blocks that stands alone: the last stripe closes the
// stream, the others end on a byte boundary with their history cleared, so the pieces join.
void compress_stripe(const QImage& image, bool alpha, stripe* part, std::vector<uint8_t>* level)
{
	part->rawSize = ((size_t)image.width() * (alpha ? 4 : 3) + 1) * (part->last - part->first);
	// Stripes run on their own threads, where an escaping exception would end the program.
	try {
		if (mostly_flat(image, *part))
			part->ok = deflate_flat(image, alpha, part);
		else
			part->ok = !level->empty() && deflate_quick(image, alpha, part, level);
		// Room for the checksum that closes the stream.
		if (part->ok && part->final)
			part->data.reserve(part->data.size + 4);
	} catch (const std::bad_alloc&) {
		part->ok = false;
	}
	if (!part->ok)
		part->data.release();
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

	// Each stripe is written as soon as those before it are, and its bytes let go: the file
	// never waits whole in memory.
	std::mutex writing;
	int written = 0;
	uint32_t adler = 1;
	bool failed = false;
	auto write_ready = [&]() {
		for (; written < count && parts[written].done; written++) {
			stripe& part = parts[written];
			failed = failed || !part.ok;
			if (failed)
				return;
			adler = written == 0 ? part.adler
				: adler32_combine(adler, part.adler, (z_off_t)part.rawSize);
			if (written == 0) {
				// The zlib header: deflate with a 32K window, the fastest level, no dictionary.
				part.data.bytes[0] = 0x78;
				part.data.bytes[1] = 0x01;
			}
			if (part.final) {
				put32(part.data.bytes + part.data.size, adler);
				part.data.size += 4;
			}
			// Chunks hold at most 2^31 - 1 bytes; a stripe's data is split to fit.
			const size_t kChunkLimit = 1u << 30;
			for (size_t offset = 0; offset < part.data.size && !failed; offset += kChunkLimit) {
				size_t size = std::min(kChunkLimit, part.data.size - offset);
				failed = !write_chunk(destination, &position, "IDAT", part.data.bytes + offset,
					size);
			}
			part.data.release();
			if (failed)
				return;
		}
	};

	std::atomic<int> next(0);
	auto work = [&]() {
		// The compressor's tables are the worker's, used for each of its stripes in turn.
		std::vector<uint8_t> level;
		try {
			level.resize(ISAL_DEF_LVL1_DEFAULT);
		} catch (const std::bad_alloc&) {
		}
		for (int i; (i = next++) < count;) {
			{
				std::lock_guard<std::mutex> hold(writing);
				if (failed)
					return;
			}
			compress_stripe(image, alpha, &parts[i], &level);
			std::lock_guard<std::mutex> hold(writing);
			parts[i].done = true;
			write_ready();
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
	if (failed || written != count)
		return false;
	return write_chunk(destination, &position, "IEND", nullptr, 0);
}
