#include "tests/config_ui/config_fixture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <File.h>
#include <Path.h>
#include <Screen.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include "tests/support/feed_server.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

// What the panel does with each message its controls, menus and the preview send it, driven
// through the real controls where the user can reach them.

namespace {

using std::string;
using std::vector;

const vector<uint32> kNothing;
const vector<uint32> kDraw{kMsgRedraw};
const vector<uint32> kSelect{kMsgSelect};

string hex_text(uint32 value, const char* format)
{
	char text[16];
	snprintf(text, sizeof(text), format, (unsigned)value);
	return text;
}

string rect_text(BRect r)
{
	char text[64];
	snprintf(text, sizeof(text), "%d,%d,%d,%d", (int)r.left, (int)r.top, (int)r.right,
		(int)r.bottom);
	return text;
}

// A month calendar whose values all differ from the defaults.
void fill(object* o)
{
	o->bounds.Set(40, 60, 340, 260);
	o->type = kTypeMonth;
	o->when = 1;
	o->bg_color = 0x80aabbcc;
	o->year_size = 11;
	o->year_color = 0x111111;
	o->month_size = 12;
	o->month_color = 0x222222;
	o->day_size = 13;
	o->day_color = 0x333333;
}

class panel_messages : public config_mode {
protected:
	// The selection as both windows see it: the panel edits what the preview has selected,
	// and the preview shows the handles of exactly that object.
	void expect_agreement()
	{
		int32 n = obl.CountItems();
		int32 edited = panel->edit_no >= 0 && panel->edit_no < n ? panel->edit_no : -1;
		EXPECT_EQ(sel_no, edited);
		EXPECT_EQ(visible_on_screen(panel->config_item), edited >= 0);
		EXPECT_EQ(sel_now.shown, sel_no >= 0);
		if (sel_no >= 0 && sel_no < n) {
			EXPECT_EQ(sel_now.rect, item(sel_no)->bounds);
		}
	}

