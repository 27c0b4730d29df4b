#ifndef _B_DATE_FORMAT_H
#define _B_DATE_FORMAT_H

#include <Locale.h>
#include <String.h>
#include <SupportDefs.h>

enum BDateFormatStyle {
	B_FULL_DATE_FORMAT = 0,
	B_LONG_DATE_FORMAT,
	B_MEDIUM_DATE_FORMAT,
	B_SHORT_DATE_FORMAT,
};

enum BWeekday {
	B_WEEKDAY_MONDAY = 1,
	B_WEEKDAY_TUESDAY,
	B_WEEKDAY_WEDNESDAY,
	B_WEEKDAY_THURSDAY,
	B_WEEKDAY_FRIDAY,
	B_WEEKDAY_SATURDAY,
	B_WEEKDAY_SUNDAY,
};

// The names a calendar prints, in a locale's language, as they stand alone (a month's name
// as a heading, not inside a date). Full and long styles give the wide names ("Dezember"),
// medium the abbreviated ones ("Mo"), short the shortest ("Mo.", "lu").
class BDateFormat {
public:
	BDateFormat(const BLocale* locale = nullptr);

	// month 1 to 12.
	status_t GetMonthName(int month, BString& outName,
		BDateFormatStyle style = B_LONG_DATE_FORMAT) const;
	// day is a BWeekday, Monday 1 to Sunday 7.
	status_t GetDayName(int day, BString& outName,
		BDateFormatStyle style = B_LONG_DATE_FORMAT) const;

private:
	BLocale fLocale;
};

#endif
