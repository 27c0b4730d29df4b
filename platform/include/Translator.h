#ifndef _TRANSLATOR_H
#define _TRANSLATOR_H

#include <DataIO.h>
#include <Message.h>
#include <TranslationDefs.h>

// Converts between one family of formats and the bitmap interchange format.
class BTranslator {
public:
	BTranslator();
	virtual ~BTranslator();

	virtual const char* TranslatorName() const = 0;
	virtual const char* TranslatorInfo() const = 0;
	virtual int32 TranslatorVersion() const = 0;
	virtual const translation_format* InputFormats(int32* count) const = 0;
	virtual const translation_format* OutputFormats(int32* count) const = 0;
	virtual status_t Identify(BPositionIO* source, const translation_format* format,
		BMessage* extension, translator_info* info, uint32 outType) = 0;
	virtual status_t Translate(BPositionIO* source, const translator_info* info,
		BMessage* extension, uint32 outType, BPositionIO* destination) = 0;
};

#endif
