#include "tests/render/render_fixture.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <Entry.h>

#include "model/catalogue_items.h"
#include "tests/support/process_stats.h"
#include "tests/support/run_program.h"
#include "tests/support/sanitizer.h"
#include "tests/support/temp_dir.h"

// Image bombs and broken images named as the base image of a design: no crash, memory that
// stays near what the screen-sized picture needs, no base image, and the rest of the design
// read as written.

namespace {

uint32 crc32(const std::string& bytes)
{
	uint32 crc = 0xffffffff;
	for (unsigned char byte : bytes) {
		crc ^= byte;
		for (int bit = 0; bit < 8; bit++)
			crc = crc & 1 ? (crc >> 1) ^ 0xedb88320 : crc >> 1;
	}
	return ~crc;
}

std::string be32(uint32 value)
{
	return {(char)(value >> 24), (char)(value >> 16), (char)(value >> 8), (char)value};
}

std::string png_chunk(const std::string& type, const std::string& data)
{
	return be32(data.size()) + type + data + be32(crc32(type + data));
}

// A PNG whose header claims width x height of 8-bit RGB, with one deflated row of data.
std::string png_claiming(uint32 width, uint32 height)
{
	std::string header = be32(width) + be32(height) + std::string("\x08\x02\x00\x00\x00", 5);
	// A stored (uncompressed) deflate block of zeros: one filter byte and a few pixels.
	std::string row(64, '\0');
	std::string deflated = std::string("\x78\x01\x01", 3) + (char)row.size() + '\0'
		+ (char)~row.size() + (char)0xff + row + be32(0);
	return std::string("\x89PNG\r\n\x1a\n", 8) + png_chunk("IHDR", header)
		+ png_chunk("IDAT", deflated) + png_chunk("IEND", "");
}

// A GIF of 2 x 2 pixels on a logical screen of 65535 x 65535.
std::string gif_with_huge_screen()
{
	const unsigned char bytes[] = {
		'G', 'I', 'F', '8', '9', 'a', 0xff, 0xff, 0xff, 0xff, 0x81, 0, 0,
		0xff, 0, 0, 0, 0xff, 0, 0, 0, 0xff, 0xff, 0xff, 0xff,
		0x2c, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 3, 0x44, 0x34, 0x05, 0, 0x3b,
	};
	return std::string((const char*)bytes, sizeof(bytes));
}

// A photograph-like JPEG, noisy so that it is not tiny, written through the roster.
std::string jpeg_bytes(int width, int height)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, width - 1, height - 1), B_RGB32);
	std::mt19937 random(3);
	for (int y = 0; y < height; y++) {
		uint32* row = (uint32*)((char*)bitmap->Bits() + (size_t)y * bitmap->BytesPerRow());
		for (int x = 0; x < width; x++)
			row[x] = 0xff000000 | (random() & 0x3f3f3f) | (x * 255 / width) << 16;
	}
	temp_dir dir;
	if (encode_file(bitmap, B_JPEG_FORMAT, dir.file("p.jpg")) != B_OK)
		return "";
	return dir.read("p.jpg");
}

// The same JPEG with its frame header claiming another size.
std::string jpeg_claiming(uint16 width, uint16 height)
{
	std::string jpeg = jpeg_bytes(16, 16);
	size_t frame = jpeg.find("\xff\xc0");
	if (frame == std::string::npos)
		return "";
	jpeg[frame + 5] = (char)(height >> 8);
	jpeg[frame + 6] = (char)height;
	jpeg[frame + 7] = (char)(width >> 8);
	jpeg[frame + 8] = (char)width;
	return jpeg;
}

std::string cut(const std::string& bytes, size_t keep)
{
	return bytes.substr(0, std::min(keep, bytes.size()));
}

struct bomb_case {
	const char* name;
	// Makes the thing the design names at path.
	std::function<void(const std::string& path)> make;
};
TEVRA_PRINT_CASE(bomb_case)

void write_file(const std::string& path, const std::string& bytes)
{
	std::ofstream(path, std::ios::binary) << bytes;
}

