#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <Application.h>
#include <Bitmap.h>
#include <BitmapStream.h>
#include <Font.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include "app/tevra.h"
#include "model/catalogue_items.h"
#include "model/globals.h"
#include "model/tevraview.h"

namespace {

tevra* app()
{
	return (tevra*)be_app;
}

// A translator that reads bitmaps (or nothing) and offers the output formats it is given.
class stand_in : public BTranslator {
public:
	struct output {
		uint32 type;
		const char* mime;
		const char* name;
	};

	stand_in(const std::vector<output>& outputs, bool readsBitmaps = true)
		: fReadsBitmaps(readsBitmaps)
	{
		for (const output& o : outputs) {
			translation_format format;
			memset(&format, 0, sizeof(format));
			format.type = o.type;
			format.group = B_TRANSLATOR_BITMAP;
			strncpy(format.MIME, o.mime, sizeof(format.MIME) - 1);
			strncpy(format.name, o.name, sizeof(format.name) - 1);
			fOutputs.push_back(format);
		}
	}

	const char* TranslatorName() const override { return "stand-in"; }
	const char* TranslatorInfo() const override { return "stand-in"; }
	int32 TranslatorVersion() const override { return 1; }
	const translation_format* InputFormats(int32* count) const override
	{
		*count = 0;
		return nullptr;
	}
	const translation_format* OutputFormats(int32* count) const override
	{
		*count = fOutputs.size();
		return fOutputs.data();
	}
	status_t Identify(BPositionIO* source, const translation_format*, BMessage*,
		translator_info* info, uint32) override
	{
		char magic[4];
		if (!fReadsBitmaps || source->ReadAt(0, magic, 4) != 4 || memcmp(magic, "bits", 4) != 0)
			return B_NO_TRANSLATOR;
		memset(info, 0, sizeof(*info));
		info->type = B_TRANSLATOR_BITMAP;
		return B_OK;
	}
	status_t Translate(BPositionIO*, const translator_info*, BMessage*, uint32,
		BPositionIO*) override
	{
		return B_NO_TRANSLATOR;
	}

private:
	bool fReadsBitmaps;
	std::vector<translation_format> fOutputs;
};

// Swaps in a roster and empty format list for one test, and puts the real ones back.
class Catalogues : public ::testing::Test {
protected:
	void SetUp() override
	{
		fSavedRoster = tr;
		fSavedXlt = xlt;
		fSavedTrc = trc;
		fSavedOutfmt = outfmt;
		xlt.MakeEmpty();
		trc = 0;
		tr = &roster;
	}
	void TearDown() override
	{
		for (int32 i = 0; format_item* item = (format_item*)xlt.ItemAt(i); i++)
			delete item;
		xlt = fSavedXlt;
		trc = fSavedTrc;
		tr = fSavedRoster;
		outfmt = fSavedOutfmt;
	}

	format_item* entry(int32 index) { return (format_item*)xlt.ItemAt(index); }

