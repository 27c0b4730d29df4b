#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <Entry.h>
#include <File.h>
#include <TranslatorRoster.h>

#include "model/catalogue_items.h"
#include "model/daily_design.h"
#include "model/design_paths.h"
#include "model/design_keys.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/holidays.h"
#include "model/object.h"
#include "model/tevraview.h"
#include "platform/storage/os_calls.h"
#include "tests/support/files.h"
#include "tests/support/process_stats.h"
#include "tests/support/sanitizer.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

using namespace std::string_literals;

namespace {

const char kNotFound[] = "not found config_file. use default\n";

object* item(int32 index)
{
	return (object*)obl.ItemAt(index);
}

entry_ref ref_for(const std::string& path)
{
	entry_ref ref;
	get_ref_for_path(path.c_str(), &ref);
	return ref;
}

std::string rect_text(BRect r)
{
	char buffer[200];
	snprintf(buffer, sizeof(buffer), "%g,%g,%g,%g", r.left, r.top, r.right, r.bottom);
	return buffer;
}

std::string hex(uint32 value)
{
	char buffer[16];
	snprintf(buffer, sizeof(buffer), "%08x", (unsigned)value);
	return buffer;
}

// Every field in one line, so a difference shows in the failure message.
std::string dump(const object* o, bool withBounds = true)
{
	std::string s;
	if (withBounds)
		s += "bounds=" + rect_text(o->bounds) + " ";
	s += "type=" + std::to_string(o->type) + " when=" + std::to_string(o->when)
		+ " bg_type=" + std::to_string(o->bg_type) + " bg=" + hex(o->bg_color);
	s += " year=" + std::to_string(o->year_type) + "|" + o->year_font[0] + "|" + o->year_font[1]
		+ "|" + std::to_string(o->year_size) + "|" + hex(o->year_color) + "|"
		+ std::to_string(o->year_font_no);
	s += " month=" + std::to_string(o->month_type) + "|" + o->month_font[0] + "|"
		+ o->month_font[1] + "|" + std::to_string(o->month_size) + "|" + hex(o->month_color)
		+ "|" + std::to_string(o->month_font_no);
	s += " day=" + std::string(o->day_font[0]) + "|" + o->day_font[1] + "|"
		+ std::to_string(o->day_size) + "|" + hex(o->day_color) + "|"
		+ std::to_string(o->day_font_no);
	s += " sun=" + hex(o->sun_color) + " sat=" + hex(o->sat_color) + " hol=" + hex(o->hol_color)
		+ " today=" + std::to_string(o->today_mark) + "|" + hex(o->today_color);
	return s;
}

// The whole design as the reader leaves it.
std::string dump_design(const tevraview& view)
{
	std::string s = "base_mode=" + std::to_string(base_mode) + " base_color=" + hex(base_color)
		+ " image=" + baseimgpath + " held=" + (view.baseimg != nullptr ? "1" : "0")
		+ " bg_bounds=" + rect_text(bg_bounds) + " outfmt=" + std::to_string(outfmt)
		+ " autoset=" + (autoset ? "1" : "0") + " textback=" + (textback ? "1" : "0")
		+ " scrn_color=" + hex(scrn_color) + " sel_no=" + std::to_string(sel_no) + "\n";
	for (int32 i = 0; i < obl.CountItems(); i++)
		s += dump(item(i)) + "\n";
	return s;
}

// The first catalogue entry with these names, as the reader looks it up; -1 when none.
int32 font_index(const char* family, const char* style)
{
	for (int32 i = 0; font_item* f = (font_item*)fontl.ItemAt(i); i++) {
		if (strcmp(f->family, family) == 0 && strcmp(f->style, style) == 0)
			return i;
	}
	return -1;
}

// An installed font other than the plain one, findable by its names; -1 when none.
int32 other_font()
{
	for (int32 i = 0; font_item* f = (font_item*)fontl.ItemAt(i); i++) {
		if (i != dfn && font_index(f->family, f->style) == i)
			return i;
	}
	return -1;
}

std::string font_text(int32 index)
{
	font_item* f = (font_item*)fontl.ItemAt(index);
	return f == nullptr ? "" : std::string(f->family) + "," + f->style;
}

// The format a fresh view starts with, noted when each test's view is made; and any other.
int32 g_default_format = -1;

int32 default_format()
{
	return g_default_format;
}

int32 other_format()
{
	int32 d = default_format();
	for (int32 i = 0; i < trc; i++) {
		if (i != d)
			return i;
	}
	return -1;
}

std::string mime(int32 index)
{
	format_item* f = (format_item*)xlt.ItemAt(index);
	return f == nullptr ? "" : f->mime;
}

void replace_all(std::string* text, const std::string& from, const std::string& to)
{
	for (size_t at = text->find(from); at != std::string::npos;
		at = text->find(from, at + to.size()))
		text->replace(at, from.size(), to);
}

// A small real picture, written through the roster as the program would write one.
bool write_png(const std::string& path, int width, int height)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, width - 1, height - 1), B_RGB32);
	for (int32 i = 0; i < bitmap->BitsLength(); i++)
		((uint8*)bitmap->Bits())[i] = (uint8)(i * 7);
	BBitmapStream stream(bitmap);
	BFile file(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
	return file.InitCheck() == B_OK
		&& tr->Translate(&stream, nullptr, nullptr, &file, B_PNG_FORMAT) == B_OK;
}

// A path of exactly length bytes under base, made of nested folders that are created.
std::string long_path(const std::string& base, size_t length)
{
	std::string path = base;
	size_t remaining = length - base.size();
	while (remaining > 251) {
		size_t part = std::min<size_t>(200, remaining - 61);
		path += "/" + std::string(part, 'd');
		remaining -= part + 1;
	}
	std::filesystem::create_directories(path);
	return path + "/" + std::string(remaining - 5, 'i') + ".png";
}

class config_file : public ::testing::Test {
protected:
	// Loads content as a design; the view's destructor puts the defaults back.
	void load(const std::string& content, const std::string& name = "design")
	{
		dir.write(name, content);
		load_path(dir.file(name));
	}

	void load_path(const std::string& path)
	{
		entry_ref ref = ref_for(path);
		view.load_config(&ref);
	}

	status_t save(const std::string& name = "design")
	{
		entry_ref folder = ref_for(dir.path());
		return view.save_config(&folder, name.c_str());
	}

	config_file() { g_default_format = outfmt; }

	temp_dir dir;
	tevraview view{scrn};
};

// ---- The reader's rules, one file each --------------------------------------------------

struct LoadRow {
	const char* name;
	std::string content;
	std::function<void()> check;
};

void PrintTo(const LoadRow& row, std::ostream* out)
{
	*out << row.name;
}

class LoadRule : public config_file, public ::testing::WithParamInterface<LoadRow> {};

TEST_P(LoadRule, Reads)
{
	std::string content = GetParam().content;
	// Rows that need an installed font or a second output format name them by placeholder.
	if (content.find("{font}") != std::string::npos) {
		if (other_font() < 0)
			GTEST_SKIP() << "only one font is installed";
		replace_all(&content, "{font}", font_text(other_font()));
	}
	if (content.find("{mime}") != std::string::npos) {
		if (other_format() < 0)
			GTEST_SKIP() << "only one output format is installed";
		replace_all(&content, "{mime}", mime(other_format()));
	}
	load(content);
	GetParam().check();
	for (int32 i = 0; i < obl.CountItems(); i++)
		ASSERT_NE(item(i), nullptr);
}

const std::string kLongTail = std::string(5000, 'x');

