#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "model/civil_date.h"
#include "model/event_rule.h"

// The recurrence expander against libical's own table of rules (RFC 5545's examples among
// them): every instance of every series, in order. The table's dates lie around 1997-2040,
// mostly before the years calendars draw, so the expander is run directly.

namespace {

struct rule_row {
	std::string comment, rule, start, instances;
};

std::vector<rule_row> read_rows()
{
	std::ifstream in(std::string(TEVRA_TEST_DATA) + "/icalrecur-rows.txt");
	std::vector<rule_row> rows;
	rule_row row;
	for (std::string line; std::getline(in, line);) {
		if (line.rfind("# ", 0) == 0)
			row.comment = line;
		else if (line.rfind("RRULE:", 0) == 0)
			row.rule = line.substr(6);
		else if (line.rfind("DTSTART", 0) == 0)
			row.start = line.substr(line.find(':') + 1);
		else if (line.rfind("INSTANCES:", 0) == 0) {
			row.instances = line.substr(10);
			rows.push_back(row);
		}
	}
	return rows;
}

}

TEST(event_rule, ExpandsLibicalsTableOfRules)
{
	std::vector<rule_row> rows = read_rows();
	ASSERT_EQ(rows.size(), 143u);
	for (const rule_row& row : rows) {
		icalrecurrencetype rule = icalrecurrencetype_from_string(row.rule.c_str());
		icaltimetype start = icaltime_from_string(row.start.c_str());
		rule_expander expander(rule, start);
		ASSERT_TRUE(expander.Valid()) << row.comment;
		std::string instances;
		icaltimetype t;
		long steps = 1000000;
		while (expander.Next(&t, &steps) && instances.size() < 20000)
			instances += (instances.empty() ? "" : ",") + std::string(icaltime_as_ical_string(t));
		EXPECT_EQ(instances, row.instances) << row.comment << "\n" << row.rule;
	}
}

// Skipping ahead keeps a rule's phase: the instances after a skip are those the rule makes
// when walked from its start.
TEST(event_rule, SkippingAheadKeepsThePhase)
{
	const char* const rules[] = {"FREQ=HOURLY;INTERVAL=37", "FREQ=MINUTELY;INTERVAL=7;BYHOUR=9",
		"FREQ=DAILY;INTERVAL=3;BYMONTH=3,4", "FREQ=WEEKLY;INTERVAL=2;BYDAY=SU,WE;WKST=SU",
		"FREQ=MONTHLY;INTERVAL=5;BYDAY=-1FR", "FREQ=YEARLY;INTERVAL=3;BYWEEKNO=1;BYDAY=MO"};
	icaltimetype start = icaltime_from_string("20200105T093000");
	int march2026 = days_from_civil(2026, 3, 1);
	for (const char* text : rules) {
		icalrecurrencetype rule = icalrecurrencetype_from_string(text);
		rule_expander walked(rule, start), skipped(rule, start);
		skipped.SkipTo(march2026);
		icaltimetype a, b;
		long steps = 10000000;
		do
			ASSERT_TRUE(walked.Next(&a, &steps)) << text;
		while (days_from_civil(a.year, a.month, a.day) < march2026);
		do
			ASSERT_TRUE(skipped.Next(&b, &steps)) << text;
		while (days_from_civil(b.year, b.month, b.day) < march2026);
		for (int i = 0; i < 5; i++) {
			EXPECT_EQ(std::string(icaltime_as_ical_string(a)), icaltime_as_ical_string(b)) << text;
			walked.Next(&a, &steps);
			skipped.Next(&b, &steps);
		}
	}
}
