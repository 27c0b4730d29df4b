#include "tests/preview_ui/preview_fixture.h"

#include <sys/stat.h>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <Entry.h>
#include <File.h>
#include <FilePanel.h>
#include <Path.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include "tests/support/temp_dir.h"

namespace {

const BRect kFrame(20, 40, 719, 539);
const BRect kFirst(100, 100, 300, 250);
const BRect kSecond(200, 200, 400, 350);

using std::vector;

class preview_view : public preview_test {
protected:
	void SetUp() override
	{
		preview_test::SetUp();
		open(kFrame);
	}

	// The hooks called as the window would, but with points Qt cannot deliver.
	void hook_down(BPoint where)
	{
		set_mouse_state(view, where, B_PRIMARY_MOUSE_BUTTON);
		view->MouseDown(where);
	}
	void hook_moved(BPoint where)
	{
		set_mouse_state(view, where, B_PRIMARY_MOUSE_BUTTON);
		view->MouseMoved(where, B_INSIDE_VIEW, nullptr);
	}
	void hook_up(BPoint where)
	{
		set_mouse_state(view, where, 0);
		view->MouseUp(where);
	}
};

// --- Pressing: what is hit and what gets selected -------------------------------------------

struct press_case {
	const char* name;
	vector<BRect> objects;
	int selected;  // before the press
	BPoint where;
	int drag_mode; // after the press
	int sel_no;    // after the press
	vector<int> requests;
};

void PrintTo(const press_case& c, std::ostream* os)
{
	*os << c.name;
}

class pressing : public preview_view, public testing::WithParamInterface<press_case> {
};

TEST_P(pressing, HitsHandlesOverInsideAndSelectsTheLastObject)
{
	const press_case& c = GetParam();
	for (BRect bounds : c.objects)
		add(bounds);
	if (c.selected >= 0)
		select(c.selected);

	send_mouse(view, mouse_down, c.where, B_PRIMARY_MOUSE_BUTTON);
	EXPECT_EQ(view->drag_mode, c.drag_mode);
	EXPECT_EQ(sel_no, c.sel_no);
	EXPECT_EQ(view->press_point, c.where);
	send_mouse(view, mouse_up, c.where, B_PRIMARY_MOUSE_BUTTON);
	process_events();

	EXPECT_EQ(view->drag_mode, kDragNone);
	// A press that grabbed the object reports it again at release; bounds stay put.
	vector<int> expected = c.requests;
	if (c.drag_mode != kDragNone)
		expected.push_back(c.sel_no);
	EXPECT_EQ(requests.values, expected);
	for (int i = 0; i < (int)c.objects.size(); i++)
		EXPECT_EQ(item(i)->bounds, c.objects[i]) << "object " << i;
}

INSTANTIATE_TEST_SUITE_P(preview, pressing, testing::Values(
	press_case{"inside_selected_moves", {kFirst}, 0, BPoint(200, 180), kDragMove, 0, {}},
	press_case{"edge_of_selected_moves", {kFirst}, 0, BPoint(300, 180), kDragMove, 0, {}},
	press_case{"left_top_handle_inner_corner", {kFirst}, 0, BPoint(103, 103), kDragLeftTop, 0,
		{}},
	press_case{"left_top_handle_outer_corner", {kFirst}, 0, BPoint(97, 97), kDragLeftTop, 0,
		{}},
	press_case{"right_top_handle", {kFirst}, 0, BPoint(303, 97), kDragRightTop, 0, {}},
	press_case{"left_bottom_handle", {kFirst}, 0, BPoint(97, 253), kDragLeftBottom, 0, {}},
	press_case{"right_bottom_corner", {kFirst}, 0, BPoint(300, 250), kDragRightBottom, 0, {}},
	press_case{"tiny_object_all_handles_last_wins", {BRect(100, 100, 104, 104)}, 0,
		BPoint(102, 102), kDragRightBottom, 0, {}},
	press_case{"tiny_object_left_top_only", {BRect(100, 100, 104, 104)}, 0, BPoint(98, 98),
		kDragLeftTop, 0, {}},
	press_case{"just_outside_handle_deselects", {kFirst}, 0, BPoint(96, 96), kDragNone, -1,
		{-1}},
	press_case{"empty_space_deselects", {kFirst, kSecond}, 0, BPoint(600, 400), kDragNone, -1,
		{-1}},
	// A press on an object selects it and starts moving it; the panel hears at the release.
	press_case{"overlap_with_none_selected_picks_later", {kFirst, kSecond}, -1,
		BPoint(250, 220), kDragMove, 1, {}},
	press_case{"first_only_with_none_selected", {kFirst, kSecond}, -1, BPoint(150, 150),
		kDragMove, 0, {}},
	press_case{"empty_space_with_none_selected_says_nothing", {kFirst, kSecond}, -1,
		BPoint(600, 400), kDragNone, -1, {}},
	press_case{"other_object_switches_in_one_request", {kFirst, kSecond}, 0, BPoint(350, 300),
		kDragMove, 1, {}},
	press_case{"overlap_keeps_the_selected_earlier_one", {kFirst, kSecond}, 0,
		BPoint(250, 220), kDragMove, 0, {}}),
	case_name<press_case>);

TEST_F(preview_view, PressesFollowTheScrolledPicture)
{
	add(BRect(700, 380, 780, 450));
	move_scroll_knob(window->scroll_v, 100);
	move_scroll_knob(window->scroll_h, 100);
	ASSERT_EQ(view->Bounds().LeftTop(), BPoint(100, 100));

	// Shown 640 pixels right and 300 down in the view, the point is (740, 400) of the picture.
	click(view, BPoint(740, 400));
	process_events();
	EXPECT_EQ(sel_no, 0);
	EXPECT_EQ(requests.values, vector<int>{0});
}

TEST_F(preview_view, RequestCarriesIndexesBeyondEightBits)
{
	for (int i = 0; i < 200; i++)
		add(BRect(0, 0, 10, 10));
	add(BRect(100, 100, 110, 110));
	click(view, BPoint(105, 105));
	process_events();
	EXPECT_EQ(requests.values, vector<int>{200});
}

TEST_F(preview_view, WithoutAPanelTheRequestIsDropped)
{
	remove_panel();
	add(kFirst);
	click(view, BPoint(200, 180));
	process_events();
	EXPECT_EQ(sel_no, 0);
	EXPECT_TRUE(requests.values.empty());
}

// --- Dragging -------------------------------------------------------------------------------

struct drag_case {
	const char* name;
	BPoint from, to;
	BRect bounds; // of kFirst after the release
};

void PrintTo(const drag_case& c, std::ostream* os)
{
	*os << c.name;
}

class drag_by_mouse : public preview_view, public testing::WithParamInterface<drag_case> {
};

TEST_P(drag_by_mouse, StoresTheFrameInOrderAtRelease)
{
	const drag_case& c = GetParam();
	add(kFirst);
	select(0);

	drag(view, c.from, c.to);
	process_events();

	EXPECT_EQ(item(0)->bounds, c.bounds);
	EXPECT_EQ(view->drag_mode, kDragNone);
	EXPECT_EQ(sel_no, 0);
	EXPECT_EQ(requests.values, vector<int>{0});
}

INSTANTIATE_TEST_SUITE_P(preview, drag_by_mouse, testing::Values(
	drag_case{"move_by_30_minus_20", BPoint(200, 180), BPoint(230, 160),
		BRect(130, 80, 330, 230)},
	drag_case{"right_bottom_by_40_25", BPoint(300, 250), BPoint(340, 275),
		BRect(100, 100, 340, 275)},
	drag_case{"left_top_by_20_minus_10", BPoint(100, 100), BPoint(120, 90),
		BRect(120, 90, 300, 250)},
	drag_case{"right_top_by_10_30", BPoint(300, 100), BPoint(310, 130),
		BRect(100, 130, 310, 250)},
	drag_case{"left_bottom_by_minus_10_10", BPoint(100, 250), BPoint(90, 260),
		BRect(90, 100, 300, 260)},
	drag_case{"left_top_past_right_bottom_swaps", BPoint(100, 100), BPoint(350, 300),
		BRect(300, 250, 350, 300)},
	drag_case{"right_top_past_left_bottom_swaps", BPoint(300, 100), BPoint(50, 280),
		BRect(50, 250, 100, 280)},
	drag_case{"move_far_outside_the_picture", BPoint(200, 180), BPoint(-4800, 5200),
		BRect(-4900, 5120, -4700, 5270)},
	drag_case{"handle_pressed_and_released_in_place", BPoint(300, 250), BPoint(300, 250),
		kFirst}),
	case_name<drag_case>);

struct fraction_case {
	const char* name;
	BRect bounds;
	BPoint from, to;
	BRect result;
};

void PrintTo(const fraction_case& c, std::ostream* os)
{
	*os << c.name;
}

class drag_fractions : public preview_view, public testing::WithParamInterface<fraction_case> {
};

TEST_P(drag_fractions, TruncateTowardZero)
{
	const fraction_case& c = GetParam();
	add(c.bounds);
	select(0);

	hook_down(c.from);
	hook_moved(c.to);
	hook_up(c.to);
	EXPECT_EQ(item(0)->bounds, c.result);
}

INSTANTIATE_TEST_SUITE_P(preview, drag_fractions, testing::Values(
	fraction_case{"by_10_7_minus_3_2_moves_10_minus_3", kFirst, BPoint(200, 180),
		BPoint(210.7, 176.8), BRect(110, 97, 310, 247)},
	fraction_case{"by_minus_10_7_3_2_moves_minus_10_3", kFirst, BPoint(200, 180),
		BPoint(189.3, 183.2), BRect(90, 103, 290, 253)},
	fraction_case{"by_0_9_minus_0_9_stays", kFirst, BPoint(200, 180), BPoint(200.9, 179.1),
		kFirst},
	fraction_case{"from_a_fractional_press", kFirst, BPoint(200.5, 180.5),
		BPoint(211.2, 177.3), BRect(110, 97, 310, 247)},
	// A press released where it was changes nothing, not even by rounding.
	fraction_case{"fractional_bounds_kept_without_a_move", BRect(-10.6, -20.4, 50.7, 60.2),
		BPoint(10, 10), BPoint(10, 10), BRect(-10.6, -20.4, 50.7, 60.2)},
	fraction_case{"fractional_bounds_cut_when_moved", BRect(-10.6, -20.4, 50.7, 60.2),
		BPoint(10, 10), BPoint(11, 10), BRect(-9, -20, 51, 60)}),
	case_name<fraction_case>);

// A press and release on the selected object without a move leaves it where it is, whatever
// frame an earlier drag of another object left behind.
TEST_F(preview_view, ClickWithoutMoveKeepsTheBounds)
{
	add(kFirst);
	add(kSecond);
	select(1);
	hook_down(BPoint(300, 300));
	hook_moved(BPoint(340, 330));
	hook_up(BPoint(340, 330));

	// Select the other object by clicking it, then click it again before any redraw came.
	hook_down(BPoint(150, 120));
	hook_up(BPoint(150, 120));
	ASSERT_EQ(sel_no, 0);
	hook_down(BPoint(150, 120));
	hook_up(BPoint(150, 120));
	EXPECT_EQ(item(0)->bounds, kFirst);
}

TEST_F(preview_view, SecondaryButtonZoomsAndLeavesSelectionAndDrag)
{
	add(kFirst);
	select(0);
	hook_down(BPoint(150, 150));
	hook_up(BPoint(150, 150));
	process_events();
	requests.values.clear();
	BRect frame = window->Frame();

	// On empty picture, where a primary press would deselect.
	click(view, BPoint(600, 400), B_SECONDARY_MOUSE_BUTTON);
	process_events();
	EXPECT_TRUE(whole_picture_in_view());
	EXPECT_EQ(sel_no, 0);
	EXPECT_EQ(view->drag_mode, kDragNone);
	EXPECT_EQ(view->press_point, BPoint(150, 150));

	// Inside the selected object, where a primary press would start a move.
	send_mouse(view, mouse_down, BPoint(200, 180), B_SECONDARY_MOUSE_BUTTON);
	EXPECT_EQ(view->drag_mode, kDragNone);
	send_mouse(view, mouse_moved, BPoint(260, 200), B_SECONDARY_MOUSE_BUTTON);
	send_mouse(view, mouse_up, BPoint(260, 200), B_SECONDARY_MOUSE_BUTTON);
	process_events();
	EXPECT_EQ(window->Frame(), frame);
	EXPECT_EQ(sel_no, 0);
	EXPECT_EQ(view->press_point, BPoint(150, 150));
	EXPECT_EQ(item(0)->bounds, kFirst);
	EXPECT_TRUE(requests.values.empty());
}

// --- Handles on the screen ------------------------------------------------------------------

TEST_F(preview_view, HandlesShowOnceAndGoWhenDrawnAgain)
{
	add(kFirst);
	post(kMsgRedraw);
	EXPECT_EQ(handles_shown(grab_view(view), kFirst), 0);

	select(0);
	EXPECT_EQ(handles_shown(grab_view(view), kFirst), 4);
	// Asked again, the view takes the old handles off before drawing them.
	post(kMsgSelect);
	EXPECT_EQ(handles_shown(grab_view(view), kFirst), 4);
	post(kMsgRedraw);
	EXPECT_EQ(handles_shown(grab_view(view), kFirst), 4);

	// Drawn over again, the inverted squares leave the picture as it was.
	view->eraseframe();
	EXPECT_EQ(differing_pixels(grab_view(view), BRect(90, 90, 310, 260)), 0);
	EXPECT_FALSE(sel_old.shown);
}

TEST_F(preview_view, DeselectingTakesTheHandlesOff)
{
	add(kFirst);
	select(0);
	select(-1);
	EXPECT_EQ(differing_pixels(grab_view(view), BRect(90, 90, 310, 260)), 0);
}

TEST_F(preview_view, OutlineAndHandlesFollowTheMouseAtOnce)
{
	add(kFirst);
	select(0);
	send_mouse(view, mouse_down, BPoint(300, 250), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(view, mouse_moved, BPoint(320, 260), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(view, mouse_moved, BPoint(340, 275), B_PRIMARY_MOUSE_BUTTON);

	// No event has run: what MouseMoved drew is on the screen already, and where the outline
	// was before the picture shows again, not yet composed anew.
	BRect dragged(100, 100, 340, 275);
	shown_picture shown = grab_view(view);
	EXPECT_TRUE(outline_shown(shown, dragged));
	EXPECT_EQ(differing_pixels(shown, BRect(296, 246, 304, 254)), 0);
	EXPECT_EQ(differing_pixels(shown, BRect(310, 110, 330, 270)), 0);
	EXPECT_EQ(item(0)->bounds, kFirst);

	// And it stays; at the release the outline goes and the handles stay.
	process_events();
	EXPECT_TRUE(outline_shown(grab_view(view), dragged));
	send_mouse(view, mouse_up, BPoint(340, 275), B_PRIMARY_MOUSE_BUTTON);
	shown = grab_view(view);
	EXPECT_EQ(handles_shown(shown, dragged), 4);
	EXPECT_FALSE(outline_shown(shown, dragged));
}

TEST_F(preview_view, HandlesSurviveScrollingAndZooming)
{
	add(kFirst);
	select(0);
	move_scroll_knob(window->scroll_v, 40);
	move_scroll_knob(window->scroll_h, 30);
	process_events();
	EXPECT_EQ(handles_shown(grab_view(view), kFirst), 4);

	// Fitted, the handles keep their size where the corners are shown.
	zoom();
	process_events();
	shown_picture with = grab_view(view);
	select(-1);
	shown_picture without = grab_view(view);
	EXPECT_EQ(handles_shown(with, view->on_screen(kFirst), &without), 4);
}

TEST_F(preview_view, EmptyDesignShowsTheTitle)
{
	BRect title(40, 20, 200, 85);
	shown_picture shown = grab_view(view);
	EXPECT_GT(differing_pixels(shown, title), 50);
	int white = 0;
	for (int y = (int)title.top; y <= (int)title.bottom; y++) {
		for (int x = (int)title.left; x <= (int)title.right; x++)
			white += shown.at(x, y) == 0xffffff;
	}
	EXPECT_GT(white, 20);

	// The design is no longer empty: the next redraw leaves the title out.
	add(BRect(400, 300, 600, 450));
	post(kMsgRedraw);
	EXPECT_EQ(differing_pixels(grab_view(view), title), 0);
}

// --- The panel's requests -------------------------------------------------------------------

TEST_F(preview_view, DrawRecomposesAndShowsTheSelection)
{
	add(kFirst);
	sel_no = 0;
	base_mode = kBaseColor;
	base_color = 0x00ff00;
	post(kMsgRedraw);

	EXPECT_EQ(picture_at(600, 450), 0x00ff00u);
	shown_picture shown = grab_view(view);
	EXPECT_EQ(shown.at(600, 450), 0x00ff00u);
	EXPECT_TRUE(sel_now.shown);
	EXPECT_EQ(sel_now.rect, kFirst);
	EXPECT_EQ(handles_shown(shown, kFirst), 4);

	sel_no = -1;
	post(kMsgRedraw);
	EXPECT_FALSE(sel_now.shown);
	EXPECT_EQ(differing_pixels(grab_view(view), BRect(90, 90, 310, 260)), 0);
}

TEST_F(preview_view, ClearEmptiesTheDesignAndRequestsNoObject)
{
	add(kFirst);
	add(kSecond);
	select(1);
	base_color = 0x123456;
	post(kMsgClear);

	EXPECT_EQ(obl.CountItems(), 0);
	EXPECT_EQ(sel_no, -1);
	EXPECT_EQ(base_color, 0x336699u);
	EXPECT_EQ(requests.values, vector<int>{-1});
}

// A file panel as the configuration panel opens it, answering to the preview view.
BFilePanel* open_file_panel(BView* target, file_panel_mode mode, uint32 what)
{
	BMessenger messenger(target);
	BMessage message(what);
	BFilePanel* panel = new BFilePanel(mode, &messenger, nullptr, 0, false, &message);
	panel->Show();
	return panel;
}

const char kDesign[] =
	"base_type\t0\n"
	"base_color\t00204060\n"
	"\n"
	"type\t10\n"
	"bounds\t120,110,420,330\n"
	"\n"
	"type\t0\n"
	"bounds\t500,300,620,400\n";

TEST_F(preview_view, OpenPanelLoadsTheChosenDesign)
{
	temp_dir dir;
	dir.write("design.tevra", kDesign);
	add(kFirst);
	fp = open_file_panel(view, B_OPEN_PANEL, kMsgLoadConfig);

	ASSERT_TRUE(choose_in_file_panel(fp, dir.file("design.tevra")));
	process_events();

	EXPECT_EQ(fp, nullptr);
	ASSERT_EQ(obl.CountItems(), 2);
	EXPECT_EQ(item(0)->bounds, BRect(120, 110, 420, 330));
	EXPECT_EQ(item(1)->bounds, BRect(500, 300, 620, 400));
	EXPECT_EQ(base_color & 0xffffff, 0x204060u);
	EXPECT_EQ(requests.values, vector<int>{-1});
}

// Writes a small PNG of one colour.
void write_png(const std::string& path, int width, int height, uint32 colour)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, width - 1, height - 1), B_RGB32);
	uint32* bits = (uint32*)bitmap->Bits();
	for (int i = 0; i < bitmap->BitsLength() / 4; i++)
		bits[i] = 0xff000000 | colour;
	BBitmapStream stream(bitmap);
	BFile file(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
	ASSERT_EQ(tr->Translate(&stream, nullptr, nullptr, &file, B_PNG_FORMAT), B_OK);
}

TEST_F(preview_view, OpenPanelLoadsTheChosenBaseImage)
{
	temp_dir dir;
	write_png(dir.file("base.png"), 64, 48, 0xc08040);
	fp = open_file_panel(view, B_OPEN_PANEL, kMsgLoadImage);

	ASSERT_TRUE(choose_in_file_panel(fp, dir.file("base.png")));
	process_events();

	EXPECT_EQ(fp, nullptr);
	ASSERT_NE(view->calview->baseimg, nullptr);
	EXPECT_EQ(view->calview->baseimg->Bounds(), BRect(0, 0, 63, 47));
	EXPECT_STREQ(baseimgpath, BPath(dir.file("base.png").c_str()).Path());
	EXPECT_EQ(requests.values, vector<int>{-1});

	// With a base image the design is not empty: the redraw shows the picture alone.
	post(kMsgRedraw);
	EXPECT_EQ(differing_pixels(grab_view(view), BRect(40, 20, 200, 85)), 0);
}

TEST_F(preview_view, SavePanelWritesADesignThatReadsBack)
{
	temp_dir dir;
	add(kFirst);
	add(BRect(500, 300, 620, 400));
	fp = open_file_panel(view, B_SAVE_PANEL, kMsgSaveConfig);

	ASSERT_TRUE(choose_in_file_panel(fp, dir.file("saved.tevra")));
	process_events();
	EXPECT_EQ(fp, nullptr);
	EXPECT_TRUE(requests.values.empty());

	view->calview->clr_obj();
	entry_ref saved(dir.file("saved.tevra").c_str());
	view->calview->load_config(&saved);
	ASSERT_EQ(obl.CountItems(), 2);
	EXPECT_EQ(item(0)->bounds, kFirst);
	EXPECT_EQ(item(1)->bounds, BRect(500, 300, 620, 400));
}

TEST_F(preview_view, CancelledPanelIsDeleted)
{
	fp = open_file_panel(view, B_OPEN_PANEL, kMsgLoadConfig);
	cancel_file_panel(fp);
	process_events();
	EXPECT_EQ(fp, nullptr);

	// A stray cancel with no panel open does nothing.
	post(B_CANCEL);
	EXPECT_EQ(fp, nullptr);
}

// --- Answers that cannot be carried out -----------------------------------------------------

TEST_F(preview_view, MissingDesignKeepsTheDesign)
{
	temp_dir dir;
	add(kFirst);
	object* kept = item(0);
	base_color = 0x123456;
	fp = open_file_panel(view, B_OPEN_PANEL, kMsgLoadConfig);

	BMessage answer(kMsgLoadConfig);
	entry_ref missing(dir.file("missing.tevra").c_str());
	answer.AddRef("refs", &missing);
	post(&answer);

	EXPECT_EQ(fp, nullptr);
	ASSERT_EQ(obl.CountItems(), 1);
	EXPECT_EQ(item(0), kept);
	EXPECT_EQ(item(0)->bounds, kFirst);
	EXPECT_EQ(base_color, 0x123456u);
	EXPECT_EQ(requests.values, vector<int>{-1});
}

TEST_F(preview_view, ImageAsADesignHasNoObjects)
{
	temp_dir dir;
	write_png(dir.file("base.png"), 16, 16, 0x000000);
	add(kFirst);
	BMessage answer(kMsgLoadConfig);
	entry_ref image(dir.file("base.png").c_str());
	answer.AddRef("refs", &image);
	post(&answer);

	EXPECT_EQ(obl.CountItems(), 0);
	EXPECT_EQ(requests.values, vector<int>{-1});
	post(kMsgRedraw);
}

struct bad_image_case {
	const char* name;
	const char* file;     // written with content unless null
	const char* content;
};

void PrintTo(const bad_image_case& c, std::ostream* os)
{
	*os << c.name;
}

class bad_image : public preview_view, public testing::WithParamInterface<bad_image_case> {
};

TEST_P(bad_image, LeavesNoBaseImage)
{
	const bad_image_case& c = GetParam();
	temp_dir dir;
	write_png(dir.file("base.png"), 8, 8, 0xffffff);
	entry_ref good(dir.file("base.png").c_str());
	view->calview->load(&good);
	ASSERT_NE(view->calview->baseimg, nullptr);
	if (c.content != nullptr)
		dir.write(c.file, c.content);
	fp = open_file_panel(view, B_OPEN_PANEL, kMsgLoadImage);

	BMessage answer(kMsgLoadImage);
	entry_ref ref(dir.file(c.file).c_str());
	answer.AddRef("refs", &ref);
	post(&answer);

	EXPECT_EQ(fp, nullptr);
	EXPECT_EQ(view->calview->baseimg, nullptr);
	EXPECT_EQ(requests.values, vector<int>{-1});
	post(kMsgRedraw);
}

INSTANTIATE_TEST_SUITE_P(preview, bad_image, testing::Values(
	bad_image_case{"missing_file", "missing.png", nullptr},
	bad_image_case{"text_file", "notes.png", "not a picture\n"},
	bad_image_case{"empty_file", "empty.png", ""}),
	case_name<bad_image_case>);

struct unwritable_case {
	const char* name;
	const char* folder; // inside the test's folder
	bool folderIsAFile;
};

void PrintTo(const unwritable_case& c, std::ostream* os)
{
	*os << c.name;
}

class unwritable : public preview_view, public testing::WithParamInterface<unwritable_case> {
};

TEST_P(unwritable, SaveWritesNothingAndClosesThePanel)
{
	const unwritable_case& c = GetParam();
	temp_dir dir;
	if (c.folderIsAFile)
		dir.write(c.folder, "a file, not a folder\n");
	add(kFirst);
	fp = open_file_panel(view, B_SAVE_PANEL, kMsgSaveConfig);

	BMessage answer(kMsgSaveConfig);
	entry_ref folder(dir.file(c.folder).c_str());
	answer.AddRef("directory", &folder);
	answer.AddString("name", "saved.tevra");
	post(&answer);

	EXPECT_EQ(fp, nullptr);
	struct stat st;
	EXPECT_NE(stat((dir.file(c.folder) + "/saved.tevra").c_str(), &st), 0);
	ASSERT_EQ(obl.CountItems(), 1);
	EXPECT_EQ(item(0)->bounds, kFirst);
	// Still answering.
	click(view, BPoint(200, 180));
	process_events();
	EXPECT_EQ(sel_no, 0);
}

INSTANTIATE_TEST_SUITE_P(preview, unwritable, testing::Values(
	unwritable_case{"missing_folder", "missing", false},
	unwritable_case{"folder_is_a_file", "plain", true}),
	case_name<unwritable_case>);

struct fieldless_case {
	const char* name;
	uint32 what;
	bool refs, directory, name_field;
};

void PrintTo(const fieldless_case& c, std::ostream* os)
{
	*os << c.name;
}

class fieldless : public preview_view, public testing::WithParamInterface<fieldless_case> {
};

TEST_P(fieldless, IsIgnored)
{
	const fieldless_case& c = GetParam();
	temp_dir dir;
	dir.write("design.tevra", kDesign);
	add(kFirst);
	object* kept = item(0);
	fp = open_file_panel(view, B_OPEN_PANEL, c.what);
	BFilePanel* panel = fp;

	BMessage answer(c.what);
	entry_ref design(dir.file("design.tevra").c_str());
	entry_ref folder(dir.path().c_str());
	if (c.refs)
		answer.AddRef("refs", &design);
	if (c.directory)
		answer.AddRef("directory", &folder);
	if (c.name_field)
		answer.AddString("name", "saved.tevra");
	post(&answer);

	EXPECT_EQ(fp, panel);
	ASSERT_EQ(obl.CountItems(), 1);
	EXPECT_EQ(item(0), kept);
	EXPECT_EQ(view->calview->baseimg, nullptr);
	EXPECT_TRUE(requests.values.empty());
	struct stat st;
	EXPECT_NE(stat(dir.file("saved.tevra").c_str(), &st), 0);
}

INSTANTIATE_TEST_SUITE_P(preview, fieldless, testing::Values(
	fieldless_case{"load_design_without_refs", kMsgLoadConfig, false, false, false},
	fieldless_case{"load_image_without_refs", kMsgLoadImage, false, false, false},
	fieldless_case{"save_without_directory", kMsgSaveConfig, false, false, true},
	fieldless_case{"save_without_name", kMsgSaveConfig, false, true, false},
	fieldless_case{"save_with_refs_instead", kMsgSaveConfig, true, false, true}),
	case_name<fieldless_case>);

}
