#ifndef TEVRA_OBJECT_H
#define TEVRA_OBJECT_H

#include <Rect.h>

// Font names as stored in a design: family, then style.
const int kFontNameLength = 128;
typedef char font_name[2][kFontNameLength];

// One calendar on the wallpaper: a single date, a month or a year, with its placement and
// its look. Kinds, background shapes and today marks are the numbers the design file uses.
class object {
public:
	// A new object with the key table's defaults when other is null; otherwise a copy of other moved 50 pixels
	// right and down, so a copy never hides what it was copied from.
	object(const object* other);

	BRect bounds;
	uint8 type;
	int32 when;
	uint8 bg_type;
	uint32 bg_color;
	int8 year_type;
	font_name year_font;
	int32 year_size;
	uint32 year_color;
	int8 month_type;
	font_name month_font;
	int32 month_size;
	uint32 month_color;
	font_name day_font;
	int32 day_size;
	uint32 day_color;
	uint32 sun_color;
	uint32 sat_color;
	uint32 hol_color;
	int8 today_mark;
	uint32 today_color;
	int32 year_font_no;
	int32 month_font_no;
	int32 day_font_no;
	// Beyond the first designs: the weekday a grid's weeks start on (0 Sunday), ISO week
	// numbers beside the grid, and the colour that marks a day with events.
	int32 week_start;
	bool week_numbers;
	uint32 event_color;
	// The traditional almanac: each day's 六曜 in a month grid, the lunisolar date, 六曜
	// and solar term under a single date.
	bool rokuyo;
	// A row of weekday names above a month grid.
	bool week_header;
	// Which calendar this is while the program runs, never given twice (a copy gets its own):
	// the panel finds the calendar it shows by it after the list changed under it.
	uint32 serial;
};

enum {
	kTypeDay = 0,
	kTypeMonth = 10,
	kTypeYear = 20,
};

// Stores a family and a style into a font name, each cut at a character boundary to fit.
void set_font_name(font_name name, const char* family, const char* style);

#endif
