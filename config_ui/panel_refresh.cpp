#include <cstdio>

#include <Button.h>
#include <CheckBox.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <RadioButton.h>
#include <StringView.h>
#include <TextControl.h>

#include "config_ui/configview.h"
#include "config_ui/field_text.h"
#include "config_ui/rgbslider.h"
#include "config_ui/slider.h"
#include "model/catalogue_items.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/holidays.h"
#include "model/labels.h"
#include "shared_ui/messages.h"

namespace {

// Which groups of the object page mean something for each kind of calendar, one mask for
// each letter of the group table: a single date has no year or month captions and no
// per-day colours, a year no caption styles.
uint8 mask_for(uint8 type, char letter)
{
	// E holds the groups beyond the first panel: the week's first day (0x01), the events'
	// colour (0x02), week numbers (0x04) and the almanac (0x08); a single date has no weeks,
	// a year's cells no room for the almanac.
	static const struct {
		uint8 type;
		uint8 a, b, c, d, e;
	} kMasks[] = {
		{kTypeDay, 0xff, 0x00, 0x00, 0x07, 0x0a},
		{kTypeMonth, 0xff, 0x0f, 0x0f, 0xff, 0x0f},
		{kTypeYear, 0xff, 0x07, 0x07, 0xff, 0x07},
	};
	// Another kind is offered everything, as a month is.
	auto masks = kMasks[1];
	for (const auto& row : kMasks) {
		if (row.type == type)
			masks = row;
	}
	return letter == 'A' ? masks.a : letter == 'B' ? masks.b : letter == 'C' ? masks.c
		: letter == 'D' ? masks.d : masks.e;
}

void mark_font(int32 number, int menu)
{
	font_item* font = (font_item*)fontl.ItemAt(number);
	if (font != nullptr && font->menu_items[menu] != nullptr)
		font->menu_items[menu]->SetMarked(true);
}

// Switches the one radio button of a group that stands for value on, the others off.
void set_radios(std::initializer_list<BRadioButton*> radios, int value)
{
	int i = 0;
	for (BRadioButton* radio : radios)
		radio->SetValue(value == i++);
}

void set_color(BTextControl* text, rgbslider* knobs, const char* format, uint32 value)
{
	set_text(text, format, (unsigned)value);
	knobs->SetValue(value);
}

void set_size(BTextControl* text, slider* knob, int32 value)
{
	set_text(text, "%d", (int)value);
	knob->SetValue(value);
}

void set_enabled(BView* view, bool on)
{
	if (BControl* control = dynamic_cast<BControl*>(view))
		control->SetEnabled(on);
	else if (BMenuField* field = dynamic_cast<BMenuField*>(view))
		field->SetEnabled(on);
}

}

