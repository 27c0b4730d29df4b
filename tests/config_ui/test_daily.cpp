// From the menu to the desktop with no terminal: config mode under openbox on Xvfb, in a home
// of its own; a bundled example opened from File → Examples, set as wallpaper, the daily
// design opened again by a plain `tevra`, and the daily redraw by the user's service manager.
#include "tests/config_ui/config_fixture.h"

#include <cstring>
#include <filesystem>
#include <functional>

#include <QImage>

#include <Directory.h>

#include "config_ui/daily.h"
#include "model/daily_design.h"
#include "model/design_paths.h"
#include "tests/support/files.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tests/support/user_manager.h"
#include "tests/support/x_session.h"

namespace {

temp_dir* home = nullptr;
x_session* display = nullptr;
const char* skip_reason = nullptr;

std::string daily()
{
	return home->path() + "/.config/tevra/design.tevra";
}

std::string wallpaper()
{
	return home->path() + "/.local/share/tevra/wallpaper.png";
}

class daily_design : public config_mode {
protected:
	void SetUp() override
	{
		if (skip_reason != nullptr)
			GTEST_SKIP() << skip_reason;
		// Each test starts with no daily design and no picture.
		std::filesystem::remove_all(home->file(".config"));
		std::filesystem::remove_all(home->file(".local"));
		std::filesystem::remove(home->file("linked"));
		config_mode::SetUp();
	}

	BMenuItem* examples_item(const char* name)
	{
		BMenuItem* examples = file_item("Examples");
		return examples != nullptr && examples->Submenu() != nullptr
			? examples->Submenu()->FindItem(name) : nullptr;
	}

	// A menu item chosen as a click does.
	void choose(BMenuItem* item)
	{
		ASSERT_NE(item, nullptr);
		choose_menu_item(item);
		settle();
	}

	// Answers the alert once it shows, within ms, pressing its last button or the one
	// labelled press.
	bool answer(alert_seen* seen, const char* press = nullptr, int ms = 3000)
	{
		bool answered = false;
		wait_until([&] { return answered || (answered = answer_shown_alert(seen, press)); }, ms);
		settle();
		return answered;
	}

	// The alert that tells how "Set as wallpaper" went, once create mode has drawn.
	std::string outcome()
	{
		alert_seen seen;
		EXPECT_TRUE(answer(&seen, nullptr, 60000));
		return seen.text;
	}