	// A control message as the platform sends it.
	void post_from(uint32 what, const void* source)
	{
		BMessage message(what);
		message.AddPointer("source", source);
		post(&message);
	}
};

// --- Typing into text fields ----------------------------------------------------------------

// Stands for the screen's rectangle, the image rectangle's default, in a row.
const string kScreen = "screen";

struct typing_case {
	const char* name;
	bool object_page;
	BTextControl* configview::*field;
	const char* typed;
	string shown;    // the field's text afterwards
	std::function<string()> stored;
	string expected;
	vector<uint32> sent;
};
TEVRA_PRINT_CASE(typing_case)

class typing : public panel_messages, public testing::WithParamInterface<typing_case> {};

TEST_P(typing, StoresWhatScansAndKeepsTheFieldInStep)
{
	const typing_case& c = GetParam();
	if (c.object_page) {
		fill(item(add_object(kTypeMonth)));
		request_edit(0);
	}
	type_text(panel->*c.field, c.typed);
	settle();
	EXPECT_EQ(c.stored(), c.expected);
	EXPECT_EQ(shown_text(panel->*c.field), c.shown == kScreen ? rect_text(scrn) : c.shown);
	EXPECT_EQ(sent(), c.sent);
	expect_agreement();
}

object* first()
{
	return (object*)obl.ItemAt(0);
}

std::function<string()> colour(uint32 object::*field)
{
	return [field] { return hex_text(first()->*field, "%08x"); };
}

std::function<string()> colour_and_slider(uint32 object::*field, rgbslider* configview::*knobs)
{
	return [field, knobs] {
		configview* p = test_app()->cwin->panel;
		return hex_text(first()->*field, "%08x") + " " + hex_text((p->*knobs)->Value(), "%08x");
	};
}

std::function<string()> size_and_slider(int32 object::*field, slider* configview::*knob)
{
	return [field, knob] {
		configview* p = test_app()->cwin->panel;
		return std::to_string(first()->*field) + " " + std::to_string((int)(p->*knob)->Value());
	};
}

std::function<string()> bounds_stored()
{
	return [] { return rect_text(first()->bounds); };
}

typedef configview cv;

INSTANTIATE_TEST_SUITE_P(panel_messages, typing, testing::Values(
	typing_case{"red_year_colour_moves_the_red_knob_to_the_end", true, &cv::year_col, "ff0000",
		"ff0000", colour_and_slider(&object::year_color, &cv::year_col_sl),
		"00ff0000 00ff0000", kDraw},
	typing_case{"alpha_in_a_year_colour_is_kept_but_not_shown", true, &cv::year_col,
		"ff000000", "ff000000", colour_and_slider(&object::year_color, &cv::year_col_sl),
		"ff000000 00000000", kDraw},
	typing_case{"colour_garbage_keeps_the_colour", true, &cv::year_col, "zz", "111111",
		colour(&object::year_color), "00111111", kDraw},
	typing_case{"half_hex_colour_keeps_the_colour", true, &cv::year_col, "ff00zz", "111111",
		colour(&object::year_color), "00111111", kDraw},
	typing_case{"empty_colour_keeps_the_colour", true, &cv::day_col, "", "333333",
		colour(&object::day_color), "00333333", kDraw},
	typing_case{"nine_hex_digits_keep_the_colour", true, &cv::month_col, "123456789",
		"222222", colour(&object::month_color), "00222222", kDraw},
	typing_case{"negative_colour_keeps_the_colour", true, &cv::month_col, "-1", "222222",
		colour(&object::month_color), "00222222", kDraw},
	typing_case{"background_colour_keeps_its_alpha_on_the_slider", true, &cv::bg_col,
		"40ffffff", "40ffffff", colour_and_slider(&object::bg_color, &cv::bg_col_sl),
		"40ffffff 40ffffff", kDraw},
	typing_case{"size_80_stored_slider_at_50", true, &cv::year_size, "80", "80",
		size_and_slider(&object::year_size, &cv::year_size_sl), "80 50", kDraw},
	typing_case{"negative_size_stored_slider_at_0", true, &cv::day_size, "-5", "-5",
		size_and_slider(&object::day_size, &cv::day_size_sl), "-5 0", kDraw},
	typing_case{"size_garbage_keeps_the_size", true, &cv::month_size, "big", "12",
		size_and_slider(&object::month_size, &cv::month_size_sl), "12 12", kDraw},
	typing_case{"size_beyond_32_bits_keeps_the_size", true, &cv::month_size, "99999999999",
		"12", size_and_slider(&object::month_size, &cv::month_size_sl), "12 12", kDraw},
	typing_case{"huge_size_is_stored", true, &cv::day_size, "2147483647", "2147483647",
		size_and_slider(&object::day_size, &cv::day_size_sl), "2147483647 50", kDraw},
	typing_case{"empty_size_keeps_the_size", true, &cv::day_size, "", "13",
		size_and_slider(&object::day_size, &cv::day_size_sl), "13 13", kDraw},
	typing_case{"negative_offset_stored", true, &cv::when, "-3", "-3",
		[] { return std::to_string(first()->when); }, "-3", kDraw},
	typing_case{"offset_with_a_tail_keeps_the_offset", true, &cv::when, "2x", "1",
		[] { return std::to_string(first()->when); }, "1", kDraw},
	typing_case{"size_with_a_unit_keeps_the_size", true, &cv::day_size, "20px", "13",
		size_and_slider(&object::day_size, &cv::day_size_sl), "13 13", kDraw},
	typing_case{"blanks_around_a_value_are_fine", true, &cv::when, " 4 ", " 4 ",
		[] { return std::to_string(first()->when); }, "4", kDraw},
	typing_case{"empty_offset_keeps_the_offset", true, &cv::when, "", "1",
		[] { return std::to_string(first()->when); }, "1", kDraw},
	typing_case{"reversed_bounds_stored_unchanged", true, &cv::bounds, "300,300,100,100",
		"300,300,100,100", bounds_stored(), "300,300,100,100", kDraw},
	typing_case{"two_numbers_keep_the_bounds", true, &cv::bounds, "10,20", "40,60,340,260",
		bounds_stored(), "40,60,340,260", kDraw},
	typing_case{"garbage_after_the_third_number_keeps_the_bounds", true, &cv::bounds,
		"10,20,30;40", "40,60,340,260", bounds_stored(), "40,60,340,260", kDraw},
	typing_case{"bounds_with_a_tail_keep_the_bounds", true, &cv::bounds, "1,2,3,4x",
		"40,60,340,260", bounds_stored(), "40,60,340,260", kDraw},
	typing_case{"huge_bounds_stored", true, &cv::bounds, "-2000000000,0,2000000000,100",
		"-2000000000,0,2000000000,100", bounds_stored(), "-2000000000,0,2000000000,100",
		kDraw},
	typing_case{"bounds_beyond_32_bits_keep_the_bounds", true, &cv::bounds,
		"0,0,9999999999,10", "40,60,340,260", bounds_stored(), "40,60,340,260", kDraw},
	typing_case{"base_colour_redraws", false, &cv::base_col, "abcdef", "abcdef",
		[] {
			return hex_text(base_color, "%08x") + " "
				+ hex_text(test_app()->cwin->panel->base_col_sl->Value(), "%08x");
		},
		"00abcdef 00abcdef", kDraw},
	typing_case{"base_colour_garbage_keeps_it", false, &cv::base_col, "#123", "336699",
		[] { return hex_text(base_color, "%08x"); }, "00336699", kDraw},
	typing_case{"screen_colour_does_not_redraw", false, &cv::screen_col, "00ff00", "00ff00",
		[] {
			return hex_text(scrn_color, "%08x") + " "
				+ hex_text(test_app()->cwin->panel->scrn_col_sl->Value(), "%08x");
		},
		"0000ff00 0000ff00", kNothing},
	typing_case{"screen_colour_garbage_keeps_it", false, &cv::screen_col, "green", "336699",
		[] { return hex_text(scrn_color, "%08x"); }, "00336699", kNothing},
	typing_case{"image_rectangle_stored", false, &cv::bg_bounds_tc, "1,2,3,4", "1,2,3,4",
		[] { return rect_text(bg_bounds); }, "1,2,3,4", kDraw},
	typing_case{"image_rectangle_of_three_numbers_kept", false, &cv::bg_bounds_tc, "1,2,3",
		kScreen, [] { return rect_text(bg_bounds) == rect_text(scrn) ? kScreen : "moved"; },
		kScreen, kDraw}),
	case_name<typing_case>);

TEST_F(panel_messages, ObjectFieldsWithNothingEditedAreIgnored)
{
	add_object(kTypeMonth);
	uint32 colour = item(0)->year_color;
	BControl* controls[] = {panel->year_col, panel->bounds, panel->month, panel->gengo};
	for (BControl* control : controls) {
		SCOPED_TRACE(control->Name());
		post_from(kMsgValueChanged, control);
		EXPECT_EQ(sent(), kNothing);
	}
	EXPECT_EQ(item(0)->year_color, colour);
	EXPECT_EQ(item(0)->type, kTypeMonth);

	// No source: nothing at all.
	const uint32 codes[] = {kMsgValueChanged, kMsgSliderMoved, kMsgButtonHit, kMsgMenuSelected};
	for (uint32 code : codes) {
		post(code);
		EXPECT_EQ(sent(), kNothing);
	}
	EXPECT_EQ(obl.CountItems(), 1);
	EXPECT_EQ(panel->edit_no, -1);
}

TEST_F(panel_messages, HugeValuesDrawWithoutHarm)
{
	fill(item(add_object(kTypeMonth)));
	request_edit(0);
	type_text(panel->day_size, "2147483647");
	type_text(panel->year_size, "-2147483648");
	type_text(panel->bounds, "-2000000000,-2000000000,2000000000,2000000000");
	type_text(panel->when, "2147483647");
	settle();
	// Still answering: a click on empty picture deselects.
	click(view, BPoint(5, 5));
	settle();
	EXPECT_EQ(sel_no, 0) << "the calendar covers the whole picture";
	EXPECT_EQ(panel->edit_no, 0);
}

// --- Sliders --------------------------------------------------------------------------------

struct slider_case {
	const char* name;
	bool object_page;
	BView* (*knobs)(configview*);
	BTextControl* configview::*field;
	BPoint from, to;
	std::function<string()> stored;
	string expected;  // stored, then the field's text
	vector<uint32> sent;
};
TEVRA_PRINT_CASE(slider_case)

class dragging : public panel_messages, public testing::WithParamInterface<slider_case> {};

TEST_P(dragging, StoresTheValueAndWritesItsText)
{
	const slider_case& c = GetParam();
	if (c.object_page) {
		fill(item(add_object(kTypeMonth)));
		request_edit(0);
	}
	BView* knobs = c.knobs(panel);
	drag(knobs, c.from, c.to);
	settle();
	EXPECT_EQ(c.stored() + " " + shown_text(panel->*c.field), c.expected);
	vector<uint32> codes = sent();
	// One report per changed value; each but the screen colour's redraws.
	for (uint32 code : codes)
		EXPECT_EQ(code, kMsgRedraw);
	EXPECT_EQ(codes.empty(), c.sent.empty());
}

INSTANTIATE_TEST_SUITE_P(panel_messages, dragging, testing::Values(
	slider_case{"screen_colour_red_to_the_end_without_redraw", false,
		[](configview* p) -> BView* { return p->scrn_col_sl; }, &cv::screen_col,
		BPoint(100, 3), BPoint(400, 3), [] { return hex_text(scrn_color, "%08x"); },
		"00ff6699 ff6699", kNothing},
	slider_case{"base_colour_blue_to_the_start", false,
		[](configview* p) -> BView* { return p->base_col_sl; }, &cv::base_col,
		BPoint(100, 17), BPoint(-100, 17), [] { return hex_text(base_color, "%08x"); },
		"00336600 336600", kDraw},
	slider_case{"background_alpha_to_the_start", true,
		[](configview* p) -> BView* { return p->bg_col_sl; }, &cv::bg_col,
		BPoint(30, 17), BPoint(-100, 17), [] { return hex_text(first()->bg_color, "%08x"); },
		"00aabbcc 00aabbcc", kDraw},
	slider_case{"year_size_to_the_end", true,
		[](configview* p) -> BView* { return p->year_size_sl; }, &cv::year_size,
		BPoint(30, 10), BPoint(300, 10), [] { return std::to_string(first()->year_size); },
		"50 50", kDraw},
	slider_case{"day_size_keeps_a_whole_number", true,
		[](configview* p) -> BView* { return p->day_size_sl; }, &cv::day_size,
		BPoint(40, 10), BPoint(41, 10), [] { return std::to_string(first()->day_size); },
		"28 28", kDraw},
	slider_case{"mark_colour_green_to_the_end", true,
		[](configview* p) -> BView* { return p->mark_col_sl; }, &cv::mark_col,
		BPoint(30, 10), BPoint(300, 10), [] { return hex_text(first()->today_color, "%08x"); },
		"0000ff00 00ff00", kDraw}),
	case_name<slider_case>);

// --- Radio buttons and check boxes ----------------------------------------------------------

TEST_F(panel_messages, CheckBoxesOnlyChangeTheirFlag)
{
	click_control(panel->auto_cb);
	click_control(panel->textback_cb);
	settle();
	EXPECT_TRUE(autoset);
	EXPECT_FALSE(textback);
	EXPECT_EQ(sent(), kNothing);
	click_control(panel->auto_cb);
	settle();
	EXPECT_FALSE(autoset);
	EXPECT_EQ(sent(), kNothing);
}

// Each of the three holiday rules redraws at once, and a design that chooses none shows the
// fixed rules marked.
TEST_F(panel_messages, HolidayRulesMenuChoosesTheRulesAndRedraws)
{
	BMenu* rules = panel->holiday_rules_mf->Menu();
	for (int32 i : {1, 2}) {
		choose_menu_item(rules->ItemAt(i));
		settle();
		EXPECT_EQ(holiday_rules, i == 1 ? 1 : -1);
		EXPECT_EQ(sent(), kDraw);
	}
	alert_seen asked;
	answer_next_alert(&asked, "Don't save");
	choose_menu_item(file_item("New"));
	for (int i = 0; i < 100 && holiday_rules != 0; i++)
		settle();
	EXPECT_TRUE(asked.shown) << "New asks before dropping the change";
	EXPECT_EQ(holiday_rules, 0);
	EXPECT_TRUE(rules->ItemAt(0)->IsMarked());
}

// "all screens" redraws at once over the screens' box, and a new design goes back to the main one.
TEST_F(panel_messages, AllScreensBoxChoosesEveryScreenAndRedraws)
{
	click_control(panel->screens_cb);
	settle();
	EXPECT_EQ(screens, kScreensAll);
	EXPECT_EQ(sent(), kDraw);
	redraw_preview();
	EXPECT_EQ(scrn, screens_bounds(get_screen_frames()));
	EXPECT_EQ(scrns.size(), get_screen_frames().size());
	alert_seen asked;
	answer_next_alert(&asked, "Don't save");
	choose_menu_item(file_item("New"));
	for (int i = 0; i < 100 && screens != kScreensMain; i++)
		settle();
	EXPECT_TRUE(asked.shown);
	EXPECT_EQ(screens, kScreensMain);
	EXPECT_EQ(panel->screens_cb->Value(), 0);
}

TEST_F(panel_messages, BaseModeButtonsRedraw)
{
	click_control(panel->img_p);
	settle();
	EXPECT_EQ(base_mode, kBaseFitRect);
	EXPECT_EQ(panel->img_c->Value(), 0);
	click_control(panel->mono);
	settle();
	EXPECT_EQ(base_mode, kBaseColor);
	EXPECT_EQ(sent(), (vector<uint32>{kMsgRedraw, kMsgRedraw}));
}

TEST_F(panel_messages, StyleGroupsWithTheSameNamesStayApart)
{
	fill(item(add_object(kTypeMonth)));
	request_edit(0);
	click_control(panel->chinese_y);
	settle();
	click_control(panel->digit_m);
	settle();
	click_control(panel->old);
	settle();
	click_control(panel->bg_bubble);
	click_control(panel->mark_circle);
	settle();
	EXPECT_EQ(item(0)->year_type, 1);
	EXPECT_EQ(item(0)->month_type, 2);
	EXPECT_EQ(item(0)->bg_type, 1);
	EXPECT_EQ(item(0)->today_mark, 2);
	EXPECT_EQ(panel->chinese_y->Value(), 1);
	EXPECT_EQ(panel->chinese_m->Value(), 0);
	EXPECT_EQ(panel->digit_m->Value(), 0);
	EXPECT_EQ(sent().size(), 5u);
}

TEST_F(panel_messages, ChangingTheCalendarTypeRefreshesThePageInView)
{
	fill(item(add_object(kTypeDay)));
	item(0)->type = kTypeDay;
	request_edit(0);
	ASSERT_FALSE(panel->year_col->IsEnabled());
	click_control(panel->month);
	settle();
	EXPECT_EQ(item(0)->type, kTypeMonth);
	EXPECT_EQ(panel->edit_no, 0);
	EXPECT_TRUE(panel->year_col->IsEnabled());
	EXPECT_TRUE(panel->mark_col->IsEnabled());
	EXPECT_TRUE(panel->digit_m->IsEnabled());
	EXPECT_EQ(shown_text(panel->year_col), "111111");
	EXPECT_EQ(sent(), kDraw);

	click_control(panel->year);
	settle();
	EXPECT_EQ(item(0)->type, kTypeYear);
	EXPECT_FALSE(panel->digit_m->IsEnabled());
	EXPECT_FALSE(panel->gengo->IsEnabled());
	EXPECT_TRUE(panel->sun_col->IsEnabled());
	expect_agreement();
}

// --- Stepping, adding and deleting ----------------------------------------------------------

enum button { kBack, kNext, kAdd, kDel };

BButton* button_of(configview* p, button b)
{
	return b == kBack ? p->back : b == kNext ? p->next : b == kAdd ? p->add : p->del;
}

struct step {
	button pressed;
	int edit_no;
	int count;
	vector<uint32> sent;
};

struct step_case {
	const char* name;
	int objects;
	int start;  // the object edited first, -1 for none
	vector<step> steps;
};
TEVRA_PRINT_CASE(step_case)

class buttons : public panel_messages, public testing::WithParamInterface<step_case> {};

TEST_P(buttons, StepAddAndDeleteInACircle)
{
	const step_case& c = GetParam();
	for (int i = 0; i < c.objects; i++)
		add_object(kTypeMonth, BRect(10 + 20 * i, 10, 110 + 20 * i, 110));
	if (c.start >= 0)
		request_edit(c.start);
	settle();
	sent();
	for (const step& s : c.steps) {
		SCOPED_TRACE(std::to_string(&s - c.steps.data()));
		click_control(button_of(panel, s.pressed));
		settle();
		EXPECT_EQ(panel->edit_no, s.edit_no);
		EXPECT_EQ(obl.CountItems(), s.count);
		EXPECT_EQ(sent(), s.sent);
		char title[32];
		snprintf(title, sizeof(title), "item no.%d\n", s.edit_no + 1);
		EXPECT_STREQ(panel->sel_label->Text(), s.edit_no >= 0 ? title : "base / output");
		expect_agreement();
	}
}

INSTANTIATE_TEST_SUITE_P(panel_messages, buttons, testing::Values(
	step_case{"next_from_the_last_of_three_wraps_through_the_base_page", 3, 2,
		{{kNext, -1, 3, kSelect}, {kNext, 0, 3, kSelect}, {kNext, 1, 3, kSelect}}},
	step_case{"back_from_the_first_of_three_wraps_to_the_last", 3, 0,
		{{kBack, -1, 3, kSelect}, {kBack, 2, 3, kSelect}, {kBack, 1, 3, kSelect}}},
	step_case{"stepping_an_empty_list_sends_nothing", 0, -1,
		{{kBack, -1, 0, kNothing}, {kNext, -1, 0, kNothing}, {kDel, -1, 0, kNothing}}},
	step_case{"add_to_an_empty_list_edits_a_default_calendar", 0, -1,
		{{kAdd, 0, 1, kDraw}, {kNext, -1, 1, kSelect}, {kNext, 0, 1, kSelect}}},
	step_case{"add_with_nothing_edited_goes_to_the_front", 3, -1,
		{{kAdd, 0, 4, kDraw}}},
	step_case{"add_copies_the_edited_calendar_after_it", 3, 1,
		{{kAdd, 2, 4, kDraw}, {kAdd, 3, 5, kDraw}}},
	step_case{"del_shows_the_base_page", 3, 1,
		{{kDel, -1, 2, kDraw}, {kDel, -1, 2, kNothing}, {kBack, 1, 2, kSelect},
			{kDel, -1, 1, kDraw}, {kNext, 0, 1, kSelect}, {kDel, -1, 0, kDraw},
			{kNext, -1, 0, kNothing}}}),
	case_name<step_case>);

TEST_F(panel_messages, AddCopiesShiftedByFifty)
{
	for (int i = 0; i < 3; i++)
		fill(item(add_object(kTypeMonth, BRect(10, 10, 110, 110))));
	item(1)->bounds.Set(100, 120, 300, 260);
	item(1)->day_color = 0x00abcdef;
	object* second = item(1);
	request_edit(1);
	click_control(panel->add);
	settle();
	ASSERT_EQ(obl.CountItems(), 4);
	EXPECT_EQ(item(1), second);
	EXPECT_EQ(item(2)->bounds, BRect(150, 170, 350, 310));
	EXPECT_EQ(item(2)->day_color, 0x00abcdefu);
	EXPECT_EQ(shown_text(panel->bounds), "150,170,350,310");

	// Deleting the copy leaves the rest in order.
	object* third = item(3);
	click_control(panel->del);
	settle();
	ASSERT_EQ(obl.CountItems(), 3);
	EXPECT_EQ(item(1), second);
	EXPECT_EQ(item(2), third);
}

TEST_F(panel_messages, HundredsOfCalendarsAddedAndDeleted)
{
	// Queued all at once, handled in order; without a preview to compose hundreds of
	// pictures on the way.
	const int kMany = 200;
	auto press = [&](BButton* button) {
		BMessage message(kMsgButtonHit);
		message.AddPointer("source", button);
		cwin->PostMessage(&message, panel);
	};
	test_app()->pwin = nullptr;
	for (int i = 0; i < kMany; i++) {
		press(panel->add);
		press(panel->back);
	}
	press(panel->back);
	settle();
	ASSERT_EQ(obl.CountItems(), kMany);
	EXPECT_EQ(panel->edit_no, kMany - 1);
	EXPECT_EQ(sel_no, kMany - 1);
	press(panel->next);
	settle();
	EXPECT_EQ(panel->edit_no, -1);
	test_app()->pwin = pwin;
	redraw_preview();

	// All lie on top of each other: the preview picks the last, and the panel follows.
	BRect top = item(kMany - 1)->bounds;
	click(view, BPoint(top.left + 20, top.top + 20));
	settle();
	EXPECT_EQ(sel_no, kMany - 1);
	EXPECT_EQ(panel->edit_no, kMany - 1);
	EXPECT_STREQ(panel->sel_label->Text(), "item no.200\n");
	expect_agreement();

	test_app()->pwin = nullptr;
	press(panel->del);
	for (int i = 1; i < kMany; i++) {
		press(panel->next);
		press(panel->del);
	}
	settle();
	test_app()->pwin = pwin;
	EXPECT_EQ(obl.CountItems(), 0);
	EXPECT_EQ(panel->edit_no, -1);
	EXPECT_EQ(sel_no, -1);
	redraw_preview();
	expect_agreement();
}

// --- Edit requests from the preview ---------------------------------------------------------

struct request_case {
	const char* name;
	int objects;
	int start;
	bool int8_field;
	bool has_field;
	int32 edit_no;
	int32 result;
	bool item_page;
	vector<uint32> sent;
};
TEVRA_PRINT_CASE(request_case)

class requests : public panel_messages, public testing::WithParamInterface<request_case> {};

TEST_P(requests, ShowTheObjectAsked)
{
	const request_case& c = GetParam();
	for (int i = 0; i < c.objects; i++)
		add_object(kTypeMonth, BRect(i, i, i + 100, i + 100));
	if (c.start >= 0)
		request_edit(c.start);
	sel_no = 42;
	BMessage request(kMsgEditRequest);
	if (c.has_field && c.int8_field)
		request.AddInt8("edit_no", (int8)c.edit_no);
	else if (c.has_field)
		request.AddInt32("edit_no", c.edit_no);
	post(&request);
	EXPECT_EQ(panel->edit_no, c.result);
	EXPECT_EQ(visible_on_screen(panel->config_item), c.item_page);
	EXPECT_EQ(sent(), c.sent);
	EXPECT_EQ(sel_no, 42) << "the request leaves the selection to the preview";
	sel_no = -1;
}

INSTANTIATE_TEST_SUITE_P(panel_messages, requests, testing::Values(
	request_case{"object_shows_its_page", 3, -1, false, true, 1, 1, true, kDraw},
	request_case{"minus_one_shows_the_base_page", 3, 2, false, true, -1, -1, false, kDraw},
	request_case{"below_minus_one_refreshes_the_page_in_view", 3, 1, false, true, -5, 1,
		true, kDraw},
	request_case{"below_minus_one_on_the_base_page", 3, -1, false, true, -2, -1, false,
		kDraw},
	request_case{"eight_bit_field_still_read", 3, -1, true, true, 2, 2, true, kDraw},
	request_case{"without_the_field_nothing", 3, 1, false, false, 0, 1, true, kNothing},
	request_case{"past_the_end_shows_the_base_page", 3, 1, false, true, 7, 7, false, kDraw},
	request_case{"index_200_of_201", 201, -1, false, true, 200, 200, true, kDraw}),
	case_name<request_case>);

// --- Menus ----------------------------------------------------------------------------------

struct font_case {
	const char* name;
	int8 menu;
	const char* label;
	int16 number;
	bool edited;
	const char* family;  // of the font menu's field afterwards, null if unchanged
	const char* style;
	vector<uint32> sent;
};
TEVRA_PRINT_CASE(font_case)

class font_choice : public panel_messages, public testing::WithParamInterface<font_case> {};

TEST_P(font_choice, SplitsTheLabelAtTheLastParenthesis)
{
	const font_case& c = GetParam();
	add_object(kTypeMonth);
	object before = *item(0);
	if (c.edited)
		request_edit(0);
	// An item as a font menu makes it, for a font that need not be installed here.
	BMenuItem chosen(c.label, nullptr);
	BMessage message(kMsgMenuSelected);
	message.AddPointer("source", &chosen);
	message.AddInt8("font_menu", c.menu);
	message.AddInt16("font_no", c.number);
	post(&message);

	const object* after = item(0);
	const font_name* fields[] = {&after->year_font, &after->month_font, &after->day_font};
	const font_name* old[] = {&before.year_font, &before.month_font, &before.day_font};
	const int32 numbers[] = {after->year_font_no, after->month_font_no, after->day_font_no};
	const int32 oldNumbers[] = {before.year_font_no, before.month_font_no, before.day_font_no};
	for (int i = 0; i < 3; i++) {
		SCOPED_TRACE(i + 1);
		if (c.family != nullptr && c.menu == i + 1) {
			EXPECT_STREQ((*fields[i])[0], c.family);
			EXPECT_STREQ((*fields[i])[1], c.style);
			EXPECT_EQ(numbers[i], c.number);
		} else {
			EXPECT_STREQ((*fields[i])[0], (*old[i])[0]);
			EXPECT_STREQ((*fields[i])[1], (*old[i])[1]);
			EXPECT_EQ(numbers[i], oldNumbers[i]);
		}
	}
	EXPECT_EQ(sent(), c.sent);
}

INSTANTIATE_TEST_SUITE_P(panel_messages, font_choice, testing::Values(
	font_case{"serif_bold_italic_for_the_month", 2, "Serif(Bold Italic)", 7, true, "Serif",
		"Bold Italic", kDraw},
	font_case{"family_with_a_parenthesis_for_the_year", 1, "Foo (Pro)(Bold)", 3, true,
		"Foo (Pro)", "Bold", kDraw},
	font_case{"japanese_family_for_the_day", 3, "IPAゴシック(Regular)", 12, true,
		"IPAゴシック", "Regular", kDraw},
	font_case{"unknown_menu_changes_nothing_but_redraws", 4, "Serif(Bold)", 1, true, nullptr,
		nullptr, kDraw},
	font_case{"nothing_edited_is_ignored", 2, "Serif(Bold)", 1, false, nullptr, nullptr,
		kNothing}),
	case_name<font_case>);

TEST_F(panel_messages, ChoosingFromTheRealMenus)
{
	ASSERT_GE(fontl.CountItems(), 2);
	ASSERT_GE(xlt.CountItems(), 2);
	add_object(kTypeMonth);
	request_edit(0);
	BMenuItem* font = panel->day_font->Menu()->ItemAt(1);
	choose_menu_item(font);
	settle();
	font_item* entry = (font_item*)fontl.ItemAt(1);
	EXPECT_STREQ(item(0)->day_font[0], entry->family);
	EXPECT_STREQ(item(0)->day_font[1], entry->style);
	EXPECT_EQ(item(0)->day_font_no, 1);
	EXPECT_EQ(shown_menu_label(panel->day_font), font->Label());
	EXPECT_EQ(sent(), kDraw);

	// The output format: stored, nothing redrawn.
	int32 other = outfmt == 0 ? 1 : 0;
	choose_menu_item(panel->output_format->Menu()->ItemAt(other));
	settle();
	EXPECT_EQ(outfmt, other);
	EXPECT_EQ(sent(), kNothing);
	EXPECT_EQ(shown_menu_label(panel->output_format), ((format_item*)xlt.ItemAt(other))->mime);
}

// The controls beyond the first panel: the week's first day, week numbers and the events'
// colour each change the calendar and redraw; a single date offers only the colour.
TEST_F(panel_messages, WeekAndEventControlsChangeTheCalendar)
{
	add_object(kTypeMonth);
	request_edit(0);
	choose_menu_item(panel->week_start_mf->Menu()->ItemAt(1));
	click_control(panel->week_no_cb);
	type_text(panel->event_col, "00ff00");
	settle();
	EXPECT_EQ(item(0)->week_start, 1);
	EXPECT_TRUE(item(0)->week_numbers);
	EXPECT_EQ(item(0)->event_color, 0x00ff00u);
	EXPECT_EQ(panel->event_col_sl->Value(), 0x00ff00);
	EXPECT_EQ(sent(), (vector<uint32>{kMsgRedraw, kMsgRedraw, kMsgRedraw}));
	EXPECT_EQ(shown_menu_label(panel->week_start_mf), "mon");

	add_object(kTypeDay);
	request_edit(1);
	settle();
	EXPECT_FALSE(panel->week_start_mf->IsEnabled());
	EXPECT_FALSE(panel->week_no_cb->IsEnabled());
	EXPECT_TRUE(panel->event_col->IsEnabled());
}

// The almanac's check box: on and off for a month and a single date, which show it; a year,
// whose cells have no room for it, does not offer it.
TEST_F(panel_messages, RokuyoCheckBoxChangesMonthsAndDatesOnly)
{
	add_object(kTypeMonth);
	add_object(kTypeDay);
	add_object(kTypeYear);
	for (int32 i : {0, 1}) {
		request_edit(i);
		click_control(panel->rokuyo_cb);
		settle();
		EXPECT_TRUE(item(i)->rokuyo) << i;
		EXPECT_EQ(sent(), (vector<uint32>{kMsgRedraw})) << i;
	}
	click_control(panel->rokuyo_cb);
	settle();
	EXPECT_FALSE(item(1)->rokuyo);
	request_edit(0);
	settle();
	EXPECT_EQ(panel->rokuyo_cb->Value(), 1);
	request_edit(2);
	settle();
	EXPECT_FALSE(panel->rokuyo_cb->IsEnabled());
}

// Calendar files and feeds are added by typing them and removed by choosing them in the list.
TEST_F(panel_messages, EventSourcesAreAddedAndRemoved)
{
	for (const char* typed : {"  /nowhere/a.ics ", "webcal://127.0.0.1:9/b.ics", "   "}) {
		type_text(panel->events_tc, typed);
		settle();
	}
	EXPECT_EQ(event_sources, (vector<string>{"/nowhere/a.ics", "webcal://127.0.0.1:9/b.ics"}));
	EXPECT_EQ(shown_text(panel->events_tc), "   ");
	BMenu* list = panel->events_mf->Menu();
	ASSERT_EQ(list->CountItems(), 2);
	choose_menu_item(list->ItemAt(0));
	settle();
	EXPECT_EQ(event_sources, vector<string>{"webcal://127.0.0.1:9/b.ics"});
	EXPECT_EQ(list->CountItems(), 1);
	EXPECT_STREQ(list->ItemAt(0)->Label(), "webcal://127.0.0.1:9/b.ics");
	event_sources.clear();
}

// A feed typed into the panel is fetched in the background: the panel takes it at once, and
// the preview redraws with the feed's events when they arrive.
TEST_F(panel_messages, FeedsArriveWhileThePanelStaysLive)
{
	temp_dir cache;
	scoped_env cacheHome("XDG_CACHE_HOME", cache.path());
	// The server holds its answer until the gate has been asked.
	feed_server server(kOneDayFeed), gate(kOneDayFeed);
	server.fOther = &gate;
	server.fAnswer = feed_server::kAfterOther;
	type_text(panel->events_tc, server.Url("/feed.ics"));
	settle();
	EXPECT_EQ(event_sources, vector<string>{server.Url("/feed.ics")});
	EXPECT_EQ(panel->events_mf->Menu()->CountItems(), 1);
	EXPECT_FALSE(has_event(2026, 3, 12));
	sent();
	gate.fRequests++;
	vector<uint32> codes;
	for (int wait = 0; wait < 200 && !has_event(2026, 3, 12); wait++) {
		process_events(20);
		vector<uint32> more = sent();
		codes.insert(codes.end(), more.begin(), more.end());
	}
	EXPECT_TRUE(has_event(2026, 3, 12));
	EXPECT_EQ(std::count(codes.begin(), codes.end(), (uint32)kMsgRedraw), 1);
	event_sources.clear();
}

// --- File panels ----------------------------------------------------------------------------

// Writes a small PNG of one colour.
void write_png(const string& path, uint32 colour)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, 15, 15), B_RGB32);
	uint32* bits = (uint32*)bitmap->Bits();
	for (int i = 0; i < bitmap->BitsLength() / 4; i++)
		bits[i] = 0xff000000 | colour;
	BBitmapStream stream(bitmap);
	BFile file(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
	ASSERT_EQ(tr->Translate(&stream, nullptr, nullptr, &file, B_PNG_FORMAT), B_OK);
}

