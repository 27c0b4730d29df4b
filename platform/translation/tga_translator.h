#ifndef TEVRA_TGA_TRANSLATOR_H
#define TEVRA_TGA_TRANSLATOR_H

#include <vector>

#include <Translator.h>

// Reads Targa images. Qt's own reader takes only files that end in the version 2 footer,
// which most programs do not write, and Qt's content sniffing mistakes a Targa header for a
// cursor; so the layer reads them itself: colour-mapped, true-colour and grey, plain or
// run-length coded, at any origin.
class TgaTranslator : public BTranslator {
public:
	TgaTranslator();

	const char* TranslatorName() const override { return "Targa image translator"; }
	const char* TranslatorInfo() const override { return "Reads Targa images"; }
	int32 TranslatorVersion() const override { return 100; }
	const translation_format* InputFormats(int32* count) const override;
	const translation_format* OutputFormats(int32* count) const override;
	status_t Identify(BPositionIO* source, const translation_format* format,
		BMessage* extension, translator_info* info, uint32 outType) override;
	status_t Translate(BPositionIO* source, const translator_info* info, BMessage* extension,
		uint32 outType, BPositionIO* destination) override;

private:
	std::vector<translation_format> fInputs;
	std::vector<translation_format> fOutputs;
};

#endif
