// Config mode opened on a design closed with the question about unsaved changes: its case
// ends the program's windows, so it runs in a program of its own.
#include "tests/config_ui/edit_session.h"

namespace {

TEST_F(edit_history_session, QuestionOnCloseCancelKeepsDontSaveQuits)
{
	preview* view = test_app()->pwin->preview_view;
	ASSERT_TRUE(wait_until([] { return obl.CountItems() == 1; })) << "the design did not open";
	std::string before = folder->read("design.tevra");
	click(view, BPoint(200, 200));
	drag(view, BPoint(200, 200), BPoint(260, 230));
	process_events(50);
	ASSERT_TRUE(unsaved());

	close_window(test_app()->pwin);
	bool asked = false;
	ASSERT_TRUE(wait_until([&] { return asked || (asked = press_key_in_alert(B_ESCAPE)); }))
		<< "nothing asked";
	process_events(100);
	EXPECT_EQ(be_app->CountWindows(), 2) << "cancel keeps the program running";
	EXPECT_TRUE(unsaved());

	alert_seen seen;
	answer_next_alert(&seen, "Don't save");
	close_window(test_app()->cwin);
	EXPECT_TRUE(wait_until([] { return be_app->CountWindows() == 0; }));
	EXPECT_EQ(seen.buttons, (std::vector<std::string>{"Cancel", "Don't save", "Save"}));
	EXPECT_EQ(folder->read("design.tevra"), before) << "nothing was written";
	test_app()->pwin = nullptr;
	test_app()->cwin = nullptr;
}

}

int main(int argc, char** argv)
{
	return run_on_the_design(argc, argv);
}