struct panel_case {
	const char* name;
	const char* menu;  // null: the "search" button
	const char* title;
	bool save;
};
TEVRA_PRINT_CASE(panel_case)

class file_panels : public panel_messages, public testing::WithParamInterface<panel_case> {
protected:
	void open_panel(const panel_case& c)
	{
		if (c.menu != nullptr)
			choose_menu_item(file_item(c.menu));
		else
			click_control(panel->search);
		settle();
	}
};

TEST_P(file_panels, OneAtATimeAndCancelClearsIt)
{
	const panel_case& c = GetParam();
	open_panel(c);
	ASSERT_NE(fp, nullptr);
	EXPECT_EQ(fp->PanelMode(), c.save ? B_SAVE_PANEL : B_OPEN_PANEL);
	EXPECT_EQ(shown_file_dialogs(), vector<string>{c.title});
	BFilePanel* first = fp;

	// Every other request, and the same one again, is ignored while it is open.
	choose_menu_item(file_item("Open"));
	choose_menu_item(file_item("Save as"));
	click_control(panel->search);
	settle();
	EXPECT_EQ(fp, first);
	EXPECT_EQ(shown_file_dialogs(), vector<string>{c.title});

	ASSERT_TRUE(cancel_shown_file_dialog());
	settle();
	EXPECT_EQ(fp, nullptr);
	EXPECT_TRUE(shown_file_dialogs().empty());
	EXPECT_EQ(sent(), vector<uint32>{B_CANCEL});

	// Closed, it may be asked for again.
	open_panel(c);
	EXPECT_NE(fp, nullptr);
	EXPECT_EQ(shown_file_dialogs(), vector<string>{c.title});
}

