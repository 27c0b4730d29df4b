#include "tests/config_ui/config_fixture.h"

#include <cmath>

// The value and colour sliders in a window of their own, driven by real mouse events on
// their widgets, reporting to a view that keeps what it is sent.

namespace {

using std::vector;

class smov_target : public BView {
public:
	smov_target() : BView(BRect(0, 0, 0, 0), "target", B_FOLLOW_NONE, 0) {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what != kMsgSliderMoved) {
			BView::MessageReceived(message);
			return;
		}
		messages.push_back(*message);
	}
	vector<BMessage> messages;
};

float value_of(const BMessage& message)
{
	float value = NAN;
	message.FindFloat("value", &value);
	return value;
}

uint32 argb_of(const BMessage& message)
{
	int32 argb = 0;
	message.FindInt32("argb", &argb);
	return (uint32)argb;
}

void* source_of(const BMessage& message)
{
	void* source = nullptr;
	message.FindPointer("source", &source);
	return source;
}

class sliders : public testing::Test {
protected:
	void SetUp() override
	{
		window = new BWindow(BRect(100, 100, 499, 299), "sliders", B_TITLED_WINDOW, 0);
		// The panel's colours: the sliders take theirs from the view they sit in.
		group = new BView(BRect(0, 0, 399, 199), "group", B_FOLLOW_NONE, B_WILL_DRAW);
		window->AddChild(group);
		group->SetViewColor(200, 255, 255);
		target = new smov_target;
		window->AddChild(target);
		window->Show();
		process_events(0);
	}

	void TearDown() override
	{
		window->Quit();
		process_events(0);
	}

	slider* add_slider(BRect frame, float min = 0, float max = 50, float value = 0)
	{
		slider* control = new slider(frame, "size", nullptr, target, min, max, value);
		group->AddChild(control);
		process_events(0);
		return control;
	}

	rgbslider* add_colors(BRect frame, bool alpha, uint32 value)
	{
		rgbslider* control = new rgbslider(frame, "colour", nullptr, target, alpha, value);
		group->AddChild(control);
		process_events(0);
		return control;
	}

	// What the control has sent since the last call.
	vector<BMessage> reports()
	{
		process_events(0);
		vector<BMessage> messages;
		messages.swap(target->messages);
		return messages;
	}

	vector<float> reported_values()
	{
		vector<float> values;
		for (const BMessage& message : reports())
			values.push_back(value_of(message));
		return values;
	}

	vector<uint32> reported_colours()
	{
		vector<uint32> colours;
		for (const BMessage& message : reports())
			colours.push_back(argb_of(message));
		return colours;
	}

	BWindow* window = nullptr;
	BView* group = nullptr;
	smov_target* target = nullptr;
};

// What slidermoved turns a pointer column into, for the panel's 90 x 20 slider of 0 to 50.
float panel_value(int x)
{
	const float kw = 20.0f / 3 - 2;
	return (x - kw / 2 - 4.5f - 1) / (65.5f - kw - 2) * 50;
}

const BRect kPanelSize(10, 10, 100, 30);

// --- The value slider -----------------------------------------------------------------------

TEST_F(sliders, PanelSliderGeometry)
{
	slider* control = add_slider(kPanelSize);
	EXPECT_FLOAT_EQ(control->bar.left, 4.5f);
	EXPECT_FLOAT_EQ(control->bar.top, 20.0f / 3);
	EXPECT_FLOAT_EQ(control->bar.right, 70);
	EXPECT_FLOAT_EQ(control->bar.bottom, 40.0f / 3);
	EXPECT_NEAR(control->knob.Width(), 4.667, 0.001);
	EXPECT_FLOAT_EQ(control->knob.left, 5.5f);
	BFont font;
	control->GetFont(&font);
	EXPECT_FLOAT_EQ(font.Size(), 10);
	EXPECT_FLOAT_EQ(control->value_pos.x, 73);
	EXPECT_FLOAT_EQ(control->value_pos.y, 40.0f / 3);

	control->SetValue(50);
	EXPECT_NEAR(control->knob.left, 64.333, 0.001);
	EXPECT_TRUE(reports().empty());
}