const LoadRow load_rows[] = {
	{"OnlyGlobals_SettingsTakenListEmpty",
		"base_type\t3\nbase_color\t00112233\nimage_bounds\t1,2,3,4\nwp_autoset\ty\n"
		"wp_textback\tn\nscreen_color\t00abcdef\n",
		[] {
			EXPECT_EQ(base_mode, 3);
			EXPECT_EQ(base_color, 0x112233u);
			EXPECT_EQ(rect_text(bg_bounds), "1,2,3,4");
			EXPECT_TRUE(autoset);
			EXPECT_FALSE(textback);
			EXPECT_EQ(scrn_color, 0xabcdefu);
			EXPECT_EQ(obl.CountItems(), 0);
		}},
	// Only -1, 0 and 1 choose holiday rules; anything else leaves the choice as it was.
	{"HolidayRules_OnlyMinusOneToOneTaken",
		"holiday_rules\t1\nholiday_rules\t-1\nholiday_rules\t2\nholiday_rules\tlaw\n"
		"holiday_rules\t-2\nholiday_rules\t1x\n",
		[] { EXPECT_EQ(holiday_rules, -1); }},
	{"Screens_OnlyMainOrAllTaken", "screens\t1\nscreens\t2\nscreens\t-1\n",
		[] { EXPECT_EQ(screens, kScreensAll); }},
	// Each line adds a source; an empty one adds none.
	{"Events_EachLineAddsOne",
		"events\t/home/me/days.ics\r\nevents\t\nevents\twebcal://cal.example/a.ics\n",
		[] {
			EXPECT_EQ(event_sources,
				(std::vector<std::string>{"/home/me/days.ics", "webcal://cal.example/a.ics"}));
		}},
	{"WeekStart_OnlyADayOfTheWeekTaken",
		"week_start\t1\nweek_start\t7\nweek_start\t-1\nweek_numbers\ty\nbounds\t1,2,3,4\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_EQ(item(0)->week_start, 1);
			EXPECT_TRUE(item(0)->week_numbers);
		}},
	{"ObjectLinesWithoutBounds_Dropped",
		"\ntype\t0\nbounds\t1,2,3,4\n\ntype\t20\nwhen\t4\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_EQ(item(0)->type, 0);
			EXPECT_EQ(item(0)->when, 0);
		}},
	{"TrailingObjectKeysDropped_GlobalAfterLastBoundsKept",
		"\nbounds\t1,2,3,4\ntype\t0\nbase_type\t0\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_EQ(item(0)->type, kTypeMonth);
			EXPECT_EQ(base_mode, 0);
		}},
	{"SecondBlockOnlyBounds_EqualsFirstButBounds",
		"\ntype\t20\nwhen\t-2\nbg_type\t1\nbg_color\t80102030\nyear_color\t00010203\n"
		"month_color\t00040506\nday_color\t00070809\nsun_color\t000a0b0c\nsat_color\t000d0e0f\n"
		"hol_color\t00111213\ntoday_color\t00141516\nyear_size\t40\nmonth_size\t30\n"
		"day_size\t20\nyear_type\t2\nmonth_type\t3\ntoday_mark\t2\nyear_font\tA,B\n"
		"month_font\tC,D\nday_font\tE,F\nbounds\t10,20,300,400\n\nbounds\t500,600,700,800\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 2);
			EXPECT_EQ(dump(item(1), false), dump(item(0), false));
			EXPECT_EQ(rect_text(item(1)->bounds), "500,600,700,800");
			EXPECT_EQ(item(0)->type, kTypeYear);
			EXPECT_STREQ(item(1)->day_font[1], "F");
		}},
	{"FirstBlockMissingKeys_TakeNewObjectDefaults",
		"\nwhen\t3\nbounds\t1,2,3,4\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 1);
			object fresh(nullptr);
			fresh.when = 3;
			fresh.bounds.Set(1, 2, 3, 4);
			EXPECT_EQ(dump(item(0)), dump(&fresh));
		}},
	{"ThirdBlockInheritsSecondsChange",
		"\nwhen\t1\nbounds\t0,0,10,10\n\nday_size\t12\nbounds\t0,0,10,10\n\nbounds\t0,0,10,10\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 3);
			EXPECT_EQ(item(2)->when, 1);
			EXPECT_EQ(item(2)->day_size, 12);
			EXPECT_EQ(item(0)->day_size, 0);
		}},
	{"BoundsThatDoNotConvert_CompleteObjectWithInheritedBounds",
		"\nbounds\t10,20,30,40\n\nbounds\t1,2,3\n\nbounds\n\nbounds\t1 ,2,3,4\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 4);
			EXPECT_EQ(rect_text(item(1)->bounds), "60,70,80,90");
			EXPECT_EQ(rect_text(item(2)->bounds), "110,120,130,140");
			EXPECT_EQ(rect_text(item(3)->bounds), "160,170,180,190");
		}},
	{"BoundsWithBlanksBeforeNumbers_Read",
		"\nbounds\t 1, 2,\t3, -4\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_EQ(rect_text(item(0)->bounds), "1,2,3,-4");
		}},
	{"ImageBoundsShort_LeavesScreen",
		"image_bounds\t5,6,7\n",
		[] { EXPECT_EQ(rect_text(bg_bounds), rect_text(scrn)); }},
	{"ImageBoundsNegative_Read",
		"image_bounds\t-5,6,700,800\n",
		[] { EXPECT_EQ(rect_text(bg_bounds), "-5,6,700,800"); }},
	{"DecimalWithoutDigits_LeavesSettingAndInheritedFields",
		"base_type\t2\nbase_type\tx\nbase_type\t\nbase_type\t-\n"
		"\nwhen\t7\nyear_size\t30\nbounds\t1,2,3,4\n"
		"\nwhen\t-\nyear_size\tabc\ntype\t+\nbounds\t5,6,7,8\n",
		[] {
			EXPECT_EQ(base_mode, 2);
			ASSERT_EQ(obl.CountItems(), 2);
			EXPECT_EQ(item(1)->when, 7);
			EXPECT_EQ(item(1)->year_size, 30);
			EXPECT_EQ(item(1)->type, kTypeMonth);
		}},
	{"DecimalSignsAndTrailingText_Read",
		"\nwhen\t-12\nday_size\t+9\nmonth_size\t14px\nbounds\t0,0,1,1\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_EQ(item(0)->when, -12);
			EXPECT_EQ(item(0)->day_size, 9);
			EXPECT_EQ(item(0)->month_size, 14);
		}},
	{"HexWithoutDigits_LeavesSettingAndInheritedFields",
		"base_color\t00123456\nbase_color\tzz\nscreen_color\t\n"
		"\nbg_color\t80ff0000\nbounds\t0,0,1,1\n\nbg_color\tg1\nsun_color\t-\nbounds\t0,0,1,1\n",
		[] {
			EXPECT_EQ(base_color, 0x123456u);
			EXPECT_EQ(scrn_color, 0x336699u);
			ASSERT_EQ(obl.CountItems(), 2);
			EXPECT_EQ(item(1)->bg_color, 0x80ff0000u);
			EXPECT_EQ(item(1)->sun_color, 0x00ff0000u);
		}},
	{"HexReadsAtMostEightDigits",
		"base_color\t123456789\nscreen_color\t0x1234\n\ntoday_color\tABCDEF\nbounds\t0,0,1,1\n",
		[] {
			EXPECT_EQ(base_color, 0x12345678u);
			EXPECT_EQ(scrn_color, 0x1234u);
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_EQ(item(0)->today_color, 0xabcdefu);
		}},
	{"EightBitFields_KeepLowBits",
		"\ntype\t266\nbg_type\t257\nyear_type\t255\nmonth_type\t-2\ntoday_mark\t258\n"
		"bounds\t0,0,1,1\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_EQ(item(0)->type, 10);
			EXPECT_EQ(item(0)->bg_type, 1);
			EXPECT_EQ(item(0)->year_type, -1);
			EXPECT_EQ(item(0)->month_type, -2);
			EXPECT_EQ(item(0)->today_mark, 2);
		}},
	{"YearFontWithoutComma_WholeValueIsFamily",
		"\nyear_font\tJust A Family \nbounds\t0,0,1,1\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_STREQ(item(0)->year_font[0], "Just A Family ");
			EXPECT_STREQ(item(0)->year_font[1], "");
		}},
	{"YearFontTwoCommas_StyleKeepsSecondComma",
		"\nyear_font\tA,B,C\nbounds\t0,0,1,1\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_STREQ(item(0)->year_font[0], "A");
			EXPECT_STREQ(item(0)->year_font[1], "B,C");
		}},
	{"FontValueEndsAtControlByte",
		"\nmonth_font\tFam,Sty\x01rest\nday_font\tOnly\x02,Style\nbounds\t0,0,1,1\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_STREQ(item(0)->month_font[0], "Fam");
			EXPECT_STREQ(item(0)->month_font[1], "Sty");
			EXPECT_STREQ(item(0)->day_font[0], "Only");
			EXPECT_STREQ(item(0)->day_font[1], "");
		}},
	{"FontNamesLongerThanField_CutTo127Bytes",
		"\nyear_font\t" + std::string(300, 'f') + "," + std::string(300, 's')
			+ "\nbounds\t0,0,1,1\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_EQ(std::string(item(0)->year_font[0]), std::string(127, 'f'));
			EXPECT_EQ(std::string(item(0)->year_font[1]), std::string(127, 's'));
		}},
	{"InstalledFont_SetsFontNumbers",
		"\nyear_font\t{font}\nmonth_font\t{font}\nday_font\t{font}\nbounds\t0,0,1,1\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_EQ(item(0)->year_font_no, other_font());
			EXPECT_EQ(item(0)->month_font_no, other_font());
			EXPECT_EQ(item(0)->day_font_no, other_font());
		}},
	{"UnknownFont_KeepsNamesAndInheritedNumber",
		"\nyear_font\t{font}\nbounds\t0,0,1,1\n\nyear_font\tNo Such Family,Heavy\n"
		"day_font\tNo Such Family,Light\nbounds\t0,0,1,1\n",
		[] {
			ASSERT_EQ(obl.CountItems(), 2);
			EXPECT_STREQ(item(1)->year_font[0], "No Such Family");
			EXPECT_STREQ(item(1)->year_font[1], "Heavy");
			EXPECT_EQ(item(1)->year_font_no, other_font());
			EXPECT_STREQ(item(1)->day_font[1], "Light");
			EXPECT_EQ(item(1)->day_font_no, dfn);
		}},
	{"IndentedKeys_AreComments",
		" base_type\t3\n\tbase_type\t3\n",
		[] { EXPECT_EQ(base_mode, 1); }},
	{"LinesNotStartingAboveAtSign_AreComments",
		"#base_type\t3\n3base_type\t3\n@base_type\t3\n\x80" "base_type\t3\n\xff" "base_type\t3\n"
		"#\nbounds\t1,2,3,4\n",
		[] {
			EXPECT_EQ(base_mode, 1);
			EXPECT_EQ(obl.CountItems(), 1);
		}},
	{"UnknownAndMiscasedKeys_Ignored",
		"Base_type\t3\nbase_typed\t3\nbase\t3\n[x\t1\n{\t1\n\x7f\t1\nBOUNDS\t1,2,3,4\n",
		[] {
			EXPECT_EQ(base_mode, 1);
			EXPECT_EQ(obl.CountItems(), 0);
		}},
	{"KeyEndsAtAnyBlank_ValueAfterRunOfBlanks",
		"base_type 3\nbase_color\t \t 00abcdef\nwp_autoset   y\n",
		[] {
			EXPECT_EQ(base_mode, 3);
			EXPECT_EQ(base_color, 0xabcdefu);
			EXPECT_TRUE(autoset);
		}},
	{"KeyWithoutValue_FlagCleared",
		"wp_textback\n",
		[] { EXPECT_FALSE(textback); }},
	{"GlobalKeyInsideBlock_AppliesAtOnce",
		"\ntype\t0\nbase_type\t2\nbounds\t1,2,3,4\n",
		[] {
			EXPECT_EQ(base_mode, 2);
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_EQ(item(0)->type, 0);
		}},
	{"OutFormatUnknown_KeepsDefault",
		"out_format\timage/x-no-such-format\n",
		[] { EXPECT_EQ(outfmt, default_format()); }},
	{"OutFormatKnown_Chosen",
		"out_format\t{mime}\n",
		[] { EXPECT_EQ(outfmt, other_format()); }},
	{"OutFormatKnownThenUnknown_KeepsKnown",
		"out_format\t{mime}\nout_format\timage/none\n",
		[] { EXPECT_EQ(outfmt, other_format()); }},
	{"OutFormatWithTrailingBlank_NoMatch",
		"out_format\t{mime} \n",
		[] { EXPECT_EQ(outfmt, default_format()); }},
	// A CR before the line feed is a control byte: numbers stop before it and text values are
	// cut at it, so a design saved with DOS line ends reads as the same design.
	{"CrLfLines_ReadAsLf",
		"base_type\t3\r\nbase_color\t00abcdef\r\nimage_bounds\t1,2,3,4\r\nout_format\t{mime}\r\n"
		"wp_autoset\ty\r\n\r\ntype\t20\r\nyear_font\tFam,Sty\r\nday_font\tSolo\r\n"
		"bounds\t5,6,7,8\r\n\r\nbounds\r\n",
		[] {
			EXPECT_EQ(base_mode, 3);
			EXPECT_EQ(base_color, 0xabcdefu);
			EXPECT_EQ(rect_text(bg_bounds), "1,2,3,4");
			EXPECT_EQ(outfmt, other_format());
			EXPECT_TRUE(autoset);
			ASSERT_EQ(obl.CountItems(), 2);
			EXPECT_EQ(item(0)->type, kTypeYear);
			EXPECT_STREQ(item(0)->year_font[1], "Sty");
			EXPECT_STREQ(item(0)->day_font[0], "Solo");
			EXPECT_EQ(rect_text(item(0)->bounds), "5,6,7,8");
			EXPECT_EQ(rect_text(item(1)->bounds), "55,56,57,58");
		}},
	{"NulBytes_EndTheLineText",
		"base_type\t3\0junk\n\0base_color\t00ffffff\nyear_font\tFa\0mily,Style\nbase\0_type\t2\n"
		"bounds\0\t1,2,3,4\n"s,
		[] {
			EXPECT_EQ(base_mode, 3);
			EXPECT_EQ(base_color, 0x336699u);
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_STREQ(item(0)->year_font[0], "Fa");
			EXPECT_STREQ(item(0)->year_font[1], "");
		}},
	// The part of a long line beyond what is kept must never be read as a line of its own.
	{"LongLineTailAtByte255_NotALine",
		"year_font\t" + std::string(245, 'x') + "base_type\t3\n\nbounds\t1,2,3,4\n",
		[] {
			EXPECT_EQ(base_mode, 1);
			ASSERT_EQ(obl.CountItems(), 1);
			EXPECT_EQ(std::string(item(0)->year_font[0]), std::string(127, 'x'));
		}},
	{"LongLineTailAfter5000Bytes_NotALine",
		"#" + kLongTail + "bounds\t1,2,3,4\nbase_type\t" + kLongTail + "\n",
		[] {
			EXPECT_EQ(base_mode, 1);
			EXPECT_EQ(obl.CountItems(), 0);
		}},
	{"LineOf100KB_NextLineStillRead",
		"screen_color\t00000001" + std::string(100 * 1024, ' ') + "bounds\t1,2,3,4\nbase_type\t0\n",
		[] {
			EXPECT_EQ(scrn_color, 1u);
			EXPECT_EQ(base_mode, 0);
			EXPECT_EQ(obl.CountItems(), 0);
		}},
	{"NoFinalLineFeed_LastLineRead",
		"\nbounds\t1,2,3,4",
		[] { EXPECT_EQ(obl.CountItems(), 1); }},
};

