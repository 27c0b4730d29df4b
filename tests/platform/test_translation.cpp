#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <DataIO.h>
#include <File.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include "platform/translation/image_reader.h"
#include "platform/translation/plugin_formats.h"
#include "tests/support/param_rows.h"
#include "tests/support/temp_dir.h"

namespace {

// --- Pictures to translate.

// Every pixel different, for formats that keep pixels exactly.
QImage detailed_image(int width, int height)
{
	QImage image(width, height, QImage::Format_RGB32);
	for (int y = 0; y < height; y++) {
		for (int x = 0; x < width; x++)
			image.setPixel(x, y, qRgb(x * 30 + 5, y * 40 + 7, (x * 13 + y * 17) % 256));
	}
	return image;
}

// Four flat quadrants, for lossy formats: their middles survive compression closely.
const QRgb kQuadrants[4] = {qRgb(200, 30, 40), qRgb(20, 180, 60), qRgb(30, 60, 210),
	qRgb(240, 230, 20)};

QImage quadrant_image(int width, int height)
{
	QImage image(width, height, QImage::Format_RGB32);
	for (int y = 0; y < height; y++) {
		for (int x = 0; x < width; x++)
			image.setPixel(x, y, kQuadrants[(y >= height / 2) * 2 + (x >= width / 2)]);
	}
	return image;
}

// A GIF, which Qt reads but cannot write. Its LZW data is left uncompressed: a clear code
// before every pair of pixels keeps every code three bits wide.
std::string make_gif(const QImage& image, const QRgb palette[4])
{
	std::vector<int> codes;
	const int kClear = 4, kEnd = 5;
	for (int i = 0; i < image.width() * image.height(); i++) {
		if (i % 2 == 0)
			codes.push_back(kClear);
		QRgb pixel = image.pixel(i % image.width(), i / image.width());
		int index = 0;
		while (index < 3 && palette[index] != pixel)
			index++;
		codes.push_back(index);
	}
	codes.push_back(kEnd);
	std::string packed;
	uint32 bits = 0;
	int count = 0;
	for (int code : codes) {
		bits |= code << count;
		count += 3;
		while (count >= 8) {
			packed += (char)(bits & 0xff);
			bits >>= 8;
			count -= 8;
		}
	}
	if (count > 0)
		packed += (char)bits;

	auto le16 = [](int v) { return std::string{(char)(v & 0xff), (char)(v >> 8)}; };
	std::string gif = "GIF89a" + le16(image.width()) + le16(image.height());
	gif += std::string("\x81\0\0", 3);
	for (int i = 0; i < 4; i++)
		gif += std::string{(char)qRed(palette[i]), (char)qGreen(palette[i]), (char)qBlue(palette[i])};
	gif += "\x2c" + le16(0) + le16(0) + le16(image.width()) + le16(image.height());
	gif += std::string("\0\x02", 2);
	for (size_t at = 0; at < packed.size(); at += 255) {
		std::string block = packed.substr(at, 255);
		gif += (char)block.size() + block;
	}
	gif += std::string("\0\x3b", 2);
	return gif;
}

// --- Reading through the roster.

BBitmap* decode(const std::string& path, status_t* status = nullptr)
{
	BFile file(path.c_str(), B_READ_ONLY);
	BBitmapStream stream;
	status_t result = BTranslatorRoster::Default()->Translate(&file, nullptr, nullptr, &stream,
		B_TRANSLATOR_BITMAP);
	if (status != nullptr)
		*status = result;
	BBitmap* bitmap = nullptr;
	if (result != B_OK || stream.DetachBitmap(&bitmap) != B_OK)
		return nullptr;
	return bitmap;
}

QRgb pixel(const BBitmap* bitmap, int x, int y)
{
	const uint8* p = (const uint8*)bitmap->Bits() + y * bitmap->BytesPerRow() + x * 4;
	return qRgb(p[2], p[1], p[0]);
}

::testing::AssertionResult near(QRgb got, QRgb want, int tolerance)
{
	if (std::abs(qRed(got) - qRed(want)) <= tolerance
		&& std::abs(qGreen(got) - qGreen(want)) <= tolerance
		&& std::abs(qBlue(got) - qBlue(want)) <= tolerance)
		return ::testing::AssertionSuccess();
	return ::testing::AssertionFailure() << "got " << std::hex << (got & 0xffffff) << " want "
		<< (want & 0xffffff);
}

struct decode_row {
	const char* format;
	bool lossless;
};

void PrintTo(const decode_row& row, std::ostream* out)
{
	*out << row.format;
}

class Decode : public ::testing::TestWithParam<decode_row> {};

TEST_P(Decode, GivesRgb32BitmapOfTheImage)
{
	const decode_row& row = GetParam();
	temp_dir dir;
	std::string path = dir.file(std::string("picture.") + row.format);
	QImage image = row.lossless ? detailed_image(7, 5) : quadrant_image(32, 24);
	QImageWriter writer(QString::fromStdString(path), row.format);
	if (!row.lossless)
		writer.setQuality(95);
	ASSERT_TRUE(writer.write(image)) << writer.errorString().toStdString();

	BBitmap* bitmap = decode(path);
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->ColorSpace(), B_RGB32);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, image.width() - 1, image.height() - 1));
	if (row.lossless) {
		for (int y = 0; y < image.height(); y++) {
			for (int x = 0; x < image.width(); x++)
				EXPECT_TRUE(near(pixel(bitmap, x, y), image.pixel(x, y), 0)) << x << "," << y;
		}
	} else {
		const int probes[4][2] = {{8, 6}, {24, 6}, {8, 18}, {24, 18}};
		for (int i = 0; i < 4; i++) {
			EXPECT_TRUE(near(pixel(bitmap, probes[i][0], probes[i][1]), kQuadrants[i], 16))
				<< "quadrant " << i;
		}
	}
	delete bitmap;
}