INSTANTIATE_TEST_SUITE_P(panel_messages, file_panels, testing::Values(
	panel_case{"open", "Open", "load config", false},
	panel_case{"save_as", "Save as", "save config", true},
	panel_case{"search", nullptr, "select base-image", false}),
	case_name<panel_case>);

const char kDesign[] =
	"base_type\t0\n"
	"base_color\t00204060\n"
	"\n"
	"type\t10\n"
	"bounds\t120,110,420,330\n"
	"\n"
	"type\t0\n"
	"bounds\t500,300,620,400\n";

TEST_F(panel_messages, OpenAnsweredAfterTheDesignChangedLoadsTheFile)
{
	temp_dir dir;
	dir.write("design.tevra", kDesign);
	choose_menu_item(file_item("Open"));
	settle();
	ASSERT_NE(fp, nullptr);

	// Meanwhile the user goes on editing.
	click_control(panel->add);
	settle();
	click_control(panel->add);
	settle();
	ASSERT_EQ(panel->edit_no, 1);
	sent();

	ASSERT_TRUE(accept_shown_file_dialog(dir.file("design.tevra")));
	settle();
	EXPECT_EQ(fp, nullptr);
	ASSERT_EQ(obl.CountItems(), 2);
	EXPECT_EQ(item(1)->bounds, BRect(500, 300, 620, 400));
	EXPECT_EQ(panel->edit_no, -1);
	EXPECT_EQ(shown_text(panel->base_col), "204060");
	EXPECT_EQ(panel->mono->Value(), 1);
	EXPECT_EQ(sent(), (vector<uint32>{kMsgLoadConfig, kMsgRedraw}));
	expect_agreement();
}