std::function<void(const std::string&)> file_of(std::function<std::string()> bytes)
{
	return [bytes](const std::string& path) { write_file(path, bytes()); };
}

}

class image_bomb : public render_test, public testing::WithParamInterface<bomb_case> {};

TEST_P(image_bomb, NoBaseImageBoundedMemoryRestOfTheDesignRead)
{
	temp_dir dir;
	std::string image = dir.file("base");
	GetParam().make(image);
	int32 png = -1;
	for (int32 i = 0; format_item* format = (format_item*)xlt.ItemAt(i); i++) {
		if (format->type == B_PNG_FORMAT)
			png = i;
	}
	ASSERT_GE(png, 0);

	// Every way of placing an image, each of which may ask for it at another size.
	for (int mode : {kBaseFitScreen, kBaseCenter, kBaseFitRect}) {
		SCOPED_TRACE("base_type " + std::to_string(mode));
		dir.write("design", "base_type\t" + std::to_string(mode) + "\nbase_color\t00204060\n"
			"base_image\t" + image + "\nimage_bounds\t10,20,1000,700\nout_format\timage/jpeg\n"
			"wp_textback\tn\nscreen_color\t00abcdef\n\ntype\t0\nbounds\t100,100,400,300\n"
			"\ntype\t20\nyear_type\t-1\nbounds\t500,100,900,600\n");
		reset_memory_peak();
		long before = status_kb("VmRSS");
		entry_ref design;
		ASSERT_EQ(get_ref_for_path(dir.file("design").c_str(), &design), B_OK);
		view->load_config(&design);
		view->create_wallpaper();
		long grown = status_kb("VmHWM") - before;

		EXPECT_EQ(view->baseimg, nullptr);
		// The name stays in the design, so saving it keeps what the user wrote.
		EXPECT_EQ(std::string(baseimgpath), image);
		EXPECT_EQ(base_mode, mode);
		EXPECT_EQ(base_color, 0x204060u);
		EXPECT_EQ(bg_bounds, BRect(10, 20, 1000, 700));
		format_item* format = (format_item*)xlt.ItemAt(outfmt);
		ASSERT_NE(format, nullptr);
		EXPECT_STREQ(format->mime, "image/jpeg");
		EXPECT_FALSE(textback);
		EXPECT_EQ(scrn_color, 0xabcdefu);
		ASSERT_EQ(obl.CountItems(), 2);
		EXPECT_EQ(((object*)obl.ItemAt(0))->bounds, BRect(100, 100, 400, 300));
		EXPECT_EQ(((object*)obl.ItemAt(1))->type, kTypeYear);
		// Nothing of an image: the corners the calendars leave alone show the base colour.
		EXPECT_EQ(pixel(0, 0), kBase);
		EXPECT_EQ(pixel(1023, 767), kBase);
		if (!kUnderAddressSanitizer) {
			// The picture itself is 3 MB; decoding the bomb would take gigabytes.
			EXPECT_LT(grown, 64 * 1024) << "kB";
		}

		outfmt = png;
		entry_ref folder;
		ASSERT_EQ(get_ref_for_path(dir.path().c_str(), &folder), B_OK);
		EXPECT_EQ(view->save(&folder, "wall.png"), B_OK);
	}
}

