#include "model/design_keys.h"

#include <cstring>

#include "model/events.h"
#include "model/globals.h"
#include "model/holidays.h"
#include "model/object.h"

#define GLOBAL(name, kind, variable) {name, kind, &variable, 0, 0, nullptr, 0}
#define MEMBER(name, kind, field) {name, kind, nullptr, offsetof(object, field), 0, nullptr, 0}
#define FONT(name, field, number) \
	{name, kKeyFont, nullptr, offsetof(object, field), offsetof(object, number), nullptr, 0}
// Keys beyond the first designs, left out while they say only their default.
#define QUIET_GLOBAL(name, kind, variable, quiet, limit) \
	{name, kind, &variable, 0, 0, quiet, limit}
#define QUIET_MEMBER(name, kind, field, quiet, limit) \
	{name, kind, nullptr, offsetof(object, field), 0, quiet, limit}

const design_key kDesignKeys[] = {
	GLOBAL("base_type", kKeyInt32, base_mode),
	GLOBAL("base_color", kKeyColor, base_color),
	GLOBAL("base_image", kKeyImage, baseimgpath),
	GLOBAL("image_bounds", kKeyRect, bg_bounds),
	GLOBAL("out_format", kKeyFormat, outfmt),
	GLOBAL("wp_autoset", kKeyFlag, autoset),
	GLOBAL("wp_textback", kKeyFlag, textback),
	GLOBAL("screen_color", kKeyColor, scrn_color),
	QUIET_GLOBAL("screens", kKeyChoice, screens, "0", 1),
	QUIET_GLOBAL("holiday_rules", kKeyChoice, holiday_rules, "0", 1),
	GLOBAL("events", kKeySources, event_sources),

	MEMBER("type", kKeyUint8, type),
	MEMBER("when", kKeyInt32, when),
	MEMBER("bg_type", kKeyUint8, bg_type),
	MEMBER("bg_color", kKeyColor, bg_color),
	MEMBER("year_color", kKeyColor, year_color),
	MEMBER("month_color", kKeyColor, month_color),
	MEMBER("day_color", kKeyColor, day_color),
	MEMBER("sun_color", kKeyColor, sun_color),
	MEMBER("sat_color", kKeyColor, sat_color),
	MEMBER("hol_color", kKeyColor, hol_color),
	MEMBER("today_color", kKeyColor, today_color),
	MEMBER("year_size", kKeyInt32, year_size),
	MEMBER("month_size", kKeyInt32, month_size),
	MEMBER("day_size", kKeyInt32, day_size),
	MEMBER("year_type", kKeyInt8, year_type),
	MEMBER("month_type", kKeyInt8, month_type),
	MEMBER("today_mark", kKeyInt8, today_mark),
	FONT("year_font", year_font, year_font_no),
	FONT("month_font", month_font, month_font_no),
	FONT("day_font", day_font, day_font_no),
	QUIET_MEMBER("week_start", kKeyChoice, week_start, "0", 6),
	QUIET_MEMBER("week_numbers", kKeyFlag, week_numbers, "n", 0),
	QUIET_MEMBER("event_color", kKeyColor, event_color, "00d81b60", 0),
	MEMBER("bounds", kKeyBounds, bounds),
};

const size_t kDesignKeyCount = sizeof(kDesignKeys) / sizeof(kDesignKeys[0]);

const design_key* find_design_key(const std::string& name)
{
	for (const design_key& key : kDesignKeys) {
		if (name == key.name)
			return &key;
	}
	return nullptr;
}

void* key_value(const design_key& key, object* item)
{
	if (key.global != nullptr)
		return key.global;
	return item != nullptr ? (char*)item + key.member : nullptr;
}
