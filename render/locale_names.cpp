#include "render/locale_names.h"

#include <map>

#include <DateFormat.h>
#include <Locale.h>

#include "model/globals.h"

namespace {

language_names read_names(const BLocale& locale)
{
	language_names names;
	BDateFormat format(&locale);
	BString name;
	for (int m = 1; m <= 12; m++) {
		if (format.GetMonthName(m, name, B_LONG_DATE_FORMAT) == B_OK)
			names.months[m] = name.String();
	}
	// The calendar's weekdays run Sunday 0 to Saturday 6; the kit's Monday 1 to Sunday 7.
	for (int d = 0; d < 7; d++) {
		if (format.GetDayName(d == 0 ? B_WEEKDAY_SUNDAY : d, name, B_MEDIUM_DATE_FORMAT)
			== B_OK)
			names.weekdays[d] = name.String();
	}
	return names;
}

}

const language_names& names_of(const std::string& language)
{
	static std::map<std::string, language_names> known;
	std::string wanted = language.empty() ? design_language : language;
	auto found = known.find(wanted);
	if (found != known.end())
		return found->second;
	// A language the locale data does not know gives the user's, not the root's codes.
	BLocale locale(wanted.c_str());
	if (locale.InitCheck() != B_OK)
		locale = BLocale();
	if (locale.InitCheck() != B_OK)
		locale = BLocale("en");
	return known[wanted] = read_names(locale);
}