TEST_F(panel_messages, OpenOnAFileThatIsNoDesign)
{
	temp_dir dir;
	write_png(dir.file("picture.png"), 0x102030);
	const char kNoise[] = "\x01\xff\xfe\x00\x80 bounds\t1,2\n\t\t\n";
	dir.write("noise.tevra", string(kNoise, sizeof(kNoise) - 1));
	const char* files[] = {"picture.png", "noise.tevra"};
	for (const char* name : files) {
		SCOPED_TRACE(name);
		add_object(kTypeMonth);
		request_edit(0);
		// The calendar added in the round before is an unsaved change.
		alert_seen asked;
		answer_next_alert(&asked, "Don't save");
		choose_menu_item(file_item("Open"));
		for (int i = 0; i < 100 && shown_file_dialogs().empty(); i++)
			settle();
		ASSERT_TRUE(accept_shown_file_dialog(dir.file(name)));
		settle();
		EXPECT_EQ(fp, nullptr);
		EXPECT_EQ(obl.CountItems(), 0);
		EXPECT_EQ(panel->edit_no, -1);
		expect_agreement();
		// The panel still works on what there is.
		click_control(panel->add);
		settle();
		EXPECT_EQ(obl.CountItems(), 1);
		expect_agreement();
		tevraview(scrn).clr_obj();
	}
}

