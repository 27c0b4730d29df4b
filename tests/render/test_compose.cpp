#include "tests/render/render_fixture.h"

#include <cstdio>
#include <string>
#include <vector>

#include <Entry.h>

#include "tests/support/print_geometry.h"
#include "tests/support/temp_dir.h"

namespace {

const uint32 kQuarters[4] = {0xff0000, 0x00ff00, 0x0000ff, 0xffff00};

// The colour each quarter of a picture shows at a point inside the destination.
uint32 quarter_at(BRect to, float x, float y)
{
	float midX = to.left + (to.Width() + 1) / 2, midY = to.top + (to.Height() + 1) / 2;
	return kQuarters[(y >= midY) * 2 + (x >= midX)];
}

}

// --- Base modes: where the base image lands, and that nothing of it shows elsewhere.

struct mode_case {
	const char* name;
	int32 mode;
	int width, height;  // of the image
	BRect bg_bounds;
	BRect expected;  // the destination; an invalid one for none
};
TEVRA_PRINT_CASE(mode_case)

class base_mode_test : public render_test, public testing::WithParamInterface<mode_case> {};

TEST_P(base_mode_test, ImageLandsInItsDestinationOnly)
{
	const mode_case& c = GetParam();
	view->baseimg = make_quarters(c.width, c.height, kQuarters);
	base_mode = c.mode;
	bg_bounds = c.bg_bounds;
	view->create_wallpaper();

	BRect to = c.expected;
	if (!to.IsValid()) {
		EXPECT_EQ(count(scrn, kBase), (1024 * 768));
		return;
	}
	// Its corners, each in its quarter's colour, wherever they are on the screen.
	const BPoint corners[] = {to.LeftTop(), to.RightTop(), to.LeftBottom(), to.RightBottom()};
	for (BPoint p : corners) {
		if (!scrn.Contains(p))
			continue;
		SCOPED_TRACE(std::to_string((int)p.x) + "," + std::to_string((int)p.y));
		EXPECT_EQ(pixel(p.x, p.y), quarter_at(to, p.x, p.y));
	}
	// Just outside each edge: the base colour.
	int midX = (int)((to.left + to.right) / 2), midY = (int)((to.top + to.bottom) / 2);
	const BPoint outside[] = {{to.left - 1, (float)midY}, {to.right + 1, (float)midY},
		{(float)midX, to.top - 1}, {(float)midX, to.bottom + 1}};
	for (BPoint p : outside) {
		if (!scrn.Contains(p))
			continue;
		SCOPED_TRACE(std::to_string((int)p.x) + "," + std::to_string((int)p.y));
		EXPECT_EQ(pixel(p.x, p.y), kBase);
	}
	BRect shown = to & scrn;
	int area = (int)(shown.Width() + 1) * (int)(shown.Height() + 1);
	EXPECT_EQ(count(scrn, kBase), 1024 * 768 - area);
}

INSTANTIATE_TEST_SUITE_P(render, base_mode_test, testing::Values(
	mode_case{"Mode0_ImageIgnored", kBaseColor, 640, 480, BRect(), BRect()},
	mode_case{"Mode1_FitsScreen", kBaseFitScreen, 640, 480, BRect(), BRect(0, 0, 1023, 767)},
	mode_case{"Mode2_640x480_CentredAtItsOwnSize", kBaseCenter, 640, 480, BRect(),
		BRect(192, 144, 831, 623)},
	mode_case{"Mode2_OddSizes", kBaseCenter, 101, 51, BRect(), BRect(461, 358, 561, 408)},
	mode_case{"Mode2_WiderThanScreen_CutBothSides", kBaseCenter, 1100, 300, BRect(),
		BRect(-38, 234, 1061, 533)},
	mode_case{"Mode3_FitsImageBounds", kBaseFitRect, 640, 480, BRect(100, 50, 299, 149),
		BRect(100, 50, 299, 149)},
	mode_case{"Mode3_EmptyImageBounds_NoImage", kBaseFitRect, 640, 480, BRect(), BRect()},
	mode_case{"Mode3_ZeroWidthImageBounds_NoImage", kBaseFitRect, 640, 480,
		BRect(100, 50, 100, 149), BRect()},
	mode_case{"Mode3_ZeroHeightImageBounds_NoImage", kBaseFitRect, 640, 480,
		BRect(100, 50, 299, 50), BRect()},
	mode_case{"Mode7_Unknown_NoImage", 7, 640, 480, BRect(), BRect()}),
	case_name<mode_case>);

