#ifndef TEVRA_RENDER_DRAW_CAL_H
#define TEVRA_RENDER_DRAW_CAL_H

#include <Font.h>
#include <View.h>

#include "model/object.h"

// What the calendar views share, and the views tevraview::draw_cal draws with them.

// The caption's colour, opaque, with a lighter shade of it as the low colour.
void set_color(BView* view, uint32 c);
void set_color_alpha(BView* view, uint32 c);
// The high colour only, opaque: for marks and bars beside the captions.
void set_opaque(BView* view, uint32 c);

// A caption font and what layout needs of it: the line height h, whole pixels.
struct caption_font {
	font_height height;
	int h;
};

caption_font set_font(BView* view, const font_name name, float size);
int text_width(BView* view, const char* text);
void fill_bubble(BView* view, BRect rect, float radius, uint32 color);

// A value moved by a count, held to the int range either way.
int shift_clamped(int value, int64 by);

// A date's holiday code with the design's holiday files: a day they name is a holiday too,
// beside Japan's.
int with_holiday_files(int year, int month, int day, int code);

// The almanac's size beside the date or day number it belongs to: small, as printed
// calendars have it.
const float kAlmanacScale = 0.4f;

// Returns false when the date is outside the supported years: drawing stops there.
bool draw_day(BView* view, const object* item, int year, int month, int day);
void draw_month(BView* view, const object* item, int year, int month);
void draw_year(BView* view, const object* item, int year, int month, int day);

#endif
