#include <TranslatorRoster.h>

#include <cstdio>
#include <cstring>

#include "qt_translator.h"
#include "tga_translator.h"

BTranslator::BTranslator()
{
}

BTranslator::~BTranslator()
{
}

BTranslatorRoster::BTranslatorRoster()
{
}

BTranslatorRoster::~BTranslatorRoster()
{
	for (BTranslator* translator : fTranslators)
		delete translator;
}

BTranslatorRoster* BTranslatorRoster::Default()
{
	static BTranslatorRoster* roster = nullptr;
	if (roster == nullptr) {
		roster = new BTranslatorRoster();
		roster->fIsDefault = true;
	}
	return roster;
}

// Qt's plugins can be listed only once the application exists, which Haiku programs make
// after taking the roster; so the default roster fills itself on first use.
void BTranslatorRoster::_LoadDefault()
{
	if (!fIsDefault)
		return;
	fIsDefault = false;
	add_qt_translators(this);
	fTranslators.push_back(new TgaTranslator());
}

status_t BTranslatorRoster::AddTranslator(BTranslator* translator)
{
	if (translator == nullptr)
		return B_BAD_VALUE;
	_LoadDefault();
	fTranslators.push_back(translator);
	return B_OK;
}

BTranslator* BTranslatorRoster::_Find(translator_id id)
{
	_LoadDefault();
	if (id < 1 || id > fTranslators.size())
		return nullptr;
	return fTranslators[id - 1];
}

status_t BTranslatorRoster::GetOutputFormats(translator_id id,
	const translation_format** formats, int32* count)
{
	BTranslator* translator = _Find(id);
	if (translator == nullptr || formats == nullptr || count == nullptr)
		return translator == nullptr ? B_NO_TRANSLATOR : B_BAD_VALUE;
	*formats = translator->OutputFormats(count);
	return B_OK;
}

status_t BTranslatorRoster::GetTranslators(BPositionIO* source, BMessage* ioExtension,
	translator_info** info, int32* numInfo, uint32, const char*, uint32 wantType)
{
	if (source == nullptr || info == nullptr || numInfo == nullptr)
		return B_BAD_VALUE;
	_LoadDefault();
	std::vector<translator_info> found;
	for (size_t i = 0; i < fTranslators.size(); i++) {
		translator_info candidate;
		memset(&candidate, 0, sizeof(candidate));
		source->Seek(0, SEEK_SET);
		if (fTranslators[i]->Identify(source, nullptr, ioExtension, &candidate, wantType)
				== B_OK) {
			candidate.translator = i + 1;
			found.push_back(candidate);
		}
	}
	source->Seek(0, SEEK_SET);
	*numInfo = found.size();
	*info = new translator_info[found.size() + 1];
	for (size_t i = 0; i < found.size(); i++)
		(*info)[i] = found[i];
	return found.empty() ? B_NO_TRANSLATOR : B_OK;
}

status_t BTranslatorRoster::Identify(BPositionIO* source, BMessage* ioExtension,
	translator_info* info, uint32 hintType, const char* hintMIME, uint32 wantType)
{
	if (info == nullptr)
		return B_BAD_VALUE;
	translator_info* candidates = nullptr;
	int32 count = 0;
	status_t status = GetTranslators(source, ioExtension, &candidates, &count, hintType,
		hintMIME, wantType);
	if (status == B_OK) {
		// The translator most sure of its reading wins; ties go to the earlier one.
		int32 best = 0;
		for (int32 i = 1; i < count; i++) {
			if (candidates[i].quality * candidates[i].capability
					> candidates[best].quality * candidates[best].capability)
				best = i;
		}
		*info = candidates[best];
	}
	delete[] candidates;
	return status;
}

status_t BTranslatorRoster::Translate(BPositionIO* source, const translator_info* info,
	BMessage* ioExtension, BPositionIO* destination, uint32 wantOutType, uint32 hintType,
	const char* hintMIME)
{
	if (source == nullptr || destination == nullptr)
		return B_BAD_VALUE;
	translator_info chosen;
	if (info != nullptr) {
		chosen = *info;
	} else {
		status_t status = Identify(source, ioExtension, &chosen, hintType, hintMIME,
			wantOutType);
		if (status != B_OK)
			return status;
	}
	BTranslator* translator = _Find(chosen.translator);
	if (translator == nullptr)
		return B_NO_TRANSLATOR;
	source->Seek(0, SEEK_SET);
	return translator->Translate(source, &chosen, ioExtension, wantOutType, destination);
}
