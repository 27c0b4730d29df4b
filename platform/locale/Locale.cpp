#include <Locale.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <unicode/locid.h>
#include <unicode/uloc.h>

#include <Errors.h>

namespace {

// The user's language as the C library takes it: the first of these that is set.
std::string environment_code()
{
	for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
		const char* value = getenv(name);
		if (value != nullptr && value[0] != '\0')
			return value;
	}
	return "";
}

// Whether the locale data has anything of the language itself, not only the root's.
bool language_known(const icu::Locale& locale)
{
	const char* language = locale.getLanguage();
	if (language[0] == '\0')
		return false;
	int32_t count = 0;
	const icu::Locale* available = icu::Locale::getAvailableLocales(count);
	for (int32_t i = 0; i < count; i++) {
		if (strcmp(available[i].getLanguage(), language) == 0)
			return true;
	}
	return false;
}

}

BLocale::BLocale(const char* code)
	: fStatus(B_OK)
{
	std::string name = code != nullptr && code[0] != '\0' ? code : environment_code();
	// "de_DE.UTF-8@euro": the code set and modifier are the C library's, not the language's.
	name = name.substr(0, name.find_first_of(".@"));
	if (name.empty() || name == "C" || name == "POSIX")
		name = "en_US_POSIX";
	icu::Locale locale(name.c_str());
	if (locale.isBogus() || !language_known(locale))
		fStatus = B_NAME_NOT_FOUND;
	fCode.SetTo(locale.isBogus() ? "" : locale.getName());
}
