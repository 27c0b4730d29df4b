#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <Bitmap.h>
#include <Font.h>
#include <View.h>

// Failures show colours as numbers; rgb_color lives in the global namespace, so does this.
static std::ostream& operator<<(std::ostream& out, const rgb_color& c)
{
	return out << "(" << (int)c.red << "," << (int)c.green << "," << (int)c.blue << ","
		<< (int)c.alpha << ")";
}

namespace {

const rgb_color kBlack = make_color(0, 0, 0);
const rgb_color kWhite = make_color(255, 255, 255);

// A B_RGB32 bitmap with a view attached, filled with one colour, as the renderer draws.
class canvas {
public:
	canvas(int width, int height, rgb_color background)
		: fBitmap(BRect(0, 0, width - 1, height - 1), B_RGB32, true, false),
		fView(new BView(fBitmap.Bounds(), "canvas", B_FOLLOW_ALL_SIDES, B_WILL_DRAW))
	{
		fBitmap.AddChild(fView);
		fBitmap.Lock();
		fView->SetHighColor(background);
		fView->FillRect(fBitmap.Bounds());
	}
	~canvas()
	{
		fView->Sync();
		fBitmap.Unlock();
		fBitmap.RemoveChild(fView);
		delete fView;
	}

	BView* view() { return fView; }
	int width() const { return fBitmap.Bounds().IntegerWidth() + 1; }
	int height() const { return fBitmap.Bounds().IntegerHeight() + 1; }

	// The pixel as stored: blue, green, red, alpha bytes.
	rgb_color at(int x, int y)
	{
		fView->Sync();
		const uint8* p = (const uint8*)fBitmap.Bits() + y * fBitmap.BytesPerRow() + x * 4;
		return make_color(p[2], p[1], p[0], p[3]);
	}
	std::string bytes()
	{
		fView->Sync();
		return std::string((const char*)fBitmap.Bits(), fBitmap.BitsLength());
	}
	// Every byte different, so an inversion that misses or repeats a pixel shows.
	void fill_pattern()
	{
		fView->Sync();
		for (int y = 0; y < height(); y++) {
			uint8* row = (uint8*)fBitmap.Bits() + y * fBitmap.BytesPerRow();
			for (int x = 0; x < width(); x++) {
				row[x * 4 + 0] = x * 7 + y;
				row[x * 4 + 1] = x * 3 + y * 11;
				row[x * 4 + 2] = 255 - x - y * 5;
				row[x * 4 + 3] = 255;
			}
		}
	}
	int count_not(rgb_color background)
	{
		int count = 0;
		for (int y = 0; y < height(); y++) {
			for (int x = 0; x < width(); x++)
				count += at(x, y) != background;
		}
		return count;
	}

