#ifndef TEVRA_FIELD_TEXT_H
#define TEVRA_FIELD_TEXT_H

#include <Rect.h>

class BTextControl;

// Writes a value into a text field in the panel's printf format.
void set_text(BTextControl* control, const char* format, ...)
	__attribute__((format(printf, 2, 3)));
// A rectangle as "left,top,right,bottom", each cut toward zero.
void set_rect_text(BTextControl* control, BRect r);

#endif