// The object page's groups, in the order they are refreshed: the mask and bit that offer
// each, the controls that bit enables, and how the group shows the edited object.
const std::vector<configview::item_group>& configview::_ItemGroups()
{
	if (!fItemGroups.empty())
		return fItemGroups;
	fItemGroups = {
		{'A', 0x01, {bounds}, [this](const object* o) { set_rect_text(bounds, o->bounds); }},
		{'A', 0x02, {bg_wall, bg_bubble},
			[this](const object* o) { set_radios({bg_wall, bg_bubble}, o->bg_type); }},
		{'A', 0x04, {bg_col},
			[this](const object* o) { set_color(bg_col, bg_col_sl, "%08x", o->bg_color); }},
		{'A', 0x08, {day, month, year},
			[this](const object* o) {
				set_radios({day, month, year}, o->type == kTypeDay ? 0 : o->type == kTypeMonth
					? 1 : o->type == kTypeYear ? 2 : -1);
			}},
		{'A', 0x10, {when}, [this](const object* o) { set_text(when, "%d", (int)o->when); }},
		{'B', 0x01, {year_font}, [](const object* o) { mark_font(o->year_font_no, 0); }},
		{'B', 0x02, {year_size},
			[this](const object* o) { set_size(year_size, year_size_sl, o->year_size); }},
		{'B', 0x04, {year_col},
			[this](const object* o) {
				set_color(year_col, year_col_sl, "%06x", o->year_color);
			}},
		{'B', 0x08, {digit_y, chinese_y, gengo},
			[this](const object* o) { set_radios({digit_y, chinese_y, gengo}, o->year_type); }},
		{'C', 0x01, {month_font}, [](const object* o) { mark_font(o->month_font_no, 1); }},
		{'C', 0x02, {month_size},
			[this](const object* o) { set_size(month_size, month_size_sl, o->month_size); }},
		{'C', 0x04, {month_col},
			[this](const object* o) {
				set_color(month_col, month_col_sl, "%06x", o->month_color);
			}},
		{'C', 0x08, {digit_m, chinese_m, old, english, month_language_cb},
			[this](const object* o) {
				set_radios({digit_m, chinese_m, old, english}, o->month_type);
				month_language_cb->SetValue(o->month_type == kMonthTypeLanguage ? 1 : 0);
			}},
		{'D', 0x01, {day_font}, [](const object* o) { mark_font(o->day_font_no, 2); }},
		{'D', 0x02, {day_size},
			[this](const object* o) { set_size(day_size, day_size_sl, o->day_size); }},
		{'D', 0x04, {day_col},
			[this](const object* o) { set_color(day_col, day_col_sl, "%06x", o->day_color); }},
		{'D', 0x08, {sun_col},
			[this](const object* o) { set_color(sun_col, sun_col_sl, "%06x", o->sun_color); }},
		{'D', 0x10, {sat_col},
			[this](const object* o) { set_color(sat_col, sat_col_sl, "%06x", o->sat_color); }},
		{'D', 0x20, {holy_col},
			[this](const object* o) {
				set_color(holy_col, holy_col_sl, "%06x", o->hol_color);
			}},
		{'D', 0x40, {mark_color, mark_reverse, mark_circle},
			[this](const object* o) {
				set_radios({mark_color, mark_reverse, mark_circle}, o->today_mark);
			}},
		{'D', 0x80, {mark_col},
			[this](const object* o) {
				set_color(mark_col, mark_col_sl, "%06x", o->today_color);
			}},
		{'E', 0x01, {week_start_mf},
			[this](const object* o) {
				if (o->week_start >= 0 && o->week_start < 7)
					fWeekItems[o->week_start]->SetMarked(true);
			}},
		{'E', 0x02, {event_col},
			[this](const object* o) {
				set_color(event_col, event_col_sl, "%06x", o->event_color);
			}},
		{'E', 0x04, {week_no_cb, week_header_cb},
			[this](const object* o) {
				week_no_cb->SetValue(o->week_numbers ? 1 : 0);
				week_header_cb->SetValue(o->week_header ? 1 : 0);
			}},
		{'E', 0x08, {rokuyo_cb},
			[this](const object* o) { rokuyo_cb->SetValue(o->rokuyo ? 1 : 0); }},
	};
	return fItemGroups;
}

void configview::redraw(int which)
{
	if (which >= -1) {
		edit_no = which;
		object* shown = which >= 0 ? (object*)obl.ItemAt(which) : nullptr;
		fEditedSerial = shown != nullptr ? shown->serial : 0;
	}
	object* item = _Edited();

	if (item != nullptr) {
		char title[32];
		snprintf(title, sizeof(title), "item no.%d\n", (int)edit_no + 1);
		sel_label->SetText(title);
		if (fBaseShown) {
			config_base->Hide();
			fBaseShown = false;
		}
		if (!fItemShown) {
			config_item->Show();
			fItemShown = true;
		}
		// A group whose bit is clear is disabled and keeps what it showed before.
		for (const item_group& group : _ItemGroups()) {
			bool on = (mask_for(item->type, group.mask) & group.bit) != 0;
			if (on)
				group.fill(item);
			for (BView* control : group.controls)
				set_enabled(control, on);
		}
		return;
	}

	sel_label->SetText("base / output");
	if (fItemShown) {
		config_item->Hide();
		fItemShown = false;
	}
	if (!fBaseShown) {
		config_base->Show();
		fBaseShown = true;
	}
	// Every group of the base page is filled and enabled.
	set_radios({mono, img_c, img_f, img_p}, base_mode);
	set_rect_text(bg_bounds_tc, ::bg_bounds);
	set_color(base_col, base_col_sl, "%06x", base_color);
	base_fn->SetText(baseimgpath);
	format_item* format = outfmt >= 0 ? (format_item*)xlt.ItemAt(outfmt) : nullptr;
	if (format != nullptr && format->menu_item != nullptr)
		format->menu_item->SetMarked(true);
	auto_cb->SetValue(autoset ? 1 : 0);
	textback_cb->SetValue(::textback ? 1 : 0);
	if (holiday_rules >= -1 && holiday_rules <= 1)
		fRuleItems[holiday_rules < 0 ? 2 : holiday_rules]->SetMarked(true);
	language_tc->SetText(design_language.c_str());
	screens_cb->SetValue(screens == kScreensAll ? 1 : 0);
	_FillEventList();
	set_color(screen_col, scrn_col_sl, "%06x", scrn_color);
	for (BView* control : std::initializer_list<BView*>{mono, img_c, img_f, img_p, bg_bounds_tc,
			base_col, base_fn, output_format, auto_cb, textback_cb, screen_col,
			holiday_rules_mf, events_tc, events_mf, language_tc, holidays_tc, holidays_mf,
			screens_cb})
		set_enabled(control, true);
}

