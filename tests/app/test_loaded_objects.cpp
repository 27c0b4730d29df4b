#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>

#include "model/events.h"
#include "tests/support/param_rows.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

const char kCalendar[] = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\n"
	"BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20260114\r\nSUMMARY:Dentist\r\n"
	"END:VEVENT\r\nEND:VCALENDAR\r\n";

struct loading_row {
	const char* name;
	// The design's key naming the calendar, or none, and its source: the file days.ics or a
	// feed's address.
	const char* key;
	const char* source;
	bool expectReading;
	bool expectNetwork;
	// A JPEG photograph as the base rather than a colour, and the output's type.
	bool photo;
	const char* output;
	// The one image plugin the run opens, or none.
	const char* plugin;
};

TEVRA_PRINT_CASE(loading_row)

// Nothing listens on port 1: the fetch fails at once, after its module was opened.
const loading_row loading_rows[] = {
	{"month_without_events_maps_neither", nullptr, nullptr, false, false, false, "image/png",
		nullptr},
	{"month_with_events_file_maps_no_network", "events", "days.ics", true, false, false,
		"image/png", nullptr},
	{"month_with_holidays_file_maps_no_network", "holidays", "days.ics", true, false, false,
		"image/png", nullptr},
	{"month_with_a_feed_maps_both", "events", "http://127.0.0.1:1/days.ics", true, true, false,
		"image/png", nullptr},
	{"photo_base_opens_the_jpeg_plugin_alone", nullptr, nullptr, false, false, true,
		"image/png", "libqjpeg"},
	{"jpeg_output_opens_the_jpeg_plugin_alone", nullptr, nullptr, false, false, false,
		"image/jpeg", "libqjpeg"},
	{"photo_as_jpeg_opens_the_jpeg_plugin_alone", nullptr, nullptr, false, false, true,
		"image/jpeg", "libqjpeg"},
	{"bmp_output_opens_no_plugin", nullptr, nullptr, false, false, false, "image/bmp", nullptr},
	{"ppm_output_opens_no_plugin", nullptr, nullptr, false, false, false,
		"image/x-portable-pixmap", nullptr},
};

class LoadedObjects : public testing::TestWithParam<loading_row> {};

// Runs create mode on the folder's design.tevra with the folder as home.
run_result run_in(const temp_dir& dir, const std::vector<std::string>& environment,
	const std::string& design = "design.tevra", const std::string& output = "out")
{
	run_options options;
	options.folder = dir.path();
	options.environment = {"QT_QPA_PLATFORM=offscreen", "HOME=" + dir.path(),
		"-XDG_CACHE_HOME"};
	options.environment.insert(options.environment.end(), environment.begin(),
		environment.end());
	return run_tevra({dir.file(design), dir.file(output)}, options);
}

// The shared objects the dynamic loader started in the run, one path a line.
std::string started_objects(const std::string& trace)
{
	std::istringstream lines(trace);
	std::string objects;
	for (std::string line; std::getline(lines, line);) {
		size_t at = line.find("calling init: ");
		if (at != std::string::npos)
			objects += line.substr(at + 14) + "\n";
	}
	return objects;
}