TEST_F(panel_messages, ChosenBaseImageIsShownInTheField)
{
	temp_dir dir;
	write_png(dir.file("base.png"), 0xc08040);
	click_control(panel->search);
	settle();
	ASSERT_TRUE(accept_shown_file_dialog(dir.file("base.png")));
	settle();
	EXPECT_EQ(fp, nullptr);
	EXPECT_EQ(shown_text(panel->base_fn), BPath(dir.file("base.png").c_str()).Path());
	EXPECT_NE(view->calview->baseimg, nullptr);
	EXPECT_EQ(sent(), (vector<uint32>{kMsgLoadImage, kMsgRedraw}));
}

TEST_F(panel_messages, BaseImageChosenWhileACalendarIsSelectedDeselectsIt)
{
	temp_dir dir;
	write_png(dir.file("base.png"), 0xc08040);
	add_object(kTypeMonth, BRect(50, 50, 250, 200));
	redraw_preview();
	click_control(panel->search);
	settle();
	ASSERT_NE(fp, nullptr);

	// The panel is not modal: the user picks a calendar before answering it.
	click(view, BPoint(100, 100));
	settle();
	ASSERT_EQ(sel_no, 0);
	ASSERT_EQ(panel->edit_no, 0);

	ASSERT_TRUE(accept_shown_file_dialog(dir.file("base.png")));
	settle();
	EXPECT_NE(view->calview->baseimg, nullptr);
	EXPECT_EQ(panel->edit_no, -1);
	expect_agreement();
	// A press inside the calendar now selects it again rather than dragging a ghost.
	click(view, BPoint(100, 100));
	settle();
	EXPECT_EQ(panel->edit_no, 0);
	expect_agreement();
}