INSTANTIATE_TEST_SUITE_P(render, image_bomb, testing::Values(
	bomb_case{"Png100000Square", file_of([] { return png_claiming(100000, 100000); })},
	bomb_case{"PngHeaderOnly100000Square", file_of([] {
		std::string header = be32(100000) + be32(100000) + std::string("\x08\x02\0\0\0", 5);
		return std::string("\x89PNG\r\n\x1a\n", 8) + png_chunk("IHDR", header)
			+ png_chunk("IEND", "");
	})},
	bomb_case{"JpegCutInHalf", file_of([] {
		std::string jpeg = jpeg_bytes(800, 600);
		return cut(jpeg, jpeg.size() / 2);
	})},
	bomb_case{"JpegWithoutItsEndMarker", file_of([] {
		std::string jpeg = jpeg_bytes(800, 600);
		return cut(jpeg, jpeg.size() - 2);
	})},
	bomb_case{"JpegHeaderClaiming60000Square", file_of([] {
		return jpeg_claiming(60000, 60000);
	})},
	bomb_case{"JpegHeaderClaiming16000SquareCutShort", file_of([] {
		std::string jpeg = jpeg_claiming(16000, 16000);
		return cut(jpeg, jpeg.find("\xff\xda") + 20);
	})},
	bomb_case{"GifWithHugeLogicalScreen", file_of(gif_with_huge_screen)},
	// Targa has no magic number and packs up to 128 pixels a packet; 22 bytes claiming
	// 65535 x 4096 made a bitmap of a gigabyte before finding the data gone.
	bomb_case{"TargaRunLengthClaiming65535x4096", file_of([] {
		const unsigned char header[] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 0, 0x10,
			24, 0x20, 0xff, 1, 2, 3};
		return std::string((const char*)header, sizeof(header));
	})},
	bomb_case{"ZeroByteFile", file_of([] { return std::string(); })},
	bomb_case{"Directory", [](const std::string& path) { mkdir(path.c_str(), 0755); }},
	// Opening a pipe for reading waits for a writer: the load must not open it.
	bomb_case{"NamedPipeWithoutWriter", [](const std::string& path) {
		mkfifo(path.c_str(), 0644);
	}},
	bomb_case{"EndlessDevice", [](const std::string& path) {
		symlink("/dev/zero", path.c_str());
	}}),
	case_name<bomb_case>);

// --- A JPEG is taken only whole: from its start to its end-of-image marker.

