#ifndef _TRANSLATOR_ROSTER_H
#define _TRANSLATOR_ROSTER_H

#include <vector>

#include <DataIO.h>
#include <Message.h>
#include <TranslationDefs.h>
#include <Translator.h>

class BTranslatorRoster {
public:
	BTranslatorRoster();
	virtual ~BTranslatorRoster();

	// The translators made from the installed image plugins, one for each image type.
	static BTranslatorRoster* Default();

	// The roster owns the translator from here on; ids count from 1 in the order added.
	status_t AddTranslator(BTranslator* translator);

	status_t GetOutputFormats(translator_id id, const translation_format** formats,
		int32* count);

	// The translators that can read the source, in roster order; the caller delete[]s it.
	status_t GetTranslators(BPositionIO* source, BMessage* ioExtension, translator_info** info,
		int32* numInfo, uint32 hintType = 0, const char* hintMIME = nullptr,
		uint32 wantType = 0);
	status_t Identify(BPositionIO* source, BMessage* ioExtension, translator_info* info,
		uint32 hintType = 0, const char* hintMIME = nullptr, uint32 wantType = 0);
	status_t Translate(BPositionIO* source, const translator_info* info,
		BMessage* ioExtension, BPositionIO* destination, uint32 wantOutType,
		uint32 hintType = 0, const char* hintMIME = nullptr);

private:
	BTranslator* _Find(translator_id id);
	void _LoadDefault();

	std::vector<BTranslator*> fTranslators;
	bool fIsDefault = false;
};

#endif
