#include "render/draw_cal.h"

#include <cstdint>

#include "model/events.h"
#include "model/globals.h"
#include "model/holidays.h"
#include "model/scan.h"
#include "model/tevraview.h"

namespace {

uint8 red(uint32 c) { return (c >> 16) & 0xff; }
uint8 green(uint32 c) { return (c >> 8) & 0xff; }
uint8 blue(uint32 c) { return c & 0xff; }
uint8 alpha(uint32 c) { return (c >> 24) & 0xff; }

}

void set_color(BView* view, uint32 c)
{
	view->SetHighColor(red(c), green(c), blue(c), 255);
	view->SetLowColor((red(c) >> 1) + 64, (green(c) >> 1) + 64, (blue(c) >> 1) + 64, 255);
}

void set_color_alpha(BView* view, uint32 c)
{
	view->SetHighColor(red(c), green(c), blue(c), alpha(c));
}

void set_opaque(BView* view, uint32 c)
{
	view->SetHighColor(red(c), green(c), blue(c), 255);
}

caption_font set_font(BView* view, const font_name name, float size)
{
	BFont font;
	font.SetFamilyAndStyle(name[0], name[1]);
	font.SetSize(size);
	view->SetFont(&font, B_FONT_ALL);
	caption_font result;
	font.GetHeight(&result.height);
	result.h = truncate_int(result.height.ascent + result.height.descent);
	return result;
}

int text_width(BView* view, const char* text)
{
	return truncate_int(view->StringWidth(text));
}

void fill_bubble(BView* view, BRect rect, float radius, uint32 color)
{
	view->SetDrawingMode(B_OP_ALPHA);
	set_color_alpha(view, color);
	view->FillRoundRect(rect, radius, radius);
	view->SetDrawingMode(B_OP_COPY);
}

int shift_clamped(int value, int64 by)
{
	int64 moved = value + by;
	return moved > INT32_MAX ? INT32_MAX : moved < INT32_MIN ? INT32_MIN : (int)moved;
}

int with_holiday_files(int year, int month, int day, int code)
{
	if (code == 0 && !holiday_sources.empty()
		&& book_has_event(kHolidaysBook, year, month, day))
		code += kCodeFileHoliday;
	return code;
}

void tevraview::draw_cal()
{
	SetViewColor(0, 0, 0, 255);
	for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++) {
		int year = now_y, month = now_m, day = now_d;
		if (item->bg_type == 0) {
			SetDrawingMode(B_OP_ALPHA);
			set_color_alpha(this, item->bg_color);
			FillRect(item->bounds);
			SetDrawingMode(B_OP_COPY);
		}
		switch (item->type) {
			case kTypeDay:
				// A single date outside the supported years ends the whole pass.
				if (!draw_day(this, item, year, month, day))
					return;
				break;
			case kTypeMonth:
				draw_month(this, item, year, month);
				break;
			case kTypeYear:
				draw_year(this, item, year, month, day);
				break;
		}
	}
}
