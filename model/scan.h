#ifndef TEVRA_SCAN_H
#define TEVRA_SCAN_H

#include <Rect.h>
#include <SupportDefs.h>

// How much of a text a value must take. A design file is read as scanf reads it, so files
// written by hand or by older versions keep loading; a typed field must be the value and
// nothing else, or a slip of the keyboard would store half of what was meant.
enum scan_rule {
	// Blanks, then as much as reads; the rest of the text is ignored. Decimal numbers
	// saturate at 32 bits, hexadecimal takes at most eight characters ("%8x").
	kScanPrefix,
	// Blanks around the value are allowed, anything else is refused, and so is a number
	// that does not fit in 32 bits.
	kScanWhole,
};

// "%d", "%x" and "%d,%d,%d,%d". On failure the value is left as it was.
bool scan_int(const char* text, int32* value, scan_rule rule);
bool scan_int8(const char* text, int8* value, scan_rule rule);
bool scan_int8(const char* text, uint8* value, scan_rule rule);
bool scan_hex(const char* text, uint32* value, scan_rule rule);
bool scan_rect(const char* text, BRect* rect, scan_rule rule);

// A coordinate or size as a whole number: toward zero, within what an int holds (a design
// may place a calendar at 2^31, which a float holds only rounded up past it); NaN gives 0.
int truncate_int(float value);

#endif
