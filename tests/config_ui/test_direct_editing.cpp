// The designer at hand: keys in the preview and files dropped on either window, through the
// real program opened on a design, under a window manager (openbox on Xvfb), since the keys
// go where the focus is.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <Button.h>
#include <TextControl.h>
#include <Window.h>

#include "config_ui/configview.h"
#include "config_ui/configwindow.h"
#include "model/design_paths.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/object.h"
#include "model/tevraview.h"
#include "preview_ui/preview.h"
#include "preview_ui/prevwindow.h"
#include "tests/support/design_session.h"
#include "tests/support/panel_input.h"
#include "tests/support/print_geometry.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_app.h"
#include "tests/support/ui_events.h"
#include "tests/support/x_session.h"

namespace {

temp_dir* folder = nullptr;
const char* skip_reason = nullptr;

const BRect kFirst(100, 100, 300, 250);
const BRect kSecond(400, 100, 600, 250);
const BRect kThird(100, 400, 300, 550);

const char kDesign[] = "base_type\t0\n\ntype\t10\nbounds\t100,100,300,250\n\n"
	"type\t10\nbounds\t400,100,600,250\n\ntype\t0\nbounds\t100,400,300,550\n";

BRect bounds_of(int32 index)
{
	object* item = (object*)obl.ItemAt(index);
	return item != nullptr ? item->bounds : BRect(0, 0, -1, -1);
}

bool unsaved()
{
	std::string shown = test_app()->pwin != nullptr ? test_app()->pwin->Title() : "";
	return shown.size() >= 2 && shown.compare(shown.size() - 2, 2, " *") == 0;
}

class direct_editing : public testing::Test {
protected:
	void SetUp() override
	{
		if (skip_reason != nullptr)
			GTEST_SKIP() << skip_reason;
		ASSERT_NE(test_app()->pwin, nullptr) << "the windows are gone";
		ASSERT_TRUE(wait_until([] { return obl.CountItems() == 3; })) << "no design";
		// Nothing selected, as the design opens.
		if (sel_no != -1) {
			ASSERT_TRUE(activate_window(test_app()->pwin));
			press_key(test_app()->pwin, B_ESCAPE);
			ASSERT_TRUE(wait_until([] { return sel_no == -1; }));
		}
	}

