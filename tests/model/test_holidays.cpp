#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/holidays.h"
#include "model/today.h"

namespace {

void set_today(int y, int m, int d)
{
	now_y = y;
	now_m = m;
	now_d = d;
}

std::string num(int v)
{
	return v < 0 ? "n" + std::to_string(-v) : std::to_string(v);
}

struct DateRow {
	int y, m, d;
	int status, row, weekday, code;
};

class WhatDayRow : public ::testing::TestWithParam<DateRow> {
protected:
	void SetUp() override { set_today(0, 0, 0); }
};

TEST_P(WhatDayRow, GivesStatusRowWeekdayAndCode)
{
	const DateRow& r = GetParam();
	int row = 7, weekday = 7, code = 7;
	EXPECT_EQ(what_day(r.y, r.m, r.d, &row, &weekday, &code), r.status);
	EXPECT_EQ(row, r.row);
	EXPECT_EQ(weekday, r.weekday);
	EXPECT_EQ(code, r.code);
}

const DateRow date_rows[] = {
	// Validation: the last failing check decides the status.
	{2000, 1, 1, 1, -1, -1, -1},
	{2100, 1, 1, 1, -1, -1, -1},
	{2000, 13, 5, 2, -1, -1, -1},
	{2016, 0, 10, 2, -1, -1, -1},
	{2000, 5, 0, 3, -1, -1, -1},
	{2016, 13, 32, 3, -1, -1, -1},
	{2016, 13, 30, 2, -1, -1, -1},
	{2017, 2, 29, 3, -1, -1, -1},
	{2016, 2, 30, 3, -1, -1, -1},
	{2016, 4, 31, 3, -1, -1, -1},
	{2016, 1, -3, 3, -1, -1, -1},
	// Range ends and leap day.
	{2001, 1, 1, 0, 0, 1, 1},
	{2016, 2, 29, 0, 4, 1, 0},
	{2099, 12, 31, 0, 4, 4, 0},
	// Monday rules and equinoxes (every 2016 holiday is checked by the sweep).
	{2016, 7, 18, 0, 3, 1, 9},
	{2016, 9, 19, 0, 3, 1, 11},
	{2016, 10, 10, 0, 2, 1, 13},
	{2016, 12, 23, 0, 3, 5, 16},
	{2016, 3, 20, 0, 3, 0, 4},
	{2023, 3, 21, 0, 3, 2, 4},
	{2092, 3, 19, 0, 3, 3, 4},
	{2025, 9, 23, 0, 3, 2, 12},
	// Substitute holidays, and holidays that stay themselves after a Sunday.
	{2016, 3, 21, 0, 3, 1, 21},
	{2019, 5, 6, 0, 1, 1, 21},
	{2015, 5, 3, 0, 1, 0, 6},
	{2015, 5, 4, 0, 1, 1, 7},
	{2015, 5, 5, 0, 1, 2, 8},
	{2015, 5, 6, 0, 1, 3, 21},
	{2002, 8, 11, 0, 2, 0, 10},
	{2002, 8, 12, 0, 2, 1, 21},
	{2024, 9, 22, 0, 3, 0, 12},
	{2024, 9, 23, 0, 3, 1, 21},
	// Citizens' holiday between Respect for the Aged Day and the equinox.
	{2015, 9, 21, 0, 3, 1, 11},
	{2015, 9, 22, 0, 3, 2, 22},
	{2015, 9, 23, 0, 3, 3, 12},
	{2032, 9, 21, 0, 3, 2, 22},
	{2099, 9, 22, 0, 3, 2, 22},
};

INSTANTIATE_TEST_SUITE_P(Dates, WhatDayRow, ::testing::ValuesIn(date_rows),
	[](const ::testing::TestParamInfo<DateRow>& info) {
		const DateRow& r = info.param;
		return num(r.y) + "_" + num(r.m) + "_" + num(r.d) + "_status" + num(r.status)
			+ "_code" + num(r.code);
	});

// Today is the case's own and goes back to none after it, however the case ends.
class WhatDay : public testing::Test {
protected:
	void TearDown() override { set_today(0, 0, 0); }
};

TEST_F(WhatDay, TodayAddsHundredToTheCode)
{
	set_today(2016, 2, 11);
	int row, weekday, code;
	ASSERT_EQ(what_day(2016, 2, 11, &row, &weekday, &code), 0);
	EXPECT_EQ(row, 1);
	EXPECT_EQ(weekday, 4);
	EXPECT_EQ(code, 103);
}

// One pass over the whole range, stepping with adj, keeping every result.
struct Day {
	int y, m, d, row, weekday, code;
};

std::vector<Day> sweep()
{
	std::vector<Day> days;
	int y = 2001, m = 1, d = 1;
	while (y < 2100) {
		Day day{y, m, d, 0, 0, 0};
		EXPECT_EQ(what_day(y, m, d, &day.row, &day.weekday, &day.code), 0)
			<< y << "-" << m << "-" << d;
		days.push_back(day);
		d += 1;
		adj(&y, &m, &d);
	}
	return days;
}

// Independent weekday (0 Sunday) to check the day numbering against.
int reference_weekday(int y, int m, int d)
{
	static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
	if (m < 3)
		y -= 1;
	return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
}

bool is_fixed(int code)
{
	return code >= 1 && code <= 16;
}

class Sweep : public ::testing::Test {
protected:
	void SetUp() override
	{
		set_today(0, 0, 0);
		days = sweep();
	}
	void TearDown() override { set_today(0, 0, 0); }
	std::vector<Day> days;
};

TEST_F(Sweep, CoversEveryDayWithConsistentWeekdaysAndRows)
{
	ASSERT_EQ(days.size(), 99u * 365 + 24);
	for (size_t i = 0; i < days.size(); ++i) {
		const Day& t = days[i];
		ASSERT_EQ(t.weekday, reference_weekday(t.y, t.m, t.d)) << t.y << "-" << t.m << "-" << t.d;
		if (i > 0) {
			ASSERT_EQ(t.weekday, (days[i - 1].weekday + 1) % 7);
		}
		const int expected_row = t.d == 1 ? 0 : days[i - 1].row + (t.weekday == 0 ? 1 : 0);
		ASSERT_EQ(t.row, expected_row) << t.y << "-" << t.m << "-" << t.d;
	}
}

TEST_F(Sweep, EachFixedHolidayOnceAYearOnItsDays)
{
	std::map<int, std::map<int, int>> per_year;
	for (const Day& t : days) {
		if (is_fixed(t.code))
			per_year[t.y][t.code] += 1;
		if (t.code == 4) {
			const bool early = t.y == 2092 || t.y == 2096;
			EXPECT_TRUE(early ? t.d == 19 : (t.d == 20 || t.d == 21)) << t.y;
		}
		if (t.code == 12) {
			EXPECT_TRUE(t.d == 22 || t.d == 23) << t.y;
		}
		if ((t.m == 8 && t.d == 11) || (t.m == 12 && t.d == 23)) {
			EXPECT_TRUE(is_fixed(t.code)) << t.y << "-" << t.m << "-" << t.d;
		}
		if (t.m == 2 && t.d == 23) {
			EXPECT_EQ(t.code, 0) << t.y;
		}
	}
	ASSERT_EQ(per_year.size(), 99u);
	for (const auto& [year, counts] : per_year) {
		EXPECT_EQ(counts.size(), 16u) << year;
		for (const auto& [code, count] : counts)
			EXPECT_EQ(count, 1) << year << " code " << code;
	}
}

TEST_F(Sweep, SubstituteExactlyAfterASundayHolidayRunInTheMonth)
{
	for (size_t i = 0; i < days.size(); ++i) {
		const Day& t = days[i];
		bool run_has_sunday = false;
		for (size_t j = i; j-- > 0 && days[j].m == t.m && is_fixed(days[j].code);) {
			if (days[j].weekday == 0)
				run_has_sunday = true;
		}
		const bool expected = t.weekday != 0 && !is_fixed(t.code) && run_has_sunday;
		EXPECT_EQ(t.code == 21, expected) << t.y << "-" << t.m << "-" << t.d;
	}
}

TEST_F(Sweep, CitizensHolidayOnlyInTheKnownYears)
{
	const std::set<int> expected = {2009, 2015, 2026, 2032, 2037, 2043, 2049,
		2054, 2060, 2071, 2077, 2088, 2094, 2099};
	std::set<int> seen;
	for (size_t i = 0; i < days.size(); ++i) {
		if (days[i].code != 22)
			continue;
		seen.insert(days[i].y);
		EXPECT_EQ(days[i].weekday, 2);
		EXPECT_EQ(days[i - 1].code, 11);
		EXPECT_EQ(days[i + 1].code, 12);
	}
	EXPECT_EQ(seen, expected);
}

TEST_F(Sweep, Year2016HasTheKnownHolidays)
{
	std::vector<std::array<int, 3>> got;
	for (const Day& t : days) {
		if (t.y == 2016 && t.code != 0)
			got.push_back({t.m, t.d, t.code});
	}
	const std::vector<std::array<int, 3>> expected = {{1, 1, 1}, {1, 11, 2}, {2, 11, 3},
		{3, 20, 4}, {3, 21, 21}, {4, 29, 5}, {5, 3, 6}, {5, 4, 7}, {5, 5, 8}, {7, 18, 9},
		{8, 11, 10}, {9, 19, 11}, {9, 22, 12}, {10, 10, 13}, {11, 3, 14}, {11, 23, 15},
		{12, 23, 16}};
	EXPECT_EQ(got, expected);
}

// Today on a plain day, a fixed holiday, a Sunday in a run, a substitute and a
// citizens' holiday: the flag lands on that date only and leaves the rest alone.
TEST_F(Sweep, TodayFlagMarksExactlyThatDate)
{
	const int todays[][3] = {{2016, 2, 12}, {2016, 2, 11}, {2019, 5, 5}, {2019, 5, 6}, {2015, 9, 22}};
	for (const auto& today : todays) {
		set_today(today[0], today[1], today[2]);
		const std::vector<Day> flagged = sweep();
		ASSERT_EQ(flagged.size(), days.size());
		for (size_t i = 0; i < days.size(); ++i) {
			const Day& t = days[i];
			const bool is_today = t.y == today[0] && t.m == today[1] && t.d == today[2];
			ASSERT_EQ(flagged[i].code, t.code + (is_today ? 100 : 0))
				<< t.y << "-" << t.m << "-" << t.d;
		}
	}
}

TEST_F(Sweep, AdjStepsBackAsWellAsForward)
{
	for (const Day& t : days) {
		int y = t.y, m = t.m, d = t.d + 1;
		adj(&y, &m, &d);
		d -= 1;
		adj(&y, &m, &d);
		ASSERT_TRUE(y == t.y && m == t.m && d == t.d) << t.y << "-" << t.m << "-" << t.d;
	}
}

struct AdjRow {
	int y, m, d;
	int want_y, want_m, want_d;
};

class AdjRowTest : public ::testing::TestWithParam<AdjRow> {};

TEST_P(AdjRowTest, Normalises)
{
	const AdjRow& r = GetParam();
	int y = r.y, m = r.m, d = r.d;
	adj(&y, &m, &d);
	EXPECT_EQ(y, r.want_y);
	EXPECT_EQ(m, r.want_m);
	EXPECT_EQ(d, r.want_d);
}

const AdjRow adj_rows[] = {
	{2016, 13, 5, 2017, 1, 5},
	{2016, 0, 5, 2015, 12, 5},
	{2016, -12, 1, 2014, 12, 1},
	{2016, 25, 1, 2018, 1, 1},
	{2016, 3, 0, 2016, 2, 29},
	{2017, 3, 0, 2017, 2, 28},
	{2016, 1, 0, 2015, 12, 31},
	{2017, 1, 35, 2017, 2, 4},
	{2016, 2, 31, 2016, 3, 2},
	{2016, 12, 32, 2017, 1, 1},
	{2016, 1, 366, 2016, 12, 31},
	{2016, 1, 367, 2017, 1, 1},
	{2016, 2, 29, 2016, 2, 29},
	{2016, 1, -40, 2015, 11, 21},
	// Gregorian leap years outside the drawn years too, shifts of whole 400-year eras, and a
	// year past what an int holds stopping at its end.
	{2100, 2, 29, 2100, 3, 1},
	{2000, 2, 29, 2000, 2, 29},
	{2100, 3, 0, 2100, 2, 28},
	{2026, 1, 146098, 2426, 1, 1},
	{2026, 1, 1 - 146097, 1626, 1, 1},
	{2026, 2147483647, 1, 178958996, 7, 1},
	{2147483647, 13, 1, 2147483647, 12, 31},
};

INSTANTIATE_TEST_SUITE_P(Dates, AdjRowTest, ::testing::ValuesIn(adj_rows),
	[](const ::testing::TestParamInfo<AdjRow>& info) {
		const AdjRow& r = info.param;
		return num(r.y) + "_" + num(r.m) + "_" + num(r.d) + "_to_" + num(r.want_y) + "_"
			+ num(r.want_m) + "_" + num(r.want_d);
	});

TEST(HolidayName, NamesCodesModuloHundred)
{
	const std::pair<int, const char*> rows[] = {
		{1, "元日"}, {15, "勤労感謝の日"}, {16, "天皇誕生日"}, {21, "振替休日"},
		{22, "国民の休日"}, {103, "建国記念の日"}, {121, "振替休日"},
		{0, ""}, {100, ""}, {17, ""}, {20, ""}, {23, ""}, {-1, ""},
	};
	for (const auto& [code, name] : rows)
		EXPECT_STREQ(holiday_name(code), name) << "code " << code;
}

} // namespace

