#include "model/object.h"

#include <cstring>

#include <Font.h>
#include <UTF8.h>

#include "model/globals.h"

void set_font_name(font_name name, const char* family, const char* style)
{
	copy_utf8(name[0], family, kFontNameLength);
	copy_utf8(name[1], style, kFontNameLength);
}

object::object(const object* other)
{
	if (other != nullptr) {
		*this = *other;
		bounds.OffsetBy(50.0f, 50.0f);
		return;
	}
	bounds.Set(scrn.right / 4, scrn.bottom / 4, scrn.right * 3 / 4, scrn.bottom * 3 / 4);
	type = kTypeMonth;
	when = 0;
	bg_type = 0;
	bg_color = 0xffffffff;
	year_type = 0;
	year_size = 0;
	year_color = 0x00000000;
	month_type = 0;
	month_size = 0;
	month_color = 0x00000000;
	day_size = 0;
	day_color = 0x00000000;
	sun_color = 0x00ff0000;
	sat_color = 0x000000ff;
	hol_color = 0x00ff8800;
	today_mark = 0;
	today_color = 0x0000aa00;
	week_start = 0;
	week_numbers = false;
	event_color = kDefaultEventColor;
	rokuyo = false;

	font_family family;
	font_style style;
	be_plain_font->GetFamilyAndStyle(&family, &style);
	set_font_name(year_font, family, style);
	set_font_name(month_font, family, style);
	set_font_name(day_font, family, style);
	year_font_no = dfn;
	month_font_no = dfn;
	day_font_no = dfn;
}