INSTANTIATE_TEST_SUITE_P(Formats, Decode, ::testing::Values(decode_row{"png", true},
		decode_row{"bmp", true}, decode_row{"tiff", true}, decode_row{"ppm", true},
		decode_row{"jpeg", false}, decode_row{"webp", false}),
	[](const ::testing::TestParamInfo<decode_row>& info) {
		return std::string(info.param.format);
	});

TEST(DecodeGif, GivesItsPaletteColours)
{
	temp_dir dir;
	const QRgb palette[4] = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 128, 255),
		qRgb(250, 250, 250)};
	QImage image(5, 3, QImage::Format_RGB32);
	for (int y = 0; y < 3; y++) {
		for (int x = 0; x < 5; x++)
			image.setPixel(x, y, palette[(x + 2 * y) % 4]);
	}
	dir.write("picture.gif", make_gif(image, palette));
	BBitmap* bitmap = decode(dir.file("picture.gif"));
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 4, 2));
	for (int y = 0; y < 3; y++) {
		for (int x = 0; x < 5; x++)
			EXPECT_TRUE(near(pixel(bitmap, x, y), image.pixel(x, y), 0)) << x << "," << y;
	}
	delete bitmap;
}

// The file's content decides, not its name.
// A file's format told from its first bytes, so that only its own plugin is loaded; what the
// bytes do not tell is asked of every plugin, as Qt does.
struct content_row {
	const char* name;
	std::string head;
	const char* format;
};

void PrintTo(const content_row& row, std::ostream* out)
{
	*out << row.name;
}

class ContentFormat : public ::testing::TestWithParam<content_row> {};

TEST_P(ContentFormat, NamesTheFormatOfTheFirstBytes)
{
	const content_row& row = GetParam();
	BMallocIO source;
	source.WriteAt(0, row.head.data(), row.head.size());
	EXPECT_EQ(content_format(&source), QByteArray(row.format));
}

#define BYTES(text) std::string(text, sizeof(text) - 1)

INSTANTIATE_TEST_SUITE_P(Heads, ContentFormat, ::testing::Values(
		content_row{"jpeg", BYTES("\xff\xd8\xff\xe0\0\x10JFIF"), "jpeg"},
		content_row{"png", BYTES("\x89PNG\r\n\x1a\n\0\0\0\rIHDR"), "png"},
		content_row{"gif89", BYTES("GIF89a\x01\0\x01\0"), "gif"},
		content_row{"webp", BYTES("RIFF\x24\0\0\0WEBPVP8 "), "webp"},
		content_row{"riff_sound_is_no_image", BYTES("RIFF\x24\0\0\0WAVEfmt "), ""},
		content_row{"tiff_little_endian", BYTES("II*\0\x08\0\0\0"), "tiff"},
		content_row{"tiff_big_endian", BYTES("MM\0*\0\0\0\x08"), "tiff"},
		content_row{"bitmap_ascii", BYTES("P1\n2 2\n0 1 1 0\n"), "pbm"},
		content_row{"greymap_raw", BYTES("P5 2 2 255 "), "pgm"},
		content_row{"pixmap_raw", BYTES("P6\n1 1\n255\n"), "ppm"},
		content_row{"p7_is_no_netpbm", BYTES("P7\nWIDTH 1\n"), ""},
		content_row{"xpm_asked_of_qt", BYTES("/* XPM */\nstatic char* x[] = {\n"), "xpm"},
		content_row{"empty", "", ""}),
	[](const ::testing::TestParamInfo<content_row>& info) { return std::string(info.param.name); });

