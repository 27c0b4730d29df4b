// The locale kit gives the names ICU writes for a language: months standing alone, weekdays
// abbreviated, whatever the process's own locale is.
#include <cstdlib>

#include <gtest/gtest.h>

#include <DateFormat.h>
#include <Locale.h>

#include "tests/support/scoped_env.h"

namespace {

struct names_row {
	const char* language;
	int month;
	const char* month_name;
	int day;
	const char* day_name;
};

class LocaleNames : public ::testing::TestWithParam<names_row> {};

TEST_P(LocaleNames, MonthAndDayAsTheLanguageWritesThem)
{
	const names_row& r = GetParam();
	BLocale locale(r.language);
	ASSERT_EQ(locale.InitCheck(), B_OK) << r.language;
	BDateFormat format(&locale);
	BString name;
	ASSERT_EQ(format.GetMonthName(r.month, name, B_LONG_DATE_FORMAT), B_OK);
	EXPECT_STREQ(name.String(), r.month_name);
	ASSERT_EQ(format.GetDayName(r.day, name, B_MEDIUM_DATE_FORMAT), B_OK);
	EXPECT_STREQ(name.String(), r.day_name);
}

INSTANTIATE_TEST_SUITE_P(Languages, LocaleNames, ::testing::Values(
	names_row{"de", 12, "Dezember", B_WEEKDAY_MONDAY, "Mo"},
	names_row{"de_DE.UTF-8", 3, "März", B_WEEKDAY_SUNDAY, "So"},
	names_row{"fr", 12, "décembre", B_WEEKDAY_TUESDAY, "mar."},
	names_row{"fr_CA", 8, "août", B_WEEKDAY_SATURDAY, "sam."},
	names_row{"ja", 12, "12月", B_WEEKDAY_SUNDAY, "日"},
	names_row{"C", 12, "December", B_WEEKDAY_WEDNESDAY, "Wed"}));

// Without a name the user's language is taken as the C library takes it.
TEST(LocaleEnvironment, LcAllBeforeLcTimeBeforeLang)
{
	scoped_env lang("LANG", "fr_FR.UTF-8");
	scoped_env time("LC_TIME", "de_DE.UTF-8");
	scoped_env all("LC_ALL", "");
	EXPECT_STREQ(BLocale().Code(), "de_DE");
	all.set("ja_JP.UTF-8");
	EXPECT_STREQ(BLocale().Code(), "ja_JP");
	all.set(nullptr);
	time.set(nullptr);
	EXPECT_STREQ(BLocale().Code(), "fr_FR");
}

TEST(LocaleUnknown, IsReportedAndOutOfRangeRefused)
{
	EXPECT_EQ(BLocale("qqq").InitCheck(), B_NAME_NOT_FOUND);
	BLocale german("de");
	BDateFormat format(&german);
	BString name;
	EXPECT_EQ(format.GetMonthName(13, name), B_BAD_VALUE);
	EXPECT_EQ(format.GetDayName(0, name), B_BAD_VALUE);
}

}
