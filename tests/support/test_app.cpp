#include "tests/support/test_app.h"

#include <gtest/gtest.h>

#include <TranslatorRoster.h>

#include "config_ui/configwindow.h"
#include "model/design_paths.h"
#include "model/globals.h"
#include "preview_ui/prevwindow.h"

namespace {

test_tevra* the_app = nullptr;

// Every case hands the next the design path it found: loading and saving name the design,
// and the next case would read paths beside a file in a folder that is gone.
class design_path_keeper : public testing::EmptyTestEventListener {
	void OnTestStart(const testing::TestInfo&) override { fPath = design_path; }
	void OnTestEnd(const testing::TestInfo&) override { design_path = fPath; }

	std::string fPath;
};

void close_windows(test_tevra& app)
{
	while (app.CountWindows() > 0)
		app.WindowAt(app.CountWindows() - 1)->Quit();
	app.pwin = nullptr;
	app.cwin = nullptr;
}

}

test_tevra* test_app()
{
	return the_app;
}

int run_tests_in_app(const std::string& design)
{
	tr = BTranslatorRoster::Default();
	std::string argument = design;
	char arg0[] = "tevra";
	char* args[] = {arg0, &argument[0], nullptr};
	test_tevra running(design.empty() ? 1 : 2, args);
	the_app = &running;
	if (running.pwin != nullptr) {
		running.startup_window.opened = true;
		running.startup_window.shown = !running.pwin->IsHidden();
		running.startup_window.frame = running.pwin->Frame();
		running.startup_window.title = running.pwin->Title();
	}
	if (running.cwin != nullptr) {
		running.startup_config.opened = true;
		running.startup_config.shown = !running.cwin->IsHidden();
		running.startup_config.frame = running.cwin->Frame();
		running.startup_config.title = running.cwin->Title();
		running.startup_config.flags = running.cwin->Flags();
	}
	if (design.empty())
		close_windows(running);
	// Started on a design, the program opens it while the first case runs, and the cases
	// open it again themselves.
	if (design.empty())
		testing::UnitTest::GetInstance()->listeners().Append(new design_path_keeper);
	int result = RUN_ALL_TESTS();
	close_windows(running);
	the_app = nullptr;
	return result;
}