namespace {

struct wholeness_case {
	const char* name;
	std::function<std::string()> bytes;
	bool decodes;
};
TEVRA_PRINT_CASE(wholeness_case)

// What ImageMagick writes: progressive (several scans, tables between them), or with an
// embedded application segment whose bytes hold an end-of-image marker of their own.
std::string magick(const std::vector<std::string>& options, const std::string& file = "m.jpg",
	const std::string& coder = "")
{
	temp_dir dir;
	std::vector<std::string> argv = {"convert", "-size", "96x64", "plasma:fractal", "-seed", "5"};
	argv.insert(argv.end(), options.begin(), options.end());
	argv.push_back(coder + dir.file(file));
	if (run_program(argv).status != 0)
		return "";
	return dir.read(file);
}

std::string magick_jpeg(const std::vector<std::string>& options)
{
	return magick(options);
}

// An application segment holding the bytes of a whole little JPEG, as an Exif thumbnail
// does, inserted after the start marker.
std::string with_thumbnail(const std::string& jpeg)
{
	std::string thumbnail = jpeg_bytes(8, 8);
	std::string segment = std::string("\xff\xe1", 2) + (char)((thumbnail.size() + 2) >> 8)
		+ (char)(thumbnail.size() + 2) + thumbnail;
	return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

}

class cut_short : public render_test, public testing::WithParamInterface<wholeness_case> {};

TEST_P(cut_short, DecodesOnlyWhenWhole)
{
	const wholeness_case& c = GetParam();
	std::string bytes = c.bytes();
	ASSERT_GT(bytes.size(), 20u);
	temp_dir dir;
	dir.write("p.jpg", bytes);
	std::unique_ptr<BBitmap> bitmap(decode_file(dir.file("p.jpg")));
	EXPECT_EQ(bitmap != nullptr, c.decodes);
}

INSTANTIATE_TEST_SUITE_P(render, cut_short, testing::Values(
	wholeness_case{"Baseline_Decodes", [] { return jpeg_bytes(64, 48); }, true},
	wholeness_case{"Progressive_Decodes", [] { return magick_jpeg({"-interlace", "JPEG"}); }, true},
	wholeness_case{"WithRestartMarkers_Decodes", [] { return magick_jpeg({"-define", "jpeg:restart-interval=1"}); },
		true},
	wholeness_case{"BytesAfterTheEnd_Decodes", [] { return jpeg_bytes(64, 48) + "trailing"; }, true},
	wholeness_case{"ThumbnailWithItsOwnEnd_Decodes", [] { return with_thumbnail(jpeg_bytes(64, 48)); },
		true},
	wholeness_case{"ProgressiveCutBeforeTheLastScan_Refused", [] {
		std::string jpeg = magick_jpeg({"-interlace", "JPEG"});
		return cut(jpeg, jpeg.rfind("\xff\xda"));
	}, false},
	wholeness_case{"ThumbnailWithItsOwnEndCutShort_Refused", [] {
		std::string jpeg = with_thumbnail(jpeg_bytes(64, 48));
		return cut(jpeg, jpeg.size() - 40);
	}, false},
	wholeness_case{"CutInsideAHeaderSegment_Refused", [] { return cut(jpeg_bytes(64, 48), 30); }, false},
	// BMP and GIF decoders, too, make up what a file cut short lacks.
	wholeness_case{"Bmp_Decodes", [] { return magick({}, "m.bmp"); }, true},
	wholeness_case{"BmpCutShort_Refused", [] { return cut(magick({}, "m.bmp"), 9000); }, false},
	wholeness_case{"BmpRunLength_Decodes", [] { return magick({"-colors", "16", "-compress", "RLE"}, "m.bmp", "BMP3:"); },
		true},
	wholeness_case{"BmpRunLengthCutShort_Refused", [] {
		std::string bmp = magick({"-colors", "16", "-compress", "RLE"}, "m.bmp", "BMP3:");
		return cut(bmp, bmp.size() - 20);
	}, false},
	wholeness_case{"Gif_Decodes", [] { return magick({}, "m.gif"); }, true},
	wholeness_case{"GifWithoutItsTrailer_Decodes", [] {
		std::string gif = magick({}, "m.gif");
		return cut(gif, gif.size() - 1);
	}, true},
	wholeness_case{"GifCutShort_Refused", [] {
		std::string gif = magick({}, "m.gif");
		return cut(gif, gif.size() - 10);
	}, false}),
	case_name<wholeness_case>);

// --- A photograph far larger than the screen, drawn large, is decoded only where it shows.

namespace {

// A JPEG of the given size with detail everywhere, so that any misplaced pixel shows.
std::string detailed_jpeg(int width, int height)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, width - 1, height - 1), B_RGB32);
	for (int y = 0; y < height; y++) {
		uint32* row = (uint32*)((char*)bitmap->Bits() + (size_t)y * bitmap->BytesPerRow());
		for (int x = 0; x < width; x++)
			row[x] = 0xff000000 | (x * 7 % 256) << 16 | (y * 5 % 256) << 8 | ((x / 16 + y / 16) % 2) * 255;
	}
	temp_dir dir;
	if (encode_file(bitmap, B_JPEG_FORMAT, dir.file("p.jpg")) != B_OK)
		return "";
	return dir.read("p.jpg");
}

struct large_case {
	const char* name;
	int32 mode;
	BRect bg_bounds;
};
TEVRA_PRINT_CASE(large_case)

}

class large_photograph : public render_test, public testing::WithParamInterface<large_case> {};

// The part decoded alone draws what the whole picture would.
TEST_P(large_photograph, PartShownDrawsAsTheWholePicture)
{
	const large_case& c = GetParam();
	temp_dir dir;
	// Large enough to be kept encoded, and decoded small, on any screen up to 1920 x 1080.
	dir.write("big.jpg", detailed_jpeg(4000, 2400));
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(dir.file("big.jpg").c_str(), &ref), B_OK);
	view->load(&ref);
	ASSERT_NE(view->baseimg, nullptr);
	base_mode = c.mode;
	bg_bounds = c.bg_bounds;
	view->create_wallpaper();
	std::unique_ptr<BBitmap> fromPart(new BBitmap(view->wallbmp));

	// The same picture decoded whole, as a picture that is no JPEG always is.
	BBitmap* whole = new BBitmap(view->baseimg);
	delete view->baseimg;
	view->baseimg = whole;
	view->create_wallpaper();
	int differing = 0, worst = 0;
	for_each_pixel(scrn, [&](int x, int y, uint32 value) {
		uint32 other = pixel_of(fromPart.get(), x, y);
		int most = 0;
		for (int shift : {0, 8, 16})
			most = std::max(most, std::abs((int)((value >> shift) & 0xff)
				- (int)((other >> shift) & 0xff)));
		differing += most > 0;
		worst = std::max(worst, most);
	});
	// The decoder may round a few pixels at the edges of the part one way or the other.
	EXPECT_LE(worst, 2);
	EXPECT_LT(differing, 1024 * 768 / 1000);
	EXPECT_NE(count_not_base(scrn), 0);
}

