#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

#include "model/globals.h"
#include "tests/render/render_fixture.h"
#include "tests/support/temp_dir.h"

// The real program, run as a timer or a login script runs it: two arguments, no display.

namespace {

struct result {
	int status;
	std::string out;
	std::string err;
};

std::string quote(const std::string& text)
{
	std::string quoted = "'";
	for (char c : text)
		quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
	return quoted + "'";
}

// Runs the binary from the top of the source tree, where the examples name their files.
result run_tevra(const std::string& config, const std::string& output, const temp_dir& scratch)
{
	// ctest names the binary; run by hand, the test needs it named the same way.
	const char* binary = getenv("TEVRA_BINARY");
	EXPECT_NE(binary, nullptr) << "TEVRA_BINARY is not set";
	std::string command = "cd " + quote(TEVRA_SOURCE_DIR) + " && env -u DISPLAY -u WAYLAND_DISPLAY"
		" timeout 60 " + quote(binary != nullptr ? binary : "tevra") + " " + quote(config) + " "
		+ quote(output) + " 2>" + quote(scratch.file("stderr"));
	result r = {-1, "", ""};
	FILE* pipe = popen(command.c_str(), "r");
	if (pipe == nullptr)
		return r;
	char buffer[256];
	size_t n;
	while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
		r.out.append(buffer, n);
	int status = pclose(pipe);
	r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	r.err = scratch.read("stderr");
	return r;
}

std::string screen_size()
{
	return std::to_string(scrn.IntegerWidth() + 1) + " " + std::to_string(scrn.IntegerHeight() + 1);
}

std::string identify_size(const std::string& path)
{
	std::string out;
	FILE* pipe = popen(("identify -format '%w %h' " + quote(path) + " 2>/dev/null").c_str(), "r");
	if (pipe == nullptr)
		return out;
	char buffer[64];
	while (fgets(buffer, sizeof(buffer), pipe) != nullptr)
		out += buffer;
	pclose(pipe);
	return out;
}

}

TEST(create_mode, MissingDesignSaysSoAndWritesTheDefaultPicture)
{
	temp_dir dir;
	result r = run_tevra(dir.file("no-such-design"), dir.file("wall.png"), dir);
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
	result r = run_tevra("examples/year-wall.tevra", output, dir);

	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.out, "");
	ASSERT_FALSE(r.err.empty());
	EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
	EXPECT_NE(r.err.find(output), std::string::npos) << r.err;
	// Nothing was left behind: no temporary file, and a folder stays a folder.
	int entries = 0;
	for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
		entries += entry.path().filename() != "stderr";
	EXPECT_EQ(entries, c.make_directory ? 1 : 0);
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
		result r = run_tevra(design, dir.file("wall.png"), dir);
		EXPECT_EQ(r.status, 0);
		EXPECT_EQ(r.out, "");
		EXPECT_EQ(r.err, "");
		EXPECT_EQ(identify_size(dir.file("wall.png")), screen_size());
	}
	EXPECT_GE(designs, 3);
}