INSTANTIATE_TEST_SUITE_P(config_file, LoadRule, ::testing::ValuesIn(load_rows),
	[](const ::testing::TestParamInfo<LoadRow>& info) { return std::string(info.param.name); });

// "wp_autoset" and "wp_textback" look only at the value's first byte.
struct FlagRow {
	const char* key;
	const char* value;
	bool want;
	const char* name;
};

void PrintTo(const FlagRow& row, std::ostream* out)
{
	*out << row.key << " " << row.value;
}

class FlagValue : public config_file, public ::testing::WithParamInterface<FlagRow> {};

TEST_P(FlagValue, SetExactlyOnLeadingY)
{
	const FlagRow& r = GetParam();
	// The line before sets the opposite, so every row shows a change.
	load(std::string(r.key) + "\t" + (r.want ? "n" : "y") + "\n" + r.key + "\t" + r.value + "\n");
	EXPECT_EQ(strcmp(r.key, "wp_autoset") == 0 ? autoset : textback, r.want);
}

const FlagRow flag_rows[] = {
	{"wp_autoset", "y", true, "Autoset_y_Set"},
	{"wp_autoset", "Y", true, "Autoset_Y_Set"},
	{"wp_autoset", "yes", true, "Autoset_yes_Set"},
	{"wp_autoset", "Yikes", true, "Autoset_Yikes_Set"},
	{"wp_autoset", "n", false, "Autoset_n_Cleared"},
	{"wp_autoset", "N", false, "Autoset_N_Cleared"},
	{"wp_autoset", "1", false, "Autoset_digit_Cleared"},
	{"wp_autoset", "true", false, "Autoset_true_Cleared"},
	{"wp_textback", "y", true, "Textback_y_Set"},
	{"wp_textback", "Y", true, "Textback_Y_Set"},
	{"wp_textback", "n", false, "Textback_n_Cleared"},
	{"wp_textback", "N", false, "Textback_N_Cleared"},
	{"wp_textback", "0", false, "Textback_digit_Cleared"},
};

