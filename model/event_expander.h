#ifndef TEVRA_MODEL_EVENT_EXPANDER_H
#define TEVRA_MODEL_EVENT_EXPANDER_H

#include <ctime>
#include <set>
#include <string>

#include <libical/ical.h>

#include "model/event_parts.h"

// The one way occurrences are made: every event of a parsed calendar goes through Expand,
// which puts each occurrence that touches the table's days into it.
// Instances of recurring events that another VEVENT of the same UID replaces or cancels.
typedef std::set<std::pair<std::string, time_t>> replaced_set;

class event_expander {
public:
	event_expander(icalcomponent* calendar, day_table* table, size_t order);

	void Expand(icalcomponent* event, const replaced_set& replaced);
	size_t Order() const { return fOrder; }

private:
	void _Add(icaltimetype t);
	void _Rule(icalrecurrencetype rule);
	bool _Simple(const icalrecurrencetype& rule);
	bool _Occurrence(int day, const icalrecurrencetype& rule, int* count);

	icalcomponent* fCalendar;
	day_table* fTable;
	int fFirst;
	int fLast;
	time_t fFrom;
	time_t fTo;
	size_t fOrder;
	// The event at hand.
	icaltimetype fStart;
	time_t fReach;	// its length: days for an all-day event, else seconds
	std::string fSummary;
	std::set<time_t> fExcludedTimes;
	std::set<int> fExcludedDates;
	std::set<time_t> fSeen;
	// For the simple rule at hand: occurrences before fFromDay or after fToDay cannot touch
	// the prepared days; fUntilDay is its UNTIL's day, or far ahead without one.
	int fFromDay;
	int fToDay;
	int fUntilDay;
};

#endif
