#include <DateFormat.h>

#include <memory>
#include <string>

#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>

#include <Errors.h>

namespace {

icu::DateFormatSymbols::DtWidthType width_of(BDateFormatStyle style)
{
	switch (style) {
		case B_FULL_DATE_FORMAT:
		case B_LONG_DATE_FORMAT:
			return icu::DateFormatSymbols::WIDE;
		case B_MEDIUM_DATE_FORMAT:
			return icu::DateFormatSymbols::ABBREVIATED;
		default:
			return icu::DateFormatSymbols::SHORT;
	}
}

status_t take(const icu::UnicodeString* names, int32_t count, int index, BString& outName)
{
	if (names == nullptr || index < 0 || index >= count)
		return B_BAD_VALUE;
	std::string text;
	names[index].toUTF8String(text);
	outName.SetTo(text.c_str());
	return B_OK;
}

std::unique_ptr<icu::DateFormatSymbols> symbols_of(const BLocale& locale)
{
	UErrorCode error = U_ZERO_ERROR;
	std::unique_ptr<icu::DateFormatSymbols> symbols(
		new icu::DateFormatSymbols(icu::Locale(locale.Code()), error));
	if (U_FAILURE(error))
		return nullptr;
	return symbols;
}

}

BDateFormat::BDateFormat(const BLocale* locale)
	: fLocale(locale != nullptr ? *locale : BLocale())
{
}

status_t BDateFormat::GetMonthName(int month, BString& outName, BDateFormatStyle style) const
{
	std::unique_ptr<icu::DateFormatSymbols> symbols = symbols_of(fLocale);
	if (symbols == nullptr)
		return B_ERROR;
	int32_t count = 0;
	const icu::UnicodeString* names = symbols->getMonths(count,
		icu::DateFormatSymbols::STANDALONE, width_of(style));
	return take(names, count, month - 1, outName);
}

status_t BDateFormat::GetDayName(int day, BString& outName, BDateFormatStyle style) const
{
	if (day < B_WEEKDAY_MONDAY || day > B_WEEKDAY_SUNDAY)
		return B_BAD_VALUE;
	std::unique_ptr<icu::DateFormatSymbols> symbols = symbols_of(fLocale);
	if (symbols == nullptr)
		return B_ERROR;
	int32_t count = 0;
	const icu::UnicodeString* names = symbols->getWeekdays(count,
		icu::DateFormatSymbols::STANDALONE, width_of(style));
	// ICU counts Sunday 1 to Saturday 7, with an empty slot 0.
	return take(names, count, day == B_WEEKDAY_SUNDAY ? 1 : day + 1, outName);
}
