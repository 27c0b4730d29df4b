#include "tests/config_ui/config_fixture.h"

#include <cstdio>
#include <functional>
#include <map>

#include <Application.h>

// The configuration window and its panel: what config mode opens, where every control is,
// how the panel fills its pages and switches between them, and the window's own commands.

namespace {

using std::string;
using std::vector;

// --- What config mode opens -----------------------------------------------------------------

TEST(Startup, ConfigModeOpensThePanelInTheBottomRightCorner)
{
	float W = scrn.Width(), H = scrn.Height();
	const auto& opened = test_app()->startup_config;
	ASSERT_TRUE(opened.opened);
	EXPECT_TRUE(opened.shown);
	EXPECT_EQ(opened.title, "tevra ver.0.02");
	EXPECT_EQ(opened.frame, BRect(W - 400, H - 400, W, H));
	EXPECT_EQ(opened.flags, (uint32)(B_NOT_RESIZABLE | B_NOT_ZOOMABLE));
	EXPECT_EQ(test_app()->startup_window.frame, BRect(10, 30, W - 420, H - 10));
}

class config_window : public config_mode {};

TEST_F(config_window, FileMenuSendsToThePanelAndTheApplication)
{
	BMenuBar* bar = dynamic_cast<BMenuBar*>(cwin->FindView("menubar"));
	ASSERT_NE(bar, nullptr);
	EXPECT_EQ(bar->Frame().Width(), cwin->Bounds().Width()) << "the bar spans the window";
	ASSERT_EQ(bar->CountItems(), 2);
	EXPECT_STREQ(bar->ItemAt(0)->Label(), "File");
	EXPECT_STREQ(bar->ItemAt(1)->Label(), "Edit");

	struct {
		int menu;
		const char* label;
		uint32 code;
		BHandler* target;
		char shortcut;
		uint32 modifiers;
	} const items[] = {
		{0, "New", kMsgFileNew, panel, 'N', 0},
		{0, "Open", kMsgFileOpen, panel, 'O', 0},
		{0, "Examples", 0, nullptr, 0, 0},
		{0, "Save", kMsgFileSaveNow, panel, 'S', 0},
		{0, "Save as", kMsgFileSave, panel, 'S', B_SHIFT_KEY},
		{0, "Set as wallpaper", kMsgSetWallpaper, panel, 0, 0},
		{0, "Redraw every day", kMsgRedrawDaily, panel, 0, 0},
		{0, "About", B_ABOUT_REQUESTED, be_app, 0, 0},
		{0, "Quit", B_QUIT_REQUESTED, be_app, 'Q', 0},
		{1, "Undo", kMsgUndo, panel, 'Z', 0},
		{1, "Redo", kMsgRedo, panel, 'Z', B_SHIFT_KEY},
	};
	int index[2] = {0, 0};
	for (const auto& entry : items) {
		BMenu* menu = bar->ItemAt(entry.menu)->Submenu();
		BMenuItem* item = menu->ItemAt(index[entry.menu]++);
		ASSERT_NE(item, nullptr) << entry.label;
		EXPECT_STREQ(item->Label(), entry.label);
		EXPECT_EQ(item->Command(), entry.code) << entry.label;
		EXPECT_EQ(item->Target(), entry.target) << entry.label;
		uint32 modifiers = 0;
		EXPECT_EQ(item->Shortcut(&modifiers), entry.shortcut) << entry.label;
		EXPECT_EQ(modifiers, entry.modifiers) << entry.label;
	}
	EXPECT_EQ(bar->ItemAt(0)->Submenu()->CountItems(), index[0]);
	EXPECT_EQ(bar->ItemAt(1)->Submenu()->CountItems(), index[1]);
	EXPECT_EQ(panel->Frame(), BRect(0, 20, 400, 420));
}

TEST_F(config_window, AboutShowsTheAboutBox)
{
	alert_seen seen;
	answer_next_alert(&seen);
	choose_menu_item(file_item("About"));
	for (int i = 0; i < 100 && !seen.shown; i++)
		settle();
	ASSERT_TRUE(seen.shown);
	EXPECT_EQ(seen.text.rfind("tevra ver.0.02", 0), 0u) << seen.text;
	EXPECT_EQ(seen.buttons, vector<string>{"Thank you"});
	EXPECT_EQ(be_app->CountWindows(), 2) << "the About box quits nothing";
}

// About chosen again while its box shows, from within the box's own loop: still one box,
// and once it is answered, About opens one again.
TEST_F(config_window, AboutShowsOneBoxAtATime)
{
	for (int round = 0; round < 2; round++) {
		int shown = -1;
		when_alert_shows([this] {
			choose_menu_item(file_item("About"));
			settle();
		}, &shown);
		choose_menu_item(file_item("About"));
		for (int i = 0; i < 400 && shown < 0; i++)
			settle();
		EXPECT_EQ(shown, 1) << "round " << round;
	}
}

struct closing_case {
	const char* name;
	bool config;
};
TEVRA_PRINT_CASE(closing_case)

class closing : public config_mode, public testing::WithParamInterface<closing_case> {};

TEST_P(closing, EitherWindowQuitsTheApplicationWithoutAQuestion)
{
	// Static: the watch outlives the test when, as it should, no question comes.
	static alert_seen seen;
	seen = alert_seen();
	answer_next_alert(&seen);
	// Even with a file panel open.
	add_object(kTypeMonth);
	choose_menu_item(file_item("Save as"));
	settle();
	ASSERT_NE(fp, nullptr);
	close_window(GetParam().config ? (BWindow*)cwin : (BWindow*)pwin);
	settle();
	forget_windows();
	EXPECT_EQ(be_app->CountWindows(), 0);
	EXPECT_FALSE(seen.shown);
}

INSTANTIATE_TEST_SUITE_P(config_window, closing, testing::Values(
	closing_case{"config_window", true},
	closing_case{"preview_window", false}),
	case_name<closing_case>);

TEST_F(config_window, QuitClosesBothWindows)
{
	choose_menu_item(file_item("Quit"));
	settle();
	forget_windows();
	EXPECT_EQ(be_app->CountWindows(), 0);
}

// --- Where every control is -----------------------------------------------------------------

typedef BView* (*view_of)(configview*);
// A view of the panel, and the panel itself.
#define V(expression) [](configview* p) -> BView* { return p->expression; }
#define P [](configview* p) -> BView* { return p; }
const uint32 VCHG = kMsgValueChanged;
const uint32 BHIT = kMsgButtonHit;

struct layout_row {
	view_of control;
	view_of parent;
	const char* name;
	const char* caption;  // null: not checked (sliders)
	BRect frame;
	uint32 code;          // 0: sends nothing of its own
	float divider;        // -1: not set
	float font_size;      // 0: not set
};

const layout_row kLayout[] = {
	{V(sel_label), P, "sel_no", nullptr, {170, 10, 250, 28}, 0, -1, 0},
	{V(back), P, "back", "<", {150, 10, 170, 25}, BHIT, -1, 8},
	{V(next), P, "next", ">", {250, 10, 270, 25}, BHIT, -1, 8},
	{V(add), P, "add", "add", {300, 10, 340, 25}, BHIT, -1, 12},
	{V(del), P, "del", "del", {350, 10, 390, 25}, BHIT, -1, 12},
	{V(config_base), P, "config_base", nullptr, {0, 0, 400, 400}, 0, -1, 0},
	{V(base_mode_gr), V(config_base), "base_mode_gr", nullptr, {30, 50, 370, 120}, 0, -1, 0},
	{V(base_mode_gr->FindView("base_mode")), V(base_mode_gr), "base_mode",
		"base_type", {0, 0, 70, 18}, 0, -1, 0},
	{V(mono), V(base_mode_gr), "mono", "mono color", {20, 25, 120, 45}, VCHG, -1, 0},
	{V(img_c), V(base_mode_gr), "img_c", "image (fit screen)", {120, 25, 220, 45}, VCHG, -1, 0},
	{V(img_f), V(base_mode_gr), "img_f", "image (center)", {220, 25, 320, 45}, VCHG, -1, 0},
	{V(img_p), V(base_mode_gr), "img_p", "image >>>", {120, 50, 220, 70}, VCHG, -1, 0},
	{V(bg_bounds_tc), V(base_mode_gr), "bg_bounds", "", {220, 50, 320, 70}, VCHG, 0, 0},
	{V(base_col), V(config_base), "base_col", "base_color", {30, 150, 140, 170}, VCHG, -1, 0},
	{V(base_col_sl), V(config_base), "base_col", nullptr, {140, 150, 370, 170}, 0, -1, 0},
	{V(base_fn), V(config_base), "base_fn",
		"base_image", {30, 200, 310, 220}, kMsgTypedImage, 50, 0},
	{V(search), V(config_base), "search", "search", {320, 200, 370, 220}, kMsgSearchImage, -1, 12},
	{V(output_format), V(config_base), "output_format",
		"output_format", {30, 250, 280, 270}, 0, 70, 0},
	{V(auto_cb), V(config_base), "auto", "autoset", {30, 300, 130, 320}, VCHG, -1, 0},
	{V(textback_cb), V(config_base), "textback",
		"erase_textback", {150, 300, 250, 320}, VCHG, -1, 0},
	{V(screen_col), V(config_base), "screen_col", "screen_color", {30, 325, 140, 345}, VCHG, -1, 0},
	{V(scrn_col_sl), V(config_base), "scrn_col", nullptr, {140, 325, 370, 345}, 0, -1, 0},
	{V(config_item), P, "config_item", nullptr, {0, 0, 400, 400}, 0, -1, 0},
	{V(bounds), V(config_item), "bounds", "bounds", {20, 50, 180, 70}, VCHG, 50, 0},
	{V(cal_type_gr), V(config_item), "cal_type_gr", nullptr, {10, 75, 200, 95}, 0, -1, 0},
	{V(cal_type_gr->FindView("cal_type")), V(cal_type_gr), "cal_type",
		"calendar_type", {0, 0, 40, 16}, 0, -1, 0},
	{V(day), V(cal_type_gr), "day", "day", {50, 0, 90, 20}, VCHG, -1, 0},
	{V(month), V(cal_type_gr), "month", "month", {95, 0, 135, 20}, VCHG, -1, 0},
	{V(year), V(cal_type_gr), "year", "year", {140, 0, 180, 20}, VCHG, -1, 0},
	{V(when), V(config_item), "when", "when", {20, 100, 120, 120}, VCHG, -1, 0},
	{V(bg_type_gr), V(config_item), "bg_type_gr", nullptr, {200, 75, 390, 95}, 0, -1, 0},
	{V(bg_type_gr->FindView("bg_type")), V(bg_type_gr), "bg_type",
		"bg_type", {10, 0, 60, 16}, 0, -1, 0},
	{V(bg_wall), V(bg_type_gr), "bg_wall", "wall", {65, 0, 120, 20}, VCHG, -1, 0},
	{V(bg_bubble), V(bg_type_gr), "bg_bubble", "bubble", {125, 0, 180, 20}, VCHG, -1, 0},
	{V(bg_col), V(config_item), "bg_col", "bg_color", {210, 100, 300, 120}, VCHG, -1, 0},
	{V(bg_col_sl), V(config_item), "bg_col", nullptr, {300, 100, 390, 120}, 0, -1, 0},
	{V(year_font), V(config_item), "year_font", "year_font", {10, 150, 190, 170}, 0, 50, 0},
	{V(year_size), V(config_item), "year_size", "year_size", {10, 175, 100, 195}, VCHG, -1, 0},
	{V(year_size_sl), V(config_item), "year_size", nullptr, {100, 175, 190, 195}, 0, -1, 0},
	{V(year_col), V(config_item), "year_col", "year_color", {10, 200, 100, 220}, VCHG, -1, 0},
	{V(year_col_sl), V(config_item), "year_col", nullptr, {100, 200, 190, 220}, 0, -1, 0},
	{V(year_type_gr), V(config_item), "year_type_gr", nullptr, {0, 225, 190, 250}, 0, -1, 0},
	{V(digit_y), V(year_type_gr), "digit", "digit", {15, 0, 55, 20}, VCHG, -1, 0},
	{V(chinese_y), V(year_type_gr), "chinese", "chinese", {60, 0, 100, 20}, VCHG, -1, 0},
	{V(gengo), V(year_type_gr), "gengo", "gengo", {105, 0, 145, 20}, VCHG, -1, 0},
	{V(month_font), V(config_item), "month_font", "month_font", {10, 250, 190, 270}, 0, 50, 0},
	{V(month_size), V(config_item), "month_size", "month_size", {10, 275, 100, 295}, VCHG, -1, 0},
	{V(month_size_sl), V(config_item), "month_size", nullptr, {100, 275, 190, 295}, 0, -1, 0},
	{V(month_col), V(config_item), "month_col", "month_color", {10, 300, 100, 320}, VCHG, -1, 0},
	{V(month_col_sl), V(config_item), "month_col", nullptr, {100, 300, 190, 320}, 0, -1, 0},
	{V(month_type_gr), V(config_item), "month_type_gr", nullptr, {0, 325, 190, 350}, 0, -1, 0},
	{V(digit_m), V(month_type_gr), "digit", "digit", {15, 0, 55, 20}, VCHG, -1, 0},
	{V(chinese_m), V(month_type_gr), "chinese", "chinese", {60, 0, 100, 20}, VCHG, -1, 0},
	{V(old), V(month_type_gr), "old", "old", {105, 0, 145, 20}, VCHG, -1, 0},
	{V(english), V(month_type_gr), "english", "english", {150, 0, 190, 20}, VCHG, -1, 0},
	{V(day_font), V(config_item), "day_font", "day_font", {210, 150, 390, 170}, 0, 50, 0},
	{V(day_size), V(config_item), "day_size", "day_size", {210, 175, 300, 195}, VCHG, -1, 0},
	{V(day_size_sl), V(config_item), "day_size", nullptr, {300, 175, 390, 195}, 0, -1, 0},
	{V(day_col), V(config_item), "day_col", "day_color", {210, 200, 300, 220}, VCHG, -1, 0},
	{V(day_col_sl), V(config_item), "day_col", nullptr, {300, 200, 390, 220}, 0, -1, 0},
	{V(sun_col), V(config_item), "sun_col", "sun_color", {210, 225, 300, 245}, VCHG, -1, 0},
	{V(sun_col_sl), V(config_item), "sun_col", nullptr, {300, 225, 390, 245}, 0, -1, 0},
	{V(sat_col), V(config_item), "sat_col", "sat_color", {210, 250, 300, 270}, VCHG, -1, 0},
	{V(sat_col_sl), V(config_item), "sat_col", nullptr, {300, 250, 390, 270}, 0, -1, 0},
	{V(holy_col), V(config_item), "holy_col", "holy_color", {210, 275, 300, 295}, VCHG, -1, 0},
	{V(holy_col_sl), V(config_item), "holy_col", nullptr, {300, 275, 390, 295}, 0, -1, 0},
	{V(today_deco_gr), V(config_item), "today_deco_gr", nullptr, {210, 300, 400, 325}, 0, -1, 0},
	{V(today_deco_gr->FindView("today_deco")), V(today_deco_gr), "today_deco",
		"today_mark", {0, 0, 40, 16}, 0, -1, 0},
	{V(mark_color), V(today_deco_gr), "mark_color", "color", {50, 0, 90, 20}, VCHG, -1, 0},
	{V(mark_reverse), V(today_deco_gr), "mark_reverse", "reverse", {95, 0, 135, 20}, VCHG, -1, 0},
	{V(mark_circle), V(today_deco_gr), "mark_circle", "circle", {140, 0, 180, 20}, VCHG, -1, 0},
	{V(mark_col), V(config_item), "mark_col", "mark_color", {210, 325, 300, 345}, VCHG, -1, 0},
	{V(mark_col_sl), V(config_item), "mark_col", nullptr, {300, 325, 390, 345}, 0, -1, 0},
};

class panel_layout : public config_mode {};

TEST_F(panel_layout, EveryControlSitsAtItsFrameAndReportsToThePanel)
{
	for (const layout_row& row : kLayout) {
		SCOPED_TRACE(row.name);
		BView* control = row.control(panel);
		ASSERT_NE(control, nullptr);
		EXPECT_EQ(control->Parent(), row.parent(panel));
		EXPECT_STREQ(control->Name(), row.name);
		EXPECT_EQ(control->Frame(), row.frame);
		if (BControl* c = dynamic_cast<BControl*>(control)) {
			if (row.caption != nullptr) {
				EXPECT_STREQ(c->Label(), row.caption);
			}
			EXPECT_EQ(c->Command(), row.code);
			EXPECT_EQ(c->Target(), panel);
			EXPECT_EQ(c->ResizingMode(), (uint32)(B_FOLLOW_LEFT | B_FOLLOW_TOP));
		} else if (BStringView* text = dynamic_cast<BStringView*>(control)) {
			if (row.caption != nullptr) {
				EXPECT_STREQ(text->Text(), row.caption);
			}
		} else if (BMenuField* field = dynamic_cast<BMenuField*>(control)) {
			EXPECT_STREQ(field->Label(), row.caption);
		}
		if (row.divider >= 0) {
			if (BTextControl* text = dynamic_cast<BTextControl*>(control))
				EXPECT_EQ(text->Divider(), row.divider);
			else if (BMenuField* field = dynamic_cast<BMenuField*>(control))
				EXPECT_EQ(field->Divider(), row.divider);
			else
				ADD_FAILURE() << "no divider";
		}
		if (row.font_size > 0) {
			BFont font;
			control->GetFont(&font);
			EXPECT_EQ(font.Size(), row.font_size);
		}
	}
	EXPECT_EQ(panel->sel_label->Alignment(), B_ALIGN_CENTER);
}

TEST_F(panel_layout, SlidersReportToThePanelAndOnlyTheBackgroundHasAlpha)
{
	rgbslider* colours[] = {panel->base_col_sl, panel->scrn_col_sl, panel->bg_col_sl,
		panel->year_col_sl, panel->month_col_sl, panel->day_col_sl, panel->sun_col_sl,
		panel->sat_col_sl, panel->holy_col_sl, panel->mark_col_sl};
	for (rgbslider* colour : colours) {
		SCOPED_TRACE(colour->Name());
		EXPECT_EQ(colour->target, panel);
		EXPECT_EQ(colour->has_alpha, colour == panel->bg_col_sl);
		EXPECT_EQ(colour->label, nullptr);
	}
	slider* sizes[] = {panel->year_size_sl, panel->month_size_sl, panel->day_size_sl};
	for (slider* size : sizes) {
		SCOPED_TRACE(size->Name());
		EXPECT_EQ(size->target, panel);
		EXPECT_EQ(size->min, 0);
		EXPECT_EQ(size->max, 50);
		EXPECT_EQ(size->label, nullptr);
	}
}

// Every control with a caption, on both pages.
void captioned(BView* view, vector<BView*>* found)
{
	for (int32 i = 0; i < view->CountChildren(); i++) {
		BView* child = view->ChildAt(i);
		const char* caption = nullptr;
		if (BControl* control = dynamic_cast<BControl*>(child))
			caption = control->Label();
		else if (BStringView* text = dynamic_cast<BStringView*>(child))
			caption = text->Text();
		else if (BMenuField* field = dynamic_cast<BMenuField*>(child))
			caption = field->Label();
		if (caption != nullptr && caption[0] != '\0')
			found->push_back(child);
		captioned(child, found);
	}
}

string caption_of(BView* view)
{
	if (BControl* control = dynamic_cast<BControl*>(view))
		return control->Label();
	if (BStringView* text = dynamic_cast<BStringView*>(view))
		return text->Text();
	return static_cast<BMenuField*>(view)->Label();
}

// Checks that every caption under page shows whole, or cut after whole characters with an
// ellipsis and what fits of its start before it (and, for several words, the last word after
// it; where no more than one character fits beside it, the characters that fit) and the whole
// caption as its tool tip, within its room; and that no two controls with different captions
// show the same text. Returns the number cut.
int check_captions(BView* page)
{
	vector<BView*> views;
	captioned(page, &views);
	const string kEllipsis = "\u2026";
	std::map<string, string> captionShowing;
	int cut = 0;
	for (BView* view : views) {
		string caption = caption_of(view);
		SCOPED_TRACE(caption);
		shown_caption_info shown = shown_caption(view);
		EXPECT_TRUE(shown.found);
		EXPECT_TRUE(shown.fits) << "shown: " << shown.text;
		auto [showing, added] = captionShowing.emplace(shown.text, caption);
		EXPECT_TRUE(added || showing->second == caption) << showing->second << " shows the same";
		if (shown.text == caption) {
			EXPECT_EQ(shown.tip, "");
			continue;
		}
		cut++;
		size_t mark = shown.text.find(kEllipsis);
		string start = shown.text.substr(0, mark);
		string end = mark == string::npos ? "" : shown.text.substr(mark + kEllipsis.size());
		EXPECT_GT(start.size(), 0u) << "nothing of the caption shows";
		EXPECT_EQ(caption.compare(0, start.size(), start), 0) << shown.text;
		EXPECT_TRUE(end.size() < caption.size()
			&& caption.compare(caption.size() - end.size(), string::npos, end) == 0)
			<< shown.text;
		EXPECT_EQ(shown.tip, caption);
	}
	return cut;
}

TEST_F(panel_layout, CaptionsWiderThanTheirFramesAreCutCleanly)
{
	// In Noto Sans every caption of the base page fits; in another sans-serif some are cut.
	check_captions(panel->config_base);

	add_object(kTypeMonth);
	request_edit(0);
	EXPECT_GT(check_captions(panel->config_item), 0);
	EXPECT_NE(shown_caption(panel->cal_type_gr->FindView("cal_type")).text, "calendar_type");
}

// --- Refresh: the base page -----------------------------------------------------------------

class panel_refresh : public config_mode {};

TEST_F(panel_refresh, RightAfterStartTheBasePageShowsTheDefaults)
{
	EXPECT_EQ(panel->edit_no, -1);
	EXPECT_STREQ(panel->sel_label->Text(), "base / output");
	EXPECT_TRUE(visible_on_screen(panel->config_base));
	EXPECT_FALSE(visible_on_screen(panel->config_item));
	EXPECT_TRUE(visible_on_screen(panel->sel_label));
	EXPECT_TRUE(visible_on_screen(panel->next));

	EXPECT_EQ(panel->mono->Value(), 0);
	EXPECT_EQ(panel->img_c->Value(), 1);
	EXPECT_EQ(panel->img_f->Value(), 0);
	EXPECT_EQ(panel->img_p->Value(), 0);
	char bounds[64];
	snprintf(bounds, sizeof(bounds), "0,0,%d,%d", (int)scrn.right, (int)scrn.bottom);
	EXPECT_EQ(shown_text(panel->bg_bounds_tc), bounds);
	EXPECT_EQ(shown_text(panel->base_col), "336699");
	EXPECT_EQ(panel->base_col_sl->Value(), 0x336699u);
	EXPECT_EQ(shown_text(panel->base_fn), "");
	ASSERT_GE(outfmt, 0);
	EXPECT_EQ(shown_menu_label(panel->output_format),
		((format_item*)xlt.ItemAt(outfmt))->mime);
	EXPECT_EQ(panel->auto_cb->Value(), 0);
	EXPECT_EQ(panel->textback_cb->Value(), 1);
	EXPECT_EQ(shown_text(panel->screen_col), "336699");
	EXPECT_EQ(panel->scrn_col_sl->Value(), 0x336699u);
	BControl* controls[] = {panel->mono, panel->img_c, panel->img_f, panel->img_p,
		panel->bg_bounds_tc, panel->base_col, panel->base_fn, panel->auto_cb,
		panel->textback_cb, panel->screen_col};
	for (BControl* control : controls)
		EXPECT_TRUE(control->IsEnabled()) << control->Name();
	EXPECT_TRUE(panel->output_format->IsEnabled());
}

TEST_F(panel_refresh, BasePageShowsTheSettings)
{
	base_mode = kBaseFitRect;
	base_color = 0xff102030;
	bg_bounds = BRect(-10.7, 5.2, 300.9, 200.5);
	strcpy(baseimgpath, "/no/such/picture.png");
	autoset = true;
	textback = false;
	scrn_color = 0x00abcdef;
	outfmt = xlt.CountItems() - 1;
	panel->redraw(-1);

	EXPECT_EQ(panel->img_p->Value(), 1);
	EXPECT_EQ(panel->img_c->Value(), 0);
	EXPECT_EQ(shown_text(panel->bg_bounds_tc), "-10,5,300,200");
	EXPECT_EQ(shown_text(panel->base_col), "ff102030") << "at least six digits";
	EXPECT_EQ(panel->base_col_sl->Value(), 0x00102030u);
	EXPECT_EQ(shown_text(panel->base_fn), "/no/such/picture.png");
	EXPECT_EQ(panel->auto_cb->Value(), 1);
	EXPECT_EQ(panel->textback_cb->Value(), 0);
	EXPECT_EQ(shown_text(panel->screen_col), "abcdef");
	EXPECT_EQ(shown_menu_label(panel->output_format), ((format_item*)xlt.LastItem())->mime);

	// A format number that names no format marks nothing: the field keeps its label.
	outfmt = -1;
	panel->redraw(-1);
	EXPECT_EQ(shown_menu_label(panel->output_format), ((format_item*)xlt.LastItem())->mime);
	EXPECT_EQ(sent(), vector<uint32>{}) << "refreshing sends nothing";
}

TEST_F(panel_refresh, PagesSwitchOnlyWhenTheEditedObjectChanges)
{
	add_object(kTypeMonth);
	add_object(kTypeDay);
	struct {
		int which;
		int edit_no;
		bool item_page;
		const char* title;
	} const steps[] = {
		{-1, -1, false, "base / output"},
		{-1, -1, false, "base / output"},
		{0, 0, true, "item no.1\n"},
		{1, 1, true, "item no.2\n"},
		{-2, 1, true, "item no.2\n"},
		{5, 5, false, "base / output"},
		{-2, 5, false, "base / output"},
		{1, 1, true, "item no.2\n"},
		{-1, -1, false, "base / output"},
	};
	for (const auto& step : steps) {
		SCOPED_TRACE(step.which);
		panel->redraw(step.which);
		EXPECT_EQ(panel->edit_no, step.edit_no);
		EXPECT_STREQ(panel->sel_label->Text(), step.title);
		EXPECT_EQ(visible_on_screen(panel->config_item), step.item_page);
		EXPECT_EQ(visible_on_screen(panel->config_base), !step.item_page);
		EXPECT_EQ(panel->config_item->IsHidden(), !step.item_page);
		EXPECT_EQ(panel->config_base->IsHidden(), step.item_page);
		EXPECT_TRUE(visible_on_screen(panel->sel_label));
	}
}

// --- Refresh: the object page, by calendar type ---------------------------------------------

// One group of the object page: which mask bit governs it, its controls, and what it shows.
struct item_group {
	const char* name;
	char mask;
	uint8 bit;
	std::function<vector<BView*>(configview*)> controls;
	std::function<string(configview*)> shown;
	std::function<string(const object*)> expected;
};

string on_of(vector<BControl*> radios, vector<const char*> names)
{
	string on;
	for (size_t i = 0; i < radios.size(); i++) {
		if (radios[i]->Value() != 0)
			on += names[i];
	}
	return on;
}

string hex_text(uint32 value, const char* format)
{
	char text[16];
	snprintf(text, sizeof(text), format, (unsigned)value);
	return text;
}

string font_label_of(int32 number)
{
	font_item* font = (font_item*)fontl.ItemAt(number);
	return font != nullptr ? string(font->family) + "(" + font->style + ")" : "";
}

// A colour as its text field and its slider show it; the slider drops alpha if it has none.
std::function<string(configview*)> colour_shown(BTextControl* configview::*text,
	rgbslider* configview::*knobs)
{
	return [text, knobs](configview* p) {
		return shown_text(p->*text) + "/" + hex_text((p->*knobs)->Value(), "%08x");
	};
}

std::function<string(const object*)> colour_expected(uint32 object::*field, const char* format,
	bool alpha = false)
{
	return [field, format, alpha](const object* o) {
		uint32 value = o->*field;
		return hex_text(value, format) + "/" + hex_text(alpha ? value : value & 0xffffff,
			"%08x");
	};
}

std::function<string(configview*)> size_shown(BTextControl* configview::*text,
	slider* configview::*knob)
{
	return [text, knob](configview* p) {
		return shown_text(p->*text) + "/" + std::to_string((int)(p->*knob)->Value());
	};
}

std::function<string(const object*)> size_expected(int32 object::*field)
{
	return [field](const object* o) {
		int32 value = o->*field;
		return std::to_string(value) + "/" + std::to_string(value < 0 ? 0 : value > 50 ? 50
			: value);
	};
}

const vector<item_group>& item_groups()
{
	static const vector<item_group> groups = {
		{"bounds", 'A', 0x01, [](configview* p) { return vector<BView*>{p->bounds}; },
			[](configview* p) { return shown_text(p->bounds); },
			[](const object* o) {
				char text[64];
				snprintf(text, sizeof(text), "%d,%d,%d,%d", (int)o->bounds.left,
					(int)o->bounds.top, (int)o->bounds.right, (int)o->bounds.bottom);
				return string(text);
			}},
		{"bg_type", 'A', 0x02,
			[](configview* p) { return vector<BView*>{p->bg_wall, p->bg_bubble}; },
			[](configview* p) { return on_of({p->bg_wall, p->bg_bubble}, {"wall", "bubble"}); },
			[](const object* o) { return string(o->bg_type == 0 ? "wall" : "bubble"); }},
		{"bg_col", 'A', 0x04, [](configview* p) { return vector<BView*>{p->bg_col}; },
			colour_shown(&configview::bg_col, &configview::bg_col_sl),
			colour_expected(&object::bg_color, "%08x", true)},
		{"type", 'A', 0x08,
			[](configview* p) { return vector<BView*>{p->day, p->month, p->year}; },
			[](configview* p) {
				return on_of({p->day, p->month, p->year}, {"day", "month", "year"});
			},
			[](const object* o) {
				return string(o->type == kTypeDay ? "day" : o->type == kTypeMonth ? "month"
					: "year");
			}},
		{"when", 'A', 0x10, [](configview* p) { return vector<BView*>{p->when}; },
			[](configview* p) { return shown_text(p->when); },
			[](const object* o) { return std::to_string(o->when); }},
		{"year_font", 'B', 0x01, [](configview* p) { return vector<BView*>{p->year_font}; },
			[](configview* p) { return shown_menu_label(p->year_font); },
			[](const object* o) { return font_label_of(o->year_font_no); }},
		{"year_size", 'B', 0x02, [](configview* p) { return vector<BView*>{p->year_size}; },
			size_shown(&configview::year_size, &configview::year_size_sl),
			size_expected(&object::year_size)},
		{"year_col", 'B', 0x04, [](configview* p) { return vector<BView*>{p->year_col}; },
			colour_shown(&configview::year_col, &configview::year_col_sl),
			colour_expected(&object::year_color, "%06x")},
		{"year_type", 'B', 0x08,
			[](configview* p) { return vector<BView*>{p->digit_y, p->chinese_y, p->gengo}; },
			[](configview* p) {
				return on_of({p->digit_y, p->chinese_y, p->gengo}, {"0", "1", "2"});
			},
			[](const object* o) { return std::to_string(o->year_type); }},
		{"month_font", 'C', 0x01, [](configview* p) { return vector<BView*>{p->month_font}; },
			[](configview* p) { return shown_menu_label(p->month_font); },
			[](const object* o) { return font_label_of(o->month_font_no); }},
		{"month_size", 'C', 0x02, [](configview* p) { return vector<BView*>{p->month_size}; },
			size_shown(&configview::month_size, &configview::month_size_sl),
			size_expected(&object::month_size)},
		{"month_col", 'C', 0x04, [](configview* p) { return vector<BView*>{p->month_col}; },
			colour_shown(&configview::month_col, &configview::month_col_sl),
			colour_expected(&object::month_color, "%06x")},
		{"month_type", 'C', 0x08,
			[](configview* p) {
				return vector<BView*>{p->digit_m, p->chinese_m, p->old, p->english};
			},
			[](configview* p) {
				return on_of({p->digit_m, p->chinese_m, p->old, p->english},
					{"0", "1", "2", "3"});
			},
			[](const object* o) { return std::to_string(o->month_type); }},
		{"day_font", 'D', 0x01, [](configview* p) { return vector<BView*>{p->day_font}; },
			[](configview* p) { return shown_menu_label(p->day_font); },
			[](const object* o) { return font_label_of(o->day_font_no); }},
		{"day_size", 'D', 0x02, [](configview* p) { return vector<BView*>{p->day_size}; },
			size_shown(&configview::day_size, &configview::day_size_sl),
			size_expected(&object::day_size)},
		{"day_col", 'D', 0x04, [](configview* p) { return vector<BView*>{p->day_col}; },
			colour_shown(&configview::day_col, &configview::day_col_sl),
			colour_expected(&object::day_color, "%06x")},
		{"sun_col", 'D', 0x08, [](configview* p) { return vector<BView*>{p->sun_col}; },
			colour_shown(&configview::sun_col, &configview::sun_col_sl),
			colour_expected(&object::sun_color, "%06x")},
		{"sat_col", 'D', 0x10, [](configview* p) { return vector<BView*>{p->sat_col}; },
			colour_shown(&configview::sat_col, &configview::sat_col_sl),
			colour_expected(&object::sat_color, "%06x")},
		{"holy_col", 'D', 0x20, [](configview* p) { return vector<BView*>{p->holy_col}; },
			colour_shown(&configview::holy_col, &configview::holy_col_sl),
			colour_expected(&object::hol_color, "%06x")},
		{"today_mark", 'D', 0x40,
			[](configview* p) {
				return vector<BView*>{p->mark_color, p->mark_reverse, p->mark_circle};
			},
			[](configview* p) {
				return on_of({p->mark_color, p->mark_reverse, p->mark_circle},
					{"0", "1", "2"});
			},
			[](const object* o) { return std::to_string(o->today_mark); }},
		{"mark_col", 'D', 0x80, [](configview* p) { return vector<BView*>{p->mark_col}; },
			colour_shown(&configview::mark_col, &configview::mark_col_sl),
			colour_expected(&object::today_color, "%06x")},
	};
	return groups;
}

bool enabled(BView* view)
{
	if (BControl* control = dynamic_cast<BControl*>(view))
		return control->IsEnabled();
	return static_cast<BMenuField*>(view)->IsEnabled();
}

// Two calendars whose every field differs, so that a group shows which one it was filled from.
void fill_first(object* o)
{
	o->bounds.Set(10, 20, 310, 220);
	o->type = kTypeMonth;
	o->when = 1;
	o->bg_type = 1;
	o->bg_color = 0x80aabbcc;
	o->year_font_no = 0;
	o->year_size = 11;
	o->year_color = 0x111111;
	o->year_type = 1;
	o->month_font_no = 0;
	o->month_size = 12;
	o->month_color = 0x222222;
	o->month_type = 2;
	o->day_font_no = 0;
	o->day_size = 13;
	o->day_color = 0x333333;
	o->sun_color = 0x444444;
	o->sat_color = 0x555555;
	o->hol_color = 0x666666;
	o->today_mark = 1;
	o->today_color = 0x777777;
}

void fill_second(object* o, uint8 type)
{
	o->bounds.Set(-10.7, 50.2, 300.9, 250.5);
	o->type = type;
	o->when = -2;
	o->bg_type = 0;
	o->bg_color = 0x00123456;
	o->year_font_no = 1;
	o->year_size = 80;
	o->year_color = 0xffaaaaaa;
	o->year_type = 2;
	o->month_font_no = 1;
	o->month_size = 22;
	o->month_color = 0xbbbbbb;
	o->month_type = 3;
	o->day_font_no = 1;
	o->day_size = -4;
	o->day_color = 0xcccccc;
	o->sun_color = 0xdddddd;
	o->sat_color = 0xeeeeee;
	o->hol_color = 0x010101;
	o->today_mark = 2;
	o->today_color = 0x020202;
}

struct mask_case {
	const char* name;
	uint8 type;
	uint8 a, b, c, d;
};
TEVRA_PRINT_CASE(mask_case)

class object_page : public panel_refresh, public testing::WithParamInterface<mask_case> {};

TEST_P(object_page, EnablesTheGroupsOfTheTypeAndLeavesTheOthersAsTheyWere)
{
	const mask_case& c = GetParam();
	ASSERT_GE(fontl.CountItems(), 2);
	fill_first(item(add_object(kTypeMonth)));
	fill_second(item(add_object(c.type)), c.type);
	request_edit(0);
	request_edit(1);

	EXPECT_EQ(panel->edit_no, 1);
	EXPECT_STREQ(panel->sel_label->Text(), "item no.2\n");
	EXPECT_TRUE(visible_on_screen(panel->config_item));
	EXPECT_FALSE(visible_on_screen(panel->config_base));
	for (const item_group& group : item_groups()) {
		SCOPED_TRACE(group.name);
		uint8 mask = group.mask == 'A' ? c.a : group.mask == 'B' ? c.b
			: group.mask == 'C' ? c.c : c.d;
		bool on = (mask & group.bit) != 0;
		for (BView* control : group.controls(panel))
			EXPECT_EQ(enabled(control), on) << control->Name();
		// A disabled group still shows the first calendar's values.
		EXPECT_EQ(group.shown(panel), group.expected(item(on ? 1 : 0)));
	}
	// The sliders have no enabled state and stay usable.
	EXPECT_EQ(sent(), vector<uint32>{}) << "refreshing sends nothing";
}

INSTANTIATE_TEST_SUITE_P(panel_refresh, object_page, testing::Values(
	mask_case{"day", kTypeDay, 0xff, 0x00, 0x00, 0x07},
	mask_case{"month", kTypeMonth, 0xff, 0x0f, 0x0f, 0xff},
	mask_case{"year", kTypeYear, 0xff, 0x07, 0x07, 0xff}),
	case_name<mask_case>);

// --- Menus ----------------------------------------------------------------------------------

TEST_F(panel_refresh, FontMenusListTheCatalogueInOrder)
{
	ASSERT_GT(fontl.CountItems(), 0);
	BMenuField* fields[] = {panel->year_font, panel->month_font, panel->day_font};
	for (int which = 1; which <= 3; which++) {
		SCOPED_TRACE(which);
		BMenu* menu = fields[which - 1]->Menu();
		ASSERT_EQ(menu->CountItems(), fontl.CountItems());
		EXPECT_TRUE(menu->IsRadioMode());
		EXPECT_TRUE(menu->IsLabelFromMarked());
		for (int32 i = 0; i < menu->CountItems(); i++) {
			BMenuItem* shown = menu->ItemAt(i);
			font_item* font = (font_item*)fontl.ItemAt(i);
			EXPECT_EQ(string(shown->Label()), font_label_of(i));
			EXPECT_EQ(font->menu_items[which - 1], shown);
			int8 fontMenu = 0;
			int16 fontNumber = -1;
			EXPECT_EQ(shown->Message()->FindInt8("font_menu", &fontMenu), B_OK);
			EXPECT_EQ(shown->Message()->FindInt16("font_no", &fontNumber), B_OK);
			EXPECT_EQ(fontMenu, which);
			EXPECT_EQ(fontNumber, i);
			EXPECT_EQ(shown->Command(), kMsgMenuSelected);
			EXPECT_EQ(shown->Target(), panel);
		}
	}
}

TEST_F(panel_refresh, FormatMenuListsTheOutputFormats)
{
	BMenu* menu = panel->output_format->Menu();
	ASSERT_EQ(menu->CountItems(), xlt.CountItems());
	for (int32 i = 0; i < menu->CountItems(); i++) {
		format_item* format = (format_item*)xlt.ItemAt(i);
		BMenuItem* shown = menu->ItemAt(i);
		EXPECT_STREQ(shown->Label(), format->mime);
		EXPECT_EQ(format->menu_item, shown);
		int16 number = -1;
		EXPECT_EQ(shown->Message()->FindInt16("format_no", &number), B_OK);
		EXPECT_EQ(number, i);
		int8 fontMenu;
		EXPECT_NE(shown->Message()->FindInt8("font_menu", &fontMenu), B_OK);
		EXPECT_EQ(shown->Target(), panel);
	}
}

// --- The selector row above the pages -------------------------------------------------------

TEST_F(panel_refresh, SelectorRowTakesClicksAboveTheObjectPage)
{
	add_object(kTypeMonth);
	request_edit(0);
	ASSERT_TRUE(visible_on_screen(panel->config_item));

	// The object page covers the row's area; a click there still reaches the button.
	BRect next = panel->next->Frame();
	click_in_window(cwin, in_window(BPoint((next.left + next.right) / 2,
		(next.top + next.bottom) / 2)));
	settle();
	EXPECT_EQ(panel->edit_no, -1);
	EXPECT_EQ(sel_no, -1);
	EXPECT_EQ(sent(), vector<uint32>{kMsgSelect});
	EXPECT_TRUE(visible_on_screen(panel->config_base));

	// And above the base page.
	click_in_window(cwin, in_window(BPoint((next.left + next.right) / 2,
		(next.top + next.bottom) / 2)));
	settle();
	EXPECT_EQ(panel->edit_no, 0);
	EXPECT_EQ(sel_no, 0);
	EXPECT_STREQ(panel->sel_label->Text(), "item no.1\n");

	// The page's own controls get the clicks below the row.
	BRect type = panel->year->Frame().OffsetByCopy(panel->cal_type_gr->Frame().left,
		panel->cal_type_gr->Frame().top);
	click_in_window(cwin, in_window(BPoint(type.left + 6, type.top + 10)));
	settle();
	EXPECT_EQ(item(0)->type, kTypeYear);
}

}
