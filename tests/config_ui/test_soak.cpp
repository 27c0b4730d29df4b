#include "tests/config_ui/config_fixture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <File.h>
#include <ScrollBar.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include "tests/support/temp_dir.h"

// Config mode under a long run of random user actions, each a real event to the real
// windows: clicks on every control, typing into every field, slider and preview drags,
// scrolling, menu commands, file panels opened, answered or cancelled. After each action and
// the messages it set going, the panel edits the very calendar the preview has selected.
// Seeded and bounded: TEVRA_SOAK_SEED repeats a run, TEVRA_SOAK_ACTIONS and
// TEVRA_SOAK_SECONDS (whichever ends first) size it; make test-sanitize runs it long.

namespace {

using std::string;

long setting(const char* name, long fallback)
{
	const char* value = getenv(name);
	return value != nullptr && value[0] != '\0' ? strtol(value, nullptr, 10) : fallback;
}

class soak : public config_mode {
protected:
	void SetUp() override
	{
		config_mode::SetUp();
		// Pictures and designs the file panels and the image field may name.
		const uint32 colours[2] = {0xc08040, 0x2040a0};
		for (int i = 0; i < 2; i++) {
			BBitmap* bitmap = new BBitmap(BRect(0, 0, 47 + 100 * i, 31 + 60 * i), B_RGB32);
			for (int y = 0; y <= bitmap->Bounds().IntegerHeight(); y++) {
				uint32* row = (uint32*)((char*)bitmap->Bits() + (size_t)y * bitmap->BytesPerRow());
				for (int x = 0; x <= bitmap->Bounds().IntegerWidth(); x++)
					row[x] = 0xff000000 | (colours[i] ^ (uint32)(x * y));
			}
			BBitmapStream stream(bitmap);
			string path = dir.file("picture" + std::to_string(i) + ".png");
			BFile file(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
			ASSERT_EQ(tr->Translate(&stream, nullptr, nullptr, &file, B_PNG_FORMAT), B_OK);
			pictures.push_back(path);
		}
		dir.write("design.tevra", "base_type\t2\nbase_image\t" + pictures[1]
			+ "\n\ntype\t0\nbounds\t40,40,200,160\n\ntype\t20\nbounds\t100,80,500,400\n");
		designs.push_back(dir.file("design.tevra"));
	}

	int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); }
	int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
	bool chance(int percent) { return pick(100) < percent; }

	void note(const string& action)
	{
		done.push_back(action);
		if (done.size() > 12)
			done.pop_front();
	}

	string recent() const
	{
		string text;
		for (const string& action : done)
			text += "\n  " + action;
		return text;
	}

	// --- The actions -------------------------------------------------------------------

	std::vector<BControl*> shown_controls(bool fields)
	{
		std::vector<BControl*> found;
		std::function<void(BView*)> walk = [&](BView* parent) {
			for (int32 i = 0; BView* child = parent->ChildAt(i); i++) {
				BControl* control = dynamic_cast<BControl*>(child);
				bool field = dynamic_cast<BTextControl*>(child) != nullptr;
				if (control != nullptr && field == fields && control->IsEnabled()
					&& visible_on_screen(control))
					found.push_back(control);
				walk(child);
			}
		};
		walk(panel);
		return found;
	}

	void click_a_control()
	{
		std::vector<BControl*> controls = shown_controls(false);
		if (controls.empty())
			return;
		BControl* control = controls[pick(controls.size())];
		// Enough calendars to reach every page; not so many that each redraw crawls.
		if (control == panel->add && obl.CountItems() >= 24)
			control = panel->del;
		note(string("click ") + control->Name());
		click_control(control);
	}

	string hex(int digits)
	{
		char text[16];
		snprintf(text, sizeof(text), "%0*x", digits,
			(unsigned)(random() & (digits == 8 ? 0xffffffffu : 0xffffffu)));
		return text;
	}

