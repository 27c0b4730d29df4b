#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "model/events.h"

namespace {

// New York is local; the events come from Tokyo (a zone the file defines), Los Angeles and
// Berlin (the system's zones) and UTC. Summer time starts in New York on 2026-03-08.
const char kCalendar[] =
	"BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//tevra tests//EN\r\n"
	"BEGIN:VTIMEZONE\r\nTZID:Tokyo\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
	"TZOFFSETFROM:+0900\r\nTZOFFSETTO:+0900\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
	"BEGIN:VEVENT\r\nUID:trip\r\nDTSTART;VALUE=DATE:20260302\r\nDTEND;VALUE=DATE:20260305\r\n"
	"SUMMARY:Holiday trip\r\nEND:VEVENT\r\n"
	"BEGIN:VEVENT\r\nUID:call\r\nDTSTART;TZID=Tokyo:20260310T080000\r\n"
	"DTEND;TZID=Tokyo:20260310T090000\r\nSUMMARY:Tokyo call\r\nEND:VEVENT\r\n"
	"BEGIN:VEVENT\r\nUID:show\r\nDTSTART;TZID=America/Los_Angeles:20260310T223000\r\n"
	"DTEND;TZID=America/Los_Angeles:20260310T233000\r\nSUMMARY:Late show\r\nEND:VEVENT\r\n"
	"BEGIN:VEVENT\r\nUID:flight\r\nDTSTART:20260320T220000Z\r\nDTEND:20260322T020000Z\r\n"
	"SUMMARY:Flight\r\nEND:VEVENT\r\n"
	"BEGIN:VEVENT\r\nUID:birthday\r\nDTSTART;VALUE=DATE:19900314\r\nRRULE:FREQ=YEARLY\r\n"
	"SUMMARY:Birthday\r\nEND:VEVENT\r\n"
	"BEGIN:VEVENT\r\nUID:standup\r\nDTSTART;TZID=Europe/Berlin:20260105T090000\r\n"
	"DURATION:PT15M\r\nRRULE:FREQ=WEEKLY;BYDAY=MO\r\n"
	"EXDATE;TZID=Europe/Berlin:20260316T090000\r\nRDATE;TZID=Europe/Berlin:20260318T090000\r\n"
	"SUMMARY:Standup\r\nEND:VEVENT\r\n"
	"BEGIN:VEVENT\r\nUID:standup\r\nRECURRENCE-ID;TZID=Europe/Berlin:20260323T090000\r\n"
	"DTSTART;TZID=Europe/Berlin:20260324T090000\r\nDURATION:PT15M\r\n"
	"SUMMARY:Standup moved\r\nEND:VEVENT\r\n"
	"BEGIN:VEVENT\r\nUID:party\r\nDTSTART;VALUE=DATE:20260325\r\nSTATUS:CANCELLED\r\n"
	"SUMMARY:Party\r\nEND:VEVENT\r\n"
	"END:VCALENDAR\r\n";

const char kFeed[] = "BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VEVENT\nUID:feed\n"
	"DTSTART;VALUE=DATE:20260312\nSUMMARY:Feed event\nEND:VEVENT\nEND:VCALENDAR\n";

std::string march(int day)
{
	std::string joined;
	for (const std::string& summary : event_summaries(2026, 3, day))
		joined += (joined.empty() ? "" : "|") + summary;
	EXPECT_EQ(has_event(2026, 3, day), !joined.empty()) << "March " << day;
	return joined;
}

int lines(const std::string& text)
{
	return (int)std::count(text.begin(), text.end(), '\n');
}

class events : public testing::Test {
protected:
	void SetUp() override
	{
		char pattern[] = "/tmp/tevra-events-XXXXXX";
		fFolder = mkdtemp(pattern);
		setenv("TZ", "America/New_York", 1);
		tzset();
		setenv("XDG_CACHE_HOME", (fFolder + "/cache").c_str(), 1);
		fFetch = event_fetch;
		event_sources.clear();
	}

	void TearDown() override
	{
		event_fetch = fFetch;
		event_sources.clear();
		load_events();
		std::filesystem::remove_all(fFolder);
	}

	std::string Write(const std::string& name, const std::string& text)
	{
		std::string path = fFolder + "/" + name;
		std::ofstream(path) << text;
		return path;
	}

	// Loads the sources and gives what they wrote on standard error.
	std::string Load(std::vector<std::string> sources)
	{
		event_sources = sources;
		testing::internal::CaptureStderr();
		load_events();
		prepare_events(2026, 3, 1, 2026, 3, 31);
		return testing::internal::GetCapturedStderr();
	}

