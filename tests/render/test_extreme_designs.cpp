#include "tests/render/render_fixture.h"

#include <string>

#include <Entry.h>

#include "tests/support/temp_dir.h"

// Designs at the edges of what the file can say, found by fuzzing the design reader with
// composing: every value is read, and the picture composes. Under make test-sanitize a
// conversion out of range, or any other undefined behaviour, fails the test.

namespace {

struct extreme_case {
	const char* name;
	const char* design;
	bool covers_corner;  // whether a calendar reaches the picture's top left pixel
};
TEVRA_PRINT_CASE(extreme_case)

}

class extreme_design : public render_test, public testing::WithParamInterface<extreme_case> {};

TEST_P(extreme_design, ComposesAndSaves)
{
	const extreme_case& c = GetParam();
	temp_dir dir;
	const uint32 colours[4] = {0xff0000, 0x00ff00, 0x0000ff, 0xffff00};
	ASSERT_EQ(encode_file(make_quarters(64, 48, colours), B_PNG_FORMAT, dir.file("base.png")),
		B_OK);
	std::string text = std::string("base_type\t0\nbase_color\t00204060\n") + c.design;
	size_t image = text.find("@IMAGE@");
	if (image != std::string::npos)
		text.replace(image, 7, dir.file("base.png"));
	dir.write("design", text);
	entry_ref design, folder;
	ASSERT_EQ(get_ref_for_path(dir.file("design").c_str(), &design), B_OK);
	view->load_config(&design);
	ASSERT_GT(obl.CountItems(), 0);
	view->create_wallpaper();
	if (!c.covers_corner) {
		EXPECT_EQ(pixel(0, 0), kBase);
	}
	ASSERT_EQ(get_ref_for_path(dir.path().c_str(), &folder), B_OK);
	EXPECT_EQ(view->save_config(&folder, "saved"), B_OK);
	EXPECT_NE(dir.read("saved").find("bounds\t"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(render, extreme_design, testing::Values(
	extreme_case{"YearSpanningAllOf32Bits", "type\t20\nbg_type\t1\ntoday_mark\t1\n"
		"bounds\t-2147483648,-2147483648,2147483647,2147483647\n", true},
	extreme_case{"MonthSpanningAllOf32Bits", "type\t10\nbg_type\t1\ntoday_mark\t2\n"
		"bounds\t-2147483648,-2147483648,2147483647,2147483647\n", true},
	extreme_case{"MonthReversedTodaySpanningAllOf32Bits", "type\t10\nbg_type\t0\ntoday_mark\t1\n"
		"bounds\t-2147483648,-2147483648,2147483647,2147483647\n", true},
	extreme_case{"DaySpanningAllOf32Bits", "type\t0\nbg_type\t1\n"
		"bounds\t-2147483648,-2147483648,2147483647,2147483647\n", true},
	extreme_case{"YearFarOffTheScreen", "type\t20\nbounds\t2147483000,2147483000,2147483647,"
		"2147483647\n", false},
	extreme_case{"LargestFontSizes", "type\t20\nyear_size\t2147483647\nmonth_size\t2147483647\n"
		"day_size\t2147483647\nbounds\t100,100,500,400\n\ntype\t10\nbounds\t100,100,500,400\n"
		"\ntype\t0\nbounds\t100,100,500,400\n", true},
	extreme_case{"NegativeFontSizes", "type\t20\nyear_size\t-2147483648\nmonth_size\t-5\n"
		"day_size\t-2147483648\nbounds\t100,100,500,400\n", false},
	extreme_case{"FurthestDaysAway", "type\t0\nwhen\t2147483647\nyear_type\t2\nbounds\t100,100,"
		"300,300\n\ntype\t10\nwhen\t-2147483648\nbounds\t100,100,300,300\n\ntype\t20\nwhen\t"
		"2147483647\nbounds\t100,100,300,300\n", false},
	extreme_case{"ImageIntoARectangleOf32Bits", "base_type\t3\nbase_image\t@IMAGE@\n"
		"image_bounds\t-2147483648,-2147483648,2147483647,2147483647\n\ntype\t0\n"
		"bounds\t10,10,20,20\n", true}),
	case_name<extreme_case>);