	string rect_text()
	{
		int left = between(-20, (int)scrn.right - 40), top = between(-20, (int)scrn.bottom - 40);
		return std::to_string(left) + "," + std::to_string(top) + ","
			+ std::to_string(left + between(10, 600)) + "," + std::to_string(top + between(10, 400));
	}

	void type_into_a_field()
	{
		std::vector<BControl*> fields = shown_controls(true);
		if (fields.empty())
			return;
		BTextControl* field = static_cast<BTextControl*>(fields[pick(fields.size())]);
		string text;
		if (chance(8)) {
			// What a hurried hand types: nothing, letters, a number too big.
			const char* slips[] = {"", "zz", "-", "99999999999", ",,,", "0x"};
			text = slips[pick(6)];
		} else if (field == panel->bounds || field == panel->bg_bounds_tc) {
			text = rect_text();
		} else if (field == panel->base_fn) {
			text = chance(70) ? pictures[pick(pictures.size())] : dir.file("none.png");
		} else if (field == panel->when) {
			text = std::to_string(between(-3, 3));
		} else if (field == panel->year_size || field == panel->month_size
			|| field == panel->day_size) {
			text = std::to_string(between(0, 120));
		} else {
			text = hex(field == panel->bg_col ? 8 : 6);
		}
		note(string("type '") + text + "' into " + field->Name());
		type_text(field, text);
	}

