#include <gtest/gtest.h>

#include <string>

#include "model/holidays.h"
#include "model/labels.h"

namespace {

struct YearRow {
	int year, type;
	const char* want;
};

class YearCaption : public ::testing::TestWithParam<YearRow> {};

TEST_P(YearCaption, Writes)
{
	const YearRow& r = GetParam();
	EXPECT_EQ(ystr(r.year, r.type), r.want);
}

const YearRow year_rows[] = {
	{2016, 0, "2016"},
	{2016, 1, "二〇一六"},
	{2000, 1, "二〇〇〇"},
	{2099, 1, "二〇九九"},
	{2016, 2, "平成二十八年"},
	{1989, 2, "平成一年"},
	{1998, 2, "平成十年"},
	{1999, 2, "平成十一年"},
	{2007, 2, "平成十九年"},
	{2008, 2, "平成二十年"},
	{2030, 2, "平成四十二年"},
	{2087, 2, "平成九十九年"},
	{2088, 2, "平成百年"},
	{2089, 2, "平成百一年"},
	{2098, 2, "平成百十年"},
	{2099, 2, "平成百十一年"},
	{1988, 2, ""},
	{2016, 3, ""},
	{2016, -1, ""},
	{12016, 1, ""},
	{-5, 1, ""},
};

INSTANTIATE_TEST_SUITE_P(Years, YearCaption, ::testing::ValuesIn(year_rows),
	[](const ::testing::TestParamInfo<YearRow>& info) {
		const YearRow& r = info.param;
		return (r.year < 0 ? "n" + std::to_string(-r.year) : std::to_string(r.year))
			+ "_style" + (r.type < 0 ? "n" + std::to_string(-r.type) : std::to_string(r.type))
			+ (*r.want ? "" : "_empty");
	});

// With the law of each date the era is the one in force on the calendar's last day.
struct EraRow {
	int rules, year, month, day;
	const char* want;
};

class EraCaption : public ::testing::TestWithParam<EraRow> {
protected:
	void TearDown() override { holiday_rules = 0; }
};

TEST_P(EraCaption, NamesTheEraOfTheLastDay)
{
	const EraRow& r = GetParam();
	holiday_rules = r.rules;
	EXPECT_EQ(ystr(r.year, 2, r.month, r.day), r.want);
}

INSTANTIATE_TEST_SUITE_P(Years, EraCaption, ::testing::Values(
	EraRow{1, 2019, 4, 30, "平成三十一年"},
	EraRow{1, 2019, 5, 1, "令和元年"},
	EraRow{-1, 2019, 5, 1, "令和元年"},
	EraRow{1, 2019, 12, 31, "令和元年"},
	EraRow{1, 2020, 1, 31, "令和二年"},
	EraRow{1, 2026, 12, 31, "令和八年"},
	EraRow{1, 2018, 12, 31, "平成三十年"},
	EraRow{1, 1989, 12, 31, "平成元年"},
	EraRow{0, 2019, 5, 31, "平成三十一年"},
	EraRow{0, 2026, 12, 31, "平成三十八年"}));

// The renderer sizes its text for the longest era caption, 18 bytes.
TEST(YearCaptionRange, EveryCaptionFits)
{
	for (int year = 2001; year <= 2099; ++year) {
		EXPECT_EQ(ystr(year, 1).size(), 12u) << year;
		const std::string era = ystr(year, 2);
		EXPECT_LE(era.size(), 18u) << year;
		EXPECT_EQ(era.rfind("年"), era.size() - 3) << year;
	}
}

TEST(MonthName, PicksTheRecordOfStyleAndMonth)
{
	const struct {
		int type, month;
		const char* want;
	} rows[] = {
		{0, 1, "１"}, {0, 10, "１０"}, {0, 12, "１２"},
		{1, 1, "一月"}, {1, 11, "十一月"}, {1, 12, "十二月"},
		{2, 1, "睦月"}, {2, 6, "水無月"}, {2, 10, "神無月"}, {2, 12, "師走"},
		{3, 1, "january"}, {3, 9, "september"}, {3, 12, "december"},
		{-1, 1, ""}, {4, 1, ""}, {0, 0, ""}, {3, 13, ""},
	};
	for (const auto& r : rows)
		EXPECT_STREQ(month_name(r.type, r.month), r.want) << r.type << "/" << r.month;
	EXPECT_STREQ(month_names[0], "");
	EXPECT_STREQ(month_names[1 * 12 + 11], "十一月");
	EXPECT_EQ(month_names[1 * 12 + 11][9], '\0');
}

TEST(DateCaption, WritesNumbersWithoutZerosAndTheWeekday)
{
	EXPECT_EQ(date_caption(2016, 2, 11, 4), "2016/2/11(thu)");
	EXPECT_EQ(date_caption(2001, 1, 1, 1), "2001/1/1(mon)");
	EXPECT_EQ(date_caption(2099, 12, 31, 6), "2099/12/31(sat)");
	EXPECT_EQ(date_caption(2016, 3, 20, 0), "2016/3/20(sun)");
	EXPECT_EQ(date_caption(2016, 3, 20, 7), "2016/3/20(?)");
	EXPECT_EQ(date_caption(2000, 1, 1, -1), "2000/1/1(?)");
}

} // namespace