INSTANTIATE_TEST_SUITE_P(config_file, FlagValue, ::testing::ValuesIn(flag_rows),
	[](const ::testing::TestParamInfo<FlagRow>& info) { return std::string(info.param.name); });

// ---- The base image, loaded as the line is read ---------------------------------------

class config_file_base_image : public config_file {
protected:
	void SetUp() override
	{
		image = dir.file("base.png");
		ASSERT_TRUE(write_png(image, 6, 4));
	}

	std::string image;
};

TEST_F(config_file_base_image, PathLoadsAtOnce)
{
	load("base_image\t" + image + "\n");
	ASSERT_NE(view.baseimg, nullptr);
	EXPECT_EQ(rect_text(view.baseimg->Bounds()), "0,0,5,3");
	EXPECT_STREQ(baseimgpath, image.c_str());
}

TEST_F(config_file_base_image, BlanksInsideAndAtEndArePartOfPath)
{
	std::string spaced = dir.file("my image .png");
	ASSERT_TRUE(write_png(spaced, 2, 2));
	load("base_image\t" + spaced + "\n");
	ASSERT_NE(view.baseimg, nullptr);
	EXPECT_STREQ(baseimgpath, spaced.c_str());
}

TEST_F(config_file_base_image, CrLfLineLoads)
{
	load("base_image\t" + image + "\r\n");
	EXPECT_NE(view.baseimg, nullptr);
	EXPECT_STREQ(baseimgpath, image.c_str());
}

TEST_F(config_file_base_image, PathEndsAtControlByteEvenBeforeLongTail)
{
	load("base_image\t" + image + "\x01" + std::string(10000, 'z') + "\n");
	EXPECT_NE(view.baseimg, nullptr);
	EXPECT_STREQ(baseimgpath, image.c_str());
}

TEST_F(config_file_base_image, MissingImage_NoImagePathKept)
{
	load("base_image\t" + dir.file("absent.png") + "\n");
	EXPECT_EQ(view.baseimg, nullptr);
	EXPECT_STREQ(baseimgpath, dir.file("absent.png").c_str()) << "saving must not drop it";
}

TEST_F(config_file_base_image, PathOfPathMaxMinusOneLoadsWhole)
{
	std::string deep = long_path(dir.path(), PATH_MAX - 1);
	ASSERT_EQ(deep.size(), (size_t)PATH_MAX - 1);
	ASSERT_TRUE(write_png(deep, 3, 3));
	load("base_image\t" + deep + "\n");
	ASSERT_NE(view.baseimg, nullptr);
	EXPECT_EQ(std::string(baseimgpath), deep);
}

TEST_F(config_file_base_image, PathTooLongToKeep_IgnoredImageAndPathStay)
{
	for (size_t length : {(size_t)PATH_MAX, (size_t)PATH_MAX + 1, (size_t)20000}) {
		SCOPED_TRACE(length);
		std::string tooLong = dir.path() + "/" + std::string(length - dir.path().size() - 1, 'p');
		load("base_image\t" + image + "\nbase_image\t" + tooLong + "\n");
		ASSERT_NE(view.baseimg, nullptr);
		EXPECT_EQ(rect_text(view.baseimg->Bounds()), "0,0,5,3");
		EXPECT_STREQ(baseimgpath, image.c_str());
	}
}

// ---- Save, then load: the same design --------------------------------------------------

// The files a design names belong to it: saved elsewhere, its relative paths still name the
// same files; a path that names no file is written back as it was given, never dropped.
struct MovedRow {
	const char* name;
	const char* key;
	const char* given;
	const char* file;    // made beside the design ("" for none)
	const char* folder;  // where the design is saved, inside the test's folder ("" for there)
	const char* written; // "%D" stands for the test's folder
};

void PrintTo(const MovedRow& row, std::ostream* os)
{
	*os << row.name;
}

class MovedPaths : public config_file, public ::testing::WithParamInterface<MovedRow> {};

TEST_P(MovedPaths, NameTheSameFiles)
{
	const MovedRow& row = GetParam();
	std::filesystem::create_directories(dir.file("sub"));
	if (row.file[0] != '\0')
		dir.write(row.file, "not read as a picture here");
	load(std::string(row.key) + "\t" + row.given + "\n");
	entry_ref folder = ref_for(row.folder[0] != '\0' ? dir.file(row.folder) : dir.path());
	ASSERT_EQ(view.save_config(&folder, "saved"), B_OK);
	std::string written = row.written;
	size_t mark = written.find("%D");
	if (mark != std::string::npos)
		written.replace(mark, 2, dir.path());
	std::string text = dir.read(std::string(row.folder) + (row.folder[0] ? "/" : "") + "saved");
	EXPECT_NE(text.find(std::string(row.key) + "\t" + written + "\n"), std::string::npos) << text;
	EXPECT_EQ(design_path, dir.file(std::string(row.folder) + (row.folder[0] ? "/" : "") + "saved"));
}

INSTANTIATE_TEST_SUITE_P(config_file, MovedPaths, ::testing::Values(
	MovedRow{"same_folder_as_given", "base_image", "pic.png", "pic.png", "", "pic.png"},
	MovedRow{"missing_kept_as_given", "base_image", "gone.png", "", "", "gone.png"},
	MovedRow{"into_a_subfolder_absolute", "base_image", "pic.png", "pic.png", "sub",
		"%D/pic.png"},
	MovedRow{"beside_the_new_place_relative", "base_image", "sub/pic.png", "sub/pic.png", "sub",
		"pic.png"},
	MovedRow{"missing_meant_beside_the_design", "base_image", "gone.png", "", "sub",
		"%D/gone.png"},
	MovedRow{"absolute_kept", "base_image", "/no/such/pic.png", "", "sub", "/no/such/pic.png"},
	MovedRow{"calendar_file", "events", "family.ics", "family.ics", "sub", "%D/family.ics"},
	MovedRow{"feed_kept", "events", "https://example.org/a.ics", "", "sub",
		"https://example.org/a.ics"}),
	[](const ::testing::TestParamInfo<MovedRow>& info) { return std::string(info.param.name); });

// Saved as the daily design, a design keeps its files: those of the examples' folder are
// copied beside it under a name that replaces none of the user's; a design that cannot be
// written there is left as it was.
struct DailyRow {
	const char* name;
	const char* given;       // the design's base_image, the design lying in examples/
	const char* already;     // what pic.png beside the daily design holds first (null: none)
	bool adopt;              // the examples' folder is the one to copy from
	bool blocked;            // the config folder is a file: nothing can be saved there
	const char* written;     // the line saved; "%D" stands for the test's folder
};

void PrintTo(const DailyRow& row, std::ostream* os)
{
	*os << row.name;
}

class DailyDesign : public config_file, public ::testing::WithParamInterface<DailyRow> {};

TEST_P(DailyDesign, KeepsItsFiles)
{
	const DailyRow& row = GetParam();
	std::filesystem::create_directories(dir.file("examples"));
	dir.write("examples/pic.png", "the example's picture");
	if (row.blocked)
		dir.write("config", "a file where the folder should be");
	else if (row.already != nullptr)
		std::filesystem::create_directories(dir.file("config/tevra"));
	if (row.already != nullptr && !row.blocked)
		dir.write("config/tevra/pic.png", row.already);
	scoped_env config("XDG_CONFIG_HOME", dir.file("config"));
	load(std::string("base_image\t") + row.given + "\n", "examples/x.tevra");
	std::string before = design_path;

	status_t status = save_daily_design(&view, row.adopt ? dir.file("examples") : "");
	config.set(nullptr);
	std::string written = row.written;
	size_t mark = written.find("%D");
	if (mark != std::string::npos)
		written.replace(mark, 2, dir.path());
	if (row.blocked) {
		EXPECT_NE(status, B_OK);
		EXPECT_EQ(design_path, before);
		EXPECT_STREQ(baseimgpath, row.given);
		return;
	}
	ASSERT_EQ(status, B_OK);
	EXPECT_EQ(design_path, dir.file("config/tevra/design.tevra"));
	std::string text = dir.read("config/tevra/design.tevra");
	EXPECT_NE(text.find("base_image\t" + written + "\n"), std::string::npos) << text;
	if (row.already != nullptr) {
		EXPECT_EQ(dir.read("config/tevra/pic.png"), row.already) << "the user's file is kept";
	}
	if (written[0] != '/') {
		EXPECT_EQ(dir.read("config/tevra/" + written), "the example's picture");
	}
}