// --- A typed image path, and New -------------------------------------------------------------

TEST_F(panel_messages, TypedImagePathLoadsTheImage)
{
	temp_dir dir;
	write_png(dir.file("typed.png"), 0x00ff00);
	type_text(panel->base_fn, dir.file("typed.png"));
	settle();
	EXPECT_NE(view->calview->baseimg, nullptr);
	EXPECT_EQ(fp, nullptr);
	EXPECT_EQ(sent(), (vector<uint32>{kMsgLoadImage, kMsgRedraw}));

	// A path to nothing, in a folder there is or not: no message, the image and the text stay.
	const string missing[] = {dir.file("typo.png"), "/no/such/folder/picture.png"};
	for (const string& path : missing) {
		SCOPED_TRACE(path);
		type_text(panel->base_fn, path);
		settle();
		EXPECT_EQ(sent(), kNothing);
		EXPECT_NE(view->calview->baseimg, nullptr);
		EXPECT_EQ(shown_text(panel->base_fn), path);
	}

	// An empty field names nothing either.
	type_text(panel->base_fn, "");
	settle();
	EXPECT_EQ(sent(), kNothing);
}

TEST_F(panel_messages, NewClearsTheDesign)
{
	fill(item(add_object(kTypeMonth)));
	add_object(kTypeDay);
	request_edit(1);
	base_color = 0x123456;
	choose_menu_item(file_item("New"));
	settle();
	EXPECT_EQ(obl.CountItems(), 0);
	EXPECT_EQ(base_color, 0x336699u);
	EXPECT_EQ(panel->edit_no, -1);
	EXPECT_EQ(shown_text(panel->base_col), "336699");
	EXPECT_EQ(sent(), (vector<uint32>{kMsgClear, kMsgRedraw}));
	expect_agreement();
}

}
