#include "tests/config_ui/config_fixture.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <Bitmap.h>

#include "model/today.h"
#include "tests/support/pictures.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

// One session of config mode from start to finish, as a user would have it: a design built
// in the panel and the preview with the mouse and the keyboard, saved through the save
// panel, turned into a picture by create mode, cleared and opened again.

namespace {

using std::string;

// Create mode, on an offscreen screen of the size this test's screen has.
run_result run_create_mode(const temp_dir& dir, const string& design, const string& picture)
{
	char screen[512];
	snprintf(screen, sizeof(screen), "{\"screens\": [{\"name\": \"test\", \"x\": 0, \"y\": 0,"
		" \"width\": %d, \"height\": %d, \"logicalDpi\": 96, \"logicalBaseDpi\": 96,"
		" \"dpr\": 1}]}\n", scrn.IntegerWidth() + 1, scrn.IntegerHeight() + 1);
	dir.write("screen.json", screen);
	run_options options;
	options.environment = {"-DISPLAY", "-WAYLAND_DISPLAY",
		"QT_QPA_PLATFORM=offscreen:configfile=" + dir.file("screen.json")};
	return run_tevra({design, picture}, options);
}

// How many pixels two pictures of the screen's size differ in.
int differing(const BBitmap* a, const BBitmap* b)
{
	int count = 0;
	for (int y = 0; y <= scrn.IntegerHeight(); y++) {
		for (int x = 0; x <= scrn.IntegerWidth(); x++)
			count += pixel_of(a, x, y) != pixel_of(b, x, y);
	}
	return count;
}

// The first output format written without loss that is not the one chosen now.
int32 lossless_format()
{
	const char* wanted[] = {"image/bmp", "image/x-bmp", "image/tiff", "image/png"};
	for (const char* mime : wanted) {
		for (int32 i = 0; i < xlt.CountItems(); i++) {
			if (i != outfmt && strcmp(((format_item*)xlt.ItemAt(i))->mime, mime) == 0)
				return i;
		}
	}
	return -1;
}

bool contains(const string& text, const string& part)
{
	return text.find(part) != string::npos;
}

class session : public config_mode {
protected:
	void SetUp() override
	{
		// Create mode reads today from the clock: the preview must draw the same day.
		fToday[0] = now_y;
		fToday[1] = now_m;
		fToday[2] = now_d;
		fToday[3] = now_w;
		read_today();
		config_mode::SetUp();
	}

	void TearDown() override
	{
		config_mode::TearDown();
		now_y = fToday[0];
		now_m = fToday[1];
		now_d = fToday[2];
		now_w = fToday[3];
	}