	BBitmap* bitmap() { return &fBitmap; }

private:
	BBitmap fBitmap;
	BView* fView;
};

// --- FillRect covers its right and bottom edges, and nothing more.

struct edge_row {
	const char* name;
	BRect fill;
	int left, top, right, bottom; // the pixels expected, inclusive; right < left for none
};

void PrintTo(const edge_row& row, std::ostream* out)
{
	*out << row.name;
}

const edge_row edge_rows[] = {
	{"block", BRect(5, 5, 14, 9), 5, 5, 14, 9},
	{"single_pixel", BRect(3, 3, 3, 3), 3, 3, 3, 3},
	{"fractional", BRect(5.3f, 5.7f, 14.6f, 9.2f), 5, 5, 14, 9},
	{"past_the_bitmap", BRect(30, 20, 100, 100), 30, 20, 39, 29},
	{"whole_bitmap", BRect(0, 0, 39, 29), 0, 0, 39, 29},
	{"inverted_rect", BRect(5, 5, 4, 9), 0, 0, -1, -1},
};

class FillRectEdges : public ::testing::TestWithParam<edge_row> {};

TEST_P(FillRectEdges, CoverExactly)
{
	const edge_row& row = GetParam();
	canvas c(40, 30, kBlack);
	c.view()->SetHighColor(kWhite);
	c.view()->FillRect(row.fill);
	for (int y = 0; y < c.height(); y++) {
		for (int x = 0; x < c.width(); x++) {
			bool inside = x >= row.left && x <= row.right && y >= row.top && y <= row.bottom;
			ASSERT_EQ(c.at(x, y), inside ? kWhite : kBlack) << "pixel " << x << "," << y;
		}
	}
}

INSTANTIATE_TEST_SUITE_P(Rects, FillRectEdges, ::testing::ValuesIn(edge_rows),
	[](const ::testing::TestParamInfo<edge_row>& info) { return std::string(info.param.name); });

// --- Drawing modes.

struct blend_row {
	const char* name;
	drawing_mode mode;
	rgb_color background, high, want;
	int tolerance;
};

void PrintTo(const blend_row& row, std::ostream* out)
{
	*out << row.name;
}

const blend_row blend_rows[] = {
	{"alpha_half_white_over_black", B_OP_ALPHA, kBlack, make_color(255, 255, 255, 0x80),
		make_color(0x80, 0x80, 0x80), 1},
	{"alpha_half_black_over_white", B_OP_ALPHA, kWhite, make_color(0, 0, 0, 0x80),
		make_color(0x7f, 0x7f, 0x7f), 1},
	{"alpha_quarter_red_over_blue", B_OP_ALPHA, make_color(0, 0, 255),
		make_color(255, 0, 0, 0x40), make_color(0x40, 0, 0xbf), 1},
	{"alpha_transparent_leaves_picture", B_OP_ALPHA, make_color(10, 20, 30),
		make_color(255, 255, 255, 0), make_color(10, 20, 30), 0},
	{"alpha_opaque_replaces", B_OP_ALPHA, kBlack, make_color(1, 2, 3, 255),
		make_color(1, 2, 3), 0},
	{"copy_ignores_half_alpha", B_OP_COPY, kBlack, make_color(255, 255, 255, 0x80), kWhite, 0},
	{"copy_ignores_zero_alpha", B_OP_COPY, kBlack, make_color(0x33, 0x66, 0x99, 0),
		make_color(0x33, 0x66, 0x99), 0},
};

class DrawingMode : public ::testing::TestWithParam<blend_row> {};

TEST_P(DrawingMode, FillBlends)
{
	const blend_row& row = GetParam();
	canvas c(8, 8, row.background);
	c.view()->SetDrawingMode(row.mode);
	c.view()->SetHighColor(row.high);
	c.view()->FillRect(BRect(2, 2, 5, 5));
	rgb_color got = c.at(3, 3);
	EXPECT_NEAR(got.red, row.want.red, row.tolerance) << got;
	EXPECT_NEAR(got.green, row.want.green, row.tolerance) << got;
	EXPECT_NEAR(got.blue, row.want.blue, row.tolerance) << got;
	// The picture stays opaque, and nothing outside the rectangle changes.
	EXPECT_EQ(got.alpha, 255);
	EXPECT_EQ(c.at(1, 3), row.background);
	EXPECT_EQ(c.at(6, 3), row.background);
}

INSTANTIATE_TEST_SUITE_P(Modes, DrawingMode, ::testing::ValuesIn(blend_rows),
	[](const ::testing::TestParamInfo<blend_row>& info) { return std::string(info.param.name); });

struct invert_row {
	const char* name;
	std::function<void(BView*)> draw;
};

void PrintTo(const invert_row& row, std::ostream* out)
{
	*out << row.name;
}

const invert_row invert_rows[] = {
	{"fill_rect", [](BView* v) { v->FillRect(BRect(3, 4, 20, 15)); }},
	{"fill_rect_fractional", [](BView* v) { v->FillRect(BRect(3.5f, 4.25f, 20.75f, 15.5f)); }},
	{"fill_round_rect", [](BView* v) { v->FillRoundRect(BRect(2, 2, 30, 20), 6, 6); }},
	{"fill_round_rect_fractional",
		[](BView* v) { v->FillRoundRect(BRect(2.3f, 1.6f, 29.7f, 20.2f), 5.5f, 4.5f); }},
	{"fill_ellipse", [](BView* v) { v->FillEllipse(BRect(4, 4, 28, 19)); }},
	{"stroke_ellipse", [](BView* v) { v->StrokeEllipse(BRect(4, 4, 28, 19)); }},
	{"draw_string", [](BView* v) {
		v->SetFontSize(14);
		v->DrawString("Wq", BPoint(3, 18));
	}},
};

class InvertMode : public ::testing::TestWithParam<invert_row> {};

TEST_P(InvertMode, TwiceRestoresThePicture)
{
	canvas c(36, 24, kBlack);
	c.fill_pattern();
	std::string before = c.bytes();
	c.view()->SetDrawingMode(B_OP_INVERT);
	GetParam().draw(c.view());
	std::string once = c.bytes();
	ASSERT_NE(once, before) << "the first pass changed nothing";
	GetParam().draw(c.view());
	EXPECT_TRUE(c.bytes() == before) << "the second pass did not restore every byte";
}

TEST_P(InvertMode, FlipsColourKeepsAlpha)
{
	canvas c(36, 24, kBlack);
	c.fill_pattern();
	std::string before = c.bytes();
	c.view()->SetDrawingMode(B_OP_INVERT);
	GetParam().draw(c.view());
	std::string after = c.bytes();
	for (size_t i = 0; i < before.size(); i += 4) {
		bool same = after.compare(i, 4, before, i, 4) == 0;
		if (same)
			continue;
		for (int k = 0; k < 3; k++)
			ASSERT_EQ((uint8)after[i + k], (uint8)~before[i + k]) << "byte " << i + k;
		ASSERT_EQ((uint8)after[i + 3], 255) << "alpha at " << i;
	}
}

INSTANTIATE_TEST_SUITE_P(Shapes, InvertMode, ::testing::ValuesIn(invert_rows),
	[](const ::testing::TestParamInfo<invert_row>& info) { return std::string(info.param.name); });

TEST(InvertModeRect, InvertsExactlyTheRectangle)
{
	canvas c(12, 12, make_color(0x33, 0x66, 0x99));
	c.view()->SetDrawingMode(B_OP_INVERT);
	c.view()->FillRect(BRect(2, 3, 6, 8));
	EXPECT_EQ(c.at(2, 3), make_color(0xcc, 0x99, 0x66));
	EXPECT_EQ(c.at(6, 8), make_color(0xcc, 0x99, 0x66));
	EXPECT_EQ(c.at(7, 8), make_color(0x33, 0x66, 0x99));
	EXPECT_EQ(c.at(6, 9), make_color(0x33, 0x66, 0x99));
	EXPECT_EQ(c.count_not(make_color(0x33, 0x66, 0x99)), 5 * 6);
}

// --- Bitmaps drawn into a destination.

TEST(DrawBitmap, ScalesWholeBitmapIntoDestination)
{
	// Four quadrant colours in a 2 x 2 bitmap, drawn ten times larger.
	BBitmap source(BRect(0, 0, 1, 1), B_RGB32);
	const rgb_color quadrant[4] = {make_color(255, 0, 0), make_color(0, 255, 0),
		make_color(0, 0, 255), make_color(255, 255, 0)};
	for (int i = 0; i < 4; i++) {
		uint8* p = (uint8*)source.Bits() + (i / 2) * source.BytesPerRow() + (i % 2) * 4;
		p[0] = quadrant[i].blue;
		p[1] = quadrant[i].green;
		p[2] = quadrant[i].red;
		p[3] = 255;
	}
	canvas c(40, 40, kBlack);
	c.view()->DrawBitmap(&source, BRect(10, 10, 29, 29));

	const int probes[4][2] = {{12, 12}, {27, 12}, {12, 27}, {27, 27}};
	for (int i = 0; i < 4; i++) {
		rgb_color got = c.at(probes[i][0], probes[i][1]);
		EXPECT_NEAR(got.red, quadrant[i].red, 24) << "quadrant " << i << " " << got;
		EXPECT_NEAR(got.green, quadrant[i].green, 24) << "quadrant " << i << " " << got;
		EXPECT_NEAR(got.blue, quadrant[i].blue, 24) << "quadrant " << i << " " << got;
	}
	// The destination's edges are covered; the pixels just outside are not.
	EXPECT_NE(c.at(10, 20), kBlack);
	EXPECT_NE(c.at(29, 20), kBlack);
	EXPECT_NE(c.at(20, 29), kBlack);
	EXPECT_EQ(c.at(9, 20), kBlack);
	EXPECT_EQ(c.at(30, 20), kBlack);
	EXPECT_EQ(c.at(20, 9), kBlack);
	EXPECT_EQ(c.at(20, 30), kBlack);
}

TEST(DrawBitmap, SameSizeCopiesPixelsExactly)
{
	canvas source(9, 7, kBlack);
	source.fill_pattern();
	canvas c(20, 20, kWhite);
	c.view()->DrawBitmap(source.bitmap(), BRect(5, 6, 13, 12));
	for (int y = 0; y < 7; y++) {
		for (int x = 0; x < 9; x++)
			ASSERT_EQ(c.at(5 + x, 6 + y), source.at(x, y)) << x << "," << y;
	}
	EXPECT_EQ(c.at(4, 6), kWhite);
	EXPECT_EQ(c.at(14, 12), kWhite);
}

// --- Ellipses.

TEST(StrokeEllipse, DrawsInPenColourInsideTheRect)
{
	const rgb_color red = make_color(255, 0, 0);
	canvas c(40, 30, kWhite);
	c.view()->SetHighColor(red);
	c.view()->SetPenSize(1);
	const BRect r(5, 5, 34, 24);
	c.view()->StrokeEllipse(r);

	int solid = 0;
	int darkest = 255;
	for (int y = 0; y < c.height(); y++) {
		for (int x = 0; x < c.width(); x++) {
			rgb_color p = c.at(x, y);
			if (p == kWhite)
				continue;
			EXPECT_TRUE(r.Contains(BPoint(x, y))) << "ink outside at " << x << "," << y;
			// Anti-aliased ink is a shade of the pen colour: red stays full, the rest fades.
			EXPECT_EQ(p.red, 255) << x << "," << y;
			EXPECT_EQ(p.green, p.blue) << x << "," << y;
			solid += p.green < 64;
			darkest = std::min<int>(darkest, p.green);
		}
	}
	// A one-pixel curve rarely covers a whole pixel, but it comes close all round.
	EXPECT_LE(darkest, 24);
	EXPECT_GT(solid, 20);
	// The four extreme points of the inscribed ellipse are inked; the middle is not.
	EXPECT_NE(c.at(5, 14), kWhite);
	EXPECT_NE(c.at(34, 14), kWhite);
	EXPECT_NE(c.at(19, 5), kWhite);
	EXPECT_NE(c.at(19, 24), kWhite);
	EXPECT_EQ(c.at(20, 15), kWhite);
}

TEST(StrokeEllipse, WiderPenInksMore)
{
	canvas thin(40, 30, kWhite);
	canvas thick(40, 30, kWhite);
	thin.view()->SetHighColor(kBlack);
	thick.view()->SetHighColor(kBlack);
	thick.view()->SetPenSize(4);
	thin.view()->StrokeEllipse(BRect(5, 5, 34, 24));
	thick.view()->StrokeEllipse(BRect(5, 5, 34, 24));
	EXPECT_GT(thick.count_not(kWhite), thin.count_not(kWhite) * 2);
}

// --- Fonts: sizes are pixels.

struct font_row {
	const char* name;
	const BFont* font;
};

void PrintTo(const font_row& row, std::ostream* out)
{
	*out << row.name;
}

class FontSize : public ::testing::TestWithParam<font_row> {};

float line_height(const BFont& font)
{
	font_height h;
	font.GetHeight(&h);
	return h.ascent + h.descent;
}

TEST_P(FontSize, HeightIsProportionalToSize)
{
	BFont font(GetParam().font);
	font.SetSize(20);
	float at20 = line_height(font);
	font.SetSize(40);
	float at40 = line_height(font);
	EXPECT_NEAR(at40, 2 * at20, 1.0f);
	EXPECT_GE(at40, 40.0f);
	EXPECT_LE(at40, 60.0f);
	EXPECT_GE(at20, 20.0f);
	EXPECT_LE(at20, 30.0f);
}

TEST_P(FontSize, WidthIsProportionalToSize)
{
	BFont font(GetParam().font);
	font.SetSize(20);
	float at20 = font.StringWidth("Calendar 2016");
	font.SetSize(40);
	float at40 = font.StringWidth("Calendar 2016");
	EXPECT_GT(at20, 0);
	EXPECT_NEAR(at40, 2 * at20, 2.0f);
}

// What a view draws is as wide as StringWidth says, so captions can be centred by it.
TEST_P(FontSize, DrawnTextMatchesStringWidth)
{
	canvas c(400, 80, kWhite);
	BFont font(GetParam().font);
	font.SetSize(40);
	c.view()->SetFont(&font, B_FONT_ALL);
	c.view()->SetHighColor(kBlack);
	const char text[] = "MMMM";
	c.view()->DrawString(text, BPoint(10, 60));
	int first = -1, last = -1;
	for (int x = 0; x < c.width(); x++) {
		for (int y = 0; y < c.height(); y++) {
			if (c.at(x, y) != kWhite) {
				if (first < 0)
					first = x;
				last = x;
				break;
			}
		}
	}
	ASSERT_GE(first, 0) << "nothing drawn";
	float width = c.view()->StringWidth(text);
	EXPECT_GE(first, 10 - 2);
	EXPECT_LE(last, 10 + width + 2);
	EXPECT_GE(last - first + 1, width * 0.8f);
}

INSTANTIATE_TEST_SUITE_P(SystemFonts, FontSize,
	::testing::Values(font_row{"plain", be_plain_font}, font_row{"bold", be_bold_font}),
	[](const ::testing::TestParamInfo<font_row>& info) { return std::string(info.param.name); });

// --- Japanese captions need fonts that hold their characters.

class JapaneseCaption : public ::testing::TestWithParam<const char*> {};

TEST_P(JapaneseCaption, HasFullWidthAdvance)
{
	BFont font(be_plain_font);
	font.SetSize(40);
	const char* text = GetParam();
	int characters = 0;
	for (const char* p = text; *p != '\0'; p++)
		characters += ((unsigned char)*p & 0xc0) != 0x80;
	float width = font.StringWidth(text);
	// Kanji are square: each advances about one em.
	EXPECT_GT(width, characters * 40 * 0.8f);
	EXPECT_LT(width, characters * 40 * 1.2f);
}

TEST_P(JapaneseCaption, PutsInkOnTheBitmap)
{
	canvas c(320, 64, kWhite);
	c.view()->SetFontSize(40);
	c.view()->SetHighColor(kBlack);
	c.view()->DrawString(GetParam(), BPoint(4, 48));
	EXPECT_GT(c.count_not(kWhite), 200);
}

INSTANTIATE_TEST_SUITE_P(Captions, JapaneseCaption,
	::testing::Values("平成二十八年", "振替休日", "国民の休日"),
	[](const ::testing::TestParamInfo<const char*>& info) {
		return "caption" + std::to_string(info.index);
	});

// A missing glyph draws the same box for every character; real glyphs all differ.
TEST(JapaneseGlyphs, EachCharacterDrawsItsOwnShape)
{
	const char* characters[] = {"振", "替", "休", "日", "平", "成"};
	std::vector<std::string> pictures;
	for (const char* character : characters) {
		canvas c(48, 48, kWhite);
		c.view()->SetFontSize(32);
		c.view()->SetHighColor(kBlack);
		c.view()->DrawString(character, BPoint(4, 38));
		pictures.push_back(c.bytes());
	}
	for (size_t i = 0; i < pictures.size(); i++) {
		for (size_t j = i + 1; j < pictures.size(); j++)
			EXPECT_NE(pictures[i], pictures[j]) << characters[i] << " and " << characters[j];
	}
}

// --- The font catalogue.

bool in_catalogue(const char* wantFamily, const char* wantStyle)
{
	for (int32 i = 0; i < count_font_families(); i++) {
		font_family family;
		if (get_font_family(i, &family) != B_OK || strcmp(family, wantFamily) != 0)
			continue;
		for (int32 j = 0; j < count_font_styles(family); j++) {
			font_style style;
			if (get_font_style(family, j, &style) == B_OK && strcmp(style, wantStyle) == 0)
				return true;
		}
	}
	return false;
}

TEST_P(FontSize, IsACatalogueEntry)
{
	font_family family;
	font_style style;
	GetParam().font->GetFamilyAndStyle(&family, &style);
	EXPECT_NE(family[0], '\0');
	EXPECT_TRUE(in_catalogue(family, style)) << family << " / " << style;
}

TEST(FontCatalogue, BoldDiffersFromPlainWhenTheFamilyHasABold)
{
	font_family plainFamily, boldFamily;
	font_style plainStyle, boldStyle;
	be_plain_font->GetFamilyAndStyle(&plainFamily, &plainStyle);
	be_bold_font->GetFamilyAndStyle(&boldFamily, &boldStyle);
	if (count_font_styles(plainFamily) < 2)
		GTEST_SKIP() << plainFamily << " has a single style";
	EXPECT_FALSE(strcmp(plainFamily, boldFamily) == 0 && strcmp(plainStyle, boldStyle) == 0)
		<< plainFamily << " / " << plainStyle;
}

TEST(FontCatalogue, EveryEntryCanBeChosen)
{
	ASSERT_GT(count_font_families(), 0);
	for (int32 i = 0; i < count_font_families(); i++) {
		font_family family;
		ASSERT_EQ(get_font_family(i, &family), B_OK);
		ASSERT_GT(count_font_styles(family), 0) << family;
		for (int32 j = 0; j < count_font_styles(family); j++) {
			font_style style;
			ASSERT_EQ(get_font_style(family, j, &style), B_OK) << family;
			BFont font;
			ASSERT_EQ(font.SetFamilyAndStyle(family, style), B_OK) << family << " / " << style;
			font_family gotFamily;
			font_style gotStyle;
			font.GetFamilyAndStyle(&gotFamily, &gotStyle);
			EXPECT_STREQ(gotFamily, family);
			EXPECT_STREQ(gotStyle, style);
		}
	}
}

TEST(FontCatalogue, OutOfRangeIndexesFail)
{
	font_family family;
	font_style style;
	EXPECT_NE(get_font_family(count_font_families(), &family), B_OK);
	EXPECT_NE(get_font_family(-1, &family), B_OK);
	ASSERT_EQ(get_font_family(0, &family), B_OK);
	EXPECT_NE(get_font_style(family, count_font_styles(family), &style), B_OK);
	EXPECT_EQ(count_font_styles("no such family at all"), 0);
}

TEST(FontCatalogue, UnknownFamilyLeavesFontUnchanged)
{
	BFont font(be_plain_font);
	EXPECT_NE(font.SetFamilyAndStyle("no such family at all", "Regular"), B_OK);
	EXPECT_TRUE(font == *be_plain_font);
}

}
