#include <gtest/gtest.h>

#include <TranslatorRoster.h>

#include "model/globals.h"
#include "config_ui/configwindow.h"
#include "preview_ui/prevwindow.h"
#include "tests/support/test_app.h"

namespace {

test_tevra* the_app = nullptr;

}

test_tevra* test_app()
{
	return the_app;
}

// Platform and system tests run inside the real application object, as the program does:
// catalogues built, screen measured, settings at their defaults.
int main(int argc, char** argv)
{
	testing::InitGoogleTest(&argc, argv);
	tr = BTranslatorRoster::Default();
	char arg0[] = "tevra";
	char* args[] = {arg0, nullptr};
	test_tevra app(1, args);
	the_app = &app;

	// Config mode opened its windows. Tests make the windows they need themselves, so that no
	// other preview draws with the shared selection state; what opened is noted.
	if (app.pwin != nullptr) {
		app.startup_window.opened = true;
		app.startup_window.shown = !app.pwin->IsHidden();
		app.startup_window.frame = app.pwin->Frame();
		app.startup_window.title = app.pwin->Title();
	}
	if (app.cwin != nullptr) {
		app.startup_config.opened = true;
		app.startup_config.shown = !app.cwin->IsHidden();
		app.startup_config.frame = app.cwin->Frame();
		app.startup_config.title = app.cwin->Title();
		app.startup_config.flags = app.cwin->Flags();
	}
	while (app.CountWindows() > 0)
		app.WindowAt(app.CountWindows() - 1)->Quit();
	app.pwin = nullptr;
	app.cwin = nullptr;

	int result = RUN_ALL_TESTS();
	the_app = nullptr;
	return result;
}