TEST_F(sliders, CaptionMovesTheTrackRightAndDrawsLeftOfIt)
{
	static const char kCaption[] = "size";
	slider* size = new slider(kPanelSize, "size", kCaption, target, 0, 50, 0);
	rgbslider* colour = new rgbslider(BRect(10, 40, 100, 60), "colour", kCaption, target, false,
		0);
	group->AddChild(size);
	group->AddChild(colour);
	process_events(0);
	EXPECT_FLOAT_EQ(size->bar.left, 22.5f);
	EXPECT_FLOAT_EQ(colour->area.left, 22.5f);
	EXPECT_FLOAT_EQ(colour->bars[0].left, 22.5f);
	EXPECT_FLOAT_EQ(size->label_pos.x, 22.5f - size->StringWidth(kCaption) - 3);
	EXPECT_FLOAT_EQ(size->label_pos.y, 0.8f * size->bar.Height());
	// The colour slider measures its caption in the plain font's own size.
	BFont plain(be_plain_font);
	EXPECT_FLOAT_EQ(colour->label_pos.x, 22.5f - plain.StringWidth(kCaption) - 3);
	for (BView* control : {(BView*)size, (BView*)colour}) {
		shown_picture shown = grab_view(control);
		int dark = 0;
		for (int y = 0; y <= 20; y++) {
			for (int x = 0; x < 22; x++)
				dark += (shown.at(x, y) & 0xff) < 0x80;
		}
		EXPECT_GT(dark, 0) << control->Name();
	}
}

TEST_F(sliders, DrawsTrackKnobAndValue)
{
	slider* control = add_slider(kPanelSize);
	shown_picture shown = grab_view(control);
	EXPECT_EQ(shown.at(8, 10), 0xdcdcdcu) << "knob at the start";
	EXPECT_EQ(shown.at(40, 10), 0xb4b4b4u) << "track";
	EXPECT_EQ(shown.at(2, 10), 0xc8ffffu) << "the panel's colour around it";

	control->SetValue(50);
	process_events(0);
	shown = grab_view(control);
	EXPECT_EQ(shown.at(8, 10), 0xb4b4b4u);
	EXPECT_EQ(shown.at(66, 10), 0xdcdcdcu) << "knob at the end";
	// "50" in black right of the track, on the baseline at 13.3.
	int dark = 0;
	for (int y = 4; y <= 13; y++) {
		for (int x = 73; x <= 88; x++)
			dark += (shown.at(x, y) & 0xff) < 0x60;
	}
	EXPECT_GT(dark, 5);
}

struct press_case {
	const char* name;
	BPoint where;
	vector<float> reports;
};
TEVRA_PRINT_CASE(press_case)

class slider_press : public sliders, public testing::WithParamInterface<press_case> {};

TEST_P(slider_press, SetsTheValueUnderThePointer)
{
	const press_case& c = GetParam();
	slider* control = add_slider(kPanelSize, 0, 50, 25);
	send_mouse(control, mouse_down, c.where, B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_up, c.where, B_PRIMARY_MOUSE_BUTTON);
	vector<BMessage> sent = reports();
	ASSERT_EQ(sent.size(), c.reports.size());
	for (size_t i = 0; i < sent.size(); i++) {
		EXPECT_NEAR(value_of(sent[i]), c.reports[i], 1e-3);
		EXPECT_EQ(source_of(sent[i]), control);
	}
	EXPECT_NEAR(control->Value(), c.reports.empty() ? 25 : c.reports.back(), 1e-3);
}