	// A case that opened another design, or left changes, hands the next one the design as
	// the program opened it: dropped on the preview again, the changes dropped.
	void TearDown() override
	{
		std::string design = folder != nullptr ? folder->file("design.tevra") : "";
		if (skip_reason != nullptr || test_app()->pwin == nullptr
			|| (design_path == design && !unsaved()))
			return;
		alert_seen asked;
		if (unsaved())
			answer_next_alert(&asked, "Don't save");
		ASSERT_TRUE(activate_window(test_app()->pwin));
		ASSERT_TRUE(drop_files(test_app()->pwin, BPoint(50, 50), {design}));
		ASSERT_TRUE(wait_until([&] {
			return design_path == design && obl.CountItems() == 3 && !unsaved();
		})) << "the design did not open again";
	}
};

// Each key as the keyboard gives it to the active preview, and what the design and the panel
// show after it; the rows run in order on one design.
struct key_row {
	const char* name;
	std::vector<std::pair<uint32, uint32>> keys;
	int32 selected;
	int32 count;
	BRect first;
	bool unsaved;
};

TEST_F(direct_editing, KeysInThePreview)
{
	const BRect nudged(102, 101, 302, 251);
	const BRect shifted(92, 101, 292, 251);
	const uint32 shift = B_SHIFT_KEY, ctrl = B_COMMAND_KEY;
	const key_row rows[] = {
		{"arrows_without_a_selection_do_nothing", {{B_RIGHT_ARROW, 0}}, -1, 3, kFirst, false},
		{"tab_selects_the_first", {{B_TAB, 0}}, 0, 3, kFirst, false},
		{"tab_the_next", {{B_TAB, 0}, {B_TAB, 0}}, 2, 3, kFirst, false},
		{"tab_wraps_round", {{B_TAB, 0}}, 0, 3, kFirst, false},
		{"shift_tab_wraps_back", {{B_TAB, shift}}, 2, 3, kFirst, false},
		{"shift_tab_the_previous", {{B_TAB, shift}, {B_TAB, shift}}, 0, 3, kFirst, false},
		{"a_nudge_and_back_is_no_change", {{B_RIGHT_ARROW, 0}, {B_LEFT_ARROW, 0}}, 0, 3,
			kFirst, false},
		{"arrows_move_one_pixel", {{B_RIGHT_ARROW, 0}, {B_RIGHT_ARROW, 0}, {B_DOWN_ARROW, 0}},
			0, 3, nudged, true},
		{"shift_arrows_ten", {{B_LEFT_ARROW, shift}}, 0, 3, shifted, true},
		{"nudges_in_a_row_are_one_undo_step", {{'z', ctrl}}, 0, 3, kFirst, false},
		{"redo_brings_them_all_back", {{'z', ctrl | shift}}, 0, 3, shifted, true},
		{"escape_deselects", {{B_ESCAPE, 0}}, -1, 3, shifted, true},
		{"escape_then_undo_undoes_the_nudges_not_the_selection", {{'z', ctrl}}, 0, 3, kFirst,
			false},
		{"delete_removes_the_selected", {{B_DELETE, 0}}, -1, 2, kSecond, true},
		{"backspace_too", {{B_TAB, 0}, {B_BACKSPACE, 0}}, -1, 1, kThird, true},
		{"delete_without_a_selection_does_nothing", {{B_DELETE, 0}}, -1, 1, kThird, true},
		{"each_removal_is_one_step", {{'z', ctrl}}, 0, 2, kSecond, true},
		{"and_the_first_one", {{'z', ctrl}}, 0, 3, kFirst, false},
	};
	prevwindow* pwin = test_app()->pwin;
	configview* panel = test_app()->cwin->panel;
	ASSERT_TRUE(activate_window(pwin));
	for (const key_row& row : rows) {
		SCOPED_TRACE(row.name);
		for (auto [key, modifiers] : row.keys) {
			press_key(pwin, key, modifiers);
			process_events(50);
		}
		process_events(50);
		EXPECT_EQ(sel_no, row.selected);
		EXPECT_EQ(panel->edit_no, row.selected) << "the panel follows";
		EXPECT_EQ(obl.CountItems(), row.count);
		EXPECT_EQ(bounds_of(0), row.first);
		EXPECT_EQ(unsaved(), row.unsaved);
	}
}

// Where a point of a view lies in its window's content area.
BPoint in_window(BView* view, BPoint point)
{
	for (; view != nullptr; view = view->Parent())
		point = point + view->Frame().LeftTop() - view->Bounds().LeftTop();
	return point;
}

// A value typed in the panel, or "del" clicked there, and then keys in the preview that Qt
// takes in the same pass as the switch of window, as when the program is busy: what the panel
// queued is handled after the keys. Each row starts from the design as loaded.
struct queued_row {
	const char* name;
	int32 edited;
	bool typing;
	std::vector<std::pair<uint32, uint32>> keys;
	std::vector<BRect> after;
};

TEST_F(direct_editing, PanelMessagesQueuedBeforeKeysInThePreview)
{
	const BRect typed(10, 10, 60, 60);
	const uint32 shift = B_SHIFT_KEY;
	const queued_row rows[] = {
		{"typing_for_the_removed_calendar_is_dropped", 1, true, {{B_DELETE, 0}},
			{kFirst, kThird}},
		{"typing_reaches_its_calendar_moved_up", 2, true,
			{{B_TAB, shift}, {B_TAB, shift}, {B_DELETE, 0}}, {kSecond, typed}},
		{"tab_leaves_the_typing_to_its_calendar", 1, true, {{B_TAB, 0}},
			{kFirst, typed, kThird}},
		{"shift_tab_too", 1, true, {{B_TAB, shift}}, {kFirst, typed, kThird}},
		{"del_then_delete_removes_one", 1, false, {{B_DELETE, 0}}, {kFirst, kThird}},
	};
	prevwindow* pwin = test_app()->pwin;
	configwindow* cwin = test_app()->cwin;
	configview* panel = cwin->panel;
	for (const queued_row& row : rows) {
		SCOPED_TRACE(row.name);
		ASSERT_TRUE(activate_window(pwin));
		press_key(pwin, B_ESCAPE);
		for (int32 i = 0; i <= row.edited; i++)
			press_key(pwin, B_TAB);
		process_events(50);
		ASSERT_EQ(panel->edit_no, row.edited);
		ASSERT_TRUE(activate_window(cwin));
		if (row.typing) {
			click_in_window(cwin, in_window(panel->bounds, BPoint(100, 10)));
			type_text(panel->bounds, "10,10,60,60", false);
		} else {
			click_control(panel->del);
		}
		switch_and_press_keys(pwin, row.keys);
		process_events(200);
		std::vector<BRect> after;
		for (int32 i = 0; i < obl.CountItems(); i++)
			after.push_back(bounds_of(i));
		EXPECT_EQ(after, row.after);

		ASSERT_TRUE(activate_window(pwin));
		for (int i = 0; i < 5 && unsaved(); i++) {
			press_key(pwin, 'z', B_COMMAND_KEY);
			process_events(50);
		}
		ASSERT_FALSE(unsaved());
		ASSERT_EQ(obl.CountItems(), 3);
	}
}

// A dropped design replaces the one the keys worked on.
TEST_F(direct_editing, DropsOnEitherWindow)
{
	prevwindow* pwin = test_app()->pwin;
	configwindow* cwin = test_app()->cwin;
	configview* panel = cwin->panel;
	std::string picture = folder->file("photo.ppm");
	std::string other = folder->file("other.ppm");
	std::string calendar = folder->file("days.ics");
	std::string design = folder->file("second.tevra");
	const char refusal[] = "notes.txt is not a picture, a calendar file (.ics) or a design "
		"(.tevra).";

	// A drop, or without files that many undo steps (redo when negative); then what the
	// design is: its base, its events, its calendars.
	struct drop_row {
		const char* name;
		BWindow* window;
		std::function<BPoint()> where;
		std::vector<std::string> files;
		int undo;
		const char* answer;
		int32 base_mode;
		std::string image;
		size_t events;
		int32 count;
		const char* refused;
		bool taken;
	};
	auto preview_point = [] { return BPoint(50, 50); };
	auto panel_point = [&] { return in_window(panel, BPoint(200, 300)); };
	auto image_field = [&] { return in_window(panel->base_fn, BPoint(200, 8)); };
	auto menu_bar_point = [] { return BPoint(300, 5); };
	const drop_row rows[] = {
		{"image_on_the_preview_over_a_colour_fits_the_screen", pwin, preview_point, {picture},
			0, nullptr, kBaseFitScreen, picture, 0, 3, nullptr, true},
		{"calendar_file_on_the_panel_joins_the_events", cwin, panel_point, {calendar}, 0,
			nullptr, kBaseFitScreen, picture, 1, 3, nullptr, true},
		{"each_drop_one_undo_step", pwin, nullptr, {}, 1, nullptr, kBaseFitScreen, picture, 0,
			3, nullptr, true},
		{"back_to_the_colour", pwin, nullptr, {}, 1, nullptr, kBaseColor, "", 0, 3, nullptr,
			true},
		{"and_redone", pwin, nullptr, {}, -2, nullptr, kBaseFitScreen, picture, 1, 3, nullptr,
			true},
		{"text_field_leaves_the_drop_to_its_window", cwin, image_field, {other}, 0, nullptr,
			kBaseFitScreen, other, 1, 3, nullptr, true},
		{"the_menu_bar_takes_none", cwin, menu_bar_point, {picture}, 0, nullptr,
			kBaseFitScreen, other, 1, 3, nullptr, false},
		{"anything_else_refused_in_one_line", pwin, preview_point,
			{folder->file("notes.txt")}, 0, "OK", kBaseFitScreen, other, 1, 3, refusal, true},
		{"design_opens_after_the_question", pwin, preview_point, {design}, 0, "Don't save",
			kBaseColor, "", 0, 1, nullptr, true},
	};
	for (const drop_row& row : rows) {
		SCOPED_TRACE(row.name);
		alert_seen seen;
		if (row.answer != nullptr)
			answer_next_alert(&seen, row.answer);
		ASSERT_TRUE(activate_window(row.window));
		for (int i = 0; i < row.undo || i < -row.undo; i++) {
			press_key(row.window, 'z', B_COMMAND_KEY | (row.undo < 0 ? B_SHIFT_KEY : 0));
			process_events(50);
		}
		if (!row.files.empty()) {
			EXPECT_EQ(drop_files(row.window, row.where(), row.files), row.taken);
		}
		EXPECT_TRUE(wait_until([&] { return row.answer == nullptr || seen.shown; }));
		process_events(200);
		EXPECT_EQ(base_mode, row.base_mode);
		EXPECT_EQ(std::string(baseimgpath), row.image);
		EXPECT_EQ(event_sources.size(), row.events);
		EXPECT_EQ(obl.CountItems(), row.count);
		if (row.refused != nullptr) {
			EXPECT_EQ(seen.text, row.refused);
		}
	}
	EXPECT_EQ(design_path, design);
	EXPECT_FALSE(unsaved());
}

}

int main(int argc, char** argv)
{
	// Small pictures in a format Qt's own plugin reads.
	return run_on_a_design(argc, argv, &folder, &skip_reason, {
		{"design.tevra", kDesign},
		{"second.tevra", "base_type\t0\n\ntype\t0\nbounds\t10,10,200,100\n"},
		{"photo.ppm", "P6\n2 2\n255\n" + std::string(12, '\x40')},
		{"other.ppm", "P6\n1 1\n255\n" + std::string(3, '\x80')},
		{"days.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:1\r\n"
			"DTSTART;VALUE=DATE:20260101\r\nSUMMARY:New Year\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n"},
		{"notes.txt", "not a picture\n"},
	});
}
