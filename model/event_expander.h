#ifndef TEVRA_MODEL_EVENT_EXPANDER_H
#define TEVRA_MODEL_EVENT_EXPANDER_H

#include <ctime>
#include <map>
#include <set>
#include <string>

#include <libical/ical.h>

#include "model/event_parts.h"

class rule_expander;

// Instances of recurring events that another VEVENT of the same UID replaces or cancels: by
// the moment for timed series, by the date written for all-day ones.
struct replaced_set {
	std::set<std::pair<std::string, time_t>> times;
	std::set<std::pair<std::string, int>> dates;
};

// The one way occurrences are made: every event of a parsed calendar goes through Expand,
// which puts each occurrence that touches the table's days into it. One expander serves one
// source, whose work it bounds by a budget of steps and entries.
class event_expander {
public:
	explicit event_expander(day_table* table);

	// The source's name and its X-WR-TIMEZONE, for floating times.
	// zoneRefused: a zone of its own was left out, and said so; names left unknown by it
	// are not named again.
	void SetSource(const std::string& source, const std::string& floatingZone, bool zoneRefused);
	// The parsed calendar whose events come next, for the time zones it defines.
	void SetCalendar(icalcomponent* calendar);
	// A property's time with the zone its TZID names (or the source's, for a floating one).
	icaltimetype Zoned(icalproperty* line, icaltimetype t);
	// order: the event's place among all the sources' events.
	void Expand(icalcomponent* event, const replaced_set& replaced, uint32_t order);
	// Whether the source's budget ran out, leaving occurrences unmade.
	bool Spent() const { return fBudget <= 0; }

private:
	bool _Spend(long units);
	icaltimezone* _Zone(const std::string& name);
	void _Length(icalcomponent* event);
	void _Exclusions(icalcomponent* event, const replaced_set& replaced);
	bool _StartsRule(const icalrecurrencetype& rule);
	// reach: this occurrence's length, where it is its own (an RDATE period).
	void _Add(icaltimetype t, time_t reach = -1);
	void _Rule(icalrecurrencetype rule);
	void _Own(rule_expander* own);

	icalcomponent* fCalendar;
	std::string fSource;
	icaltimezone* fFloating;
	bool fZoneRefused = false;
	std::map<std::string, icaltimezone*> fZones;
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
	time_t fReach;	// its length: days for an all-day event, else seconds, at most
	// A timed event's DURATION in nominal days (which a change of summer time lengthens or
	// shortens) and exact seconds.
	int fNominalDays;
	time_t fExactSeconds;
	std::set<time_t> fExcludedTimes;
	std::set<int> fExcludedDates;
	std::set<time_t> fSeen;
};

#endif