	std::string title() const { return pwin->Title(); }
};

// The picture the desktop shows, at a few points, against the picture's own pixels.
void expect_on_the_root(const std::string& picture)
{
	QImage image(QString::fromStdString(picture));
	ASSERT_FALSE(image.isNull());
	std::vector<std::pair<int, int>> points = {{0, 0}, {200, 150}, {512, 384}, {1000, 700}};
	std::vector<unsigned long> expected;
	for (auto point : points)
		expected.push_back(image.pixel(point.first, point.second) & 0xffffff);
	EXPECT_EQ(display->root_background(points), expected);
}

TEST_F(daily_design, FromAnExampleToTheDesktop)
{
	ASSERT_FALSE(BEntry(daily().c_str()).Exists());
	std::string examples = examples_folder();
	ASSERT_EQ(examples, std::string(TEVRA_SOURCE_DIR) + "/examples");

	// The example opens as an untitled copy that names its picture where it lies.
	choose(examples_item("month-bubble"));
	EXPECT_EQ(design_path, "");
	EXPECT_EQ(title(), "tevra preview");
	EXPECT_EQ(std::string(baseimgpath), examples + "/evening.jpg");
	ASSERT_NE(obl.CountItems(), 0);

	// Set as wallpaper: saved as the daily design with its picture beside it, drawn, shown.
	choose(file_item("Set as wallpaper"));
	std::string told = outcome();
	EXPECT_NE(told.find("The desktop background is set."), std::string::npos) << told;
	std::string saved = read_file(daily());
	EXPECT_NE(saved.find("wp_autoset\ty\n"), std::string::npos) << saved;
	EXPECT_NE(saved.find("base_image\tevening.jpg\n"), std::string::npos) << saved;
	EXPECT_EQ(read_file(home->path() + "/.config/tevra/evening.jpg"),
		read_file(examples + "/evening.jpg"));
	EXPECT_EQ(title(), "tevra preview \u2014 design.tevra");
	EXPECT_EQ(shown_text(panel->base_fn), "evening.jpg") << "the page shows the saved name";
	expect_on_the_root(wallpaper());

	// The timer's run, as its unit makes it, draws the same bytes.
	run_options timer;
	timer.folder = home->path() + "/.config/tevra";
	run_result run = run_tevra({daily(), home->file("timer.png")}, timer);
	EXPECT_EQ(run.status, 0) << run.err;
	EXPECT_EQ(run.err, "");
	EXPECT_EQ(read_file(home->file("timer.png")), read_file(wallpaper()));

	// The daily design itself is set again without a question, even opened by another name
	// of the same file (a configuration folder reached through a link).
	std::filesystem::create_directory_symlink(home->file(".config"), home->file("linked"));
	setenv("XDG_CONFIG_HOME", home->file("linked").c_str(), 1);
	BMessage open(kMsgFileOpen);
	entry_ref opened(daily().c_str());
	open.AddRef("refs", &opened);
	post(&open);
	choose(file_item("Set as wallpaper"));
	told = outcome();
	unsetenv("XDG_CONFIG_HOME");
	EXPECT_NE(told.find("The desktop background is set."), std::string::npos) << told;
	EXPECT_EQ(read_file(daily()), saved);

	// Another design asks before it replaces the daily one; cancelled, nothing changes.
	post(kMsgFileNew);
	choose(file_item("Set as wallpaper"));
	alert_seen asked;
	ASSERT_TRUE(answer(&asked, "Cancel"));
	EXPECT_EQ(asked.buttons, (std::vector<std::string>{"Cancel", "Replace"}));
	EXPECT_EQ(read_file(daily()), saved);
	EXPECT_EQ(design_path, "");

	choose(file_item("Set as wallpaper"));
	ASSERT_TRUE(answer(&asked, "Replace"));
	told = outcome();
	EXPECT_NE(told.find("The desktop background is set."), std::string::npos) << told;
	EXPECT_EQ(read_file(daily()).find("base_image"), std::string::npos);
	EXPECT_EQ(design_path, daily());
}

// Whatever goes wrong is told in the one alert, and the open design stays as it was.
struct outcome_row {
	const char* name;
	std::function<void()> prepare;
	std::string told;
	bool saved;
};

TEST_F(daily_design, EveryOutcomeIsTold)
{
	const std::string program = tevra_program;
	const outcome_row rows[] = {
		{"no folder for the daily design",
			[] { home->write(".config", "a file in the way"); },
			"could not be saved as " , false},
		{"the program that draws is gone",
			[] { tevra_program = home->file("no-such-tevra"); },
			"could not be drawn", true},
		{"create mode's own line", [] { strcpy(baseimgpath, home->file("gone.jpg").c_str()); },
			"tevra: base image: " + home->file("gone.jpg") + ": ", true},
	};
	for (const outcome_row& row : rows) {
		SCOPED_TRACE(row.name);
		std::filesystem::remove_all(home->file(".config"));
		tevra_program = program;
		BMessage fresh(kMsgFileNew);
		fresh.AddBool("discard", true);
		post(&fresh);
		row.prepare();
		choose(file_item("Set as wallpaper"));
		std::string told = outcome();
		EXPECT_NE(told.find(row.told), std::string::npos) << told;
		EXPECT_EQ(BEntry(daily().c_str()).Exists(), row.saved);
		EXPECT_EQ(design_path, row.saved ? daily() : "");
	}
	tevra_program = program;
}

// The check mark as the File menu shows it when it opens.
bool shown_checked(BMenuItem* item)
{
	open_and_close_menu(item->Menu());
	EXPECT_EQ(shown_menu_item_checked(item), item->IsMarked());
	return item->IsMarked();
}

// Against the user's real service manager where one can run here, and with none at all.
TEST_F(daily_design, RedrawEveryDay)
{
	BMenuItem* redraw = file_item("Redraw every day");
	ASSERT_NE(redraw, nullptr);

	// No manager: the cron line for this session, and nothing else happens.
	setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
	choose(redraw);
	alert_seen told;
	ASSERT_TRUE(answer(&told));
	EXPECT_NE(told.text.find("crontab -e"), std::string::npos) << told.text;
	EXPECT_NE(told.text.find("0 0 * * *  DISPLAY=" + display->display() + " "),
		std::string::npos) << told.text;
	EXPECT_NE(told.text.find(" " + daily() + " " + wallpaper()), std::string::npos);
	EXPECT_FALSE(BEntry(daily().c_str()).Exists());
	EXPECT_FALSE(shown_checked(redraw));

	std::string why = user_manager::cannot_run();
	if (!why.empty())
		GTEST_SKIP() << why;
	user_manager manager;
	manager.install_tevra_units(std::getenv("TEVRA_BINARY"));
	ASSERT_TRUE(manager.start());
	setenv("DBUS_SESSION_BUS_ADDRESS", manager.bus_address().c_str(), 1);
	auto said = [&manager](const char* what) {
		std::string out = manager.systemctl({what, "tevra.timer"}).out;
		return out.substr(0, out.find('\n'));
	};

	// With no daily design it asks to set one first, then turns the timer on, handing over
	// the session's display.
	choose(redraw);
	alert_seen asked;
	ASSERT_TRUE(answer(&asked, "Set as wallpaper"));
	EXPECT_NE(asked.text.find(daily()), std::string::npos) << asked.text;
	EXPECT_NE(outcome().find("The desktop background is set."), std::string::npos);
	settle();
	EXPECT_TRUE(BEntry(daily().c_str()).Exists());
	EXPECT_EQ(said("is-enabled"), "enabled");
	EXPECT_EQ(said("is-active"), "active");
	std::string environment = manager.systemctl({"show-environment"}).out;
	EXPECT_NE(environment.find("\nDISPLAY=" + display->display() + "\n"), std::string::npos)
		<< environment;
	EXPECT_EQ(environment.find("SWAYSOCK="), std::string::npos) << "not set here, not handed";
	EXPECT_TRUE(shown_checked(redraw));

	// Chosen again, it is off; turned on behind the menu's back, the menu says so.
	choose(redraw);
	EXPECT_EQ(said("is-enabled"), "disabled");
	EXPECT_EQ(said("is-active"), "inactive");
	EXPECT_FALSE(shown_checked(redraw));
	manager.systemctl({"enable", "--now", "tevra.timer", "tevra.service"});
	EXPECT_TRUE(shown_checked(redraw));
	setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

// The examples the menu offers: installed beside the program (/usr/bin and
// /usr/share/doc/tevra/examples), or the source tree's for the program of this build.
TEST(Examples, AreFoundBesideTheProgram)
{
	temp_dir prefix;
	std::filesystem::create_directories(prefix.file("bin"));
	std::filesystem::create_directories(prefix.file("share/doc/tevra/examples"));
	prefix.write("share/doc/tevra/examples/b.tevra", "");
	prefix.write("share/doc/tevra/examples/a.tevra", "");
	prefix.write("share/doc/tevra/examples/evening.jpg", "");
	const std::string program = tevra_program;
	const struct {
		std::string program;
		std::string folder;
		std::vector<std::string> designs;
	} rows[] = {
		{prefix.file("bin/tevra"), prefix.file("share/doc/tevra/examples"),
			{prefix.file("share/doc/tevra/examples/a.tevra"),
				prefix.file("share/doc/tevra/examples/b.tevra")}},
		{program, std::string(TEVRA_SOURCE_DIR) + "/examples", {}},
		{prefix.file("elsewhere/tevra"), "", {}},
	};
	for (const auto& row : rows) {
		tevra_program = row.program;
		EXPECT_EQ(examples_folder(), row.folder) << row.program;
		if (!row.designs.empty()) {
			EXPECT_EQ(example_designs(), row.designs);
		}
	}
	tevra_program = program;
	EXPECT_EQ(example_designs().size(), 5u) << "the source tree's five";
}

// The menu's entry starts `tevra` with no argument: it opens the daily design.
TEST_F(daily_design, PlainStartOpensTheDailyDesign)
{
	create_directory((home->path() + "/.config/tevra").c_str(), 0755);
	home->write(".config/tevra/design.tevra", "base_color\t00ff8000\n");
	const std::string kTitle = "tevra preview \u2014 design.tevra";
	int x, y, width, height;
	ASSERT_FALSE(display->window_frame(kTitle, &x, &y, &width, &height));
	helper_process program({std::getenv("TEVRA_BINARY")}, 1, 0);
	EXPECT_TRUE(wait_until([&] {
		return display->window_frame(kTitle, &x, &y, &width, &height);
	}, 30000));
}

}

int main(int argc, char** argv)
{
	testing::InitGoogleTest(&argc, argv);
	if (testing::GTEST_FLAG(list_tests))
		return RUN_ALL_TESTS();
	tevra_program = std::getenv("TEVRA_BINARY");
	std::unique_ptr<x_session> session = x_session::for_tests(1024, 768, &skip_reason);
	if (session == nullptr)
		return RUN_ALL_TESTS();
	display = session.get();
	temp_dir dir;
	home = &dir;
	setenv("HOME", dir.path().c_str(), 1);
	unsetenv("XDG_CONFIG_HOME");
	unsetenv("XDG_CURRENT_DESKTOP");
	setenv("XDG_CACHE_HOME", dir.file(".cache").c_str(), 1);
	return run_tests_in_app();
}
