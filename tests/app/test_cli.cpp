#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

struct run_result {
	int status;
	std::string out;
	std::string err;
};

std::string quoted(const std::string& text)
{
	std::string result = "'";
	for (char c : text)
		result += c == '\'' ? std::string("'\\''") : std::string(1, c);
	return result + "'";
}

// Runs the real binary from a fresh folder; `timeout` turns a hang into status 124.
run_result run(const std::vector<std::string>& args, const std::string& environment = "")
{
	const char* binary = getenv("TEVRA_BINARY");
	EXPECT_NE(binary, nullptr) << "TEVRA_BINARY is set by the test's CMake registration";
	temp_dir dir;
	std::string command = "cd " + quoted(dir.path()) + " && env " + environment
		+ " timeout 20 " + quoted(binary != nullptr ? binary : "tevra");
	for (const std::string& arg : args)
		command += " " + quoted(arg);
	command += " 2>" + quoted(dir.file("stderr")) + " </dev/null";

	run_result result;
	FILE* pipe = popen(command.c_str(), "r");
	if (pipe == nullptr) {
		ADD_FAILURE() << "popen failed";
		return {-1, "", ""};
	}
	char buffer[4096];
	size_t got;
	while ((got = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
		result.out.append(buffer, got);
	int status = pclose(pipe);
	result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	result.err = dir.read("stderr");
	return result;
}

const char kUsageText[] = "tevra ver.0.02\nusage :\n\ttevra\t\t\t\t: config mode\n"
	"\ttevra config_file output_file\t: create mode\n";

struct count_row {
	const char* name;
	std::vector<std::string> args;
};

void PrintTo(const count_row& row, std::ostream* out)
{
	*out << row.name;
}

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
	[](const ::testing::TestParamInfo<count_row>& info) { return std::string(info.param.name); });

// Create mode from cron or ssh: no display at all, and the program still finishes.
TEST(CreateMode, RunsWithoutADisplayAndExits)
{
	run_result r = run({"missing-design.tevra", "out.png"},
		"-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
	EXPECT_NE(r.status, 124) << "timed out";
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.err, "");
}

TEST(CreateMode, RunsOnTheOffscreenPlatformAndExits)
{
	run_result r = run({"missing-design.tevra", "out.png"}, "QT_QPA_PLATFORM=offscreen");
	EXPECT_EQ(r.status, 0);
}

}