// A centred image is copied pixel for pixel: one-pixel stripes survive no resampling.
TEST_F(render_test, CentredImageKeepsEveryPixel)
{
	const int width = 101, height = 51;
	view->baseimg = new BBitmap(BRect(0, 0, width - 1, height - 1), B_RGB32);
	for (int y = 0; y < height; y++) {
		uint32* row = (uint32*)((char*)view->baseimg->Bits()
			+ (size_t)y * view->baseimg->BytesPerRow());
		for (int x = 0; x < width; x++)
			row[x] = 0xff000000 | ((x + y) % 2 ? 0xffffff : 0x000000);
	}
	base_mode = kBaseCenter;
	view->create_wallpaper();
	int wrong = 0;
	for_each_pixel(BRect(461, 358, 561, 408), [&](int x, int y, uint32 value) {
		wrong += value != ((x - 461 + y - 358) % 2 ? 0xffffffu : 0u);
	});
	EXPECT_EQ(wrong, 0);
}

// Over several screens the image fits the box around them, and what no screen shows is the
// base colour: the rows give the screens and the parts none of them shows.
TEST_F(render_test, WhatNoScreenShowsIsTheBaseColour)
{
	const struct {
		const char* name;
		std::vector<BRect> screens, unshown;
	} rows[] = {
		{"one_screen", {BRect(0, 0, 1023, 767)}, {}},
		{"right_one_shorter", {BRect(0, 0, 511, 767), BRect(512, 0, 1023, 599)},
			{BRect(512, 600, 1023, 767)}},
		{"apart_and_lower", {BRect(0, 0, 399, 767), BRect(600, 100, 1023, 767)},
			{BRect(400, 0, 599, 767), BRect(600, 0, 1023, 99)}},
	};
	std::vector<BRect> before = scrns;
	for (const auto& row : rows) {
		SCOPED_TRACE(row.name);
		delete view->baseimg;
		view->baseimg = make_quarters(1024, 768, kQuarters);
		base_mode = kBaseFitScreen;
		scrns = row.screens;
		view->create_wallpaper();
		int area = 0;
		for (BRect unshown : row.unshown) {
			int size = (int)(unshown.Width() + 1) * (int)(unshown.Height() + 1);
			EXPECT_EQ(count(unshown, kBase), size) << unshown;
			area += size;
		}
		EXPECT_EQ(count(scrn, kBase), area);
	}
	scrns = before;
}

TEST_F(render_test, BaseColourFillsEveryPixelIgnoringItsTopByte)
{
	base_mode = kBaseFitScreen;
	base_color = 0xff123456;
	view->create_wallpaper();
	EXPECT_EQ(count(scrn, 0x123456), 1024 * 768);
}

TEST_F(render_test, CalendarsAreDrawnOverTheImage)
{
	view->baseimg = make_quarters(64, 48, kQuarters);
	base_mode = kBaseFitScreen;
	// A kind that is no calendar draws only its wall: an opaque square here.
	object* item = add_object(kTypeMonth + 1, BRect(10, 10, 20, 20));
	item->bg_color = 0xff808080;
	view->create_wallpaper();
	EXPECT_EQ(count(BRect(10, 10, 20, 20), 0x808080), 121);
	EXPECT_EQ(pixel(21, 21), kQuarters[0]);
}

// A picture scaled over the whole screen becomes the picture's own pixels; what is drawn on it
// must not reach the scaled copy kept for the next composition (config mode's).
TEST_F(render_test, ImageOverTheWholeScreenComesBackCleanNextTime)
{
	view->baseimg = make_quarters(64, 48, kQuarters);
	base_mode = kBaseFitScreen;
	object* item = add_object(kTypeMonth + 1, BRect(10, 10, 20, 20));
	item->bg_color = 0xff808080;
	view->create_wallpaper();
	item->bounds = BRect(30, 30, 40, 40);
	view->create_wallpaper();
	EXPECT_EQ(count(BRect(10, 10, 20, 20), kQuarters[0]), 121);
	EXPECT_EQ(count(BRect(30, 30, 40, 40), 0x808080), 121);
	EXPECT_EQ(pixel(1023, 767), kQuarters[3]);
	EXPECT_NE(view->baseimg, nullptr);
}

TEST_F(render_test, CreateModeLetsTheImageGoOnceDrawn)
{
	view->keep_base = false;
	view->baseimg = make_quarters(64, 48, kQuarters);
	base_mode = kBaseFitScreen;
	view->create_wallpaper();
	EXPECT_EQ(view->baseimg, nullptr);
	EXPECT_EQ(pixel(0, 0), kQuarters[0]);
	EXPECT_EQ(pixel(1023, 767), kQuarters[3]);
}

// --- Decoding base images: every readable kind of file, and files that are no image.