INSTANTIATE_TEST_SUITE_P(config_file, DailyDesign, ::testing::Values(
	DailyRow{"example_copied_beside", "pic.png", nullptr, true, false, "pic.png"},
	DailyRow{"same_copy_used_again", "pic.png", "the example's picture", true, false, "pic.png"},
	DailyRow{"other_file_of_that_name_kept", "pic.png", "the user's own", true, false,
		"pic-2.png"},
	DailyRow{"not_an_example_named_absolutely", "pic.png", nullptr, false, false,
		"%D/examples/pic.png"},
	DailyRow{"unwritable_left_as_it_was", "pic.png", nullptr, true, true, ""}),
	[](const ::testing::TestParamInfo<DailyRow>& info) { return std::string(info.param.name); });

class config_file_round_trip : public config_file {
protected:
	// Saves, forgets everything, loads back, and returns the file's text.
	std::string save_and_reload()
	{
		EXPECT_EQ(save(), B_OK);
		std::string text = dir.read("design");
		view.clr_obj();
		load_path(dir.file("design"));
		return text;
	}
};

TEST_F(config_file_round_trip, WritesExactLinesInOrder)
{
	base_mode = 3;
	base_color = 0x00abcdef;
	bg_bounds.Set(0.5f, 1.9f, 800.7f, -600.2f);
	autoset = true;
	textback = false;
	scrn_color = 0x00fedcba;
	object* o = new object(nullptr);
	o->bounds.Set(10.7f, 20.2f, 300.9f, 200.5f);
	o->type = 200;
	o->when = -3;
	o->bg_type = 255;
	o->bg_color = 0x80123456;
	o->year_color = 0x01020304;
	o->month_color = 0xa0b0c0d0;
	o->day_color = 0x0000000f;
	o->sun_color = 0x00ff0001;
	o->sat_color = 0x00000102;
	o->hol_color = 0x00ff8803;
	o->today_color = 0x0000aa04;
	o->year_size = 41;
	o->month_size = 0;
	o->day_size = -5;
	o->year_type = -1;
	o->month_type = 3;
	o->today_mark = -128;
	set_font_name(o->year_font, "Fam Y", "Bold");
	set_font_name(o->month_font, "Fam M", "");
	set_font_name(o->day_font, "Fam D", "A,B");
	obl.AddItem(o);

	EXPECT_EQ(save(), B_OK);
	EXPECT_EQ(dir.read("design"),
		"base_type\t3\nbase_color\t00abcdef\nimage_bounds\t0,1,800,-600\nout_format\t"
		+ mime(outfmt) + "\nwp_autoset\ty\nwp_textback\tn\nscreen_color\t00fedcba\n"
		"\ntype\t200\nwhen\t-3\nbg_type\t255\nbg_color\t80123456\nyear_color\t01020304\n"
		"month_color\ta0b0c0d0\nday_color\t0000000f\nsun_color\t00ff0001\nsat_color\t00000102\n"
		"hol_color\t00ff8803\ntoday_color\t0000aa04\nyear_size\t41\nmonth_size\t0\n"
		"day_size\t-5\nyear_type\t-1\nmonth_type\t3\ntoday_mark\t-128\nyear_font\tFam Y,Bold\n"
		"month_font\tFam M,\nday_font\tFam D,A,B\nbounds\t10,20,300,200\n");
}

// A setting beyond the first designs is written after the others, and only when chosen.
TEST_F(config_file_round_trip, HolidayRulesWrittenOnlyWhenChosen)
{
	obl.AddItem(new object(nullptr));
	ASSERT_EQ(save(), B_OK);
	std::string plain = dir.read("design");
	EXPECT_EQ(plain.find("holiday_rules"), std::string::npos);
	holiday_rules = 1;
	std::string chosen = save_and_reload();
	size_t screen = plain.find("screen_color");
	size_t end = plain.find('\n', screen) + 1;
	EXPECT_EQ(chosen, plain.substr(0, end) + "holiday_rules\t1\n" + plain.substr(end));
	EXPECT_EQ(holiday_rules, 1);
}

TEST_F(config_file_round_trip, ScreensWrittenOnlyForEveryScreen)
{
	ASSERT_EQ(save(), B_OK);
	std::string plain = dir.read("design");
	EXPECT_EQ(plain.find("screens"), std::string::npos);
	screens = kScreensAll;
	std::string chosen = save_and_reload();
	size_t end = plain.find('\n', plain.find("screen_color")) + 1;
	EXPECT_EQ(chosen, plain.substr(0, end) + "screens\t1\n" + plain.substr(end));
	EXPECT_EQ(screens, kScreensAll);
}

// The key table's defaults are what a new design and a new calendar hold: saved, every key
// says its default, and a quiet one says nothing.
TEST_F(config_file_round_trip, NewDesignSavesTheTablesDefaults)
{
	obl.AddItem(new object(nullptr));
	ASSERT_EQ(save(), B_OK);
	std::string text = "\n" + dir.read("design");
	for (size_t k = 0; k < kDesignKeyCount; k++) {
		const design_key& key = kDesignKeys[k];
		size_t at = text.find(std::string("\n") + key.name + "\t");
		if (key.quiet || (key.kind == kKeyImage && key.def[0] == '\0')) {
			EXPECT_EQ(at, std::string::npos) << key.name;
		} else if (key.def != nullptr) {
			ASSERT_NE(at, std::string::npos) << key.name;
			EXPECT_EQ(text.substr(at + 1, text.find('\n', at + 1) - at - 1),
				std::string(key.name) + "\t" + key.def) << key.name;
		}
	}
}

TEST_F(config_file_round_trip, NegativeOutputFormatAndNoImage_LinesLeftOut)
{
	outfmt = -1;
	EXPECT_EQ(save(), B_OK);
	std::string text = dir.read("design");
	EXPECT_EQ(text.find("out_format"), std::string::npos);
	EXPECT_EQ(text.find("base_image"), std::string::npos);
	view.clr_obj();
	load_path(dir.file("design"));
	EXPECT_EQ(outfmt, default_format());
}