TEST(DecodeByContent, MisnamedFileStillDecodes)
{
	temp_dir dir;
	std::string path = dir.file("really-a-png.jpg");
	ASSERT_TRUE(QImageWriter(QString::fromStdString(path), "png").write(detailed_image(4, 4)));
	BBitmap* bitmap = decode(path);
	ASSERT_NE(bitmap, nullptr);
	EXPECT_TRUE(near(pixel(bitmap, 3, 3), detailed_image(4, 4).pixel(3, 3), 0));
	delete bitmap;
}

// --- What is no picture gives no bitmap.

std::string png_bytes(int width, int height)
{
	temp_dir dir;
	QImage noise(width, height, QImage::Format_RGB32);
	std::mt19937 random(7);
	for (int y = 0; y < height; y++) {
		for (int x = 0; x < width; x++)
			noise.setPixel(x, y, random());
	}
	QImageWriter(QString::fromStdString(dir.file("n.png")), "png").write(noise);
	return dir.read("n.png");
}

struct bad_row {
	const char* name;
	std::string content;
};

void PrintTo(const bad_row& row, std::ostream* out)
{
	*out << row.name;
}

std::vector<bad_row> bad_rows()
{
	std::mt19937 random(42);
	std::string noise(4096, '\0');
	for (char& c : noise)
		c = (char)random();
	std::string png = png_bytes(64, 64);
	return {
		{"empty_file", ""},
		{"random_bytes", noise},
		{"text", "out_format\timage/png\n"},
		{"png_cut_in_half", png.substr(0, png.size() / 2)},
		{"png_signature_only", png.substr(0, 8)},
		{"png_without_its_end", png.substr(0, png.size() - 12)},
		{"bitmap_stream_header", std::string("bits", 4) + std::string(60, '\0')},
	};
}

class DecodeRefuses : public ::testing::TestWithParam<bad_row> {};

TEST_P(DecodeRefuses, GivesNoBitmap)
{
	temp_dir dir;
	dir.write("input", GetParam().content);
	status_t status = B_OK;
	BBitmap* bitmap = decode(dir.file("input"), &status);
	EXPECT_NE(status, B_OK);
	EXPECT_EQ(bitmap, nullptr);
	delete bitmap;
}

INSTANTIATE_TEST_SUITE_P(Inputs, DecodeRefuses, ::testing::ValuesIn(bad_rows()),
	[](const ::testing::TestParamInfo<bad_row>& info) { return std::string(info.param.name); });

// --- Writing by type code.

BBitmap* rgb32_bitmap(const QImage& image)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, image.width() - 1, image.height() - 1), B_RGB32);
	for (int y = 0; y < image.height(); y++) {
		for (int x = 0; x < image.width(); x++) {
			uint8* p = (uint8*)bitmap->Bits() + y * bitmap->BytesPerRow() + x * 4;
			QRgb c = image.pixel(x, y);
			p[0] = qBlue(c);
			p[1] = qGreen(c);
			p[2] = qRed(c);
			p[3] = 255;
		}
	}
	return bitmap;
}

struct encode_row {
	const char* name;
	uint32 type;
	const char* qt_format;
	bool lossless;
};

void PrintTo(const encode_row& row, std::ostream* out)
{
	*out << row.name;
}

class Encode : public ::testing::TestWithParam<encode_row> {};