namespace {

void put16(std::string* out, unsigned value)
{
	out->push_back(value & 0xff);
	out->push_back(value >> 8);
}

enum {
	kTargaBottomUp = 1,
	kTargaRunLength = 2,
	kTargaMapped = 4,
	kTarga16 = 8,
	kTarga32EmptyAlpha = 16,
};

// A Targa of the four quarters in one of the ways writers lay it out.
std::string targa(int width, int height, const uint32 colours[4], int flags)
{
	bool mapped = flags & kTargaMapped;
	int depth = mapped ? 8 : flags & kTarga16 ? 16 : flags & kTarga32EmptyAlpha ? 32 : 24;
	std::string out = {0, (char)mapped, (char)((mapped ? 1 : 2) | (flags & kTargaRunLength ? 8 : 0)),
		0, 0};
	put16(&out, mapped ? 4 : 0);
	out.push_back(mapped ? 24 : 0);
	put16(&out, 0);
	put16(&out, 0);
	put16(&out, width);
	put16(&out, height);
	out.push_back(depth);
	out.push_back((flags & kTargaBottomUp ? 0 : 0x20) | (depth == 32 ? 8 : 0));
	auto colour = [&](uint32 c) {
		out.push_back(c & 0xff);
		out.push_back((c >> 8) & 0xff);
		out.push_back((c >> 16) & 0xff);
	};
	if (mapped) {
		for (int i = 0; i < 4; i++)
			colour(colours[i]);
	}
	auto pixel = [&](int quarter) {
		uint32 c = colours[quarter];
		if (mapped) {
			out.push_back(quarter);
		} else if (depth == 16) {
			put16(&out, ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31));
		} else {
			colour(c);
			if (depth == 32)
				out.push_back(0);
		}
	};
	for (int row = 0; row < height; row++) {
		int y = flags & kTargaBottomUp ? height - 1 - row : row;
		int top = y >= height / 2 ? 2 : 0;
		if (flags & kTargaRunLength) {
			// Two runs a row: the left and the right quarter.
			for (int half = 0; half < 2; half++) {
				out.push_back(0x80 | (width / 2 - 1));
				pixel(top + half);
			}
		} else {
			for (int x = 0; x < width; x++)
				pixel(top + (x >= width / 2));
		}
	}
	return out;
}

// A GIF whose four colours are coded one pixel a code, with a clear code after every two
// so the code width never grows: valid LZW without a compressor.
std::string gif(int width, int height, const uint32 colours[4])
{
	std::string out = "GIF89a";
	put16(&out, width);
	put16(&out, height);
	out += {(char)0x91, 0, 0};
	for (int i = 0; i < 4; i++) {
		out.push_back((colours[i] >> 16) & 0xff);
		out.push_back((colours[i] >> 8) & 0xff);
		out.push_back(colours[i] & 0xff);
	}
	out.push_back(0x2c);
	put16(&out, 0);
	put16(&out, 0);
	put16(&out, width);
	put16(&out, height);
	out.push_back(0);
	out.push_back(2);

	std::string codes;
	uint32 bits = 0;
	int used = 0;
	auto emit = [&](unsigned code) {
		bits |= code << used;
		used += 3;
		while (used >= 8) {
			codes.push_back(bits & 0xff);
			bits >>= 8;
			used -= 8;
		}
	};
	for (int i = 0; i < width * height; i++) {
		if (i % 2 == 0)
			emit(4);
		int x = i % width, y = i / width;
		emit((y >= height / 2) * 2 + (x >= width / 2));
	}
	emit(5);
	if (used > 0)
		codes.push_back(bits & 0xff);
	for (size_t at = 0; at < codes.size(); at += 255) {
		std::string block = codes.substr(at, 255);
		out.push_back(block.size());
		out += block;
	}
	out.push_back(0);
	out.push_back(0x3b);
	return out;
}

struct load_case {
	const char* name;
	const char* file;
	uint32 type;  // written through the roster, or 0 for a file made by make
	std::string (*make)();
	int tolerance;
};
TEVRA_PRINT_CASE(load_case)

int channel_distance(uint32 a, uint32 b)
{
	int worst = 0;
	for (int shift = 0; shift < 24; shift += 8)
		worst = std::max(worst, std::abs((int)((a >> shift) & 0xff) - (int)((b >> shift) & 0xff)));
	return worst;
}

}

class load_test : public render_test, public testing::WithParamInterface<load_case> {};