	BTranslatorRoster roster;

private:
	BTranslatorRoster* fSavedRoster;
	BList fSavedXlt;
	int32 fSavedTrc;
	int32 fSavedOutfmt;
};

std::string code(uint32 type)
{
	return std::string{(char)(type >> 24), (char)(type >> 16), (char)(type >> 8), (char)type};
}

// --- The output format list from stand-in translators.

TEST_F(Catalogues, TargaFormatsStandFirstTheLaterFoundAtTheFront)
{
	roster.AddTranslator(new stand_in({{'PNG ', "image/png", "PNG"},
		{'TGA ', "image/x-targa", "Targa A"}}));
	roster.AddTranslator(new stand_in({{'TGA ', "image/x-tga", "Targa B"},
		{'BMP ', "image/bmp", "BMP"}}));
	app()->get_translator_for_output();

	ASSERT_EQ(trc, 4);
	ASSERT_EQ(xlt.CountItems(), 4);
	const char* want[] = {"Targa B", "Targa A", "PNG", "BMP"};
	const translator_id wantId[] = {2, 1, 1, 2};
	for (int32 i = 0; i < 4; i++) {
		EXPECT_STREQ(entry(i)->format_name, want[i]) << i;
		EXPECT_EQ(entry(i)->translator, wantId[i]) << i;
		EXPECT_EQ(entry(i)->menu_item, nullptr) << i;
	}
	EXPECT_EQ(code(entry(0)->type), "TGA ");
	EXPECT_STREQ(entry(0)->mime, "image/x-tga");
	EXPECT_EQ(code(entry(3)->type), "BMP ");
	EXPECT_STREQ(entry(3)->mime, "image/bmp");
}

struct skipped_row {
	const char* name;
	std::vector<stand_in::output> outputs;
	bool readsBitmaps;
};

void PrintTo(const skipped_row& row, std::ostream* out)
{
	*out << row.name;
}

const skipped_row skipped_rows[] = {
	{"only_bits", {{B_TRANSLATOR_BITMAP, "image/x-be-bitmap", "Be Bitmap"}}, true},
	{"only_mhi", {{'mhi!', "image/x-mhi", "mhi"}}, true},
	{"bits_and_mhi", {{'mhi!', "image/x-mhi", "mhi"},
		{B_TRANSLATOR_BITMAP, "image/x-be-bitmap", "Be Bitmap"}}, true},
	{"no_outputs", {}, true},
	{"cannot_read_bitmaps", {{'PNG ', "image/png", "PNG"}}, false},
};

class CataloguesSkip : public Catalogues, public ::testing::WithParamInterface<skipped_row> {};

TEST_P(CataloguesSkip, ContributesNothing)
{
	roster.AddTranslator(new stand_in(GetParam().outputs, GetParam().readsBitmaps));
	app()->get_translator_for_output();
	EXPECT_EQ(trc, 0);
	EXPECT_EQ(xlt.CountItems(), 0);
}

INSTANTIATE_TEST_SUITE_P(Translators, CataloguesSkip, ::testing::ValuesIn(skipped_rows),
	[](const ::testing::TestParamInfo<skipped_row>& info) { return std::string(info.param.name); });

TEST_F(Catalogues, BitmapFormatAmongOthersIsLeftOut)
{
	roster.AddTranslator(new stand_in({{'JPEG', "image/jpeg", "JPEG"},
		{B_TRANSLATOR_BITMAP, "image/x-be-bitmap", "Be Bitmap"}, {'mhi!', "image/x-mhi", "mhi"},
		{'WEBP', "image/webp", "WebP"}}));
	app()->get_translator_for_output();
	ASSERT_EQ(trc, 2);
	EXPECT_EQ(code(entry(0)->type), "JPEG");
	EXPECT_EQ(code(entry(1)->type), "WEBP");
}

TEST_F(Catalogues, SameMimeFromTwoTranslatorsGivesTwoEntries)
{
	roster.AddTranslator(new stand_in({{'PNG ', "image/png", "PNG one"}}));
	roster.AddTranslator(new stand_in({{'PNG ', "image/png", "PNG two"}}));
	app()->get_translator_for_output();
	ASSERT_EQ(trc, 2);
	EXPECT_STREQ(entry(0)->format_name, "PNG one");
	EXPECT_STREQ(entry(1)->format_name, "PNG two");
}

TEST_F(Catalogues, LongestNamesAreCopiedWhole)
{
	std::string mime = "image/" + std::string(244, 'm');
	std::string name(250, 'n');
	roster.AddTranslator(new stand_in({{'LONG', mime.c_str(), name.c_str()}}));
	app()->get_translator_for_output();
	ASSERT_EQ(trc, 1);
	EXPECT_EQ(std::string(entry(0)->mime), mime);
	EXPECT_EQ(std::string(entry(0)->format_name), name);
}

TEST_F(Catalogues, EmptyRosterGivesEmptyList)
{
	app()->get_translator_for_output();
	EXPECT_EQ(trc, 0);
	EXPECT_EQ(xlt.CountItems(), 0);
}

// --- The default output format: the first whose MIME type contains "png".

struct default_row {
	const char* name;
	std::vector<const char*> mimes;
	int32 want;
};

void PrintTo(const default_row& row, std::ostream* out)
{
	*out << row.name;
}

const default_row default_rows[] = {
	{"png_first", {"image/png", "image/jpeg"}, 0},
	{"png_third", {"image/bmp", "image/jpeg", "image/png", "image/x-png"}, 2},
	{"png_inside_a_longer_type", {"image/bmp", "image/x-apng"}, 1},
	{"no_png", {"image/bmp", "image/jpeg"}, 0},
	{"upper_case_png_does_not_count", {"image/bmp", "image/PNG"}, 0},
	{"empty_list", {}, 0},
};

class DefaultFormat : public Catalogues, public ::testing::WithParamInterface<default_row> {};

TEST_P(DefaultFormat, IsFirstPngOrZero)
{
	for (const char* mime : GetParam().mimes) {
		format_item* item = new format_item();
		strcpy(item->mime, mime);
		xlt.AddItem(item);
		trc++;
	}
	outfmt = 7;
	tevraview view(BRect(0, 0, 99, 99));
	EXPECT_EQ(outfmt, GetParam().want);
	outfmt = 7;
	view.clr_obj();
	EXPECT_EQ(outfmt, GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(Lists, DefaultFormat, ::testing::ValuesIn(default_rows),
	[](const ::testing::TestParamInfo<default_row>& info) { return std::string(info.param.name); });

// --- With the real roster and fonts, as the application built them at start.

TEST(RealCatalogues, DefaultFormatIsPng)
{
	ASSERT_GT(trc, 0);
	ASSERT_EQ(trc, xlt.CountItems());
	tevraview view(BRect(0, 0, 9, 9));
	format_item* chosen = (format_item*)xlt.ItemAt(outfmt);
	ASSERT_NE(chosen, nullptr);
	EXPECT_NE(strstr(chosen->mime, "png"), nullptr) << chosen->mime;
	EXPECT_EQ(code(chosen->type), "PNG ");
	for (int32 i = 0; i < outfmt; i++)
		EXPECT_EQ(strstr(((format_item*)xlt.ItemAt(i))->mime, "png"), nullptr) << i;
}

TEST(RealCatalogues, NoBitmapFormatAmongOutputs)
{
	for (int32 i = 0; i < trc; i++) {
		format_item* item = (format_item*)xlt.ItemAt(i);
		EXPECT_NE(item->type, (uint32)B_TRANSLATOR_BITMAP) << i;
		EXPECT_NE(item->mime[0], '\0') << i;
	}
}

// Builds the font catalogue afresh into an empty list, and puts the application's back.
class Fonts : public ::testing::Test {
protected:
	void SetUp() override
	{
		fSavedFonts = fontl;
		fSavedDfn = dfn;
		fontl.MakeEmpty();
		dfn = -1;
		app()->get_fonts();
	}
	void TearDown() override
	{
		for (int32 i = 0; font_item* item = (font_item*)fontl.ItemAt(i); i++)
			delete item;
		fontl = fSavedFonts;
		dfn = fSavedDfn;
	}

private:
	BList fSavedFonts;
	int32 fSavedDfn;
};

TEST_F(Fonts, ListEveryStyleAndDfnIsThePlainFont)
{
	int32 expected = 0;
	for (int32 i = 0; i < count_font_families(); i++) {
		font_family family;
		get_font_family(i, &family);
		expected += count_font_styles(family);
	}
	EXPECT_EQ(fontl.CountItems(), expected);

	font_family family;
	font_style style;
	be_plain_font->GetFamilyAndStyle(&family, &style);
	font_item* plain = (font_item*)fontl.ItemAt(dfn);
	ASSERT_NE(plain, nullptr) << "dfn " << dfn;
	EXPECT_STREQ(plain->family, family);
	EXPECT_STREQ(plain->style, style);
	for (BMenuItem* item : plain->menu_items)
		EXPECT_EQ(item, nullptr);
}

TEST_F(Fonts, AreInPlatformOrder)
{
	int32 n = 0;
	for (int32 i = 0; i < count_font_families(); i++) {
		font_family family;
		get_font_family(i, &family);
		for (int32 j = 0; j < count_font_styles(family); j++, n++) {
			font_style style;
			get_font_style(family, j, &style);
			font_item* item = (font_item*)fontl.ItemAt(n);
			ASSERT_NE(item, nullptr) << n;
			EXPECT_STREQ(item->family, family) << n;
			EXPECT_STREQ(item->style, style) << n;
		}
	}
}

}
