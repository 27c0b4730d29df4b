#ifndef TEVRA_MODEL_EVENT_EXPANDER_H
#define TEVRA_MODEL_EVENT_EXPANDER_H

#include <ctime>
#include <set>
#include <string>

#include <libical/ical.h>

#include "model/event_parts.h"

// Instances of recurring events that another VEVENT of the same UID replaces or cancels.
typedef std::set<std::pair<std::string, time_t>> replaced_set;

// The one way occurrences are made: every event of a parsed calendar goes through Expand,
// which puts each occurrence that touches the table's days into it. One expander serves one
// source, whose work it bounds by a budget of steps and entries.
class event_expander {
public:
	explicit event_expander(day_table* table);

	// The parsed calendar whose events come next, for the time zones it defines.
	void SetCalendar(icalcomponent* calendar) { fCalendar = calendar; }
	// order: the event's place among all the sources' events.
	void Expand(icalcomponent* event, const replaced_set& replaced, uint32_t order);
	// Whether the source's budget ran out, leaving occurrences unmade.
	bool Spent() const { return fBudget <= 0; }

private:
	bool _Spend(long units);
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
	long fBudget;
	// The event at hand.
	uint32_t fOrder;
	uint32_t fSummary;
	icaltimetype fStart;
	time_t fReach;	// its length: days for an all-day event, else seconds
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
