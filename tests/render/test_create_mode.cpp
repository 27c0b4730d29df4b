#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>

#include "model/globals.h"
#include "tests/render/render_fixture.h"
#include "tests/support/files.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

// The real program, run as a timer or a login script runs it: two arguments, no display.

namespace {

// Runs the binary from the top of the source tree, where the examples name their files.
run_result create(const std::string& config, const std::string& output)
{
	run_options options;
	options.folder = TEVRA_SOURCE_DIR;
	options.environment = {"-DISPLAY", "-WAYLAND_DISPLAY"};
	return run_tevra({config, output}, options);
}

std::string screen_size()
{
	return std::to_string(scrn.IntegerWidth() + 1) + " " + std::to_string(scrn.IntegerHeight() + 1);
}

}

TEST(create_mode, MissingDesignSaysSoAndWritesTheDefaultPicture)
{
	temp_dir dir;
	run_result r = create(dir.file("no-such-design"), dir.file("wall.png"));
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.out, "not found config_file. use default\n");
	EXPECT_EQ(r.err, "");

	std::unique_ptr<BBitmap> picture(decode_file(dir.file("wall.png")));
	ASSERT_NE(picture, nullptr);
	ASSERT_EQ(picture->Bounds(), scrn);
	int other = 0;
	for (int y = 0; y <= scrn.IntegerHeight(); y++) {
		for (int x = 0; x <= scrn.IntegerWidth(); x++)
			other += pixel_of(picture.get(), x, y) != 0x336699;
	}
	EXPECT_EQ(other, 0);
	EXPECT_EQ(identify_size(dir.file("wall.png")), screen_size());
}

struct unwritable_case {
	const char* name;
	const char* output;  // inside the scratch folder
	bool make_directory;
};
TEVRA_PRINT_CASE(unwritable_case)

class create_mode_unwritable : public testing::TestWithParam<unwritable_case> {};

TEST_P(create_mode_unwritable, SaysWhichFileOnOneLineAndFails)
{
	const unwritable_case& c = GetParam();
	temp_dir dir;
	if (c.make_directory) {
		ASSERT_EQ(mkdir(dir.file(c.output).c_str(), 0755), 0);
	}
	std::string output = dir.file(c.output);
	run_result r = create("examples/year-wall.tevra", output);

	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.out, "");
	ASSERT_FALSE(r.err.empty());
	EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
	EXPECT_NE(r.err.find(output), std::string::npos) << r.err;
	// Nothing was left behind: no temporary file, and a folder stays a folder.
	EXPECT_EQ(listing(dir.path()).size(), c.make_directory ? 1u : 0u);
	if (c.make_directory) {
		EXPECT_TRUE(std::filesystem::is_directory(output));
	}
}

INSTANTIATE_TEST_SUITE_P(render, create_mode_unwritable, testing::Values(
	unwritable_case{"MissingFolder", "nowhere/wall.png", false},
	unwritable_case{"FolderInPlaceOfTheFile", "wall.png", true},
	unwritable_case{"EmptyName", "", false}),
	case_name<unwritable_case>);

TEST(create_mode, EveryExampleRendersSilentlyAtTheScreensSize)
{
	int designs = 0;
	for (const auto& entry : std::filesystem::directory_iterator(
			std::string(TEVRA_SOURCE_DIR) + "/examples")) {
		if (entry.path().extension() != ".tevra")
			continue;
		designs++;
		std::string design = "examples/" + entry.path().filename().string();
		SCOPED_TRACE(design);
		temp_dir dir;
		run_result r = create(design, dir.file("wall.png"));
		EXPECT_EQ(r.status, 0);
		EXPECT_EQ(r.out, "");
		EXPECT_EQ(r.err, "");
		EXPECT_EQ(identify_size(dir.file("wall.png")), screen_size());
	}
	EXPECT_GE(designs, 3);
}

// Calendar files written to harm, beside a good one: the picture is written, the status is a
// good design's, and each bad file costs one line naming it. A 30 KB title on today's
// single date is cut to fit and costs nothing.
TEST(create_mode, HostileCalendarsCostALineEachAndThePictureIsWritten)
{
	temp_dir dir;
	time_t now = time(nullptr);
	char today[16];
	strftime(today, sizeof(today), "%Y%m%d", localtime(&now));
	std::string head = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:";
	std::string nest = head + today + "\r\n";
	for (int i = 0; i < 300000; i++)
		nest += "BEGIN:VALARM\r\n";
	for (int i = 0; i < 300000; i++)
		nest += "END:VALARM\r\n";
	dir.write("nest.ics", nest + "END:VEVENT\r\nEND:VCALENDAR\r\n");
	dir.write("forever.ics", head + "00010101\r\nDTEND;VALUE=DATE:99991231\r\n"
		"RRULE:FREQ=DAILY\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
	std::string title;
	while (title.size() < 30000)
		title += "a very long title ";
	dir.write("title.ics", head + today + "\r\nSUMMARY:" + title
		+ "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
	dir.write("design", "events\t" + dir.file("nest.ics") + "\nevents\t" + dir.file("forever.ics")
		+ "\nevents\t" + dir.file("title.ics") + "\n\ntype\t0\nbounds\t10,10,600,300\n"
		"\ntype\t20\nbounds\t10,310,900,700\n");
	run_result r = create(dir.file("design"), dir.file("wall.png"));
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
	EXPECT_NE(r.err.find(dir.file("nest.ics") + ": "), std::string::npos) << r.err;
	EXPECT_NE(r.err.find(dir.file("forever.ics") + ": "), std::string::npos) << r.err;
	EXPECT_EQ(identify_size(dir.file("wall.png")), screen_size());
}