// Create mode maps the events code and libical only for a design that has events, libcurl
// with its network stack only for one with a feed, and of the image plugins only the one of a
// format it reads or writes; the dynamic loader's own trace tells what it brought in.
TEST_P(LoadedObjects, LoadsOnlyWhatTheDesignUses)
{
	const loading_row& row = GetParam();
	temp_dir dir;
	dir.write("days.ics", kCalendar);
	dir.write("design.tevra", std::string("base_type\t") + (row.photo ? "1" : "0") + "\n"
		+ (row.photo ? "base_image\t" + dir.file("photo.jpg") + "\n" : "")
		+ "out_format\t" + row.output + "\n"
		+ (row.key != nullptr ? std::string(row.key) + "\t" + (strstr(row.source, "://")
			? std::string(row.source) : dir.file(row.source)) + "\n" : "")
		+ "\ntype\t10\nbounds\t10,10,400,300\n");
	dir.write("photo.tevra", "base_type\t0\nscreen_color\t00336699\nout_format\timage/jpeg\n");
	// The first run in a fresh home learns the image formats and keeps them, and makes the
	// photograph; the second takes the formats from the cache.
	ASSERT_EQ(run_in(dir, {}, "photo.tevra", "photo.jpg").status, 0);
	run_result r = run_in(dir, {"LD_DEBUG=files"});
	ASSERT_EQ(r.status, 0) << r.err;
	std::string objects = started_objects(r.err);
	ASSERT_NE(objects.find("libQt6Core"), std::string::npos) << "no loader trace";
	for (const char* library : {"/libical.so", "/libtevra-events.so"}) {
		EXPECT_EQ(objects.find(library) != std::string::npos, row.expectReading)
			<< library << " in\n" << objects;
	}
	for (const char* library : {"/libcurl.so", "/libtevra-fetch.so"}) {
		EXPECT_EQ(objects.find(library) != std::string::npos, row.expectNetwork)
			<< library << " in\n" << objects;
	}
	// A colour base written as PNG needs no image plugin; a JPEG read or written its own.
	std::string plugins;
	std::istringstream lines(objects);
	for (std::string line; std::getline(lines, line);) {
		if (line.find("/imageformats/") != std::string::npos)
			plugins += line.substr(line.rfind('/') + 1) + " ";
	}
	EXPECT_EQ(plugins, row.plugin != nullptr ? std::string(row.plugin) + ".so " : "") << objects;
}

// The kept list of image formats is learnt again when the plugin folders change, and when
// what is kept is no such list.
TEST(ImageFormatsCache, LearntAgainWhenThePluginsChange)
{
	temp_dir dir;
	dir.write("design.tevra", "base_type\t0\nout_format\timage/png\n");
	std::filesystem::create_directories(dir.file("plugins/imageformats"));
	std::string plugins = "QT_PLUGIN_PATH=" + dir.file("plugins");
	const std::string cache = ".cache/tevra/image-formats";
	ASSERT_EQ(run_in(dir, {plugins}).status, 0);
	std::string first = dir.read(cache);
	ASSERT_NE(first.find("image/png"), std::string::npos) << first;
	EXPECT_EQ(first.find("libnew.so"), std::string::npos);

	dir.write("plugins/imageformats/libnew.so", "not a plugin");
	ASSERT_EQ(run_in(dir, {plugins}).status, 0);
	std::string second = dir.read(cache);
	EXPECT_NE(second.find("libnew.so"), std::string::npos) << second;
	EXPECT_NE(second.find("image/png"), std::string::npos);

	dir.write(cache, first.substr(0, first.size() / 2) + "\ngarbage\n");
	ASSERT_EQ(run_in(dir, {plugins}).status, 0);
	EXPECT_EQ(dir.read(cache), second);
}

// The program's settings reach the module opened on demand: a feed comes through the
// program's own fetch, and the module's answers come back.
TEST(EventsOnDemand, FeedComesThroughTheProgramsFetch)
{
	temp_dir dir;
	std::string savedCache = getenv("XDG_CACHE_HOME") != nullptr ? getenv("XDG_CACHE_HOME") : "";
	setenv("XDG_CACHE_HOME", dir.path().c_str(), 1);
	event_fetch_function saved = event_fetch;
	static int asked;
	asked = 0;
	event_fetch = [](const std::vector<std::string>& urls, int, std::vector<std::string>* bodies,
		std::vector<std::string>*) {
		asked += (int)urls.size();
		bodies->at(0) = kCalendar;
	};
	event_sources = {"https://calendar.invalid/days.ics"};
	load_events();
	EXPECT_TRUE(has_event(2026, 1, 14));
	// The reading went on beside the caller until the question.
	EXPECT_EQ(asked, 1);
	EXPECT_FALSE(has_event(2026, 1, 15));
	EXPECT_EQ(event_summaries(2026, 1, 14), std::vector<std::string>{"Dentist"});
	event_sources.clear();
	load_events();
	EXPECT_FALSE(has_event(2026, 1, 14));
	event_fetch = saved;
	if (savedCache.empty())
		unsetenv("XDG_CACHE_HOME");
	else
		setenv("XDG_CACHE_HOME", savedCache.c_str(), 1);
}

INSTANTIATE_TEST_SUITE_P(Designs, LoadedObjects, testing::ValuesIn(loading_rows),
	case_name<loading_row>);

}
