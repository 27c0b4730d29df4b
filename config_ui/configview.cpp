#include "config_ui/configview.h"

#include <Button.h>
#include <CheckBox.h>
#include <MenuField.h>
#include <PopUpMenu.h>
#include <RadioButton.h>
#include <StringView.h>
#include <TextControl.h>

#include "config_ui/rgbslider.h"
#include "config_ui/slider.h"
#include "model/globals.h"
#include "shared_ui/messages.h"
#include "shared_ui/ui_globals.h"

namespace {

const rgb_color kPanelColor = {200, 255, 255, 255};

// Every control reports to the panel with a bare message; "source" tells them apart.
template<typename Control>
Control* place(BView* parent, Control* control, BView* panel)
{
	control->SetTarget(panel, nullptr);
	parent->AddChild(control);
	return control;
}

BRadioButton* radio(BView* parent, BRect frame, const char* name, const char* label,
	BView* panel)
{
	return place(parent, new BRadioButton(frame, name, label, new BMessage(kMsgValueChanged),
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE), panel);
}

BTextControl* text(BView* parent, BRect frame, const char* name, const char* label,
	BView* panel, uint32 code = kMsgValueChanged)
{
	return place(parent, new BTextControl(frame, name, label, "", new BMessage(code),
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE), panel);
}

BButton* button(BView* parent, BRect frame, const char* name, const char* label,
	float fontSize, BView* panel, uint32 code = kMsgButtonHit)
{
	BButton* control = new BButton(frame, name, label, new BMessage(code),
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE | B_FULL_UPDATE_ON_RESIZE);
	control->SetFontSize(fontSize);
	return place(parent, control, panel);
}

BCheckBox* check(BView* parent, BRect frame, const char* name, const char* label,
	BView* panel)
{
	return place(parent, new BCheckBox(frame, name, label, new BMessage(kMsgValueChanged),
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE), panel);
}

BView* group(BView* parent, BRect frame, const char* name)
{
	BView* view = new BView(frame, name, B_FOLLOW_NONE, B_WILL_DRAW);
	parent->AddChild(view);
	view->SetViewColor(kPanelColor);
	return view;
}

void caption(BView* parent, BRect frame, const char* name, const char* label)
{
	parent->AddChild(new BStringView(frame, name, label, B_FOLLOW_LEFT | B_FOLLOW_TOP,
		B_WILL_DRAW));
}

rgbslider* colors(BView* parent, BRect frame, const char* name, BView* panel,
	bool alpha = false)
{
	rgbslider* control = new rgbslider(frame, name, nullptr, panel, alpha, 0);
	parent->AddChild(control);
	return control;
}

slider* sizes(BView* parent, BRect frame, const char* name, BView* panel)
{
	slider* control = new slider(frame, name, nullptr, panel, 0, 50, 0);
	parent->AddChild(control);
	return control;
}

BMenuField* menu(BView* parent, BRect frame, const char* name, const char* label,
	BPopUpMenu* items, float divider)
{
	BMenuField* field = new BMenuField(frame, name, label, items,
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
	field->SetDivider(divider);
	parent->AddChild(field);
	return field;
}

}

configview::configview(BRect frame)
	: BView(frame, "configview", B_FOLLOW_ALL_SIDES, 0), edit_no(-1), fBaseShown(true),
	fItemShown(true), fEditedSerial(0), fDrawing(false)
{
	fp = nullptr;
	::sel_no = -1;
}

configview::~configview()
{
}

void configview::Draw(BRect)
{
}

void configview::AttachedToWindow()
{
	SetViewColor(kPanelColor);
	SetHighColor(0, 0, 0, 255);
	SetLowColor(100, 100, 100, 255);
	SetFont(be_bold_font, B_FONT_ALL);

	sel_label = new BStringView(BRect(170, 10, 250, 28), "sel_no", "",
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
	sel_label->SetAlignment(B_ALIGN_CENTER);
	AddChild(sel_label);
	back = button(this, BRect(150, 10, 170, 25), "back", "<", 8, this);
	next = button(this, BRect(250, 10, 270, 25), "next", ">", 8, this);
	add = button(this, BRect(300, 10, 340, 25), "add", "add", 12, this);
	del = button(this, BRect(350, 10, 390, 25), "del", "del", 12, this);

	_BuildBasePage();
	_BuildItemPage();

	// The pages cover the whole panel; the selector row must stay on top of them and take
	// its clicks, so it goes back in front.
	BView* row[] = {sel_label, back, next, add, del};
	for (BView* view : row) {
		RemoveChild(view);
		AddChild(view);
	}

	MakeFocus(true);
	redraw(-1);
}

void configview::_BuildBasePage()
{
	config_base = group(this, Bounds(), "config_base");

	base_mode_gr = group(config_base, BRect(30, 50, 370, 120), "base_mode_gr");
	caption(base_mode_gr, BRect(0, 0, 70, 18), "base_mode", "base_type");
	mono = radio(base_mode_gr, BRect(20, 25, 120, 45), "mono", "mono color", this);
	img_c = radio(base_mode_gr, BRect(120, 25, 220, 45), "img_c", "image (fit screen)", this);
	img_f = radio(base_mode_gr, BRect(220, 25, 320, 45), "img_f", "image (center)", this);
	img_p = radio(base_mode_gr, BRect(120, 50, 220, 70), "img_p", "image >>>", this);
	bg_bounds_tc = text(base_mode_gr, BRect(220, 50, 320, 70), "bg_bounds", "", this);
	bg_bounds_tc->SetDivider(0);

	base_col = text(config_base, BRect(30, 150, 140, 170), "base_col", "base_color", this);
	base_col_sl = colors(config_base, BRect(140, 150, 370, 170), "base_col", this);
	base_fn = text(config_base, BRect(30, 200, 310, 220), "base_fn", "base_image", this,
		kMsgTypedImage);
	base_fn->SetDivider(50);
	search = button(config_base, BRect(320, 200, 370, 220), "search", "search", 12, this,
		kMsgSearchImage);
	output_format = menu(config_base, BRect(30, 250, 280, 270), "output_format",
		"output_format", setupformatmenu(), 70);
	auto_cb = check(config_base, BRect(30, 300, 130, 320), "auto", "autoset", this);
	screens_cb = check(config_base, BRect(260, 300, 370, 320), "screens", "all screens", this);
	textback_cb = check(config_base, BRect(150, 300, 250, 320), "textback", "erase_textback",
		this);
	screen_col = text(config_base, BRect(30, 325, 140, 345), "screen_col", "screen_color",
		this);
	scrn_col_sl = colors(config_base, BRect(140, 325, 370, 345), "scrn_col", this);
	holiday_rules_mf = menu(config_base, BRect(30, 355, 370, 375), "holiday_rules",
		"built in", setupholidaymenu(), 50);
	// The design's calendar files and feeds: typed in to add one, chosen in the list to
	// remove it.
	events_tc = text(config_base, BRect(30, 125, 280, 145), "events", "events", this);
	events_tc->SetDivider(50);
	events_mf = menu(config_base, BRect(285, 125, 370, 145), "event_list", nullptr,
		new BPopUpMenu("remove…", false, false, B_ITEMS_IN_COLUMN), 0);
	// The holiday files and feeds, as the events' ones.
	holidays_tc = text(config_base, BRect(30, 225, 280, 245), "holidays", "holidays", this);
	holidays_tc->SetDivider(50);
	holidays_mf = menu(config_base, BRect(285, 225, 370, 245), "holiday_list", nullptr,
		new BPopUpMenu("remove…", false, false, B_ITEMS_IN_COLUMN), 0);
	language_tc = text(config_base, BRect(30, 275, 200, 295), "language", "language", this);
	language_tc->SetDivider(50);
}

void configview::_BuildItemPage()
{
	config_item = group(this, Bounds(), "config_item");
	BView* page = config_item;

	bounds = text(page, BRect(20, 50, 180, 70), "bounds", "bounds", this);
	bounds->SetDivider(50);
	cal_type_gr = group(page, BRect(10, 75, 200, 95), "cal_type_gr");
	caption(cal_type_gr, BRect(0, 0, 40, 16), "cal_type", "calendar_type");
	day = radio(cal_type_gr, BRect(50, 0, 90, 20), "day", "day", this);
	month = radio(cal_type_gr, BRect(95, 0, 135, 20), "month", "month", this);
	year = radio(cal_type_gr, BRect(140, 0, 180, 20), "year", "year", this);
	when = text(page, BRect(20, 100, 120, 120), "when", "when", this);
	bg_type_gr = group(page, BRect(200, 75, 390, 95), "bg_type_gr");
	caption(bg_type_gr, BRect(10, 0, 60, 16), "bg_type", "bg_type");
	bg_wall = radio(bg_type_gr, BRect(65, 0, 120, 20), "bg_wall", "wall", this);
	bg_bubble = radio(bg_type_gr, BRect(125, 0, 180, 20), "bg_bubble", "bubble", this);
	bg_col = text(page, BRect(210, 100, 300, 120), "bg_col", "bg_color", this);
	bg_col_sl = colors(page, BRect(300, 100, 390, 120), "bg_col", this, true);

	year_font = menu(page, BRect(10, 150, 190, 170), "year_font", "year_font",
		setupfontmenu(1), 50);
	year_size = text(page, BRect(10, 175, 100, 195), "year_size", "year_size", this);
	year_size_sl = sizes(page, BRect(100, 175, 190, 195), "year_size", this);
	year_col = text(page, BRect(10, 200, 100, 220), "year_col", "year_color", this);
	year_col_sl = colors(page, BRect(100, 200, 190, 220), "year_col", this);
	year_type_gr = group(page, BRect(0, 225, 190, 250), "year_type_gr");
	digit_y = radio(year_type_gr, BRect(15, 0, 55, 20), "digit", "digit", this);
	chinese_y = radio(year_type_gr, BRect(60, 0, 100, 20), "chinese", "chinese", this);
	gengo = radio(year_type_gr, BRect(105, 0, 145, 20), "gengo", "gengo", this);

	month_font = menu(page, BRect(10, 250, 190, 270), "month_font", "month_font",
		setupfontmenu(2), 50);
	month_size = text(page, BRect(10, 275, 100, 295), "month_size", "month_size", this);
	month_size_sl = sizes(page, BRect(100, 275, 190, 295), "month_size", this);
	month_col = text(page, BRect(10, 300, 100, 320), "month_col", "month_color", this);
	month_col_sl = colors(page, BRect(100, 300, 190, 320), "month_col", this);
	month_type_gr = group(page, BRect(0, 325, 190, 350), "month_type_gr");
	digit_m = radio(month_type_gr, BRect(15, 0, 55, 20), "digit", "digit", this);
	chinese_m = radio(month_type_gr, BRect(60, 0, 100, 20), "chinese", "chinese", this);
	old = radio(month_type_gr, BRect(105, 0, 145, 20), "old", "old", this);
	english = radio(month_type_gr, BRect(150, 0, 190, 20), "english", "english", this);

	day_font = menu(page, BRect(210, 150, 390, 170), "day_font", "day_font",
		setupfontmenu(3), 50);
	day_size = text(page, BRect(210, 175, 300, 195), "day_size", "day_size", this);
	day_size_sl = sizes(page, BRect(300, 175, 390, 195), "day_size", this);
	day_col = text(page, BRect(210, 200, 300, 220), "day_col", "day_color", this);
	day_col_sl = colors(page, BRect(300, 200, 390, 220), "day_col", this);
	sun_col = text(page, BRect(210, 225, 300, 245), "sun_col", "sun_color", this);
	sun_col_sl = colors(page, BRect(300, 225, 390, 245), "sun_col", this);
	sat_col = text(page, BRect(210, 250, 300, 270), "sat_col", "sat_color", this);
	sat_col_sl = colors(page, BRect(300, 250, 390, 270), "sat_col", this);
	holy_col = text(page, BRect(210, 275, 300, 295), "holy_col", "holy_color", this);
	holy_col_sl = colors(page, BRect(300, 275, 390, 295), "holy_col", this);
	today_deco_gr = group(page, BRect(210, 300, 400, 325), "today_deco_gr");
	caption(today_deco_gr, BRect(0, 0, 40, 16), "today_deco", "today_mark");
	mark_color = radio(today_deco_gr, BRect(50, 0, 90, 20), "mark_color", "color", this);
	mark_reverse = radio(today_deco_gr, BRect(95, 0, 135, 20), "mark_reverse", "reverse",
		this);
	mark_circle = radio(today_deco_gr, BRect(140, 0, 180, 20), "mark_circle", "circle", this);
	mark_col = text(page, BRect(210, 325, 300, 345), "mark_col", "mark_color", this);
	mark_col_sl = colors(page, BRect(300, 325, 390, 345), "mark_col", this);

	// Beyond the first panel, in the free row at the page's foot.
	week_start_mf = menu(page, BRect(10, 355, 120, 375), "week_start", "week_start",
		setupweekmenu(), 60);
	week_no_cb = check(page, BRect(125, 355, 205, 375), "week_numbers", "week_numbers", this);
	event_col = text(page, BRect(210, 355, 300, 375), "event_col", "event_color", this);
	event_col_sl = colors(page, BRect(300, 355, 390, 375), "event_col", this);
	month_language_cb = check(page, BRect(10, 125, 190, 145), "month_language",
		"month in my language", this);
	week_header_cb = check(page, BRect(210, 125, 390, 145), "week_header", "weekday row",
		this);
	// Free room right of the rectangle's field.
	rokuyo_cb = check(page, BRect(210, 50, 390, 70), "rokuyo", "rokuyo / lunisolar date",
		this);

	fColorRows = {
		{bg_col, bg_col_sl, &object::bg_color, "%08x"},
		{year_col, year_col_sl, &object::year_color, "%06x"},
		{month_col, month_col_sl, &object::month_color, "%06x"},
		{day_col, day_col_sl, &object::day_color, "%06x"},
		{sun_col, sun_col_sl, &object::sun_color, "%06x"},
		{sat_col, sat_col_sl, &object::sat_color, "%06x"},
		{holy_col, holy_col_sl, &object::hol_color, "%06x"},
		{mark_col, mark_col_sl, &object::today_color, "%06x"},
		{event_col, event_col_sl, &object::event_color, "%06x"},
	};
	fSizeRows = {
		{year_size, year_size_sl, &object::year_size},
		{month_size, month_size_sl, &object::month_size},
		{day_size, day_size_sl, &object::day_size},
	};
}

// The calendar the page shows, found by its serial: the preview removes calendars at once,
// while the page's messages may still wait. A message for a removed calendar finds none; one
// for a calendar moved up the list finds it where it is now.
object* configview::_Edited()
{
	if (edit_no < 0)
		return nullptr;
	for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++) {
		if (item->serial == fEditedSerial) {
			edit_no = i;
			return item;
		}
	}
	return nullptr;
}