TEST_P(load_test, DecodesTheImageAndRecordsItsPath)
{
	const load_case& c = GetParam();
	temp_dir dir;
	std::string path = dir.file(c.file);
	if (c.type != 0) {
		ASSERT_EQ(encode_file(make_quarters(64, 48, kQuarters), c.type, path), B_OK);
	} else {
		dir.write(c.file, c.make());
	}

	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK);
	view->load(&ref);
	ASSERT_NE(view->baseimg, nullptr);
	EXPECT_EQ(view->baseimg->Bounds(), BRect(0, 0, 63, 47));
	EXPECT_STREQ(baseimgpath, path.c_str());
	const BPoint corners[] = {{2, 2}, {61, 2}, {2, 45}, {61, 45}};
	for (int i = 0; i < 4; i++) {
		EXPECT_LE(channel_distance(pixel_of(view->baseimg, corners[i].x, corners[i].y),
			kQuarters[i]), c.tolerance) << i;
	}

	// And the picture shows it.
	base_mode = kBaseFitScreen;
	view->create_wallpaper();
	EXPECT_LE(channel_distance(pixel(10, 10), kQuarters[0]), c.tolerance);
	EXPECT_LE(channel_distance(pixel(1013, 757), kQuarters[3]), c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(render, load_test, testing::Values(
	load_case{"Png", "base.png", B_PNG_FORMAT, nullptr, 0},
	load_case{"Jpeg", "base.jpg", B_JPEG_FORMAT, nullptr, 24},
	load_case{"Bmp", "base.bmp", B_BMP_FORMAT, nullptr, 0},
	load_case{"Tiff", "base.tif", B_TIFF_FORMAT, nullptr, 0},
	load_case{"WebP", "base.webp", B_WEBP_FORMAT, nullptr, 24},
	load_case{"NameSaysNothing_ContentDecides", "base", B_PNG_FORMAT, nullptr, 0},
	load_case{"Gif", "base.gif", 0, [] { return gif(64, 48, kQuarters); }, 0},
	load_case{"Targa_TopDown", "base.tga", 0, [] { return targa(64, 48, kQuarters, 0); }, 0},
	load_case{"Targa_BottomUp", "base.tga", 0,
		[] { return targa(64, 48, kQuarters, kTargaBottomUp); }, 0},
	load_case{"Targa_RunLength", "base.tga", 0,
		[] { return targa(64, 48, kQuarters, kTargaRunLength | kTargaBottomUp); }, 0},
	load_case{"Targa_ColourMapped", "base.tga", 0,
		[] { return targa(64, 48, kQuarters, kTargaMapped); }, 0},
	load_case{"Targa_ColourMappedRunLength", "base.tga", 0,
		[] { return targa(64, 48, kQuarters, kTargaMapped | kTargaRunLength); }, 0},
	load_case{"Targa_16Bit", "base.tga", 0, [] { return targa(64, 48, kQuarters, kTarga16); }, 0},
	load_case{"Targa_32BitEmptyAlpha_Opaque", "base.tga", 0,
		[] { return targa(64, 48, kQuarters, kTarga32EmptyAlpha); }, 0}),
	case_name<load_case>);

struct bad_load_case {
	const char* name;
	std::string content;  // of the file; the file is missing when empty
};
TEVRA_PRINT_CASE(bad_load_case)

class failed_load : public render_test, public testing::WithParamInterface<bad_load_case> {};

TEST_P(failed_load, LeavesNoBaseImageAndThePathAsItWas)
{
	temp_dir dir;
	std::string good = dir.file("good.png");
	ASSERT_EQ(encode_file(make_quarters(64, 48, kQuarters), B_PNG_FORMAT, good), B_OK);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(good.c_str(), &ref), B_OK);
	view->load(&ref);
	ASSERT_NE(view->baseimg, nullptr);

	const std::string& content = GetParam().content;
	if (!content.empty())
		dir.write("bad.png", content);
	ASSERT_EQ(get_ref_for_path(dir.file("bad.png").c_str(), &ref), B_OK);
	view->load(&ref);
	EXPECT_EQ(view->baseimg, nullptr);
	EXPECT_STREQ(baseimgpath, good.c_str());

	base_mode = kBaseFitScreen;
	view->create_wallpaper();
	EXPECT_EQ(count(scrn, kBase), 1024 * 768);
}

INSTANTIATE_TEST_SUITE_P(render, failed_load, testing::Values(
	bad_load_case{"MissingFile", ""},
	bad_load_case{"Text", "base_type\t1\n"},
	bad_load_case{"PngSignatureOnly", "\x89PNG\r\n\x1a\n"},
	bad_load_case{"GifHeaderOnly", "GIF89a"},
	bad_load_case{"TargaCutShort", targa(64, 48, kQuarters, 0).substr(0, 4000)},
	bad_load_case{"TargaRunLengthCutShort",
		targa(64, 48, kQuarters, kTargaRunLength).substr(0, 200)}),
	case_name<bad_load_case>);

TEST_F(render_test, TruncatedImageLeavesNoBaseImage)
{
	temp_dir dir;
	std::string path = dir.file("cut.png");
	ASSERT_EQ(encode_file(make_quarters(640, 480, kQuarters), B_PNG_FORMAT, path), B_OK);
	std::string whole = dir.read("cut.png");
	dir.write("cut.png", whole.substr(0, whole.size() / 2));
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK);
	view->load(&ref);
	EXPECT_EQ(view->baseimg, nullptr);
	EXPECT_STREQ(baseimgpath, "");
}