INSTANTIATE_TEST_SUITE_P(slider, slider_press, testing::Values(
	press_case{"left_of_the_usable_track_gives_min", BPoint(5, 10), {0}},
	press_case{"right_end_of_the_track_gives_max", BPoint(70, 10), {50}},
	press_case{"middle_keeps_the_fraction", BPoint(40, 10), {panel_value(40)}},
	press_case{"above_the_track_does_nothing", BPoint(40, 5), {}},
	press_case{"right_of_the_track_does_nothing", BPoint(75, 10), {}}),
	case_name<press_case>);

TEST_F(sliders, DragReportsOnlyChanges)
{
	slider* control = add_slider(kPanelSize);
	send_mouse(control, mouse_down, BPoint(40, 10), B_PRIMARY_MOUSE_BUTTON);
	// Less than one apart: still a change.
	send_mouse(control, mouse_moved, BPoint(41, 10), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_moved, BPoint(41, 12), B_PRIMARY_MOUSE_BUTTON);
	// Beyond the end, and further: the value sits at max and nothing more is sent.
	send_mouse(control, mouse_moved, BPoint(150, 10), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_moved, BPoint(300, 40), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_moved, BPoint(-50, 10), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_moved, BPoint(-80, 10), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_up, BPoint(-80, 10), B_PRIMARY_MOUSE_BUTTON);
	// Released: hovering moves nothing.
	send_mouse(control, mouse_moved, BPoint(40, 10), 0);

	vector<float> values = reported_values();
	ASSERT_EQ(values.size(), 4u);
	EXPECT_NEAR(values[0], panel_value(40), 1e-3);
	EXPECT_NEAR(values[1], panel_value(41), 1e-3);
	EXPECT_LT(values[1] - values[0], 1);
	EXPECT_FLOAT_EQ(values[2], 50);
	EXPECT_FLOAT_EQ(values[3], 0);
}

TEST_F(sliders, PressOutsideTheTrackStartsNoDrag)
{
	slider* control = add_slider(kPanelSize);
	send_mouse(control, mouse_down, BPoint(40, 2), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_moved, BPoint(60, 10), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_up, BPoint(60, 10), B_PRIMARY_MOUSE_BUTTON);
	EXPECT_TRUE(reports().empty());
	EXPECT_FLOAT_EQ(control->Value(), 0);
}

struct set_case {
	const char* name;
	float given;
	float stored;
};
TEVRA_PRINT_CASE(set_case)

class slider_set : public sliders, public testing::WithParamInterface<set_case> {};

TEST_P(slider_set, ClampsAndSendsNothing)
{
	const set_case& c = GetParam();
	slider* control = add_slider(kPanelSize, 0, 50, 10);
	control->SetValue(c.given);
	EXPECT_FLOAT_EQ(control->Value(), c.stored);
	EXPECT_TRUE(reports().empty());
}

INSTANTIATE_TEST_SUITE_P(slider, slider_set, testing::Values(
	set_case{"75_stores_50", 75, 50},
	set_case{"minus_3_stores_0", -3, 0},
	set_case{"fraction_kept", 12.75f, 12.75f}),
	case_name<set_case>);

TEST_F(sliders, ClickOnTheLastReportedValueAfterSetValueSendsNothing)
{
	slider* control = add_slider(kPanelSize);
	click(control, BPoint(40, 10));
	ASSERT_EQ(reports().size(), 1u);

	// The panel sets another value; the slider still remembers what it reported last.
	control->SetValue(10);
	click(control, BPoint(40, 10));
	EXPECT_TRUE(reports().empty());
	EXPECT_NEAR(control->Value(), panel_value(40), 1e-3);

	click(control, BPoint(50, 10));
	EXPECT_EQ(reports().size(), 1u);
}

TEST_F(sliders, InitialValueIsNotClamped)
{
	slider* control = add_slider(kPanelSize, 0, 50, 80);
	EXPECT_FLOAT_EQ(control->Value(), 80);
	// The first press inside reports even a value equal to nothing sent before.
	click(control, BPoint(70, 10));
	EXPECT_EQ(reported_values(), vector<float>{50});
}