BPopUpMenu* configview::setupfontmenu(int which)
{
	BPopUpMenu* menu = new BPopUpMenu("", true, true, B_ITEMS_IN_COLUMN);
	for (int32 i = 0; font_item* font = (font_item*)fontl.ItemAt(i); i++) {
		char label[256];
		snprintf(label, sizeof(label), "%s(%s)", font->family, font->style);
		BMessage* message = new BMessage(kMsgMenuSelected);
		message->AddInt8("font_menu", which);
		message->AddInt16("font_no", i);
		BMenuItem* item = new BMenuItem(label, message, 0, 0);
		item->SetTarget(this, nullptr);
		menu->AddItem(item);
		if (which >= 1 && which <= 3)
			font->menu_items[which - 1] = item;
	}
	menu->SetRadioMode(true);
	return menu;
}

BPopUpMenu* configview::setupformatmenu()
{
	BPopUpMenu* menu = new BPopUpMenu("", true, true, B_ITEMS_IN_COLUMN);
	for (int32 i = 0; format_item* format = (format_item*)xlt.ItemAt(i); i++) {
		BMessage* message = new BMessage(kMsgMenuSelected);
		message->AddInt16("format_no", i);
		BMenuItem* item = new BMenuItem(format->mime, message, 0, 0);
		item->SetTarget(this, nullptr);
		menu->AddItem(item);
		format->menu_item = item;
	}
	menu->SetRadioMode(true);
	return menu;
}

BPopUpMenu* configview::setupweekmenu()
{
	BPopUpMenu* menu = new BPopUpMenu("", true, true, B_ITEMS_IN_COLUMN);
	for (int i = 0; i < 7; i++) {
		BMessage* message = new BMessage(kMsgMenuSelected);
		message->AddInt8("week_start", i);
		fWeekItems[i] = new BMenuItem(weekday_abbr[i], message, 0, 0);
		fWeekItems[i]->SetTarget(this, nullptr);
		menu->AddItem(fWeekItems[i]);
	}
	menu->SetRadioMode(true);
	return menu;
}

BPopUpMenu* configview::setupholidaymenu()
{
	static const char* const kLabels[3] = {"Japan, the same rules every year",
		"Japan, holiday law of each date", "none (only the holiday files)"};
	BPopUpMenu* menu = new BPopUpMenu("", true, true, B_ITEMS_IN_COLUMN);
	for (int i = 0; i < 3; i++) {
		BMessage* message = new BMessage(kMsgMenuSelected);
		message->AddInt8("holiday_rules", i < 2 ? i : -1);
		fRuleItems[i] = new BMenuItem(kLabels[i], message, 0, 0);
		fRuleItems[i]->SetTarget(this, nullptr);
		menu->AddItem(fRuleItems[i]);
	}
	menu->SetRadioMode(true);
	return menu;
}

// The lists of calendar files and feeds, events' and holidays', one item each; choosing one
// removes it.
void configview::_FillEventList()
{
	const struct {
		BMenuField* field;
		const std::vector<std::string>* sources;
		const char* number;
	} lists[] = {
		{events_mf, &event_sources, "event_no"},
		{holidays_mf, &holiday_sources, "holiday_no"},
	};
	for (const auto& shown : lists) {
		BMenu* list = shown.field->Menu();
		while (BMenuItem* item = list->RemoveItem((int32)0))
			delete item;
		for (size_t i = 0; i < shown.sources->size(); i++) {
			BMessage* message = new BMessage(kMsgMenuSelected);
			message->AddInt32(shown.number, (int32)i);
			BMenuItem* item = new BMenuItem((*shown.sources)[i].c_str(), message, 0, 0);
			item->SetTarget(this, nullptr);
			list->AddItem(item);
		}
	}
}