// Drawn into rectangles of more pixels than the layer keeps a scaled copy of, so that it
// draws from the picture itself.
INSTANTIATE_TEST_SUITE_P(render, large_photograph, testing::Values(
	large_case{"FourTimesItsSizeAroundTheScreen", kBaseFitRect,
		BRect(-6000, -4000, 9999, 5599)},
	large_case{"ThreeTimesItsSizeFromTheTopLeft", kBaseFitRect, BRect(0, 0, 11999, 7199)},
	large_case{"ReachingInFromTheBottomRight", kBaseFitRect, BRect(500, 300, 12499, 7499)}),
	case_name<large_case>);

// A header claiming 16000 x 16000 over the data of 16 x 16, whole to its end marker: the
// decoder makes grey of what is missing. Centred, or drawn into a rectangle as large, only
// the part on the screen is decoded, not a gigabyte.
TEST_F(render_test, HugeClaimedJpegDrawnLargeDecodesOnlyWhatShows)
{
	temp_dir dir;
	dir.write("huge.jpg", jpeg_claiming(16000, 16000));
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(dir.file("huge.jpg").c_str(), &ref), B_OK);
	for (int mode : {kBaseCenter, kBaseFitRect}) {
		SCOPED_TRACE("base_type " + std::to_string(mode));
		reset_memory_peak();
		long before = status_kb("VmRSS");
		view->load(&ref);
		ASSERT_NE(view->baseimg, nullptr);
		base_mode = mode;
		bg_bounds = BRect(-8000, -8000, 8999, 8999);
		view->create_wallpaper();
		long grown = status_kb("VmHWM") - before;
		EXPECT_EQ(view->baseimg->Bounds(), BRect(0, 0, 15999, 15999));
		if (!kUnderAddressSanitizer) {
			EXPECT_LT(grown, 64 * 1024) << "kB";
		}
	}
}

// --- Create mode over broken base images says nothing of the decoders' own: the picture is
// written on the base colour and a timer's log gets tevra's one line naming the image.

TEST_F(render_test, BrokenBaseImagesCostOneLineOfOurOwn)
{
	temp_dir dir;
	std::string png = magick({}, "whole.png");
	std::string tiff = magick({}, "whole.tif");
	ASSERT_GT(png.size(), 100u);
	ASSERT_GT(tiff.size(), 100u);
	std::string badCrc = png;
	badCrc[29] ^= 0x55;
	const std::pair<const char*, std::string> images[] = {
		{"cut.png", cut(png, png.size() / 2)}, {"crc.png", badCrc},
		{"cut.tif", cut(tiff, tiff.size() / 3)}};
	for (const auto& [name, bytes] : images) {
		SCOPED_TRACE(name);
		dir.write(name, bytes);
		dir.write("design", std::string("base_type\t1\nbase_image\t") + dir.file(name)
			+ "\nout_format\timage/png\n");
		run_options quiet;
		quiet.clean_environment = true;
		run_result r = run_tevra({dir.file("design"), dir.file("wall.png")}, quiet);
		EXPECT_EQ(r.status, 0);
		EXPECT_EQ(r.err, "tevra: base image: " + dir.file(name)
			+ ": not a picture that can be read\n");
		std::unique_ptr<BBitmap> wall(decode_file(dir.file("wall.png")));
		ASSERT_NE(wall, nullptr);
		EXPECT_EQ(*(uint32*)wall->Bits() & 0xffffff, 0x336699u);
	}
}
