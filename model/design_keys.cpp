#include "model/design_keys.h"

#include <cstring>

#include "model/events.h"
#include "model/globals.h"
#include "model/holidays.h"
#include "model/object.h"

#define GLOBAL(name, kind, variable, def) {name, kind, &variable, 0, 0, def, false, 0, 0}
#define MEMBER(name, kind, field, def) \
	{name, kind, nullptr, offsetof(object, field), 0, def, false, 0, 0}
#define FONT(name, field, number) \
	{name, kKeyFont, nullptr, offsetof(object, field), offsetof(object, number), nullptr, \
		false, 0, 0}
// Keys beyond the first designs, left out while they say only their default.
#define QUIET_GLOBAL(name, kind, variable, def, lowest, limit) \
	{name, kind, &variable, 0, 0, def, true, lowest, limit}
#define QUIET_MEMBER(name, kind, field, def, lowest, limit) \
	{name, kind, nullptr, offsetof(object, field), 0, def, true, lowest, limit}

const design_key kDesignKeys[] = {
	GLOBAL("base_type", kKeyInt32, base_mode, "1"),
	GLOBAL("base_color", kKeyColor, base_color, "00336699"),
	GLOBAL("base_image", kKeyImage, baseimgpath, ""),
	GLOBAL("image_bounds", kKeyRect, bg_bounds, nullptr),
	GLOBAL("out_format", kKeyFormat, outfmt, nullptr),
	GLOBAL("wp_autoset", kKeyFlag, autoset, "n"),
	GLOBAL("wp_textback", kKeyFlag, textback, "y"),
	GLOBAL("screen_color", kKeyColor, scrn_color, "00336699"),
	QUIET_GLOBAL("holiday_rules", kKeyChoice, holiday_rules, "0", -1, 1),
	QUIET_GLOBAL("events", kKeySources, event_sources, "", 0, 0),
	QUIET_GLOBAL("holidays", kKeySources, holiday_sources, "", 0, 0),
	QUIET_GLOBAL("language", kKeyText, design_language, "", 0, 0),

	MEMBER("type", kKeyUint8, type, "10"),
	MEMBER("when", kKeyInt32, when, "0"),
	MEMBER("bg_type", kKeyUint8, bg_type, "0"),
	MEMBER("bg_color", kKeyColor, bg_color, "ffffffff"),
	MEMBER("year_color", kKeyColor, year_color, "00000000"),
	MEMBER("month_color", kKeyColor, month_color, "00000000"),
	MEMBER("day_color", kKeyColor, day_color, "00000000"),
	MEMBER("sun_color", kKeyColor, sun_color, "00ff0000"),
	MEMBER("sat_color", kKeyColor, sat_color, "000000ff"),
	MEMBER("hol_color", kKeyColor, hol_color, "00ff8800"),
	MEMBER("today_color", kKeyColor, today_color, "0000aa00"),
	MEMBER("year_size", kKeyInt32, year_size, "0"),
	MEMBER("month_size", kKeyInt32, month_size, "0"),
	MEMBER("day_size", kKeyInt32, day_size, "0"),
	MEMBER("year_type", kKeyInt8, year_type, "0"),
	MEMBER("month_type", kKeyInt8, month_type, "0"),
	MEMBER("today_mark", kKeyInt8, today_mark, "0"),
	FONT("year_font", year_font, year_font_no),
	FONT("month_font", month_font, month_font_no),
	FONT("day_font", day_font, day_font_no),
	QUIET_MEMBER("week_start", kKeyChoice, week_start, "0", 0, 6),
	QUIET_MEMBER("week_numbers", kKeyFlag, week_numbers, "n", 0, 0),
	QUIET_MEMBER("event_color", kKeyColor, event_color, "00d81b60", 0, 0),
	QUIET_MEMBER("rokuyo", kKeyFlag, rokuyo, "n", 0, 0),
	QUIET_MEMBER("week_header", kKeyFlag, week_header, "n", 0, 0),
	MEMBER("bounds", kKeyBounds, bounds, nullptr),
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