TEST_P(Encode, WritesTheFormatAndDecodesBack)
{
	const encode_row& row = GetParam();
	temp_dir dir;
	QImage image = row.lossless ? detailed_image(7, 5) : quadrant_image(32, 24);
	{
		BBitmapStream stream(rgb32_bitmap(image));
		BFile file(dir.file("out").c_str(), B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE);
		ASSERT_EQ(BTranslatorRoster::Default()->Translate(&stream, nullptr, nullptr, &file,
			row.type), B_OK);
	}
	QImageReader reader(QString::fromStdString(dir.file("out")));
	EXPECT_EQ(reader.format().toStdString(), row.qt_format);

	BBitmap* bitmap = decode(dir.file("out"));
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, image.width() - 1, image.height() - 1));
	if (row.lossless) {
		for (int y = 0; y < image.height(); y++) {
			for (int x = 0; x < image.width(); x++)
				EXPECT_TRUE(near(pixel(bitmap, x, y), image.pixel(x, y), 0)) << x << "," << y;
		}
	} else {
		EXPECT_TRUE(near(pixel(bitmap, 8, 6), kQuadrants[0], 16));
		EXPECT_TRUE(near(pixel(bitmap, 24, 18), kQuadrants[3], 16));
	}
	delete bitmap;
}

INSTANTIATE_TEST_SUITE_P(Types, Encode, ::testing::Values(
		encode_row{"PNG", B_PNG_FORMAT, "png", true},
		encode_row{"BMP", B_BMP_FORMAT, "bmp", true},
		encode_row{"TIFF", B_TIFF_FORMAT, "tiff", true},
		encode_row{"PPM", B_PPM_FORMAT, "ppm", true},
		encode_row{"JPEG", B_JPEG_FORMAT, "jpeg", false},
		encode_row{"WEBP", B_WEBP_FORMAT, "webp", false}),
	[](const ::testing::TestParamInfo<encode_row>& info) { return std::string(info.param.name); });

TEST(EncodeInMemory, RoundTripsThroughABuffer)
{
	QImage image = detailed_image(6, 6);
	BBitmapStream stream(rgb32_bitmap(image));
	BMallocIO memory;
	ASSERT_EQ(BTranslatorRoster::Default()->Translate(&stream, nullptr, nullptr, &memory,
		B_PNG_FORMAT), B_OK);
	ASSERT_GT(memory.BufferLength(), 8u);
	EXPECT_EQ(memcmp(memory.Buffer(), "\x89PNG", 4), 0);

	BBitmapStream decoded;
	ASSERT_EQ(BTranslatorRoster::Default()->Translate(&memory, nullptr, nullptr, &decoded,
		B_TRANSLATOR_BITMAP), B_OK);
	BBitmap* bitmap = nullptr;
	ASSERT_EQ(decoded.DetachBitmap(&bitmap), B_OK);
	EXPECT_TRUE(near(pixel(bitmap, 5, 5), image.pixel(5, 5), 0));
	delete bitmap;
}

TEST(EncodeUnwritable, TypeWithNoWriterFails)
{
	temp_dir dir;
	BBitmapStream stream(rgb32_bitmap(detailed_image(4, 4)));
	BFile file(dir.file("out").c_str(), B_READ_WRITE | B_CREATE_FILE);
	// Qt reads GIF but cannot write it; 'zzzz' names nothing at all.
	EXPECT_NE(BTranslatorRoster::Default()->Translate(&stream, nullptr, nullptr, &file,
		B_GIF_FORMAT), B_OK);
	EXPECT_NE(BTranslatorRoster::Default()->Translate(&stream, nullptr, nullptr, &file,
		'zzzz'), B_OK);
	EXPECT_EQ(dir.read("out"), "");
}

TEST(TranslatorsForBitmaps, IncludeTheCommonWriters)
{
	BBitmapStream probe(new BBitmap(BRect(0, 0, 7, 7), B_RGB32));
	translator_info* info = nullptr;
	int32 count = 0;
	ASSERT_EQ(BTranslatorRoster::Default()->GetTranslators(&probe, nullptr, &info, &count),
		B_OK);
	std::vector<uint32> types;
	for (int32 i = 0; i < count; i++) {
		const translation_format* formats;
		int32 formatCount;
		ASSERT_EQ(BTranslatorRoster::Default()->GetOutputFormats(info[i].translator, &formats,
			&formatCount), B_OK);
		for (int32 j = 0; j < formatCount; j++)
			types.push_back(formats[j].type);
	}
	delete[] info;
	for (uint32 wanted : {B_PNG_FORMAT, B_JPEG_FORMAT, B_BMP_FORMAT, B_TIFF_FORMAT,
			B_WEBP_FORMAT}) {
		EXPECT_NE(std::find(types.begin(), types.end(), wanted), types.end())
			<< std::string{(char)(wanted >> 24), (char)(wanted >> 16), (char)(wanted >> 8),
				(char)wanted};
	}
	EXPECT_EQ(std::find(types.begin(), types.end(), (uint32)B_GIF_FORMAT), types.end());
}