// --- The colour slider ----------------------------------------------------------------------

TEST_F(sliders, ColourWithoutAlphaDropsTheAlphaByte)
{
	rgbslider* control = add_colors(kPanelSize, false, 0);
	control->SetValue(0xff123456);
	EXPECT_EQ(control->Value(), 0x00123456u);
	EXPECT_TRUE(reports().empty());

	// It shows just what a slider made with the colour alone shows: 12, 34, 56 and no alpha.
	rgbslider* same = add_colors(BRect(110, 10, 200, 30), false, 0x00123456);
	rgbslider* other = add_colors(BRect(210, 10, 300, 30), false, 0x00123457);
	process_events(0);
	vector<uint32> shown = grab_view(control).pixels;
	EXPECT_EQ(shown, grab_view(same).pixels);
	EXPECT_NE(shown, grab_view(other).pixels);
}

// The digits beside the bars are tiny; the tool tip shows them legibly, kept up to date.
TEST_F(sliders, ToolTipShowsEachChannelAndTheWholeValue)
{
	rgbslider* plain = add_colors(BRect(0, 0, 99, 19), false, 0x00123456);
	rgbslider* alpha = add_colors(BRect(0, 30, 99, 49), true, 0x80ff0001);
	EXPECT_EQ(shown_tool_tip(plain, BPoint(50, 10)), "red 12 (18)\ngreen 34 (52)\nblue 56 (86)\n123456");
	EXPECT_EQ(shown_tool_tip(alpha, BPoint(50, 10)),
		"red ff (255)\ngreen 00 (0)\nblue 01 (1)\nalpha 80 (128)\n80ff0001");
	drag(plain, BPoint(50, 2), BPoint(99, 2));
	EXPECT_EQ(shown_tool_tip(plain, BPoint(50, 10)), "red ff (255)\ngreen 34 (52)\nblue 56 (86)\nff3456");
}

TEST_F(sliders, ColourDrawsBarsAndKnobs)
{
	rgbslider* control = add_colors(BRect(10, 10, 210, 70), true, 0x00000000);
	shown_picture shown = grab_view(control);
	// Bars of 15 rows each from x 10 to 140; knobs at the left end, 18 wide.
	struct {
		int y;
		uint32 bar, knob;
	} rows[] = {
		{7, 0x780000, 0xff0000},
		{22, 0x007800, 0x00ff00},
		{37, 0x000078, 0x0000ff},
		{52, 0x969696, 0xffffff},
	};
	for (auto& row : rows) {
		EXPECT_EQ(shown.at(20, row.y), row.knob) << "row " << row.y;
		EXPECT_EQ(shown.at(100, row.y), row.bar) << "row " << row.y;
	}
}

TEST_F(sliders, AlphaTextIsDrawnInTheBlueKnobsColour)
{
	rgbslider* control = add_colors(BRect(10, 10, 210, 70), true, 0x80123456);
	shown_picture shown = grab_view(control);
	auto count = [&](int top, int bottom, bool (*match)(uint32)) {
		int n = 0;
		for (int y = top; y <= bottom; y++) {
			for (int x = 143; x <= 200; x++)
				n += match(shown.at(x, y));
		}
		return n;
	};
	auto black = [](uint32 p) {
		return (p >> 16) < 0x50 && ((p >> 8) & 0xff) < 0x50 && (p & 0xff) < 0x50;
	};
	auto blue = [](uint32 p) {
		return (p >> 16) < 0x50 && ((p >> 8) & 0xff) < 0x50 && (p & 0xff) > 0xc0;
	};
	// Red text: baseline 15; alpha text: baseline 60.
	EXPECT_GT(count(1, 15, black), 5);
	EXPECT_EQ(count(1, 15, blue), 0);
	EXPECT_GT(count(46, 60, blue), 5);
	EXPECT_EQ(count(46, 60, black), 0);
}