	void drag_a_slider()
	{
		std::vector<BView*> sliders;
		for (BView* view : std::initializer_list<BView*>{panel->base_col_sl, panel->scrn_col_sl,
				panel->bg_col_sl, panel->mark_col_sl, panel->year_col_sl, panel->month_col_sl,
				panel->day_col_sl, panel->sun_col_sl, panel->sat_col_sl, panel->holy_col_sl,
				panel->year_size_sl, panel->month_size_sl, panel->day_size_sl}) {
			if (visible_on_screen(view))
				sliders.push_back(view);
		}
		if (sliders.empty())
			return;
		BView* chosen = sliders[pick(sliders.size())];
		BRect knob, bar;
		if (rgbslider* colour = dynamic_cast<rgbslider*>(chosen)) {
			int which = pick(colour->has_alpha ? 4 : 3);
			knob = colour->knobs[which];
			bar = colour->bars[which];
		} else {
			slider* size = static_cast<slider*>(chosen);
			knob = size->knob;
			bar = size->bar;
		}
		BPoint from((knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2);
		BPoint to(between((int)bar.left - 10, (int)bar.right + 10), from.y + between(-3, 3));
		note(string("drag ") + chosen->Name() + " to x " + std::to_string((int)to.x));
		drag(chosen, from, to);
	}

	BPoint inside_the_view(BPoint point)
	{
		BRect shown = view->Bounds();
		point.x = std::max(shown.left, std::min(shown.right, point.x));
		point.y = std::max(shown.top, std::min(shown.bottom, point.y));
		return point;
	}

	BPoint anywhere_shown()
	{
		BRect shown = view->Bounds();
		return BPoint(between((int)shown.left, (int)shown.right),
			between((int)shown.top, (int)shown.bottom));
	}

	void use_the_preview()
	{
		int32 count = obl.CountItems();
		object* target = count > 0 ? item(pick(count)) : nullptr;
		BPoint from = anywhere_shown();
		if (target != nullptr && chance(70)) {
			BRect b = target->bounds;
			// Its middle (a move), or one of its corners (a resize), once selected.
			const BPoint grips[] = {BPoint((b.left + b.right) / 2, (b.top + b.bottom) / 2),
				b.LeftTop(), b.RightTop(), b.LeftBottom(), b.RightBottom()};
			from = inside_the_view(grips[pick(5)]);
		}
		BPoint to = chance(30) ? from : inside_the_view(BPoint(from.x + between(-150, 150),
			from.y + between(-150, 150)));
		char text[96];
		snprintf(text, sizeof(text), "preview drag %d,%d to %d,%d", (int)from.x, (int)from.y,
			(int)to.x, (int)to.y);
		note(text);
		send_mouse(view, mouse_down, from, B_PRIMARY_MOUSE_BUTTON);
		// Moves in steps, as a hand does.
		for (int step = 1; step <= 3; step++) {
			BPoint at(from.x + (to.x - from.x) * step / 3, from.y + (to.y - from.y) * step / 3);
			send_mouse(view, mouse_moved, at, B_PRIMARY_MOUSE_BUTTON);
		}
		send_mouse(view, mouse_up, to, B_PRIMARY_MOUSE_BUTTON);
	}

	void scroll_the_preview()
	{
		BScrollBar* bar = chance(50) ? pwin->scroll_v : pwin->scroll_h;
		int min = 0, max = 0, step = 0;
		shown_scroll_range(bar, &min, &max, &step);
		if (chance(50)) {
			int value = between(min, std::max(min, max));
			note("scroll to " + std::to_string(value));
			move_scroll_knob(bar, value);
		} else {
			note("scroll arrow");
			click_scroll_arrow(bar, chance(50));
		}
	}

	void choose_from_a_menu()
	{
		int which = pick(10);
		if (which < 4) {
			const char* labels[] = {"New", "Open", "Save as", "About"};
			const char* label = labels[which];
			note(string("menu ") + label);
			if (which == 3) {
				// The About box is asked for with no other alert to be taken for it.
				while (answer_an_alert())
					settle();
				alert_seen seen;
				answer_next_alert(&seen);
				choose_menu_item(file_item(label));
				for (int i = 0; i < 200 && !seen.shown; i++)
					settle();
				ASSERT_TRUE(seen.shown) << "the About box never showed";
				return;
			}
			choose_menu_item(file_item(label));
			return;
		}
		BMenuField* fields[] = {panel->year_font, panel->month_font, panel->day_font,
			panel->output_format};
		BMenuField* field = fields[which < 7 ? which - 4 : 3];
		if (!visible_on_screen(field) || field->Menu() == nullptr
			|| field->Menu()->CountItems() == 0)
			return;
		BMenuItem* chosen = field->Menu()->ItemAt(pick(field->Menu()->CountItems()));
		note(string("choose ") + chosen->Label() + " in " + field->Name());
		choose_menu_item(chosen);
	}

	void answer_a_file_panel()
	{
		std::vector<string> shown = shown_file_dialogs();
		if (shown.size() != 1)
			return;
		const string& title = shown[0];
		if (chance(60)) {
			note("cancel the " + title + " panel");
			cancel_shown_file_dialog();
			return;
		}
		string path;
		if (title == "save config") {
			path = dir.file("saved" + std::to_string(pick(3)) + ".tevra");
			designs.push_back(path);
		} else if (title == "load config") {
			path = designs[pick(designs.size())];
		} else {
			path = pictures[pick(pictures.size())];
		}
		note("answer the " + title + " panel with " + path);
		// An existing name in a save panel asks first; a fresh one each time keeps it quiet.
		if (title == "save config")
			remove(path.c_str());
		accept_shown_file_dialog(path);
	}

	// The question before discarding changes, or a notice, answered with any of its
	// buttons, as a user answers it soon; false when none shows.
	bool answer_an_alert()
	{
		const char* labels[] = {"Cancel", "Don't save", "Save"};
		const char* press = labels[pick(3)];
		alert_seen seen;
		if (!answer_shown_alert(&seen, press))
			return false;
		note("answer '" + seen.text.substr(0, seen.text.find('\n')) + "' with " + press);
		return true;
	}

	// --- What must hold after every action -----------------------------------------------

	void check_consistent()
	{
		int32 count = obl.CountItems();
		ASSERT_GE(sel_no, -1);
		ASSERT_LT(sel_no, count);
		EXPECT_EQ(panel->edit_no, sel_no) << "the panel edits another calendar than the "
			"preview selects";
		for (int32 i = 0; i < count; i++) {
			ASSERT_NE(obl.ItemAt(i), nullptr);
			for (int32 j = 0; j < i; j++)
				ASSERT_NE(obl.ItemAt(i), obl.ItemAt(j)) << "one calendar twice in the list";
		}
		EXPECT_EQ(sel_now.shown, sel_no >= 0);
		EXPECT_EQ(visible_on_screen(panel->config_item), panel->edit_no >= 0);
		EXPECT_EQ(visible_on_screen(panel->config_base), panel->edit_no < 0);
		EXPECT_TRUE(shown_file_dialogs().size() == (fp != nullptr ? 1u : 0u))
			<< "a file panel is held that is not shown, or shown and not held";
		if (panel->edit_no >= 0) {
			char label[32];
			snprintf(label, sizeof(label), "item no.%d", (int)panel->edit_no + 1);
			EXPECT_EQ(shown_caption(panel->sel_label).text.rfind(label, 0), 0u)
				<< shown_caption(panel->sel_label).text;
		}
	}

	temp_dir dir;
	std::vector<string> pictures;
	std::vector<string> designs;
	std::mt19937 random;
	std::deque<string> done;
};

TEST_F(soak, RandomActionsKeepBothWindowsOnTheSameCalendar)
{
	const unsigned seed = (unsigned)setting("TEVRA_SOAK_SEED", 20261207);
	const long actions = setting("TEVRA_SOAK_ACTIONS", 300);
	const long seconds = setting("TEVRA_SOAK_SECONDS", 600);
	random.seed(seed);
	SCOPED_TRACE("TEVRA_SOAK_SEED=" + std::to_string(seed));
	auto start = std::chrono::steady_clock::now();

	long run = 0;
	int counts[8] = {};
	for (; run < actions; run++) {
		if (std::chrono::steady_clock::now() - start > std::chrono::seconds(seconds))
			break;
		int kind = pick(100);
		// A panel left open takes its turn often, as a user answers it soon.
		if (!shown_file_dialogs().empty() && chance(40))
			kind = -1;
		if (kind >= 0 && chance(50) && answer_an_alert()) {
			counts[7]++;
		} else if (kind < 0) {
			answer_a_file_panel();
			counts[6]++;
		} else if (kind < 30) {
			click_a_control();
			counts[0]++;
		} else if (kind < 50) {
			type_into_a_field();
			counts[1]++;
		} else if (kind < 62) {
			drag_a_slider();
			counts[2]++;
		} else if (kind < 87) {
			use_the_preview();
			counts[3]++;
		} else if (kind < 92) {
			scroll_the_preview();
			counts[4]++;
		} else {
			choose_from_a_menu();
			counts[5]++;
		}
		settle();
		SCOPED_TRACE("after action " + std::to_string(run) + ", the last ones:" + recent());
		check_consistent();
		if (HasFatalFailure() || HasFailure())
			break;
	}
	if (fp != nullptr)
		cancel_shown_file_dialog();
	settle();
	printf("soak: %ld actions (seed %u): %d clicks, %d typed, %d slider drags, %d in the "
		"preview, %d scrolls, %d menu choices, %d file panels and %d alerts answered; %d "
		"calendars left\n", run, seed, counts[0], counts[1], counts[2], counts[3], counts[4],
		counts[5], counts[6], counts[7], (int)obl.CountItems());
	RecordProperty("actions", (int)run);
	EXPECT_GT(run, 0);
}

}

namespace {

class panel_extremes : public config_mode {};

// Found by fuzzing: a design may place a calendar at the edges of 32 bits, which a float
// holds only rounded past them; the panel shows what the file would say.
TEST_F(panel_extremes, BoundsAtTheEdgesOf32BitsShowAsTheFileWritesThem)
{
	int index = add_object(kTypeYear, BRect(-2147483648.0f, -2147483648.0f, 2147483647.0f,
		2147483647.0f));
	request_edit(index);
	settle();
	EXPECT_EQ(shown_text(panel->bounds), "-2147483648,-2147483648,2147483647,2147483647");
}

}