// --- Through the format's own plugin alone, as Qt's reader and writer would.

// A JPEG whose Exif segment says how it is to be turned (3: half a turn, 5: mirrored and a
// quarter turn, 6: a quarter turn clockwise, 8: anticlockwise).
std::string with_orientation(const std::string& jpeg, int orientation)
{
	std::string body = std::string("Exif\0\0MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 25)
		+ (char)orientation + std::string(6, '\0');
	std::string length{(char)((body.size() + 2) >> 8), (char)(body.size() + 2)};
	return jpeg.substr(0, 2) + "\xff\xe1" + length + body + jpeg.substr(2);
}

QImage noise_image(int width, int height)
{
	QImage image(width, height, QImage::Format_RGB32);
	std::mt19937 random(11);
	for (int y = 0; y < height; y++) {
		for (int x = 0; x < width; x++)
			image.setPixel(x, y, (x * 5 + y * 3) % 64 < 32 ? random() : qRgb(x * 4, y * 5, 90));
	}
	return image;
}

QByteArray written_by_qt(const char* format, int quality)
{
	QByteArray bytes;
	QBuffer buffer(&bytes);
	buffer.open(QIODevice::WriteOnly);
	QImageWriter writer(&buffer, format);
	writer.setQuality(quality);
	writer.write(noise_image(64, 48));
	return bytes;
}

struct plugin_read_row {
	const char* name;
	const char* format;
	int orientation;
	QSize scaled;
	QRect clip;
	// Whether the format has a plugin of its own rather than being built into Qt.
	bool plugin;
};

TEVRA_PRINT_CASE(plugin_read_row)

class PluginReader : public ::testing::TestWithParam<plugin_read_row> {};

TEST_P(PluginReader, DecodesAsQtsReader)
{
	const plugin_read_row& row = GetParam();
	QByteArray bytes = written_by_qt(row.format, 90);
	if (row.orientation != 0)
		bytes = QByteArray::fromStdString(with_orientation(bytes.toStdString(), row.orientation));
	QBuffer theirsDevice(&bytes), oursDevice(&bytes);
	theirsDevice.open(QIODevice::ReadOnly);
	oursDevice.open(QIODevice::ReadOnly);
	QImageReader theirs(&theirsDevice, row.format);
	theirs.setAutoTransform(true);
	ImageReader ours(&oursDevice, row.format);
	EXPECT_EQ(ours.usesPlugin(), row.plugin);
	EXPECT_EQ(ours.size(), theirs.size());
	EXPECT_EQ(ours.transformation(), theirs.transformation());
	if (row.scaled.isValid()) {
		theirs.setScaledSize(row.scaled);
		ours.setScaledSize(row.scaled);
	}
	if (row.clip.isValid()) {
		theirs.setClipRect(row.clip);
		ours.setClipRect(row.clip);
	}
	QImage want, got;
	ASSERT_TRUE(theirs.read(&want));
	ASSERT_TRUE(ours.read(&got));
	EXPECT_EQ(got.size(), want.size());
	EXPECT_TRUE(got == want);
}

INSTANTIATE_TEST_SUITE_P(Reads, PluginReader, ::testing::Values(
		plugin_read_row{"jpeg", "jpeg", 0, QSize(), QRect(), true},
		plugin_read_row{"jpeg_at_half", "jpeg", 0, QSize(32, 24), QRect(), true},
		plugin_read_row{"jpeg_part", "jpeg", 0, QSize(), QRect(9, 5, 30, 20), true},
		plugin_read_row{"jpeg_quarter_turn", "jpeg", 6, QSize(), QRect(), true},
		plugin_read_row{"jpeg_quarter_turn_at_half", "jpeg", 6, QSize(32, 24), QRect(), true},
		plugin_read_row{"jpeg_mirrored_quarter_turn", "jpeg", 5, QSize(), QRect(), true},
		plugin_read_row{"jpeg_quarter_turn_back", "jpeg", 8, QSize(), QRect(), true},
		plugin_read_row{"jpeg_half_turn", "jpeg", 3, QSize(), QRect(), true},
		plugin_read_row{"webp", "webp", 0, QSize(), QRect(), true},
		plugin_read_row{"tiff", "tiff", 0, QSize(), QRect(), true},
		plugin_read_row{"png_built_into_qt", "png", 0, QSize(), QRect(), false},
		plugin_read_row{"bmp_built_into_qt", "bmp", 0, QSize(), QRect(), false}),
	case_name<plugin_read_row>);

struct plugin_write_row {
	const char* name;
	const char* format;
	int quality;
};

TEVRA_PRINT_CASE(plugin_write_row)

class PluginWriter : public ::testing::TestWithParam<plugin_write_row> {};

TEST_P(PluginWriter, WritesTheBytesOfQtsWriter)
{
	const plugin_write_row& row = GetParam();
	QByteArray want = written_by_qt(row.format, row.quality);
	ASSERT_FALSE(want.isEmpty());
	QByteArray got;
	QBuffer buffer(&got);
	buffer.open(QIODevice::WriteOnly);
	ASSERT_TRUE(write_image(&buffer, row.format, noise_image(64, 48), row.quality));
	EXPECT_EQ(got.size(), want.size());
	EXPECT_TRUE(got == want);
}

INSTANTIATE_TEST_SUITE_P(Writes, PluginWriter, ::testing::Values(
		plugin_write_row{"jpeg", "jpeg", 92},
		plugin_write_row{"jpeg_default_quality", "jpeg", -1},
		plugin_write_row{"webp", "webp", 92},
		plugin_write_row{"tiff", "tiff", -1},
		plugin_write_row{"bmp_built_into_qt", "bmp", -1},
		plugin_write_row{"ppm_built_into_qt", "ppm", -1}),
	case_name<plugin_write_row>);

// --- The bitmap stream's bytes: a big-endian header, then the pixels.

uint32 big32(const uint8* p)
{
	return (uint32)p[0] << 24 | (uint32)p[1] << 16 | (uint32)p[2] << 8 | p[3];
}

float big_float(const uint8* p)
{
	uint32 bits = big32(p);
	float value;
	memcpy(&value, &bits, sizeof(value));
	return value;
}

TEST(BitmapStream, StartsWithBigEndianBitsHeader)
{
	BBitmap* bitmap = rgb32_bitmap(detailed_image(10, 5));
	BBitmapStream stream(bitmap);
	uint8 header[32];
	ASSERT_EQ(stream.ReadAt(0, header, sizeof(header)), 32);
	EXPECT_EQ(std::string((const char*)header, 4), "bits");
	EXPECT_EQ(big_float(header + 4), 0.0f);
	EXPECT_EQ(big_float(header + 8), 0.0f);
	EXPECT_EQ(big_float(header + 12), 9.0f);
	EXPECT_EQ(big_float(header + 16), 4.0f);
	EXPECT_EQ(big32(header + 20), (uint32)bitmap->BytesPerRow());
	EXPECT_EQ(big32(header + 24), (uint32)B_RGB32);
	EXPECT_EQ(big32(header + 28), (uint32)bitmap->BitsLength());
	EXPECT_EQ(stream.Size(), 32 + bitmap->BitsLength());
}

TEST(BitmapStream, PixelsFollowTheHeader)
{
	BBitmap* bitmap = rgb32_bitmap(detailed_image(3, 2));
	BBitmapStream stream(bitmap);
	std::string all(stream.Size(), '\0');
	// Read in pieces that straddle the header's end.
	ASSERT_EQ(stream.Read(&all[0], 30), 30);
	ASSERT_EQ(stream.Read(&all[30], all.size() - 30), (ssize_t)all.size() - 30);
	EXPECT_EQ(all.substr(32), std::string((const char*)bitmap->Bits(), bitmap->BitsLength()));
	char more;
	EXPECT_EQ(stream.Read(&more, 1), 0);
}

TEST(BitmapStream, DetachHandsTheBitmapOnOnce)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, 1, 1), B_RGB32);
	BBitmap* got = nullptr;
	{
		BBitmapStream stream(bitmap);
		ASSERT_EQ(stream.DetachBitmap(&got), B_OK);
		EXPECT_EQ(got, bitmap);
		BBitmap* again = nullptr;
		EXPECT_NE(stream.DetachBitmap(&again), B_OK);
	}
	// The stream is gone; the bitmap is still the caller's.
	EXPECT_EQ(got->Bounds(), BRect(0, 0, 1, 1));
	delete got;

	BBitmapStream empty;
	EXPECT_NE(empty.DetachBitmap(&got), B_OK);
	EXPECT_EQ(empty.Size(), 0);
}

}