TEST_F(config_file_round_trip, EveryFieldSet_SameDesignBack)
{
	int32 font = other_font();
	std::string installed = font >= 0 ? font_text(font) : "";
	base_mode = 3;
	base_color = 0x00abcdef;
	bg_bounds.Set(0.5f, 1.9f, 800.7f, 600.2f);
	if (other_format() >= 0)
		outfmt = other_format();
	autoset = true;
	textback = false;
	scrn_color = 0x00fedcba;

	object* a = new object(nullptr);
	a->bounds.Set(-10.7f, 20.2f, 300.9f, 1000.5f);
	a->type = kTypeDay;
	a->when = -3;
	a->bg_type = 1;
	a->bg_color = 0x80123456;
	a->year_color = 0x00010203;
	a->month_color = 0x00040506;
	a->day_color = 0x00070809;
	a->sun_color = 0x000a0b0c;
	a->sat_color = 0x000d0e0f;
	a->hol_color = 0x00101112;
	a->today_color = 0x00131415;
	a->year_size = 40;
	a->month_size = 30;
	a->day_size = 20;
	a->year_type = 2;
	a->month_type = 3;
	a->today_mark = 2;
	if (font >= 0) {
		font_item* f = (font_item*)fontl.ItemAt(font);
		set_font_name(a->year_font, f->family, f->style);
		a->year_font_no = font;
	}
	set_font_name(a->month_font, "Missing Family", "Oblique");
	a->month_font_no = 0;
	obl.AddItem(a);

	object* b = new object(a);
	b->bounds.Set(0.99f, -0.99f, 1919.5f, 1079.9f);
	b->type = kTypeYear;
	b->when = 7;
	b->bg_type = 0;
	b->year_type = -1;
	b->month_type = -2;
	b->today_mark = 1;
	b->bg_color = 0x00000000;
	obl.AddItem(b);

	object* c = new object(b);
	c->type = 200;
	c->when = INT32_MIN;
	c->day_size = INT32_MAX;
	c->year_type = -128;
	set_font_name(c->year_font, "Gone", "Regular");
	set_font_name(c->day_font, "Gone Too", "");
	c->day_font_no = 3;
	obl.AddItem(c);

	// What the reader gives back: whole coordinates, and for a font it cannot find, the
	// number of the object read before it (a new object's for the first).
	std::vector<object> want;
	int32 previous[3] = {dfn, dfn, dfn};
	for (int32 i = 0; i < 3; i++) {
		object o = *item(i);
		o.bounds.Set((int)o.bounds.left, (int)o.bounds.top, (int)o.bounds.right,
			(int)o.bounds.bottom);
		font_name* names[3] = {&o.year_font, &o.month_font, &o.day_font};
		int32* numbers[3] = {&o.year_font_no, &o.month_font_no, &o.day_font_no};
		for (int k = 0; k < 3; k++) {
			int32 found = font_index((*names[k])[0], (*names[k])[1]);
			*numbers[k] = found >= 0 ? found : previous[k];
			previous[k] = *numbers[k];
		}
		want.push_back(o);
	}
	int32 wantFormat = outfmt;

	std::string text = save_and_reload();
	if (font >= 0) {
		EXPECT_NE(text.find("year_font\t" + installed + "\n"), std::string::npos);
	}
	EXPECT_EQ(base_mode, 3);
	EXPECT_EQ(base_color, 0x00abcdefu);
	EXPECT_EQ(rect_text(bg_bounds), "0,1,800,600");
	EXPECT_EQ(outfmt, wantFormat);
	EXPECT_TRUE(autoset);
	EXPECT_FALSE(textback);
	EXPECT_EQ(scrn_color, 0x00fedcbau);
	ASSERT_EQ(obl.CountItems(), 3);
	for (int32 i = 0; i < 3; i++)
		EXPECT_EQ(dump(item(i)), dump(&want[i])) << "object " << i;
	EXPECT_EQ(rect_text(item(0)->bounds), "-10,20,300,1000");
	EXPECT_EQ(rect_text(item(1)->bounds), "0,0,1919,1079");
}

// Every row of the key table, each given a value unlike its default and unlike the other
// rows', comes back from the file: a new key is covered as soon as it has its row.
TEST_F(config_file_round_trip, EveryKeyOfTheTableComesBack)
{
	std::string image = dir.file("base.png");
	ASSERT_TRUE(write_png(image, 3, 2));
	int32 font = other_font();
	int32 format = other_format();
	const std::vector<std::string> sources = {"/home/me/days.ics", "webcal://cal.example/a.ics"};
	obl.AddItem(new object(nullptr));
	std::vector<std::string> given;
	auto place = [](const design_key& key) { return (char*)key_value(key, item(0)); };
	// What a value holds: its bytes, and for names only the text before their end.
	auto held = [&place](const design_key& key) {
		const char* p = place(key);
		switch (key.kind) {
			case kKeyInt8: case kKeyUint8: case kKeyFlag: return std::string(p, 1);
			case kKeyRect: case kKeyBounds: return std::string(p, sizeof(BRect));
			case kKeyImage: return std::string(p);
			case kKeyText: return *(const std::string*)p;
			case kKeyFont: return std::string(p) + '\0' + (p + kFontNameLength);
			case kKeySources: return std::string();
			default: return std::string(p, 4);
		}
	};
	for (size_t k = 0; k < kDesignKeyCount; k++) {
		const design_key& key = kDesignKeys[k];
		char* p = place(key);
		int n = (int)k + 1;
		switch (key.kind) {
			case kKeyInt32: *(int32*)p = 1000 * n; break;
			case kKeyChoice: *(int32*)p = key.limit; break;
			case kKeyInt8: *(int8*)p = -n; break;
			case kKeyUint8: *(uint8*)p = 200 + n; break;
			case kKeyColor: *(uint32*)p = 0x80000000u + n; break;
			case kKeyRect: case kKeyBounds: ((BRect*)p)->Set(n, 2 * n, 300 + n, 400 + n); break;
			case kKeyFlag: *(bool*)p = !*(bool*)p; break;
			case kKeyImage: strcpy(p, image.c_str()); break;
			case kKeyFormat: *(int32*)p = format; break;
			case kKeyFont: {
				font_item* f = (font_item*)fontl.ItemAt(font >= 0 ? font : dfn);
				set_font_name(*(font_name*)p, f->family, f->style);
				break;
			}
			case kKeySources: *(std::vector<std::string>*)p = sources; break;
			case kKeyText: *(std::string*)p = "k" + std::to_string(n); break;
		}
		given.push_back(held(key));
	}
	save_and_reload();
	ASSERT_EQ(obl.CountItems(), 1);
	for (size_t k = 0; k < kDesignKeyCount; k++) {
		const design_key& key = kDesignKeys[k];
		if ((key.kind == kKeyFormat && format < 0) || (key.kind == kKeyFont && font < 0))
			continue;
		EXPECT_EQ(held(key), given[k]) << key.name;
		if (key.kind == kKeyFont) {
			EXPECT_EQ(*(int32*)((char*)item(0) + key.number), font) << key.name;
		}
		if (key.kind == kKeySources) {
			EXPECT_EQ(*(std::vector<std::string>*)place(key), sources) << key.name;
		}
	}
}

TEST_F(config_file_round_trip, BoundsTruncatedTowardZero)
{
	object* o = new object(nullptr);
	o->bounds.Set(10.7f, 20.2f, 300.9f, 200.5f);
	obl.AddItem(o);
	o = new object(nullptr);
	o->bounds.Set(-10.7f, -0.5f, -300.9f, 0.999f);
	obl.AddItem(o);
	save_and_reload();
	ASSERT_EQ(obl.CountItems(), 2);
	EXPECT_EQ(rect_text(item(0)->bounds), "10,20,300,200");
	EXPECT_EQ(rect_text(item(1)->bounds), "-10,0,-300,0");
}

TEST_F(config_file_round_trip, BaseImageBeyond256BytesInNestedFolders)
{
	std::string deep = long_path(dir.path(), 700);
	ASSERT_TRUE(write_png(deep, 5, 7));
	entry_ref ref = ref_for(deep);
	view.load(&ref);
	ASSERT_NE(view.baseimg, nullptr);
	ASSERT_EQ(std::string(baseimgpath), deep);

	std::string text = save_and_reload();
	EXPECT_NE(text.find("\nbase_image\t" + deep + "\n"), std::string::npos);
	ASSERT_NE(view.baseimg, nullptr);
	EXPECT_EQ(rect_text(view.baseimg->Bounds()), "0,0,4,6");
	EXPECT_EQ(std::string(baseimgpath), deep);
}

TEST_F(config_file_round_trip, BaseImageGoneSinceSaving_PathKept)
{
	std::string picture = dir.file("gone.png");
	ASSERT_TRUE(write_png(picture, 2, 2));
	entry_ref ref = ref_for(picture);
	view.load(&ref);
	ASSERT_EQ(save(), B_OK);
	unlink(picture.c_str());
	view.clr_obj();
	load_path(dir.file("design"));
	EXPECT_EQ(view.baseimg, nullptr);
	EXPECT_STREQ(baseimgpath, picture.c_str());
}

TEST_F(config_file_round_trip, EmptyDesign_DefaultsBack)
{
	std::string before = dump_design(view);
	std::string text = save_and_reload();
	EXPECT_EQ(text.find("\n\n"), std::string::npos);
	EXPECT_EQ(dump_design(view), before);
}

// ---- Saving never leaves half a design behind ------------------------------------------

// Injected failures of the storage kit's system calls; the guard puts the real ones back.
struct os_calls_guard {
	~os_calls_guard() { g_os_calls = k_real_os_calls; }
};

int g_pwrite_calls;

ssize_t pwrite_half_then_enospc(int fd, const void* buffer, size_t size, off_t offset)
{
	if (++g_pwrite_calls > 1) {
		errno = ENOSPC;
		return -1;
	}
	return k_real_os_calls.pwrite(fd, buffer, size > 1 ? size / 2 : size, offset);
}

struct FailRow {
	const char* name;
	void (*inject)();
};

