#ifndef TEVRA_MODEL_WEEKS_H
#define TEVRA_MODEL_WEEKS_H

// A month grid whose weeks start on any day: weekdays and week_start count 0 Sunday to
// 6 Saturday. The column of a weekday, counted from the week's first day.
int week_column(int weekday, int week_start);

// The 0-based row of a day of the month whose first day stands in column first_column.
int week_row(int day, int first_column);

// The ISO 8601 week number (1 to 53) of a date: weeks start on Monday, and week 1 is the one
// that holds the year's first Thursday.
int iso_week(int year, int month, int day);

#endif
