#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/param_rows.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

const char kCalendar[] = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\n"
	"BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20260114\r\nSUMMARY:Dentist\r\n"
	"END:VEVENT\r\nEND:VCALENDAR\r\n";

struct loading_row {
	const char* name;
	bool events;
	bool expectLoaded;
};

TEVRA_PRINT_CASE(loading_row)

const loading_row loading_rows[] = {
	{"month_without_events_maps_neither", false, false},
	{"month_with_events_maps_both", true, true},
};

class LoadedObjects : public testing::TestWithParam<loading_row> {};

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

// Create mode maps the events code, libical and libcurl with its network stack, only for a
// design that has events; the dynamic loader's own trace tells what it brought in.
TEST_P(LoadedObjects, EventsLibrariesOnlyForADesignWithEvents)
{
	const loading_row& row = GetParam();
	temp_dir dir;
	dir.write("days.ics", kCalendar);
	dir.write("design.tevra", std::string("base_type\t0\nout_format\timage/png\n")
		+ (row.events ? "events\t" + dir.file("days.ics") + "\n" : "")
		+ "\ntype\t10\nbounds\t10,10,400,300\n");
	run_options options;
	options.folder = dir.path();
	options.environment = {"QT_QPA_PLATFORM=offscreen", "LD_DEBUG=files"};
	run_result r = run_tevra({dir.file("design.tevra"), dir.file("out.png")}, options);
	ASSERT_EQ(r.status, 0) << r.err;
	std::string objects = started_objects(r.err);
	ASSERT_NE(objects.find("libQt6Core"), std::string::npos) << "no loader trace";
	for (const char* library : {"/libical.so", "/libcurl.so", "/libtevra-events.so"}) {
		EXPECT_EQ(objects.find(library) != std::string::npos, row.expectLoaded)
			<< library << " in\n" << objects;
	}
}

INSTANTIATE_TEST_SUITE_P(Designs, LoadedObjects, testing::ValuesIn(loading_rows),
	case_name<loading_row>);

}
