#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

#include <Bitmap.h>
#include <Font.h>

#include "model/design_keys.h"
#include "model/globals.h"
#include "model/object.h"
#include "model/tevraview.h"

namespace {

// A calendar's key as the file writes it, even when the key is quiet and holds its default.
std::string line_of(const design_key& key, object* item)
{
	design_key loud = key;
	loud.quiet = false;
	std::string text;
	write_key_value(&text, loud, item);
	return text;
}

// Every key of two calendars but bounds, font numbers beside their fonts.
void expect_same_but_bounds(object* a, object* b)
{
	for (size_t k = 0; k < kDesignKeyCount; k++) {
		const design_key& key = kDesignKeys[k];
		if (key.global != nullptr || key.kind == kKeyBounds)
			continue;
		EXPECT_EQ(line_of(key, a), line_of(key, b));
		if (key.kind == kKeyFont) {
			EXPECT_EQ(*(int32*)((char*)a + key.number), *(int32*)((char*)b + key.number))
				<< key.name;
		}
	}
}

// --- A new object and a copy.

TEST(ObjectCopy, MovesFiftyRightAndDownKeepingEverythingElse)
{
	object original(nullptr);
	original.bounds.Set(100, 100, 300, 250);
	original.type = kTypeYear;
	original.when = -3;
	original.bg_type = 1;
	original.bg_color = 0x80112233;
	original.year_type = 2;
	set_font_name(original.year_font, "IPAGothic", "Regular");
	original.year_size = 31;
	original.year_color = 0x00010203;
	original.month_type = 3;
	set_font_name(original.month_font, "DejaVu Serif", "Bold Italic");
	original.month_size = 17;
	original.month_color = 0x00040506;
	set_font_name(original.day_font, "No Such Family", "");
	original.day_size = 9;
	original.day_color = 0x00070809;
	original.sun_color = 0x00aa0000;
	original.sat_color = 0x000000aa;
	original.hol_color = 0x00aa5500;
	original.today_mark = 2;
	original.today_color = 0x00123456;
	original.year_font_no = 4;
	original.month_font_no = 5;
	original.day_font_no = 6;

	object copy(&original);
	EXPECT_EQ(copy.bounds, BRect(150, 150, 350, 300));
	EXPECT_EQ(original.bounds, BRect(100, 100, 300, 250));
	expect_same_but_bounds(&copy, &original);
}

TEST(ObjectCopy, FractionalBoundsKeepTheirFractions)
{
	object original(nullptr);
	original.bounds.Set(0.5f, -20.25f, 10.75f, 3);
	object copy(&original);
	EXPECT_EQ(copy.bounds, BRect(50.5f, 29.75f, 60.75f, 53));
}

TEST(ObjectCopy, CopyOfACopyMovesAgain)
{
	object original(nullptr);
	original.bounds.Set(0, 0, 10, 10);
	object first(&original);
	object second(&first);
	EXPECT_EQ(second.bounds, BRect(100, 100, 110, 110));
}

// A new calendar holds every default the key table gives; fonts and bounds, which the
// machine decides, are checked below.
TEST(ObjectDefault, HoldsTheKeyTablesDefaults)
{
	object o(nullptr);
	for (size_t k = 0; k < kDesignKeyCount; k++) {
		const design_key& key = kDesignKeys[k];
		if (key.global == nullptr && key.def != nullptr) {
			EXPECT_EQ(line_of(key, &o), std::string(key.name) + "\t" + key.def + "\n");
		}
	}
}

TEST(ObjectDefault, FontsAreThePlainFont)
{
	font_family family;
	font_style style;
	be_plain_font->GetFamilyAndStyle(&family, &style);
	ASSERT_NE(family[0], '\0');
	object o(nullptr);
	for (const font_name* name : {&o.year_font, &o.month_font, &o.day_font}) {
		EXPECT_STREQ((*name)[0], family);
		EXPECT_STREQ((*name)[1], style);
	}
	EXPECT_EQ(o.year_font_no, dfn);
	EXPECT_EQ(o.month_font_no, dfn);
	EXPECT_EQ(o.day_font_no, dfn);
}

TEST(ObjectDefault, BoundsFollowTheScreen)
{
	BRect saved = scrn;
	scrn.Set(0, 0, 1919, 1079);
	object o(nullptr);
	scrn = saved;
	EXPECT_EQ(o.bounds, BRect(479.75f, 269.75f, 1439.25f, 809.25f));
}

// --- Font names: cut between UTF-8 characters to fit 128 bytes.

struct cut_row {
	const char* name;
	std::string prefix;
	size_t want_length;
};

void PrintTo(const cut_row& row, std::ostream* out)
{
	*out << row.name;
}

// 66 three-byte characters (198 bytes) after a short ASCII prefix: at most 127 bytes fit.
const cut_row cut_rows[] = {
	{"no_prefix_cuts_to_126", "", 126},
	{"one_byte_prefix_fits_127", "a", 127},
	{"two_byte_prefix_cuts_to_125", "ab", 125},
};

class FontNameCut : public ::testing::TestWithParam<cut_row> {};

bool valid_utf8(const char* s)
{
	for (const unsigned char* p = (const unsigned char*)s; *p != 0;) {
		int extra = *p < 0x80 ? 0 : (*p & 0xe0) == 0xc0 ? 1 : (*p & 0xf0) == 0xe0 ? 2
			: (*p & 0xf8) == 0xf0 ? 3 : -1;
		if (extra < 0)
			return false;
		p++;
		for (int i = 0; i < extra; i++, p++) {
			if ((*p & 0xc0) != 0x80)
				return false;
		}
	}
	return true;
}

TEST_P(FontNameCut, KeepsWholeCharacters)
{
	std::string family = GetParam().prefix;
	for (int i = 0; i < 66; i++)
		family += "\xe3\x81\x82"; // あ
	std::string style = family + family;
	font_name name;
	memset(name, 'x', sizeof(name));
	set_font_name(name, family.c_str(), style.c_str());
	EXPECT_EQ(strlen(name[0]), GetParam().want_length);
	EXPECT_TRUE(valid_utf8(name[0]));
	EXPECT_EQ(family.compare(0, strlen(name[0]), name[0]), 0);
	EXPECT_LT(strlen(name[1]), (size_t)kFontNameLength);
	EXPECT_TRUE(valid_utf8(name[1]));
}

INSTANTIATE_TEST_SUITE_P(Prefixes, FontNameCut, ::testing::ValuesIn(cut_rows),
	[](const ::testing::TestParamInfo<cut_row>& info) { return std::string(info.param.name); });

TEST(FontName, ShortNamesAreKeptAsTheyAre)
{
	font_name name;
	set_font_name(name, "DejaVu Sans", "Bold");
	EXPECT_STREQ(name[0], "DejaVu Sans");
	EXPECT_STREQ(name[1], "Bold");
	set_font_name(name, "", "");
	EXPECT_STREQ(name[0], "");
	EXPECT_STREQ(name[1], "");
	std::string exact(127, 'f');
	set_font_name(name, exact.c_str(), "s");
	EXPECT_EQ(std::string(name[0]), exact);
}

// --- clr_obj puts every setting back, and leaves the catalogues alone.

TEST(ClearObjects, RestoresEveryDefault)
{
	tevraview view(BRect(0, 0, 99, 99));
	BList fontsBefore = fontl;
	BList formatsBefore = xlt;
	int32 trcBefore = trc;
	int32 dfnBefore = dfn;
	BRect scrnBefore = scrn;

	obl.AddItem(new object(nullptr));
	obl.AddItem(new object(nullptr));
	sel_no = 1;
	view.baseimg = new BBitmap(BRect(0, 0, 3, 3), B_RGB32);
	strcpy(baseimgpath, "/boot/home/base.png");
	base_mode = kBaseFitRect;
	base_color = 0x123456;
	bg_bounds.Set(1, 2, 3, 4);
	outfmt = 99;
	autoset = true;
	textback = false;
	scrn_color = 0xabcdef;
	screens = 1;
	design_language = "de";

	view.clr_obj();

	EXPECT_EQ(obl.CountItems(), 0);
	EXPECT_EQ(sel_no, -1);
	EXPECT_EQ(view.baseimg, nullptr);
	// An empty image or list writes no line; the image's path is checked below.
	for (size_t k = 0; k < kDesignKeyCount; k++) {
		const design_key& key = kDesignKeys[k];
		bool lineless = key.kind == kKeyImage || key.kind == kKeySources;
		if (key.global != nullptr && key.def != nullptr && !lineless) {
			EXPECT_EQ(line_of(key, nullptr), std::string(key.name) + "\t" + key.def + "\n");
		}
	}
	EXPECT_STREQ(baseimgpath, "");
	EXPECT_EQ(bg_bounds, scrn);
	EXPECT_NE(outfmt, 99);

	EXPECT_EQ(scrn, scrnBefore);
	EXPECT_EQ(trc, trcBefore);
	EXPECT_EQ(dfn, dfnBefore);
	ASSERT_EQ(fontl.CountItems(), fontsBefore.CountItems());
	for (int32 i = 0; i < fontl.CountItems(); i++)
		EXPECT_EQ(fontl.ItemAt(i), fontsBefore.ItemAt(i)) << i;
	ASSERT_EQ(xlt.CountItems(), formatsBefore.CountItems());
	for (int32 i = 0; i < xlt.CountItems(); i++)
		EXPECT_EQ(xlt.ItemAt(i), formatsBefore.ItemAt(i)) << i;
}

TEST(ClearObjects, NewViewStartsFromDefaults)
{
	base_mode = kBaseCenter;
	autoset = true;
	obl.AddItem(new object(nullptr));
	tevraview view(BRect(0, 0, 9, 9));
	EXPECT_EQ(obl.CountItems(), 0);
	EXPECT_EQ(base_mode, 1);
	EXPECT_FALSE(autoset);
	EXPECT_EQ(view.baseimg, nullptr);
}

TEST(ClearObjects, ViewLeavesDefaultsBehindWhenDeleted)
{
	tevraview* view = new tevraview(BRect(0, 0, 9, 9));
	obl.AddItem(new object(nullptr));
	scrn_color = 0x010101;
	delete view;
	EXPECT_EQ(obl.CountItems(), 0);
	EXPECT_EQ(scrn_color, 0x336699u);
}

// --- The wallpaper bitmap has the screen's size, whatever the view's frame.

struct frame_row {
	const char* name;
	BRect frame;
};

void PrintTo(const frame_row& row, std::ostream* out)
{
	*out << row.name;
}

class Wallpaper : public ::testing::TestWithParam<frame_row> {};

TEST_P(Wallpaper, HasTheScreensSize)
{
	tevraview view(GetParam().frame);
	ASSERT_NE(view.wallbmp, nullptr);
	ASSERT_TRUE(view.wallbmp->IsValid());
	EXPECT_EQ(view.wallbmp->Bounds(), scrn);
	EXPECT_EQ(view.wallbmp->ColorSpace(), B_RGB32);
	EXPECT_EQ(view.wallbmp->BytesPerRow(), (scrn.IntegerWidth() + 1) * 4);
	EXPECT_EQ(view.wallbmp->BitsLength(), (scrn.IntegerWidth() + 1) * (scrn.IntegerHeight() + 1) * 4);
	EXPECT_EQ(view.Frame(), GetParam().frame);
}

INSTANTIATE_TEST_SUITE_P(Frames, Wallpaper, ::testing::Values(
		frame_row{"larger_than_screen", BRect(0, 0, 4095, 2159)},
		frame_row{"small", BRect(0, 0, 99, 99)},
		frame_row{"preview_sized", BRect(10, 30, 1500, 1070)},
		frame_row{"empty", BRect()}),
	[](const ::testing::TestParamInfo<frame_row>& info) { return std::string(info.param.name); });

TEST(WallpaperScreen, IsTheMainScreenFrame)
{
	// The tests run on Qt's offscreen platform; its screen is what scrn was taken from.
	EXPECT_EQ(scrn.left, 0);
	EXPECT_EQ(scrn.top, 0);
	EXPECT_GT(scrn.right, 0);
	EXPECT_GT(scrn.bottom, 0);
}

}