const FailRow fail_rows[] = {
	{"FirstWriteEnospc", [] {
		g_os_calls.pwrite = [](int, const void*, size_t, off_t) -> ssize_t {
			errno = ENOSPC;
			return -1;
		};
	}},
	{"SecondWriteEnospcAfterShortWrite", [] { g_os_calls.pwrite = pwrite_half_then_enospc; }},
	{"ShortWritesOfZero", [] {
		g_os_calls.pwrite = [](int, const void*, size_t, off_t) -> ssize_t { return 0; };
	}},
	{"FsyncEio", [] {
		g_os_calls.fsync = [](int) {
			errno = EIO;
			return -1;
		};
	}},
	{"RenameExdev", [] {
		g_os_calls.rename = [](const char*, const char*) {
			errno = EXDEV;
			return -1;
		};
	}},
	// A folder that takes no new file, as a read-only one does even for root's checks here.
	{"CreateInFolderRefused", [] {
		g_os_calls.open = [](const char* path, int flags, mode_t mode) {
			if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {
				errno = EACCES;
				return -1;
			}
			return k_real_os_calls.open(path, flags, mode);
		};
	}},
	{"NamingTheCompleteFileRefused", [] {
		g_os_calls.link_fd = [](int, const char*) {
			errno = ENOSPC;
			return -1;
		};
	}},
};

void PrintTo(const FailRow& row, std::ostream* out)
{
	*out << row.name;
}

class AtomicSave : public config_file, public ::testing::WithParamInterface<FailRow> {
protected:
	void SetUp() override
	{
		g_pwrite_calls = 0;
		load("base_type\t2\n\ntype\t0\nbounds\t1,2,3,4\n");
		ASSERT_EQ(save(), B_OK);
		old = dir.read("design");
		// A bigger design than the one on disk, so a cut-short write would show.
		for (int i = 0; i < 50; i++)
			obl.AddItem(new object(nullptr));
		base_mode = 0;
	}

	std::string old;
	os_calls_guard guard;
};

TEST_P(AtomicSave, FailureLeavesOldFileAndNoTemporary)
{
	GetParam().inject();
	EXPECT_NE(save(), B_OK);
	g_os_calls = k_real_os_calls;
	EXPECT_EQ(dir.read("design"), old);
	EXPECT_EQ(listing(dir.path()), std::set<std::string>{"design"});
}

TEST_P(AtomicSave, FailureOnNewFileLeavesNothing)
{
	GetParam().inject();
	EXPECT_NE(save("fresh"), B_OK);
	g_os_calls = k_real_os_calls;
	EXPECT_EQ(listing(dir.path()), std::set<std::string>{"design"});
}

INSTANTIATE_TEST_SUITE_P(config_file, AtomicSave, ::testing::ValuesIn(fail_rows),
	[](const ::testing::TestParamInfo<FailRow>& info) { return std::string(info.param.name); });

// A temporary whose writer was stopped is removed by the next save to the same target, on
// file systems with unnamed files and without; one whose writer still runs stays.
TEST_F(config_file, SaveRemovesTemporariesOfStoppedWritesOnly)
{
	os_calls_guard guard;
	for (bool unnamed : {true, false}) {
		SCOPED_TRACE(unnamed ? "unnamed" : "named");
		if (!unnamed) {
			g_os_calls.open = [](const char* path, int flags, mode_t mode) {
				if ((flags & O_TMPFILE) == O_TMPFILE) {
					errno = EOPNOTSUPP;
					return -1;
				}
				return k_real_os_calls.open(path, flags, mode);
			};
		}
		pid_t gone = fork();
		if (gone == 0)
			_exit(0);
		waitpid(gone, nullptr, 0);
		std::string live = ".design.tevra-" + std::to_string(getppid()) + "-0000abcd";
		dir.write(".design.tevra-" + std::to_string(gone) + "-0000abcd", "cut");
		dir.write(".design.tevra-1234abcd", "old style");
		struct timespec old[2] = {{0, UTIME_OMIT}, {time(nullptr) - 7200, 0}};
		utimensat(AT_FDCWD, dir.file(".design.tevra-1234abcd").c_str(), old, 0);
		dir.write(live, "being written");
		dir.write(".other.tevra-" + std::to_string(gone) + "-0000abcd", "another target's");
		ASSERT_EQ(save(), B_OK);
		EXPECT_EQ(listing(dir.path()), (std::set<std::string>{
			".design.tevra-" + std::to_string(getppid()) + "-0000abcd",
			".other.tevra-" + std::to_string(gone) + "-0000abcd", "design"}));
		remove(dir.file(live).c_str());
		remove(dir.file(".other.tevra-" + std::to_string(gone) + "-0000abcd").c_str());
	}
}

TEST_F(config_file, SuccessfulSaveReplacesContentAndLeavesNoTemporary)
{
	load("base_type\t2\n\nbounds\t1,2,3,4\n\nbounds\t5,6,7,8\n");
	ASSERT_EQ(save(), B_OK);
	std::string first = dir.read("design");
	view.clr_obj();
	ASSERT_EQ(save(), B_OK);
	std::string second = dir.read("design");
	EXPECT_NE(second, first);
	EXPECT_EQ(second.find("\nbounds"), std::string::npos);
	EXPECT_EQ(listing(dir.path()), std::set<std::string>{"design"});
}

// Saving used to write through a link by opening its path; the design must still land there.
TEST_F(config_file, SaveOverLink_WritesLinkedFileKeepsLink)
{
	std::filesystem::create_directory(dir.file("real"));
	dir.write("real/design", "old\n");
	ASSERT_EQ(symlink("real/design", dir.file("link").c_str()), 0);
	base_mode = 0;
	ASSERT_EQ(save("link"), B_OK);
	EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link")));
	EXPECT_EQ(dir.read("real/design").compare(0, 12, "base_type\t0\n"), 0);
	EXPECT_EQ(listing(dir.path()), (std::set<std::string>{"link", "real"}));
	EXPECT_EQ(listing(dir.file("real")), std::set<std::string>{"design"});
}

TEST_F(config_file, SaveOverExistingFile_KeepsItsPermissions)
{
	for (mode_t mode : {0600, 0664, 0640}) {
		SCOPED_TRACE(mode);
		dir.write("design", "old\n");
		ASSERT_EQ(chmod(dir.file("design").c_str(), mode), 0);
		ASSERT_EQ(save(), B_OK);
		struct stat st;
		ASSERT_EQ(stat(dir.file("design").c_str(), &st), 0);
		EXPECT_EQ(st.st_mode & 07777, mode);
	}
}

TEST_F(config_file, ReadOnlyFolder_SaveFailsOldFileKept)
{
	dir.write("design", "base_type\t0\n");
	chmod(dir.path().c_str(), 0555);
	// Root writes anyway; the injected refusal above covers that case.
	if (access(dir.path().c_str(), W_OK) == 0)
		GTEST_SKIP() << "permissions are not enforced for this user";
	EXPECT_NE(save(), B_OK);
	EXPECT_EQ(dir.read("design"), "base_type\t0\n");
	EXPECT_EQ(listing(dir.path()), std::set<std::string>{"design"});
}

TEST_F(config_file, MissingFolder_SaveFailsCreatesNothing)
{
	entry_ref folder = ref_for(dir.file("absent"));
	EXPECT_NE(view.save_config(&folder, "design"), B_OK);
	EXPECT_TRUE(listing(dir.path()).empty());
}

// ---- Files that are no design ----------------------------------------------------------

// The objects a file must give: one per line whose key is exactly "bounds".
int32 bounds_lines(const std::string& content)
{
	int32 count = 0;
	size_t start = 0;
	while (start < content.size()) {
		size_t end = content.find('\n', start);
		if (end == std::string::npos)
			end = content.size();
		if (content.compare(start, 6, "bounds") == 0
			&& (start + 6 == end || (uint8)content[start + 6] <= 0x20))
			count++;
		start = end + 1;
	}
	return count;
}

class config_file_bad_input : public config_file {
protected:
	// A design that differs from the defaults everywhere, to see that nothing changes.
	void SetUpDesign()
	{
		std::string picture = dir.file("base.png");
		ASSERT_TRUE(write_png(picture, 4, 4));
		load("base_type\t3\nbase_image\t" + picture
			+ "\nwp_autoset\ty\n\ntype\t0\nbounds\t1,2,3,4\n");
		ASSERT_NE(view.baseimg, nullptr);
		ASSERT_EQ(obl.CountItems(), 1);
	}
};

