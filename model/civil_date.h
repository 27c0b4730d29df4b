#ifndef TEVRA_MODEL_CIVIL_DATE_H
#define TEVRA_MODEL_CIVIL_DATE_H

// Gregorian dates as plain numbers: days counted from 1970-01-01 (negative before it), for
// any year. Months run 1 to 12, weekdays 0 Sunday to 6 Saturday.

int days_from_civil(int y, int m, int d);
void civil_from_days(int day, int* y, int* m, int* d);
int weekday_of_day(int day);
// The same for a date, for any year an int holds (days of far years overflow an int).
int weekday_of(int y, int m, int d);
bool leap_year(int y);
int days_in_month(int y, int m);
// 1 for January 1.
int day_of_year(int y, int m, int d);

// Brings a date shifted by an offset in any of its fields (days, months or years, either
// way) back into a valid one. A year past what an int holds stops at its end.
void adj(int* year, int* month, int* day);

#endif
