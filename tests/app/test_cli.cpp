#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <Bitmap.h>

#include "tests/support/param_rows.h"
#include "tests/support/pictures.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

// Runs the real binary from a fresh folder; a hang ends as status 124.
run_result run(const std::vector<std::string>& args,
	const std::vector<std::string>& environment = {})
{
	temp_dir dir;
	run_options options;
	options.folder = dir.path();
	options.environment = environment;
	options.timeout_seconds = 20;
	return run_tevra(args, options);
}

const char kUsageText[] = "tevra ver.0.02\nusage :\n\ttevra\t\t\t\t: config mode\n"
	"\ttevra config_file\t\t\t: config mode on that design\n"
	"\ttevra config_file output_file\t: create mode\n";

struct count_row {
	const char* name;
	std::vector<std::string> args;
};

TEVRA_PRINT_CASE(count_row)

const count_row count_rows[] = {
	{"one_unknown_option", {"--frobnicate"}},
	{"help_with_more", {"--help", "out.png", "extra"}},
	{"three_arguments", {"design.tevra", "out.png", "extra"}},
	{"four_arguments", {"a", "b", "c", "d"}},
	{"one_empty_argument", {""}},
};

class WrongArgumentCount : public ::testing::TestWithParam<count_row> {};

TEST_P(WrongArgumentCount, PrintsUsageAndFails)
{
	run_result r = run(GetParam().args);
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.out, kUsageText);
	EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(Counts, WrongArgumentCount, ::testing::ValuesIn(count_rows),
	case_name<count_row>);

struct answer_row {
	const char* name;
	std::vector<std::string> args;
	const char* out;
};

TEVRA_PRINT_CASE(answer_row)

const answer_row answer_rows[] = {
	{"help", {"--help"}, kUsageText},
	{"h", {"-h"}, kUsageText},
	{"version", {"--version"}, "tevra ver.0.02\n"},
};

class Answers : public ::testing::TestWithParam<answer_row> {};

TEST_P(Answers, PrintOnStandardOutputAndSucceed)
{
	run_result r = run(GetParam().args);
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.out, GetParam().out);
	EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(Options, Answers, ::testing::ValuesIn(answer_rows),
	case_name<answer_row>);

// A design's relative paths, read by create mode run from another folder: the design's own
// folder first, then (as designs have always been read) the working folder.
struct relative_row {
	const char* name;
	bool besideDesign;
	bool inWorkingFolder;
	uint32 colour;  // of the picture's first pixel
};

TEVRA_PRINT_CASE(relative_row)

const relative_row relative_rows[] = {
	{"beside_the_design", true, false, 0x404040},
	{"in_the_working_folder", false, true, 0x808080},
	{"design_folder_first", true, true, 0x404040},
	{"nowhere_base_colour", false, false, 0x336699},
};

class RelativePaths : public ::testing::TestWithParam<relative_row> {};

// A 2 x 2 picture of one grey, in a format Qt reads itself.
std::string grey_picture(char level)
{
	return "P6\n2 2\n255\n" + std::string(12, level);
}

TEST_P(RelativePaths, AreReadFromTheDesignsFolderFirst)
{
	const relative_row& row = GetParam();
	temp_dir designs, working;
	designs.write("design.tevra", "base_type\t1\nbase_image\tpic.ppm\n");
	if (row.besideDesign)
		designs.write("pic.ppm", grey_picture('\x40'));
	if (row.inWorkingFolder)
		working.write("pic.ppm", grey_picture('\x80'));
	run_options options;
	options.folder = working.path();
	options.environment = {"-DISPLAY", "-WAYLAND_DISPLAY", "-QT_QPA_PLATFORM"};
	options.timeout_seconds = 20;
	run_result r = run_tevra({designs.file("design.tevra"), "out.png"}, options);
	ASSERT_EQ(r.status, 0) << r.err;
	std::unique_ptr<BBitmap> picture(decode_file(working.file("out.png")));
	ASSERT_NE(picture, nullptr);
	EXPECT_EQ(pixel_of(picture.get(), 0, 0), row.colour) << r.err;
}

INSTANTIATE_TEST_SUITE_P(CreateMode, RelativePaths, ::testing::ValuesIn(relative_rows),
	case_name<relative_row>);

// Create mode from cron or ssh: no display at all, and the program still finishes.
TEST(CreateMode, RunsWithoutADisplayAndExits)
{
	run_result r = run({"missing-design.tevra", "out.png"},
		{"-DISPLAY", "-WAYLAND_DISPLAY", "-QT_QPA_PLATFORM"});
	EXPECT_NE(r.status, 124) << "timed out";
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.err, "");
}

TEST(CreateMode, RunsOnTheOffscreenPlatformAndExits)
{
	run_result r = run({"missing-design.tevra", "out.png"}, {"QT_QPA_PLATFORM=offscreen"});
	EXPECT_EQ(r.status, 0);
}

}
