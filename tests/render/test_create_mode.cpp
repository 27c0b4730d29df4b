#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <utility>

#include "model/globals.h"
#include "tests/render/render_fixture.h"
#include "tests/support/files.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

// The real program, run as a timer or a login script runs it: two arguments, no display.

namespace {

// Runs the binary from the top of the source tree, as the README does.
run_result create(const std::string& config, const std::string& output)
{
	run_options options;
	options.folder = TEVRA_SOURCE_DIR;
	options.environment = {"-DISPLAY", "-WAYLAND_DISPLAY"};
	return run_tevra({config, output}, options);
}

// Create mode in a folder, on an offscreen screen of 1920 x 1080, the size the examples are
// laid out for.
run_result create_on_full_hd(const temp_dir& dir, const std::string& folder,
	const std::string& config, const std::string& output)
{
	dir.write("screen.json", "{\"screens\": [{\"name\": \"test\", \"x\": 0, \"y\": 0,"
		" \"width\": 1920, \"height\": 1080, \"logicalDpi\": 96, \"logicalBaseDpi\": 96,"
		" \"dpr\": 1}]}\n");
	run_options options;
	options.folder = folder;
	options.environment = {"-DISPLAY", "-WAYLAND_DISPLAY",
		"QT_QPA_PLATFORM=offscreen:configfile=" + dir.file("screen.json")};
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

// Every example draws the same picture, its base image in it, wherever it is run from: by its
// full path from "/", from the top of the tree as the README runs it, and copied with its files
// into another folder.
TEST(create_mode, EveryExampleRendersSilentlyAtTheScreensSize)
{
	const std::string examples = std::string(TEVRA_SOURCE_DIR) + "/examples";
	temp_dir dir;
	std::filesystem::copy(examples, dir.file("copied"));
	int designs = 0;
	for (const auto& entry : std::filesystem::directory_iterator(examples)) {
		if (entry.path().extension() != ".tevra")
			continue;
		designs++;
		std::string name = entry.path().filename().string();
		SCOPED_TRACE(name);
		const std::pair<std::string, std::string> runs[] = {{"/", examples + "/" + name},
			{TEVRA_SOURCE_DIR, "examples/" + name}, {dir.path(), "copied/" + name}};
		std::string first;
		for (const auto& [folder, design] : runs) {
			run_result r = create_on_full_hd(dir, folder, design, dir.file("wall.png"));
			EXPECT_EQ(r.status, 0) << folder;
			EXPECT_EQ(r.out, "") << folder;
			EXPECT_EQ(r.err, "") << folder;
			std::string picture = read_file(dir.file("wall.png"));
			if (first.empty())
				first = picture;
			EXPECT_TRUE(!picture.empty() && picture == first) << folder << " draws another picture";
		}
		EXPECT_EQ(identify_size(dir.file("wall.png")), "1920 1080");

		// The same design naming no image shows the bare base colour where the image lies: at
		// least half the picture, centred or fitted.
		std::string bare = std::regex_replace(read_file(entry.path()),
			std::regex("\nbase_image\t[^\n]*"), "");
		if (bare == read_file(entry.path()))
			continue;
		dir.write("copied/bare.tevra", bare);
		ASSERT_EQ(create_on_full_hd(dir, "/", dir.file("copied/bare.tevra"),
			dir.file("bare.png")).status, 0);
		std::unique_ptr<BBitmap> drawn(decode_file(dir.file("wall.png")));
		std::unique_ptr<BBitmap> without(decode_file(dir.file("bare.png")));
		ASSERT_TRUE(drawn != nullptr && without != nullptr);
		int differing = 0;
		for (int y = 0; y < 1080; y++) {
			for (int x = 0; x < 1920; x++)
				differing += pixel_of(drawn.get(), x, y) != pixel_of(without.get(), x, y);
		}
		EXPECT_GT(differing, 1920 * 1080 / 2);
	}
	EXPECT_GE(designs, 5);
}

enum image_kind { kNoFile, kText, kPicture };

struct unread_image_case {
	const char* name;
	image_kind image;       // what the design's sky.jpg is
	const char* more;       // further lines of the design
	const char* output;     // inside the scratch folder
	int status;
	const char* err;        // "@" stands for the scratch folder
};
TEVRA_PRINT_CASE(unread_image_case)

class create_mode_base_image : public testing::TestWithParam<unread_image_case> {};

// A timer's log learns that the picture lacks its image, in the line the events use, with the
// path as the design has it; the status is what writing the picture made it.
TEST_P(create_mode_base_image, SaysOnceWhenItCannotBeRead)
{
	const unread_image_case& c = GetParam();
	temp_dir dir;
	if (c.image == kText)
		dir.write("sky.jpg", "a note, not a picture\n");
	if (c.image == kPicture)
		std::filesystem::copy(std::string(TEVRA_SOURCE_DIR) + "/examples/evening.jpg",
			dir.file("sky.jpg"));
	dir.write("design.tevra", std::string("base_type\t1\nbase_image\tsky.jpg\n") + c.more);
	// The system's reasons in English, whatever the tester's language.
	run_options options;
	options.environment = {"-DISPLAY", "-WAYLAND_DISPLAY", "LC_ALL=C"};
	run_result r = run_tevra({dir.file("design.tevra"), dir.file(c.output)}, options);

	std::string expected = c.err;
	for (size_t at; (at = expected.find('@')) != std::string::npos;)
		expected.replace(at, 1, dir.path());
	EXPECT_EQ(r.err, expected);
	EXPECT_EQ(r.status, c.status);
	if (c.status == 0) {
		EXPECT_EQ(identify_size(dir.file(c.output)), screen_size());
	}
}

INSTANTIATE_TEST_SUITE_P(render, create_mode_base_image, testing::Values(
	unread_image_case{"Missing", kNoFile, "", "wall.png", 0,
		"tevra: base image: sky.jpg: No such file or directory\n"},
	unread_image_case{"NotAPicture", kText, "", "wall.png", 0,
		"tevra: base image: sky.jpg: not a picture that can be read\n"},
	unread_image_case{"Readable", kPicture, "", "wall.png", 0, ""},
	unread_image_case{"BesideAMissingCalendar", kNoFile, "events\tgone.ics\n", "wall.png", 0,
		"tevra: base image: sky.jpg: No such file or directory\n"
		"tevra: events: gone.ics: No such file or directory; its events are left out\n"},
	unread_image_case{"AndThePictureUnwritable", kNoFile, "", "nowhere/wall.png", 1,
		"tevra: base image: sky.jpg: No such file or directory\n"
		"tevra: cannot write @/nowhere/wall.png: No such file or directory\n"}),
	case_name<unread_image_case>);

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