	// What the preview window shows at a point of the picture.
	uint32 shown_at(BPoint where) { return grab_view(view).at(where.x, where.y); }

private:
	int32 fToday[4];
};

TEST_F(session, BuildSaveCreateClearAndOpenAgain)
{
	temp_dir dir;
	const BPoint kEmpty(5, 5);

	// The base: one colour, typed, then its red knob dragged to the end.
	click_control(panel->mono);
	type_text(panel->base_col, "204060");
	settle();
	EXPECT_EQ(shown_at(kEmpty), 0x204060u);
	drag(panel->base_col_sl, BPoint(100, 3), BPoint(400, 3));
	settle();
	EXPECT_EQ(base_color, 0x00ff4060u);
	EXPECT_EQ(shown_text(panel->base_col), "ff4060");
	EXPECT_EQ(shown_at(kEmpty), 0xff4060u) << "the preview shows the dragged colour";

	// A month calendar, its colours typed and dragged.
	click_control(panel->add);
	settle();
	ASSERT_EQ(obl.CountItems(), 1);
	object* month = item(0);
	ASSERT_EQ(month->type, kTypeMonth);
	ASSERT_EQ(panel->edit_no, 0);
	ASSERT_EQ(sel_no, 0);
	type_text(panel->day_col, "102030");
	type_text(panel->sun_col, "00ff00");
	settle();
	drag(panel->month_col_sl, BPoint(30, 17), BPoint(300, 17));
	settle();
	EXPECT_EQ(month->day_color, 0x00102030u);
	EXPECT_EQ(month->sun_color, 0x0000ff00u);
	EXPECT_EQ(month->month_color, 0x000000ffu);
	EXPECT_EQ(shown_text(panel->month_col), "0000ff");

	// Dragged in the preview, the calendar's new place shows in the bounds field.
	BRect before = month->bounds;
	drag(view, BPoint(before.left + 50, before.top + 50),
		BPoint(before.left + 10, before.top + 30));
	settle();
	BRect moved((int)(before.left - 40), (int)(before.top - 20), (int)(before.right - 40),
		(int)(before.bottom - 20));
	EXPECT_EQ(month->bounds, moved);
	char boundsText[64];
	snprintf(boundsText, sizeof(boundsText), "%d,%d,%d,%d", (int)moved.left, (int)moved.top,
		(int)moved.right, (int)moved.bottom);
	EXPECT_EQ(shown_text(panel->bounds), boundsText);
	EXPECT_EQ(panel->edit_no, 0);

	// The output format, from the base page's menu.
	click_control(panel->back);
	settle();
	ASSERT_EQ(panel->edit_no, -1);
	int32 format = lossless_format();
	ASSERT_GE(format, 0);
	choose_menu_item(panel->output_format->Menu()->ItemAt(format));
	settle();
	ASSERT_EQ(outfmt, format);
	const char* mime = ((format_item*)xlt.ItemAt(format))->mime;

	// Saved through the save panel.
	choose_menu_item(file_item("Save as"));
	settle();
	ASSERT_EQ(shown_file_dialogs(), std::vector<string>{"save config"});
	ASSERT_TRUE(accept_shown_file_dialog(dir.file("design.tevra")));
	settle();
	EXPECT_EQ(fp, nullptr);
	string saved = dir.read("design.tevra");
	EXPECT_TRUE(contains(saved, "base_type\t0\n")) << saved;
	EXPECT_TRUE(contains(saved, "base_color\t00ff4060\n")) << saved;
	EXPECT_TRUE(contains(saved, string("out_format\t") + mime + "\n")) << saved;
	EXPECT_TRUE(contains(saved, "month_color\t000000ff\n")) << saved;
	EXPECT_TRUE(contains(saved, "sun_color\t0000ff00\n")) << saved;
	EXPECT_TRUE(contains(saved, string("bounds\t") + boundsText + "\n")) << saved;

	// Create mode makes from the file the very picture the preview shows.
	run_result ran = run_create_mode(dir, dir.file("design.tevra"), dir.file("wall"));
	ASSERT_EQ(ran.status, 0) << ran.out << ran.err;
	std::unique_ptr<BBitmap> created(decode_file(dir.file("wall")));
	ASSERT_NE(created, nullptr);
	ASSERT_EQ(created->Bounds(), scrn);
	std::unique_ptr<BBitmap> composed(new BBitmap(view->calview->wallbmp));
	EXPECT_EQ(differing(created.get(), composed.get()), 0);

	// New clears both windows.
	choose_menu_item(file_item("New"));
	settle();
	EXPECT_EQ(obl.CountItems(), 0);
	EXPECT_EQ(base_color, 0x336699u);
	EXPECT_EQ(panel->edit_no, -1);
	EXPECT_EQ(sel_no, -1);
	EXPECT_EQ(shown_text(panel->base_col), "336699");
	EXPECT_EQ(pixel_of(view->calview->wallbmp, 700, 500), 0x336699u);

	// Open brings the design back into both.
	choose_menu_item(file_item("Open"));
	settle();
	ASSERT_EQ(shown_file_dialogs(), std::vector<string>{"load config"});
	ASSERT_TRUE(accept_shown_file_dialog(dir.file("design.tevra")));
	settle();
	EXPECT_EQ(fp, nullptr);
	ASSERT_EQ(obl.CountItems(), 1);
	EXPECT_EQ(panel->edit_no, -1);
	EXPECT_EQ(shown_text(panel->base_col), "ff4060");
	EXPECT_EQ(outfmt, format);
	EXPECT_EQ(shown_menu_label(panel->output_format), mime);
	EXPECT_EQ(differing(created.get(), view->calview->wallbmp), 0);
	EXPECT_EQ(shown_at(kEmpty), 0xff4060u);

	click_control(panel->next);
	settle();
	EXPECT_EQ(sel_no, 0);
	EXPECT_EQ(shown_text(panel->bounds), boundsText);
	EXPECT_EQ(shown_text(panel->month_col), "0000ff");
	EXPECT_EQ(panel->month_col_sl->Value(), 0x000000ffu);
}

}