struct colour_drag_case {
	const char* name;
	bool alpha;
	BRect frame;
	uint32 start;
	BPoint from, to;
	uint32 result;
};
TEVRA_PRINT_CASE(colour_drag_case)

class colour_drag : public sliders, public testing::WithParamInterface<colour_drag_case> {};

TEST_P(colour_drag, ReportsTheNewColourThenShowsIt)
{
	const colour_drag_case& c = GetParam();
	rgbslider* control = add_colors(c.frame, c.alpha, c.start);
	send_mouse(control, mouse_down, c.from, B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_moved, c.to, B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_up, c.to, B_PRIMARY_MOUSE_BUTTON);
	vector<BMessage> sent = reports();
	ASSERT_FALSE(sent.empty());
	EXPECT_EQ(argb_of(sent.back()), c.result);
	EXPECT_EQ(source_of(sent.back()), control);
	EXPECT_EQ(control->Value(), c.result);
	EXPECT_EQ(control->last_sent, c.result);
}

INSTANTIATE_TEST_SUITE_P(rgbslider, colour_drag, testing::Values(
	colour_drag_case{"red_fully_right", false, kPanelSize, 0x00123456, BPoint(30, 3),
		BPoint(200, 3), 0x00ff3456},
	colour_drag_case{"blue_fully_left", false, kPanelSize, 0x00123456, BPoint(30, 17),
		BPoint(-40, 17), 0x00123400},
	colour_drag_case{"red_dragged_over_the_other_bars_stays_red", false, kPanelSize,
		0x00123456, BPoint(30, 3), BPoint(200, 18), 0x00ff3456},
	colour_drag_case{"alpha_fully_left", true, kPanelSize, 0x80123456, BPoint(30, 17),
		BPoint(-100, 17), 0x00123456},
	colour_drag_case{"alpha_fully_right", true, kPanelSize, 0x00123456, BPoint(30, 17),
		BPoint(200, 17), 0xff123456},
	colour_drag_case{"press_on_the_red_green_seam_drags_green", false,
		BRect(10, 10, 100, 40), 0x00000000, BPoint(30, 10), BPoint(200, 10), 0x0000ff00},
	colour_drag_case{"press_on_the_red_green_edge_with_alpha_drags_green", true, kPanelSize,
		0x00000000, BPoint(30, 5), BPoint(200, 5), 0x0000ff00},
	colour_drag_case{"press_just_above_the_seam_drags_red", false, BRect(10, 10, 100, 40),
		0x00000000, BPoint(30, 9), BPoint(200, 9), 0x00ff0000}),
	case_name<colour_drag_case>);

TEST_F(sliders, ColourDragReportsEachChangeOnce)
{
	rgbslider* control = add_colors(kPanelSize, false, 0x00123456);
	send_mouse(control, mouse_down, BPoint(30, 3), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_moved, BPoint(30, 3), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_moved, BPoint(200, 3), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_moved, BPoint(300, 3), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_up, BPoint(300, 3), B_PRIMARY_MOUSE_BUTTON);
	send_mouse(control, mouse_moved, BPoint(10, 3), 0);
	vector<uint32> colours = reported_colours();
	ASSERT_EQ(colours.size(), 2u);
	EXPECT_EQ(colours[1], 0x00ff3456u);
	EXPECT_EQ(colours[0] & 0xff00ffffu, 0x00003456u);

	// A press outside every bar ends nothing badly and sends nothing.
	click(control, BPoint(80, 10));
	control->SetValue(0x00abcdef);
	EXPECT_TRUE(reports().empty());
}

TEST_F(sliders, ColourPressOnTheShownColourSendsNothing)
{
	rgbslider* control = add_colors(kPanelSize, false, 0x00000000);
	// Blue at the very left is already 0.
	click(control, BPoint(5, 17));
	EXPECT_TRUE(reports().empty());
	control->SetValue(0x000000ff);
	click(control, BPoint(5, 17));
	EXPECT_EQ(reported_colours(), vector<uint32>{0x00000000});
}

}
