#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>

#include "model/almanac.h"
#include "model/holidays.h"

namespace {

typedef std::tuple<int, int, int> date;

date parse_date(const std::string& text)
{
	int y = 0, m = 0, d = 0;
	sscanf(text.c_str(), "%d-%d-%d", &y, &m, &d);
	return date(y, m, d);
}

std::string show(const date& when)
{
	char text[16];
	snprintf(text, sizeof(text), "%d-%02d-%02d", std::get<0>(when), std::get<1>(when),
		std::get<2>(when));
	return text;
}

date next_day(date when)
{
	int y = std::get<0>(when), m = std::get<1>(when), d = std::get<2>(when) + 1;
	adj(&y, &m, &d);
	return date(y, m, d);
}

// Every day of the published table: month, leap mark, day and 六曜 from its month rows, the
// solar term from its term rows.
TEST(Almanac, EveryDayOf2001To2025MatchesThePublishedTable)
{
	std::ifstream file(TEVRA_TEST_DATA "/jp-lunisolar-2001-2025.tsv");
	ASSERT_TRUE(file.good());
	std::map<date, std::string> terms;
	std::stringstream months;
	for (std::string line; std::getline(file, line);) {
		std::istringstream row(line);
		std::string kind, when, name;
		row >> kind >> when >> name;
		if (kind == "T")
			terms[parse_date(when)] = name;
		else if (kind == "M")
			months << line << '\n';
	}
	int checked = 0;
	date expected_next = date(2001, 1, 1);
	for (std::string line; std::getline(months, line);) {
		std::istringstream row(line);
		std::string kind, when, marks;
		int month, leap, day;
		row >> kind >> when >> month >> leap >> day >> marks;
		date today = parse_date(when);
		ASSERT_EQ(today, expected_next) << "rows leave a gap before " << when;
		// One 六曜 a day, each a three-byte character.
		for (size_t i = 0; i < marks.size(); i += 3, day++, today = next_day(today)) {
			lunisolar_date got;
			ASSERT_TRUE(lunisolar(std::get<0>(today), std::get<1>(today), std::get<2>(today),
				&got)) << show(today);
			EXPECT_EQ(got.month, month) << show(today);
			EXPECT_EQ(got.leap, leap == 1) << show(today);
			EXPECT_EQ(got.day, day) << show(today);
			EXPECT_EQ(std::string(rokuyo_name(rokuyo_of(got))).substr(3), marks.substr(i, 3))
				<< show(today);
			auto term = terms.find(today);
			EXPECT_EQ(solar_term_name(solar_term(std::get<0>(today), std::get<1>(today),
				std::get<2>(today))), term == terms.end() ? "" : term->second) << show(today);
			checked++;
		}
		expected_next = today;
	}
	EXPECT_EQ(checked, 9131);
	EXPECT_EQ(expected_next, date(2026, 1, 1));
}

struct LineRow {
	int y, m, d;
	const char* line;
};

class AlmanacLine : public ::testing::TestWithParam<LineRow> {};

TEST_P(AlmanacLine, PrintsTheLunisolarDateRokuyoAndTerm)
{
	const LineRow& r = GetParam();
	EXPECT_EQ(almanac_line(r.y, r.m, r.d), r.line);
}

// 2033's months as the almanac makers agreed them (a leap 11th month, where the strict older
// rule breaks down); terms that fall just after midnight (JST); dates outside the supported
// years or invalid ones have no line.
const LineRow line_rows[] = {
	{2033, 11, 22, "旧暦十一月一日 大安 小雪"},
	{2033, 12, 21, "旧暦十一月三十日 仏滅 冬至"},
	{2033, 12, 22, "旧暦閏十一月一日 大安"},
	{2034, 1, 19, "旧暦閏十一月二十九日 先負"},
	{2034, 1, 20, "旧暦十二月一日 赤口 大寒"},
	{2025, 12, 22, "旧暦十一月三日 先勝 冬至"},
	{2013, 4, 5, "旧暦二月二十五日 友引 清明"},
	{2020, 7, 7, "旧暦五月十七日 先負 小暑"},
	{2023, 1, 6, "旧暦十二月十五日 友引 小寒"},
	{2000, 12, 31, ""},
	{2100, 1, 1, ""},
	{2023, 2, 29, ""},
	{2024, 13, 1, ""},
};

INSTANTIATE_TEST_SUITE_P(Rows, AlmanacLine, ::testing::ValuesIn(line_rows));

}
