#ifndef TEVRA_MODEL_EVENT_RULE_H
#define TEVRA_MODEL_EVENT_RULE_H

#include <vector>

#include <libical/ical.h>

// The instances of one recurrence rule as RFC 5545 defines them, in the wall time of its
// DTSTART, earliest first. The rule's periods (years, months, weeks, days, hours, minutes
// or seconds, every INTERVAL of them from DTSTART's) are each filled by the BY parts, which
// expand or limit as the RFC's table says; BYSETPOS picks from a period's instances; COUNT
// and UNTIL end the series. Instances before DTSTART are not made, nor is DTSTART unless the
// rule makes it.
class rule_expander {
public:
	rule_expander(const icalrecurrencetype& rule, const icaltimetype& start);

	// False for a rule beyond RFC 5545 (another calendar scale) or a start out of range.
	bool Valid() const { return fValid; }
	// Passes over the periods that end before `day` (days since 1970), in whole steps of the
	// rule, so it keeps its phase; only a rule without COUNT may, as the passed instances
	// would count.
	void SkipTo(int day);
	// The next instance; false once the series is over, or after `steps` periods without
	// one. Each period looked at costs one of `steps`.
	bool Next(icaltimetype* instance, long* steps);

private:
	struct moment {
		int day;	// days since 1970
		int second;	// of the day
	};

	// False once the periods are past the year 9999.
	bool _Period(std::vector<moment>* found) const;
	bool _DayMatches(int day) const;
	bool _TimeMatches(int second, long long unit) const;
	bool _WeekdayMatches(int day, int y, int m, int d) const;
	// The first day of week 1 of a year, and the year a day's week belongs to.
	int _FirstWeek(int year) const;
	int _WeekYear(int day) const;
	bool _WeekMatches(int day, int y) const;
	int _WeekOrigin() const;
	void _Advance();

	icalrecurrencetype fRule;
	icaltimetype fStart;
	bool fValid;
	int fStartDay;
	int fStartSecond;
	// The period at hand: its first day and (for hours and finer) its first second.
	long long fPeriod;	// a count of the rule's units since 1970: years, months, weeks...
	int fCount;
	std::vector<moment> fFound;
	size_t fNext;
	bool fOver;
	// The BY parts as lists, with the defaults DTSTART gives.
	std::vector<int> fMonths, fWeekNos, fYearDays, fMonthDays, fHours, fMinutes, fSeconds;
	std::vector<int> fSetPos;
	std::vector<std::pair<int, int>> fWeekdays;	// (position, weekday 0 Sunday)
	int fWeekStart;	// 0 Sunday
};

#endif
