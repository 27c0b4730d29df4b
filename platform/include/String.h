#ifndef _B_STRING_H
#define _B_STRING_H

#include <string>

#include <SupportDefs.h>

// Only what the locale kit hands back: a UTF-8 text.
class BString {
public:
	BString() {}
	BString(const char* text) : fText(text != nullptr ? text : "") {}

	const char* String() const { return fText.c_str(); }
	int32 Length() const { return (int32)fText.size(); }
	BString& SetTo(const char* text)
	{
		fText = text != nullptr ? text : "";
		return *this;
	}

private:
	std::string fText;
};

#endif
