#include "model/scan.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

const char* skip_blanks(const char* text)
{
	while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
		text++;
	return text;
}

bool ends_here(const char* text)
{
	return *skip_blanks(text) == '\0';
}

// One decimal number; returns where it ends, or nullptr when nothing reads.
const char* read_int(const char* text, int32* value, scan_rule rule)
{
	text = skip_blanks(text);
	char* end;
	errno = 0;
	long long number = strtoll(text, &end, 10);
	if (end == text)
		return nullptr;
	bool fits = errno != ERANGE && number >= INT32_MIN && number <= INT32_MAX;
	if (rule == kScanWhole && !fits)
		return nullptr;
	*value = (int32)(number > INT32_MAX ? INT32_MAX : number < INT32_MIN ? INT32_MIN : number);
	return end;
}

int hex_digit(char c)
{
	return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

}

bool scan_int(const char* text, int32* value, scan_rule rule)
{
	int32 number;
	const char* end = read_int(text, &number, rule);
	if (end == nullptr || (rule == kScanWhole && !ends_here(end)))
		return false;
	*value = number;
	return true;
}

bool scan_int8(const char* text, uint8* value, scan_rule rule)
{
	int32 number;
	if (!scan_int(text, &number, rule))
		return false;
	if (rule == kScanWhole && (number < INT8_MIN || number > UINT8_MAX))
		return false;
	// As scanf's "%hhd" stores it: the low byte.
	*value = (uint8)number;
	return true;
}

bool scan_int8(const char* text, int8* value, scan_rule rule)
{
	return scan_int8(text, (uint8*)value, rule);
}

bool scan_hex(const char* text, uint32* value, scan_rule rule)
{
	text = skip_blanks(text);
	// The file's "%8x" counts a "0x" among its eight characters; a typed value may have
	// leading zeros as long as it fits.
	int width = rule == kScanPrefix ? 8 : INT_MAX;
	if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && isxdigit((uchar)text[2])) {
		text += 2;
		width -= 2;
	}
	uint64 result = 0;
	int digits = 0;
	while (digits < width && isxdigit((uchar)text[digits])) {
		result = result * 16 + hex_digit(text[digits]);
		if (result > 0xffffffffULL)
			return false;
		digits++;
	}
	if (digits == 0 || (rule == kScanWhole && !ends_here(text + digits)))
		return false;
	*value = (uint32)result;
	return true;
}

bool scan_rect(const char* text, BRect* rect, scan_rule rule)
{
	int32 values[4];
	for (int i = 0; i < 4; i++) {
		if (i > 0) {
			if (*text != ',')
				return false;
			text++;
		}
		text = read_int(text, &values[i], rule);
		if (text == nullptr)
			return false;
	}
	if (rule == kScanWhole && !ends_here(text))
		return false;
	rect->Set(values[0], values[1], values[2], values[3]);
	return true;
}

int truncate_int(float value)
{
	if (!(value == value))
		return 0;
	if (value >= 2147483648.0f)
		return INT32_MAX;
	if (value <= -2147483648.0f)
		return INT32_MIN;
	return (int)value;
}