// --- The law of each date ---------------------------------------------------------------

namespace {

// Sets the holiday rules for one test and puts the fixed rules back after it.
class HolidayLaw : public ::testing::Test {
protected:
	void SetUp() override
	{
		set_today(0, 0, 0);
		holiday_rules = 1;
	}
	void TearDown() override { holiday_rules = 0; }

	int code_of(int y, int m, int d)
	{
		int row, weekday, code = -1;
		what_day(y, m, d, &row, &weekday, &code);
		return code;
	}
};

// The name the law gives a day the published list names its own way: a substitute day after
// the holiday it replaces, 2019's one-off days as plain days off.
std::string law_name(const std::string& date, const std::string& listed)
{
	const std::string substitute = " 振替休日";
	if (listed.size() > substitute.size()
		&& listed.compare(listed.size() - substitute.size(), substitute.size(), substitute) == 0)
		return "振替休日";
	if (listed == "休日")
		return "国民の休日";
	if (date == "2019-05-01")
		return "即位の日";
	if (date == "2019-10-22")
		return "即位礼正殿の儀";
	return listed.substr(0, listed.find("（"));
}

// Every day of 2001-2025 is a holiday exactly when Japan's published list says so, under
// the law's name for it.
TEST_F(HolidayLaw, EveryDayOf2001To2025IsAsPublished)
{
	std::ifstream in(TEVRA_TEST_DATA "/jp-holidays-2001-2025.tsv");
	ASSERT_TRUE(in.is_open());
	std::map<std::string, std::string> listed;
	std::string line;
	while (std::getline(in, line)) {
		size_t tab = line.find('\t');
		if (!line.empty() && line[0] != '#' && tab != std::string::npos)
			listed[line.substr(0, tab)] = line.substr(tab + 1);
	}
	ASSERT_GT(listed.size(), 400u);
	for (int y = 2001; y <= 2025; y++) {
		for (int m = 1; m <= 12; m++) {
			for (int d = 1; d <= 31; d++) {
				int row, weekday, code;
				if (what_day(y, m, d, &row, &weekday, &code) != 0)
					continue;
				char date[16];
				snprintf(date, sizeof(date), "%04d-%02d-%02d", y, m, d);
				auto entry = listed.find(date);
				ASSERT_EQ(code != 0, entry != listed.end()) << date;
				if (entry != listed.end()) {
					EXPECT_EQ(holiday_name(code), law_name(date, entry->second)) << date;
				}
			}
		}
	}
}

struct LawRow {
	int y, m, d;
	const char* name;  // "" for no holiday
};

class LawRule : public HolidayLaw, public ::testing::WithParamInterface<LawRow> {};

// Beyond the published list the rules go on as they stand.
TEST_P(LawRule, GivesTheDayItsHoliday)
{
	const LawRow& r = GetParam();
	EXPECT_STREQ(holiday_name(code_of(r.y, r.m, r.d)), r.name);
}

INSTANTIATE_TEST_SUITE_P(Holidays, LawRule, ::testing::Values(
	LawRow{2026, 2, 23, "天皇誕生日"},
	LawRow{2026, 12, 23, ""},
	LawRow{2026, 9, 22, "国民の休日"},
	LawRow{2026, 10, 12, "スポーツの日"},
	LawRow{2030, 7, 15, "海の日"},
	LawRow{2030, 8, 12, "振替休日"},
	LawRow{2031, 2, 23, "天皇誕生日"},
	LawRow{2031, 2, 24, "振替休日"}));

// Choosing the law leaves the fixed rules as they were.
TEST_F(HolidayLaw, FixedRulesStayAsTheyWere)
{
	holiday_rules = 0;
	EXPECT_STREQ(holiday_name(code_of(2026, 12, 23)), "天皇誕生日");
	EXPECT_EQ(code_of(2026, 2, 23), 0);
	EXPECT_STREQ(holiday_name(code_of(2026, 10, 12)), "体育の日");
}

// With no built-in rules no day is Japan's holiday, not even a substitute or citizens' one.
TEST_F(HolidayLaw, NoneBuiltInGivesNoHoliday)
{
	holiday_rules = -1;
	const int days[][3] = {{2026, 1, 1}, {2016, 3, 21}, {2015, 9, 22}, {2026, 2, 23},
		{2016, 12, 23}};
	for (const auto& d : days)
		EXPECT_EQ(code_of(d[0], d[1], d[2]), 0) << d[0] << "-" << d[1] << "-" << d[2];
}

} // namespace
