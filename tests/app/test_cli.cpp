#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/param_rows.h"
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
	"\ttevra config_file output_file\t: create mode\n";

struct count_row {
	const char* name;
	std::vector<std::string> args;
};

TEVRA_PRINT_CASE(count_row)

const count_row count_rows[] = {
	{"one_argument", {"design.tevra"}},
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