TEST_F(config_file_bad_input, MissingFile_PrintsMessageChangesNothing)
{
	SetUpDesign();
	std::string before = dump_design(view);
	BBitmap* image = view.baseimg;
	testing::internal::CaptureStdout();
	load_path(dir.file("no-such-design"));
	EXPECT_EQ(testing::internal::GetCapturedStdout(), kNotFound);
	EXPECT_EQ(dump_design(view), before);
	EXPECT_EQ(view.baseimg, image);
}

TEST_F(config_file_bad_input, Directory_PrintsMessageChangesNothing)
{
	SetUpDesign();
	std::string before = dump_design(view);
	testing::internal::CaptureStdout();
	load_path(dir.path());
	EXPECT_EQ(testing::internal::GetCapturedStdout(), kNotFound);
	EXPECT_EQ(dump_design(view), before);
}

TEST_F(config_file_bad_input, Device_PrintsMessageChangesNothing)
{
	SetUpDesign();
	std::string before = dump_design(view);
	testing::internal::CaptureStdout();
	load_path("/dev/zero");
	EXPECT_EQ(testing::internal::GetCapturedStdout(), kNotFound);
	EXPECT_EQ(dump_design(view), before);
}

// A named pipe with no writer must not hold the program forever; a helper opens the writing
// end after a while only to end the wait if the reader blocked.
TEST_F(config_file_bad_input, NamedPipe_PrintsMessageWithoutWaitingForWriter)
{
	std::string pipe = dir.file("pipe");
	ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
	std::atomic<bool> done{false};
	std::atomic<bool> rescued{false};
	std::thread rescuer([&] {
		for (int i = 0; i < 100 && !done; i++)
			usleep(50 * 1000);
		if (!done) {
			rescued = true;
			int fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
			if (fd >= 0)
				close(fd);
		}
	});
	testing::internal::CaptureStdout();
	load_path(pipe);
	done = true;
	rescuer.join();
	EXPECT_EQ(testing::internal::GetCapturedStdout(), kNotFound);
	EXPECT_FALSE(rescued);
}

TEST_F(config_file_bad_input, EmptyFile_DefaultsAndEmptyList)
{
	std::string defaults = dump_design(view);
	SetUpDesign();
	testing::internal::CaptureStdout();
	load("");
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
	EXPECT_EQ(dump_design(view), defaults);
	EXPECT_EQ(obl.CountItems(), 0);
}

TEST_F(config_file_bad_input, ImageFileAsDesign_NoCrash)
{
	ASSERT_TRUE(write_png(dir.file("picture.png"), 64, 64));
	load_path(dir.file("picture.png"));
	EXPECT_EQ(obl.CountItems(), bounds_lines(dir.read("picture.png")));
	EXPECT_EQ(sel_no, -1);
	EXPECT_STREQ(baseimgpath, "");
}

std::string random_bytes(std::mt19937& rng, size_t length, const std::string& alphabet)
{
	std::string out(length, '\0');
	for (char& c : out)
		c = alphabet.empty() ? (char)(rng() & 0xff) : alphabet[rng() % alphabet.size()];
	return out;
}

TEST_F(config_file_bad_input, GeneratedMalformedFiles_NoCrashConsistentList)
{
	static const char* const keys[] = {"base_type", "base_color", "base_image", "image_bounds",
		"out_format", "wp_autoset", "wp_textback", "screen_color", "type", "when", "bg_type",
		"bg_color", "year_color", "month_color", "day_color", "sun_color", "sat_color",
		"hol_color", "today_color", "year_size", "month_size", "day_size", "year_type",
		"month_type", "today_mark", "year_font", "month_font", "day_font", "bounds", "bound",
		"#bounds", " bounds"};
	const std::string noisy = "0123456789abcdefxyY,-+ \t\r\n\n\n\x01\x7f\x80\xff"s + '\0';
	std::mt19937 rng(20240611);
	const int kFiles = 3000;
	for (int n = 0; n < kFiles; n++) {
		std::string content;
		switch (n % 4) {
			case 0:
				content = random_bytes(rng, rng() % 3000, "");
				break;
			case 1:
				content = random_bytes(rng, rng() % 3000, noisy);
				break;
			default:
				for (int lines = rng() % 60; lines > 0; lines--) {
					const char* key = keys[rng() % (sizeof(keys) / sizeof(keys[0]))];
					size_t length = rng() % 40;
					if (rng() % 50 == 0)
						length = 1000 + rng() % 10000;
					if (n % 97 == 0 && lines == 1)
						length = 100 * 1024;
					std::string value = random_bytes(rng, length, rng() % 2 ? noisy : "");
					// Never send the reader after real files outside the test's folder.
					if (strcmp(key, "base_image") == 0)
						value = dir.file("no") + value;
					content += std::string(key) + (rng() % 3 ? "\t" : " ") + value + "\n";
				}
				break;
		}
		SCOPED_TRACE("file " + std::to_string(n));
		load(content);
		ASSERT_EQ(obl.CountItems(), bounds_lines(content));
		for (int32 i = 0; i < obl.CountItems(); i++) {
			object* o = item(i);
			ASSERT_NE(o, nullptr);
			for (font_name* f : {&o->year_font, &o->month_font, &o->day_font}) {
				ASSERT_LT(strnlen((*f)[0], kFontNameLength), (size_t)kFontNameLength);
				ASSERT_LT(strnlen((*f)[1], kFontNameLength), (size_t)kFontNameLength);
			}
		}
		ASSERT_EQ(view.baseimg, nullptr);
		// A name that reads no picture is kept as it was written.
		ASSERT_TRUE(baseimgpath[0] == '\0' || std::string(baseimgpath).rfind(dir.file("no"), 0) == 0)
			<< baseimgpath;
		ASSERT_GE(outfmt, 0);
		ASSERT_LT(outfmt, std::max<int32>(trc, 1));
	}
}

TEST_F(config_file_bad_input, HugeFileOfObjectBlocks_LoadsWithBoundedMemory)
{
	const size_t kTarget = 100u << 20;
	std::string path = dir.file("huge");
	int32 blocks = 0;
	{
		std::ofstream out(path, std::ios::binary);
		std::string chunk;
		size_t written = 0;
		while (written < kTarget) {
			char block[600];
			int length = snprintf(block, sizeof(block),
				"\ntype\t%d\nwhen\t%d\nbg_type\t1\nbg_color\t%08x\nyear_color\t00010203\n"
				"month_color\t00040506\nday_color\t00070809\nsun_color\t00ff0000\n"
				"sat_color\t000000ff\nhol_color\t00ff8800\ntoday_color\t0000aa00\n"
				"year_size\t%d\nmonth_size\t30\nday_size\t20\nyear_type\t1\nmonth_type\t2\n"
				"today_mark\t1\nyear_font\tNo Family,Bold\nmonth_font\tNo Family,Italic\n"
				"day_font\tNo Family,\nbounds\t%d,%d,%d,%d\n",
				(blocks % 3) * 10, blocks, (unsigned)blocks, blocks % 100, blocks % 1000, 5,
				blocks % 1000 + 100, 300);
			chunk.append(block, length);
			blocks++;
			if (chunk.size() > (1u << 20)) {
				out << chunk;
				written += chunk.size();
				chunk.clear();
			}
		}
		out << chunk;
	}

	reset_memory_peak();
	long before = status_kb("VmRSS");
	load_path(path);
	long peak = status_kb("VmHWM");
	unlink(path.c_str());

	ASSERT_EQ(obl.CountItems(), blocks);
	object* last = item(blocks - 1);
	EXPECT_EQ(last->when, blocks - 1);
	EXPECT_EQ(last->bg_color, (uint32)(blocks - 1));
	EXPECT_EQ(last->year_size, (blocks - 1) % 100);
	EXPECT_EQ(rect_text(last->bounds),
		rect_text(BRect((blocks - 1) % 1000, 5, (blocks - 1) % 1000 + 100, 300)));
	EXPECT_STREQ(last->month_font[1], "Italic");
	// The objects, their allocation overhead and the list; beyond that, 200 MB at most.
	long kept = (long)blocks * (sizeof(object) + 32 + sizeof(void*)) / 1024;
	ASSERT_GT(before, 0);
	if (!kUnderAddressSanitizer) {
		EXPECT_LT(peak - before, kept + 200 * 1024) << "objects kept: " << kept << " kB";
	}
}

}