	std::string fFolder;
	event_fetch_function fFetch;
};

TEST_F(events, EachKindFallsOnItsLocalDates)
{
	EXPECT_EQ(Load({Write("mine.ics", kCalendar)}), "");
	const struct {
		int day;
		const char* summaries;
	} rows[] = {
		{1, ""}, {2, "Holiday trip|Standup"}, {3, "Holiday trip"}, {4, "Holiday trip"}, {5, ""},
		// Tokyo's morning is New York's evening before; Los Angeles' night New York's next day.
		{9, "Standup|Tokyo call"}, {10, ""}, {11, "Late show"},
		{14, "Birthday"}, {16, ""}, {18, "Standup"},
		{20, "Flight"}, {21, "Flight"}, {22, ""},
		{23, ""}, {24, "Standup moved"}, {25, ""}, {30, "Standup"},
	};
	for (const auto& row : rows)
		EXPECT_EQ(march(row.day), row.summaries) << "March " << row.day;
	// Outside the prepared month, the year's date is prepared when asked.
	EXPECT_EQ(event_summaries(2031, 3, 14), std::vector<std::string>{"Birthday"});
}

TEST_F(events, UnreadableSourceCostsOneLineAndNothingElse)
{
	const struct {
		const char* name;
		const char* text;
	} rows[] = {
		{"garbage.ics", "this is no calendar\n"},
		{"cut.ics", "BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART;VALUE=DATE:20260306\n"
			"SUMMARY:Ghost\nEND:VEVENT\n"},
		{"missing.ics", nullptr},
	};
	std::string good = Write("good.ics", kCalendar);
	for (const auto& row : rows) {
		std::string bad = row.text != nullptr ? Write(row.name, row.text)
			: fFolder + "/" + row.name;
		std::string errors = Load({bad, good});
		EXPECT_EQ(lines(errors), 1) << errors;
		EXPECT_EQ(errors.rfind("tevra: events: " + bad + ": ", 0), 0u) << errors;
		EXPECT_EQ(march(6), "") << row.name;
		EXPECT_EQ(march(14), "Birthday") << row.name;
	}
}

// A second list of sources keeps its own days beside the design's events.
// The design's holidays are such a list, read together with its events.
TEST_F(events, BooksKeepTheirOwnDays)
{
	holiday_sources = {Write("feed.ics", kFeed)};
	EXPECT_EQ(Load({Write("mine.ics", kCalendar)}), "");
	EXPECT_EQ(march(12), "");
	EXPECT_EQ(book_event_summaries(kHolidaysBook, 2026, 3, 12),
		std::vector<std::string>{"Feed event"});
	EXPECT_FALSE(book_has_event(kHolidaysBook, 2026, 3, 14));
	holiday_sources.clear();
	load_events();
	EXPECT_FALSE(book_has_event(kHolidaysBook, 2026, 3, 12));
}

// A feed server on the loopback address that answers each request as told.
class feed_server {
public:
	enum answer { kGood, kFail, kStall };

	feed_server()
	{
		fSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
		sockaddr_in address = {};
		address.sin_family = AF_INET;
		address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
		socklen_t size = sizeof(address);
		bind(fSocket, (sockaddr*)&address, size);
		listen(fSocket, 4);
		getsockname(fSocket, (sockaddr*)&address, &size);
		fPort = ntohs(address.sin_port);
		fThread = std::thread([this] { _Serve(); });
	}

	~feed_server()
	{
		fStop = true;
		fThread.join();
		close(fSocket);
	}

	std::string Url(const char* path) const
	{
		return "http://127.0.0.1:" + std::to_string(fPort) + path;
	}

	std::atomic<answer> fAnswer{kGood};

private:
	// Waits for the socket to be readable, at most a tenth of a second.
	static bool _Readable(int fd)
	{
		pollfd poller = {fd, POLLIN, 0};
		return poll(&poller, 1, 100) > 0;
	}

	void _Serve()
	{
		while (!fStop) {
			if (!_Readable(fSocket))
				continue;
			int client = accept4(fSocket, nullptr, nullptr, SOCK_CLOEXEC);
			if (client < 0)
				continue;
			std::string request;
			char buffer[1024];
			for (int wait = 0; wait < 30 && request.find("\r\n\r\n") == std::string::npos;
				wait++) {
				ssize_t got = _Readable(client) ? recv(client, buffer, sizeof(buffer), 0) : 0;
				if (got > 0)
					request.append(buffer, got);
			}
			if (fAnswer == kStall) {
				// Held until the client gives up, or three seconds at most.
				for (int wait = 0; wait < 30 && !fStop; wait++) {
					if (_Readable(client) && recv(client, buffer, sizeof(buffer), 0) <= 0)
						break;
				}
			} else {
				std::string body = fAnswer == kGood ? kFeed : "oops";
				std::string reply = std::string(fAnswer == kGood ? "HTTP/1.1 200 OK"
					: "HTTP/1.1 500 Internal Server Error") + "\r\nContent-Length: "
					+ std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
				send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
			}
			close(client);
		}
	}

