// The designer keeps the user's work: config mode opened on a design by its argument, edited
// with the mouse and the keyboard, undone, redone and saved with Ctrl+S.
#include "tests/config_ui/edit_session.h"

#include "tests/support/feed_server.h"
#include "tests/support/scoped_env.h"

namespace {

// One step of the session and what the design is after it.
struct step {
	const char* name;
	std::function<void()> act;
	BRect bounds;
	int32 month_size;
	bool unsaved;
};

void ctrl(BWindow* window, char key, uint32 modifiers = 0)
{
	ASSERT_TRUE(activate_window(window));
	press_key(window, key, modifiers | B_COMMAND_KEY);
	process_events(100);
}

TEST_F(edit_history_session, StepsUndoRedoAndSave)
{
	prevwindow* pwin = test_app()->pwin;
	configwindow* cwin = test_app()->cwin;
	preview* view = pwin->preview_view;
	configview* panel = cwin->panel;
	ASSERT_TRUE(wait_until([] { return obl.CountItems() == 1; })) << "the design did not open";
	const int32 size = calendar()->month_size;

	const step steps[] = {
		{"opened_by_argument", [] {}, kPlaced, size, false},
		{"press_without_moving_changes_nothing", [&] {
			click(view, BPoint(150, 150));
			click(view, BPoint(150, 150));
		}, kPlaced, size, false},
		{"drag", [&] { drag(view, BPoint(150, 150), BPoint(190, 170)); }, kDragged, size, true},
		{"undo_in_the_preview", [&] { ctrl(pwin, 'Z'); }, kPlaced, size, false},
		{"redo_with_shift", [&] { ctrl(pwin, 'Z', B_SHIFT_KEY); }, kDragged, size, true},
		{"undo_then_redo_with_y", [&] {
			ctrl(pwin, 'Z');
			ctrl(pwin, 'Y');
		}, kDragged, size, true},
		{"typed_bounds", [&] { type_text(panel->bounds, "10,20,210,170"); }, kTyped, size,
			true},
		{"ctrl_z_in_a_field_takes_back_its_typing_first", [&] {
			ASSERT_TRUE(activate_window(cwin));
			// Into the field, as a click there puts the caret.
			click_in_window(cwin, BPoint(120, 80));
			type_text(panel->bounds, "1,2,3,4", false);
			ctrl(cwin, 'Z');
			EXPECT_EQ(shown_text(panel->bounds), "10,20,210,170");
		}, kTyped, size, true},
		{"undo_in_the_panel", [&] { ctrl(cwin, 'Z'); }, kDragged, size, true},
		{"slider_sweep_is_one_step", [&] {
			drag(panel->month_size_sl, BPoint(20, 10), BPoint(60, 10));
			process_events(50);
			EXPECT_NE(calendar()->month_size, size) << "the sweep moved the size";
			ctrl(cwin, 'Z');
		}, kDragged, size, true},
		{"save", [&] { ctrl(pwin, 'S'); }, kDragged, size, false},
		{"undo_marks_then_redo_returns_to_saved", [&] {
			ctrl(pwin, 'Z');
			EXPECT_TRUE(unsaved());
			ctrl(pwin, 'Z', B_SHIFT_KEY);
		}, kDragged, size, false},
	};
	for (const step& s : steps) {
		SCOPED_TRACE(s.name);
		s.act();
		process_events(50);
		ASSERT_NE(calendar(), nullptr);
		EXPECT_EQ(calendar()->bounds, s.bounds);
		EXPECT_EQ(calendar()->month_size, s.month_size);
		EXPECT_EQ(unsaved(), s.unsaved) << title();
	}

	EXPECT_EQ(title(), "tevra preview \u2014 design.tevra");
	EXPECT_NE(view->calview->baseimg, nullptr) << "the picture beside the design was read";
	std::string saved = folder->read("design.tevra");
	EXPECT_NE(saved.find("\nbase_image\tpic.ppm\n"), std::string::npos) << saved;
	EXPECT_NE(saved.find("\nbounds\t140,120,340,270\n"), std::string::npos) << saved;
}

// A feed brought back by redo is fetched as when it was typed, in the background: the
// answer is held until the test asks the gate, which a fetch on the windows' thread would
// wait out first.
TEST_F(edit_history_session, FeedBroughtBackByRedoComesInTheBackground)
{
	temp_dir cache;
	scoped_env cacheHome("XDG_CACHE_HOME", cache.path());
	feed_server server(kOneDayFeed), gate(kOneDayFeed);
	// The first fetch fails, so that no kept copy answers for the feed later.
	server.fAnswer = feed_server::kFail;
	type_text(test_app()->cwin->panel->events_tc, server.Url("/feed.ics"));
	ASSERT_TRUE(wait_until([&] { return server.fRequests > 0; }));
	ctrl(test_app()->pwin, 'Z');
	ASSERT_TRUE(event_sources.empty());

	server.fOther = &gate;
	server.fAnswer = feed_server::kAfterOther;
	ctrl(test_app()->pwin, 'Z', B_SHIFT_KEY);
	EXPECT_EQ(event_sources, std::vector<std::string>{server.Url("/feed.ics")});
	EXPECT_FALSE(has_event(2026, 3, 12)) << "the redo waited for the feed";
	gate.fRequests++;
	EXPECT_TRUE(wait_until([] { return has_event(2026, 3, 12); }));

	ctrl(test_app()->pwin, 'Z');
}

}

int main(int argc, char** argv)
{
	return run_on_the_design(argc, argv);
}
