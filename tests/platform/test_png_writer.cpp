#include <gtest/gtest.h>

#include <QImage>
#include <zlib.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <DataIO.h>

#include "platform/translation/png_writer.h"

namespace {

enum content { kNoise, kFlat, kNoiseOverFlat, kTextOnFlat, kCaptionBands };

// Pictures of the kinds the writer meets: photographs, flat colour, both in one picture (so
// some stripes take the quick pass only and others the thorough one), and thin lines on flat
// colour as captions make.
QImage make_picture(int width, int height, bool alpha, content kind)
{
	QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
	uint32_t seed = 2026;
	for (int y = 0; y < height; y++) {
		uint32_t* row = (uint32_t*)image.scanLine(y);
		for (int x = 0; x < width; x++) {
			seed = seed * 1664525u + 1013904223u;
			bool noisy = kind == kNoise || (kind == kNoiseOverFlat && y < height / 2);
			uint32_t pixel = noisy ? seed >> 8 : 0x203040;
			if (kind == kTextOnFlat && (x * 7 + y * 3) % 23 < 2)
				pixel = 0xf0e0d0;
			// Lines of captions between bands of rows that repeat, as a calendar's grid makes:
			// the writer changes how it searches at every band's edge.
			if (kind == kCaptionBands && y % 40 >= 25 && (x * 5 + y) % 17 < 3)
				pixel = 0x102030 + (uint32_t)(x % 9) * 0x10101;
			uint32_t a = alpha ? (noisy ? seed >> 24 : (uint32_t)(x * 255 / width)) : 0xff;
			row[x] = a << 24 | (pixel & 0xffffff);
		}
	}
	return image;
}

struct chunk {
	std::string type;
	std::string data;
	bool crcMatches;
};

uint32_t get32(const unsigned char* bytes)
{
	return (uint32_t)bytes[0] << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
}

std::vector<chunk> chunks_of(const std::string& file)
{
	std::vector<chunk> found;
	const unsigned char* bytes = (const unsigned char*)file.data();
	for (size_t at = 8; at + 12 <= file.size();) {
		uint32_t size = get32(bytes + at);
		if (at + 12 + size > file.size())
			break;
		chunk piece{file.substr(at + 4, 4), file.substr(at + 8, size), false};
		uLong crc = crc32(0, bytes + at + 4, 4 + size);
		piece.crcMatches = crc == get32(bytes + at + 8 + size);
		found.push_back(piece);
		at += 12 + size;
	}
	return found;
}

std::string write(const QImage& image)
{
	BMallocIO io;
	if (!write_png(image, &io))
		return std::string();
	return std::string((const char*)io.Buffer(), io.BufferLength());
}

struct picture_row {
	const char* name;
	int width;
	int height;
	bool alpha;
	content kind;
};

void PrintTo(const picture_row& row, std::ostream* out)
{
	*out << row.name;
}

class PngWriter : public ::testing::TestWithParam<picture_row> {};

TEST_P(PngWriter, DecodesToExactlyThePicture)
{
	const picture_row& row = GetParam();
	QImage picture = make_picture(row.width, row.height, row.alpha, row.kind);
	std::string file = write(picture);
	ASSERT_FALSE(file.empty());
	QImage decoded = QImage::fromData((const uchar*)file.data(), file.size(), "PNG");
	ASSERT_FALSE(decoded.isNull());
	ASSERT_EQ(decoded.size(), picture.size());
	EXPECT_EQ(decoded.hasAlphaChannel(), row.alpha);
	decoded = decoded.convertToFormat(picture.format());
	for (int y = 0; y < row.height; y++) {
		ASSERT_EQ(memcmp(decoded.constScanLine(y), picture.constScanLine(y), row.width * 4), 0)
			<< "row " << y;
	}
}

// libpng forgives some slips in the compressed stream; zlib itself checks every byte and the
// checksum over the whole, so the stripes must have joined into one sound stream.
TEST_P(PngWriter, ChunksAndStreamAreSound)
{
	const picture_row& row = GetParam();
	std::string file = write(make_picture(row.width, row.height, row.alpha, row.kind));
	ASSERT_GT(file.size(), 8u);
	EXPECT_EQ(file.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
	std::vector<chunk> chunks = chunks_of(file);
	ASSERT_GE(chunks.size(), 3u);
	EXPECT_EQ(chunks.front().type, "IHDR");
	EXPECT_EQ(chunks.back().type, "IEND");
	std::string stream;
	size_t counted = 8;
	for (const chunk& piece : chunks) {
		EXPECT_TRUE(piece.crcMatches) << piece.type;
		if (piece.type == "IDAT")
			stream += piece.data;
		counted += 12 + piece.data.size();
	}
	EXPECT_EQ(counted, file.size()) << "bytes after the last chunk";

	size_t rowBytes = (size_t)row.width * (row.alpha ? 4 : 3) + 1;
	std::vector<unsigned char> rows(rowBytes * row.height + 1);
	uLongf length = rows.size();
	ASSERT_EQ(uncompress(rows.data(), &length, (const Bytef*)stream.data(), stream.size()), Z_OK);
	EXPECT_EQ(length, rowBytes * row.height);
	// Rows are filtered by their left neighbour (Sub) or by the row above (Up).
	for (int y = 0; y < row.height; y++) {
		ASSERT_TRUE(rows[rowBytes * y] == 1 || rows[rowBytes * y] == 2) << "filter of row " << y;
		ASSERT_TRUE(y > 0 || rows[0] == 1) << "the first row has nothing above it";
	}
}

INSTANTIATE_TEST_SUITE_P(Pictures, PngWriter, ::testing::Values(
		picture_row{"pixel_1x1", 1, 1, false, kNoise},
		picture_row{"pixel_1x1_alpha", 1, 1, true, kNoise},
		picture_row{"small_5x3", 5, 3, false, kTextOnFlat},
		picture_row{"one_stripe_1920x63", 1920, 63, false, kNoise},
		picture_row{"noise_640x480", 640, 480, false, kNoise},
		picture_row{"flat_640x480", 640, 480, false, kFlat},
		picture_row{"noise_over_flat_1920x1080", 1920, 1080, false, kNoiseOverFlat},
		picture_row{"text_on_flat_1920x1080", 1920, 1080, false, kTextOnFlat},
		picture_row{"noise_over_flat_alpha_800x600", 800, 600, true, kNoiseOverFlat},
		picture_row{"narrow_tall_3x2000", 3, 2000, false, kNoiseOverFlat},
		picture_row{"rows_not_divisible_333x257", 333, 257, true, kTextOnFlat},
		picture_row{"caption_bands_1920x1080", 1920, 1080, false, kCaptionBands},
		picture_row{"caption_bands_alpha_1366x768", 1366, 768, true, kCaptionBands},
		// Widths that leave one, two and three pixels after the groups of four filtered together.
		picture_row{"caption_bands_1366x768", 1366, 768, false, kCaptionBands},
		picture_row{"text_on_flat_7x70", 7, 70, false, kTextOnFlat},
		picture_row{"noise_over_flat_641x130", 641, 130, false, kNoiseOverFlat}),
	[](const ::testing::TestParamInfo<picture_row>& info) { return std::string(info.param.name); });

TEST(PngWriterSize, FlatColourStaysSmall)
{
	// A flat screen is what the thorough pass is for: a few kilobytes, not hundreds.
	std::string file = write(make_picture(1920, 1080, false, kFlat));
	ASSERT_FALSE(file.empty());
	EXPECT_LT(file.size(), 20000u);
}

// A destination that takes a given number of bytes and then fails, as a full disk does.
class FailingIO : public BMallocIO {
public:
	explicit FailingIO(off_t limit) : fLimit(limit) {}

	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override
	{
		if (position + (off_t)size > fLimit)
			return B_DEVICE_FULL;
		return BMallocIO::WriteAt(position, buffer, size);
	}

private:
	off_t fLimit;
};

struct failure_row {
	const char* name;
	off_t limit;
};

void PrintTo(const failure_row& row, std::ostream* out)
{
	*out << row.name;
}

class PngWriterFailure : public ::testing::TestWithParam<failure_row> {};

TEST_P(PngWriterFailure, ReportsTheFailedWrite)
{
	QImage picture = make_picture(640, 480, false, kNoiseOverFlat);
	std::string whole = write(picture);
	ASSERT_FALSE(whole.empty());
	off_t limit = GetParam().limit < 0 ? (off_t)whole.size() + GetParam().limit
		: GetParam().limit;
	FailingIO io(limit);
	EXPECT_FALSE(write_png(picture, &io));
}

INSTANTIATE_TEST_SUITE_P(Limits, PngWriterFailure, ::testing::Values(
		failure_row{"nothing_written", 0},
		failure_row{"in_the_signature", 4},
		failure_row{"in_the_header", 20},
		failure_row{"in_the_data", 5000},
		failure_row{"in_the_last_data", -20},
		failure_row{"in_the_end_chunk", -4}),
	[](const ::testing::TestParamInfo<failure_row>& info) { return std::string(info.param.name); });

TEST(PngWriterRefuses, EmptyPicture)
{
	BMallocIO io;
	EXPECT_FALSE(write_png(QImage(), &io));
	EXPECT_EQ(io.BufferLength(), 0u);
}

}