	int fSocket;
	int fPort;
	std::atomic<bool> fStop{false};
	std::thread fThread;
};

TEST_F(events, FeedFallsBackOnItsLastGoodCopy)
{
	feed_server server;
	event_fetch_timeout_ms = 300;
	const struct {
		const char* path;
		feed_server::answer answer;
		const char* shown;
		int lines;
	} steps[] = {
		{"/feed.ics", feed_server::kGood, "Feed event", 0},
		{"/feed.ics", feed_server::kFail, "Feed event", 1},
		{"/feed.ics", feed_server::kStall, "Feed event", 1},
		{"/other.ics", feed_server::kFail, "", 1},
	};
	for (const auto& step : steps) {
		server.fAnswer = step.answer;
		std::string errors = Load({server.Url(step.path)});
		EXPECT_EQ(march(12), step.shown) << step.path << " " << step.answer;
		EXPECT_EQ(lines(errors), step.lines) << errors;
		if (step.lines > 0) {
			EXPECT_EQ(errors.rfind("tevra: events: " + server.Url(step.path) + ": ", 0), 0u)
				<< errors;
		}
	}
	event_fetch_timeout_ms = 5000;
}

std::string g_asked;

bool answer_feed(const std::string& url, int, std::string* body, std::string*)
{
	g_asked = url;
	*body = kFeed;
	return true;
}

TEST_F(events, WebcalIsFetchedAsHttps)
{
	event_fetch = answer_feed;
	EXPECT_EQ(Load({"webcal://calendar.example/u/7/basic.ics"}), "");
	EXPECT_EQ(g_asked, "https://calendar.example/u/7/basic.ics");
	EXPECT_EQ(march(12), "Feed event");
}

}

// The common rules are expanded without the library's iterator; both ways agree, near the
// start, when series end, and decades on.
TEST_F(events, SimpleRulesExpandAsTheLibraryDoes)
{
	const char* const rules[] = {
		"DTSTART;TZID=Europe/Berlin:20240102T233000\r\nDURATION:PT2H\r\n"
			"RRULE:FREQ=DAILY;INTERVAL=3;UNTIL=20310301T000000Z\r\n"
			"EXDATE;TZID=Europe/Berlin:20240111T233000",
		"DTSTART;TZID=Europe/Berlin:20240101T090000\r\nRRULE:FREQ=WEEKLY;BYDAY=MO,TH;COUNT=40",
		"DTSTART:20240102T120000Z\r\nRRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=TU,FR",
		"DTSTART;VALUE=DATE:20240131\r\nRRULE:FREQ=MONTHLY;COUNT=20",
		"DTSTART;TZID=America/Los_Angeles:20240126T180000\r\n"
			"RRULE:FREQ=MONTHLY;BYDAY=-1FR;UNTIL=20310101T000000Z",
		"DTSTART:20240109T100000\r\nRRULE:FREQ=MONTHLY;INTERVAL=2;BYDAY=2TU",
		"DTSTART;VALUE=DATE:20240229\r\nRRULE:FREQ=YEARLY",
		"DTSTART;VALUE=DATE:20240314\r\nDTEND;VALUE=DATE:20240316\r\n"
			"RRULE:FREQ=YEARLY;INTERVAL=2;BYMONTH=3;BYMONTHDAY=14",
	};
	std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
	for (size_t i = 0; i < sizeof(rules) / sizeof(rules[0]); i++) {
		text += "BEGIN:VEVENT\r\nUID:" + std::to_string(i) + "\r\n" + rules[i] + "\r\nSUMMARY:"
			+ std::to_string(i) + "\r\nEND:VEVENT\r\n";
	}
	event_sources = {Write("rules.ics", text + "END:VCALENDAR\r\n")};
	auto expand = [](bool byLibrary, int year, int first, int last) {
		event_rules_by_library = byLibrary;
		load_events();
		prepare_events(year, first, 1, year, last, 31);
		std::string days;
		for (int m = first; m <= last; m++) {
			for (int d = 1; d <= 31; d++) {
				for (const std::string& summary : event_summaries(year, m, d))
					days += std::to_string(m) + "-" + std::to_string(d) + ":" + summary + " ";
			}
		}
		event_rules_by_library = false;
		return days;
	};
	const struct {
		int year, first, last;
	} ranges[] = {{2024, 1, 3}, {2025, 6, 9}, {2026, 3, 3}, {2030, 11, 12}, {2031, 1, 3},
		{2064, 2, 3}};
	for (const auto& range : ranges) {
		EXPECT_EQ(expand(false, range.year, range.first, range.last),
			expand(true, range.year, range.first, range.last)) << range.year;
	}
	// Months without a 31st and years without a 29 February are passed over.
	EXPECT_EQ(event_summaries(2024, 3, 31), std::vector<std::string>{"3"});
	EXPECT_TRUE(event_summaries(2024, 4, 30).empty());
	EXPECT_EQ(event_summaries(2028, 2, 29), std::vector<std::string>{"6"});
	EXPECT_FALSE(has_event(2027, 2, 28));
}
