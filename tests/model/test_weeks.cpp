#include <gtest/gtest.h>

#include "model/weeks.h"

namespace {

struct IsoRow {
	int y, m, d, week;
};

// The year's edges, where the ISO week belongs to the year of its Thursday.
TEST(IsoWeek, IsTheWeekOfItsThursday)
{
	const IsoRow rows[] = {
		{2026, 1, 1, 1},     // a Thursday: week 1
		{2025, 12, 29, 1},   // Monday of the week holding January 1, 2026
		{2027, 1, 1, 53},    // a Friday: the last week of 2026
		{2027, 1, 3, 53},
		{2027, 1, 4, 1},
		{2021, 1, 3, 53},    // a Sunday, still 2020's last week
		{2020, 12, 31, 53},
		{2024, 12, 30, 1},   // a Monday, already 2025's first week
		{2026, 12, 7, 50},
		{2016, 2, 29, 9},
	};
	for (const IsoRow& r : rows)
		EXPECT_EQ(iso_week(r.y, r.m, r.d), r.week) << r.y << "-" << r.m << "-" << r.d;
}

TEST(WeekGrid, ColumnsCountFromTheWeeksFirstDay)
{
	EXPECT_EQ(week_column(0, 0), 0);
	EXPECT_EQ(week_column(0, 1), 6);   // Sunday ends a Monday-first week
	EXPECT_EQ(week_column(1, 1), 0);
	EXPECT_EQ(week_column(5, 6), 6);
	EXPECT_EQ(week_row(1, 6), 0);
	EXPECT_EQ(week_row(2, 6), 1);
}

}
