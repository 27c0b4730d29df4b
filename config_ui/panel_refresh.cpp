#include <cstdarg>
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
#include "config_ui/messages.h"
#include "config_ui/rgbslider.h"
#include "config_ui/slider.h"
#include "model/catalogue_items.h"
#include "model/globals.h"

namespace {

struct masks {
	uint8 a, b, c, d;
};

// Which groups of the object page mean something for each kind of calendar: a single date
// has no year or month captions and no per-day colours, a year no caption styles.
masks masks_for(uint8 type)
{
	switch (type) {
		case kTypeDay:
			return {0xff, 0x00, 0x00, 0x07};
		case kTypeYear:
			return {0xff, 0x07, 0x07, 0xff};
		default:
			return {0xff, 0x0f, 0x0f, 0xff};
	}
}


void mark_font(int32 number, int menu)
{
	font_item* font = (font_item*)fontl.ItemAt(number);
	if (font != nullptr && font->menu_items[menu] != nullptr)
		font->menu_items[menu]->SetMarked(true);
}

void enable(bool on, std::initializer_list<BControl*> controls)
{
	for (BControl* control : controls)
		control->SetEnabled(on);
}

}

void configview::redraw(int which)
{
	if (which >= -1)
		edit_no = which;
	object* item = _Edited();

	if (item != nullptr) {
		char title[32];
		snprintf(title, sizeof(title), "item no.%d\n", (int)edit_no + 1);
		sel_label->SetText(title);
		masks m = masks_for(item->type);
		if (fBaseShown) {
			config_base->Hide();
			fBaseShown = false;
		}
		if (!fItemShown) {
			config_item->Show();
			fItemShown = true;
		}

		// A group whose bit is clear is disabled and keeps what it showed before.
		bool on = m.a & 0x01;
		if (on)
			set_rect_text(bounds, item->bounds);
		enable(on, {bounds});
		on = m.a & 0x02;
		if (on) {
			bg_wall->SetValue(item->bg_type == 0);
			bg_bubble->SetValue(item->bg_type == 1);
		}
		enable(on, {bg_wall, bg_bubble});
		on = m.a & 0x04;
		if (on) {
			set_text(bg_col, "%08x", (unsigned)item->bg_color);
			bg_col_sl->SetValue(item->bg_color);
		}
		enable(on, {bg_col});
		on = m.a & 0x08;
		if (on) {
			day->SetValue(item->type == kTypeDay);
			month->SetValue(item->type == kTypeMonth);
			year->SetValue(item->type == kTypeYear);
		}
		enable(on, {day, month, year});
		on = m.a & 0x10;
		if (on)
			set_text(when, "%d", (int)item->when);
		enable(on, {when});

		on = m.b & 0x01;
		if (on)
			mark_font(item->year_font_no, 0);
		year_font->SetEnabled(on);
		on = m.b & 0x02;
		if (on) {
			set_text(year_size, "%d", (int)item->year_size);
			year_size_sl->SetValue(item->year_size);
		}
		enable(on, {year_size});
		on = m.b & 0x04;
		if (on) {
			set_text(year_col, "%06x", (unsigned)item->year_color);
			year_col_sl->SetValue(item->year_color);
		}
		enable(on, {year_col});
		on = m.b & 0x08;
		if (on) {
			digit_y->SetValue(item->year_type == 0);
			chinese_y->SetValue(item->year_type == 1);
			gengo->SetValue(item->year_type == 2);
		}
		enable(on, {digit_y, chinese_y, gengo});

		on = m.c & 0x01;
		if (on)
			mark_font(item->month_font_no, 1);
		month_font->SetEnabled(on);
		on = m.c & 0x02;
		if (on) {
			set_text(month_size, "%d", (int)item->month_size);
			month_size_sl->SetValue(item->month_size);
		}
		enable(on, {month_size});
		on = m.c & 0x04;
		if (on) {
			set_text(month_col, "%06x", (unsigned)item->month_color);
			month_col_sl->SetValue(item->month_color);
		}
		enable(on, {month_col});
		on = m.c & 0x08;
		if (on) {
			digit_m->SetValue(item->month_type == 0);
			chinese_m->SetValue(item->month_type == 1);
			old->SetValue(item->month_type == 2);
			english->SetValue(item->month_type == 3);
		}
		enable(on, {digit_m, chinese_m, old, english});

		on = m.d & 0x01;
		if (on)
			mark_font(item->day_font_no, 2);
		day_font->SetEnabled(on);
		on = m.d & 0x02;
		if (on) {
			set_text(day_size, "%d", (int)item->day_size);
			day_size_sl->SetValue(item->day_size);
		}
		enable(on, {day_size});
		const struct {
			uint8 bit;
			BTextControl* text;
			rgbslider* knobs;
			uint32 value;
		} colors[] = {
			{0x04, day_col, day_col_sl, item->day_color},
			{0x08, sun_col, sun_col_sl, item->sun_color},
			{0x10, sat_col, sat_col_sl, item->sat_color},
			{0x20, holy_col, holy_col_sl, item->hol_color},
		};
		for (const auto& row : colors) {
			on = m.d & row.bit;
			if (on) {
				set_text(row.text, "%06x", (unsigned)row.value);
				row.knobs->SetValue(row.value);
			}
			enable(on, {row.text});
		}
		on = m.d & 0x40;
		if (on) {
			mark_color->SetValue(item->today_mark == 0);
			mark_reverse->SetValue(item->today_mark == 1);
			mark_circle->SetValue(item->today_mark == 2);
		}
		enable(on, {mark_color, mark_reverse, mark_circle});
		on = m.d & 0x80;
		if (on) {
			set_text(mark_col, "%06x", (unsigned)item->today_color);
			mark_col_sl->SetValue(item->today_color);
		}
		enable(on, {mark_col});
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
	mono->SetValue(base_mode == kBaseColor);
	img_c->SetValue(base_mode == kBaseFitScreen);
	img_f->SetValue(base_mode == kBaseCenter);
	img_p->SetValue(base_mode == kBaseFitRect);
	enable(true, {mono, img_c, img_f, img_p});
	set_rect_text(bg_bounds_tc, ::bg_bounds);
	enable(true, {bg_bounds_tc});
	set_text(base_col, "%06x", (unsigned)base_color);
	base_col_sl->SetValue(base_color);
	enable(true, {base_col});
	base_fn->SetText(baseimgpath);
	enable(true, {base_fn});
	format_item* format = outfmt >= 0 ? (format_item*)xlt.ItemAt(outfmt) : nullptr;
	if (format != nullptr && format->menu_item != nullptr)
		format->menu_item->SetMarked(true);
	output_format->SetEnabled(true);
	auto_cb->SetValue(autoset ? 1 : 0);
	textback_cb->SetValue(::textback ? 1 : 0);
	enable(true, {auto_cb, textback_cb});
	set_text(screen_col, "%06x", (unsigned)scrn_color);
	scrn_col_sl->SetValue(scrn_color);
	enable(true, {screen_col});
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
