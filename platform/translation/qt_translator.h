#ifndef TEVRA_QT_TRANSLATOR_H
#define TEVRA_QT_TRANSLATOR_H

#include <string>
#include <vector>

#include <QByteArray>
#include <QList>

#include <Translator.h>

class BTranslatorRoster;

// One image type through Qt's image plugins: reads it into a bitmap, and writes a bitmap
// into it when the plugin can write.
class QtImageTranslator : public BTranslator {
public:
	QtImageTranslator(const QByteArray& mime, const QList<QByteArray>& formats, bool readable,
		bool writable);

	const char* TranslatorName() const override { return fName.c_str(); }
	const char* TranslatorInfo() const override { return fInfo.c_str(); }
	int32 TranslatorVersion() const override { return 100; }
	const translation_format* InputFormats(int32* count) const override;
	const translation_format* OutputFormats(int32* count) const override;
	status_t Identify(BPositionIO* source, const translation_format* format,
		BMessage* extension, translator_info* info, uint32 outType) override;
	status_t Translate(BPositionIO* source, const translator_info* info, BMessage* extension,
		uint32 outType, BPositionIO* destination) override;

private:
	status_t _Decode(BPositionIO* source, BPositionIO* destination);
	status_t _DecodeLater(BPositionIO* source, class BBitmapStream* stream);
	status_t _Encode(BPositionIO* source, BPositionIO* destination);

	QList<QByteArray> fFormats;
	uint32 fType;
	std::string fName;
	std::string fInfo;
	std::vector<translation_format> fInputs;
	std::vector<translation_format> fOutputs;
};

// A format a translator reads or writes, in the bitmap group.
translation_format make_format(uint32 type, const char* mime, const char* name, float quality);

// Adds a translator for every image type the installed plugins read or write.
void add_qt_translators(BTranslatorRoster* roster);

// How large a picture may decode to, so a hostile header cannot exhaust memory.
const int kDecodeLimitMegabytes = 1024;

#endif
