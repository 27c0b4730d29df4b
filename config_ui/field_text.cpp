#include "config_ui/field_text.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include <TextControl.h>

void set_text(BTextControl* control, const char* format, ...)
{
	char text[64];
	va_list args;
	va_start(args, format);
	vsnprintf(text, sizeof(text), format, args);
	va_end(args);
	control->SetText(text);
}

namespace {

// Toward zero, as the design file writes it, within what "%d" can show: a design may place
// a calendar at 2^31, which a float holds only rounded up past it.
int shown_int(float value)
{
	if (!(value == value))
		return 0;
	return value >= 2147483648.0f ? INT32_MAX : value <= -2147483648.0f ? INT32_MIN : (int)value;
}

}

void set_rect_text(BTextControl* control, BRect r)
{
	set_text(control, "%d,%d,%d,%d", shown_int(r.left), shown_int(r.top), shown_int(r.right),
		shown_int(r.bottom));
}
