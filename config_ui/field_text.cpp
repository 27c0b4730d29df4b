#include "config_ui/field_text.h"

#include <cstdarg>
#include <cstdio>

#include <TextControl.h>

#include "model/scan.h"

void set_text(BTextControl* control, const char* format, ...)
{
	char text[64];
	va_list args;
	va_start(args, format);
	vsnprintf(text, sizeof(text), format, args);
	va_end(args);
	control->SetText(text);
}

void set_rect_text(BTextControl* control, BRect r)
{
	set_text(control, "%d,%d,%d,%d", truncate_int(r.left), truncate_int(r.top), truncate_int(r.right),
		truncate_int(r.bottom));
}
