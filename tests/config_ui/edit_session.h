#ifndef TEVRA_TEST_EDIT_SESSION_H
#define TEVRA_TEST_EDIT_SESSION_H

// Config mode opened on a design by its argument, under a real window manager (openbox on
// Xvfb), for the cases that edit it as a user does.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include <MenuBar.h>
#include <TextControl.h>
#include <Window.h>

#include "config_ui/configview.h"
#include "config_ui/configwindow.h"
#include "config_ui/slider.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/object.h"
#include "model/tevraview.h"
#include "preview_ui/preview.h"
#include "preview_ui/prevwindow.h"
#include "tests/support/design_session.h"
#include "tests/support/panel_input.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_app.h"
#include "tests/support/ui_events.h"
#include "tests/support/x_session.h"

namespace {

temp_dir* folder = nullptr;
const char* skip_reason = nullptr;

const BRect kPlaced(100, 100, 300, 250);
const BRect kDragged(140, 120, 340, 270);
const BRect kTyped(10, 20, 210, 170);

// A design beside its picture, named relatively as the README's daily set-up has it.
const char kDesign[] = "base_type\t1\nbase_image\tpic.ppm\n\ntype\t10\nbounds\t100,100,300,250\n";

object* calendar()
{
	return (object*)obl.ItemAt(0);
}

std::string title()
{
	return test_app()->pwin != nullptr ? test_app()->pwin->Title() : "";
}

bool unsaved()
{
	const std::string mark = " *";
	std::string shown = title();
	return shown.size() >= mark.size() && shown.compare(shown.size() - 2, 2, mark) == 0;
}

class edit_history_session : public testing::Test {
protected:
	void SetUp() override
	{
		if (skip_reason != nullptr)
			GTEST_SKIP() << skip_reason;
		ASSERT_NE(test_app()->pwin, nullptr) << "the windows are gone";
	}

	// The next case starts from the design as the program opened it: its file written back
	// and dropped on the preview again, the changes left unsaved dropped.
	void TearDown() override
	{
		if (skip_reason != nullptr || test_app()->pwin == nullptr)
			return;
		folder->write("design.tevra", kDesign);
		alert_seen asked;
		if (unsaved())
			answer_next_alert(&asked, "Don't save");
		ASSERT_TRUE(activate_window(test_app()->pwin));
		ASSERT_TRUE(drop_files(test_app()->pwin, BPoint(50, 50), {folder->file("design.tevra")}));
		ASSERT_TRUE(wait_until([] {
			return obl.CountItems() == 1 && calendar()->bounds == kPlaced && !unsaved();
		})) << "the design did not open again";
	}
};

}

// The design beside a small picture in a format Qt's own plugin reads.
inline int run_on_the_design(int argc, char** argv)
{
	return run_on_a_design(argc, argv, &folder, &skip_reason,
		{{"design.tevra", kDesign}, {"pic.ppm", "P6\n2 2\n255\n" + std::string(12, '\x40')}});
}

#endif
