#ifndef _B_LOCALE_H
#define _B_LOCALE_H

#include <String.h>
#include <SupportDefs.h>

// A language and its conventions, named as "de", "fr_CA" or "ja_JP.UTF-8". Without a name,
// the user's: LC_ALL, then LC_TIME, then LANG; "C", "POSIX" or none of them is English.
class BLocale {
public:
	BLocale(const char* code = nullptr);

	// B_OK when the locale data knows the language; otherwise B_NAME_NOT_FOUND, and its
	// names are those of the root locale.
	status_t InitCheck() const { return fStatus; }
	// The normalised name: "de_DE", "fr_CA", "en_US_POSIX".
	const char* Code() const { return fCode.String(); }

private:
	BString fCode;
	status_t fStatus;
};

#endif
