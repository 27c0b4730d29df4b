// Each desktop the bridge applies a background to, against its real parts where they can run
// here: GNOME's settings through gsettings (a key file, and dconf-service on a private bus),
// Xfce's xfconfd on a private bus, sway on its headless backend and swaybg captured with grim,
// pcmanfm-qt and pcmanfm drawing an Xvfb desktop, and a bare X server under Xvfb, read back
// through its properties and pixels. plasmashell is too large to start here: a recording
// stand-in answers on a private bus, and a stand-in swaymsg gives sway's refusal.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <QColor>
#include <QImage>

#include <Message.h>
#include <Messenger.h>
#include <Node.h>
#include <Screen.h>

#include "platform/desktop/desktop_bridge.h"
#include "platform/desktop/run_command.h"
#include "tests/platform/desktop_support.h"

// Xlib's macros come last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

using namespace desktop_test;

namespace {

const rgb_color kColour = {0x33, 0x66, 0x99, 255};

// A home, cache and runtime folder of the test's own, no desktop unless a test names one, and
// the bridge's limits short enough for tests.
class backend_test : public testing::Test {
protected:
	void SetUp() override
	{
		fEnv.no_desktop();
		fEnv.set("HOME", fHome.path());
		fEnv.unset("XDG_CONFIG_HOME");
		fEnv.set("XDG_CACHE_HOME", fHome.file("cache"));
		fEnv.set("XDG_RUNTIME_DIR", fHome.path());
		fSavedLimits = desktop::g_limits;
		desktop::g_limits.detach_wait_ms = 200;
		fHome.write("wall.png", "the first picture");
	}
	void TearDown() override { desktop::g_limits = fSavedLimits; }

	desktop::background picture_and_colour() const
	{
		desktop::background what;
		what.picture = fHome.file("wall.png");
		what.has_color = true;
		what.color = kColour;
		return what;
	}

	// Today's picture replaces yesterday's under the same path, as create mode writes it.
	void rewrite_picture(const std::string& content)
	{
		fHome.write("next.png", content);
		ASSERT_EQ(rename(fHome.file("next.png").c_str(), fHome.file("wall.png").c_str()), 0);
	}

	std::string fresh_folder() const { return fHome.file("cache/tevra/backgrounds"); }
	std::vector<std::string> fresh_pictures() const
	{
		std::vector<std::string> names;
		if (DIR* dir = opendir(fresh_folder().c_str())) {
			while (struct dirent* entry = readdir(dir)) {
				if (entry->d_name[0] != '.')
					names.push_back(fresh_folder() + "/" + entry->d_name);
			}
			closedir(dir);
		}
		return names;
	}

	temp_dir fHome;
	scoped_env fEnv;
	desktop::limits fSavedLimits;
};

ino_t inode(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// --- GNOME: the real gsettings, writing a key file of the test's own.

class Gnome : public backend_test {
protected:
	void SetUp() override
	{
		backend_test::SetUp();
		if (!on_path("gsettings"))
			GTEST_SKIP() << "gsettings is not installed (scripts/install-deps test installs it)";
		fEnv.set("GSETTINGS_BACKEND", "keyfile");
		fEnv.set("XDG_CONFIG_HOME", fHome.file("config"));
	}

	std::map<std::string, std::string> background_keys() const
	{
		std::map<std::string, std::string> keys;
		std::istringstream in(read_file(fHome.file("config/glib-2.0/settings/keyfile")));
		bool inside = false;
		for (std::string line; std::getline(in, line);) {
			if (!line.empty() && line[0] == '[')
				inside = line == "[org/gnome/desktop/background]";
			else if (inside && line.find('=') != std::string::npos)
				keys[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
		}
		return keys;
	}
};

TEST_F(Gnome, CentredPictureForBothStylesAndSolidColour)
{
	ASSERT_EQ(desktop::apply_background(desktop::k_gnome, picture_and_colour()), "");
	std::vector<std::string> fresh = fresh_pictures();
	ASSERT_EQ(fresh.size(), 1u);
	EXPECT_EQ(inode(fresh[0]), inode(fHome.file("wall.png"))) << "a link, not a copy";

	std::map<std::string, std::string> keys = background_keys();
	const std::string uri = "'" + desktop::file_uri(fresh[0]) + "'";
	EXPECT_EQ(keys["picture-uri"], uri);
	EXPECT_EQ(keys["picture-uri-dark"], uri);
	EXPECT_EQ(keys["picture-options"], "'centered'");
	EXPECT_EQ(keys["primary-color"], "'#336699'");
	EXPECT_EQ(keys["color-shading-type"], "'solid'");
}

TEST_F(Gnome, SamePathNextDayGivesANewUriAndDropsTheOldLink)
{
	ASSERT_EQ(desktop::apply_background(desktop::k_gnome, picture_and_colour()), "");
	std::string first = background_keys()["picture-uri"];
	std::vector<std::string> before = fresh_pictures();
	ASSERT_EQ(before.size(), 1u);

	rewrite_picture("the second picture");
	ASSERT_EQ(desktop::apply_background(desktop::k_gnome, picture_and_colour()), "");
	std::vector<std::string> after = fresh_pictures();
	ASSERT_EQ(after.size(), 2u) << "the one before stays a while";
	std::string second = after[0] == before[0] ? after[1] : after[0];
	EXPECT_NE(background_keys()["picture-uri"], first);
	EXPECT_EQ(background_keys()["picture-uri"], "'" + desktop::file_uri(second) + "'");
	EXPECT_EQ(read_file(second), "the second picture");
}

// GNOME's own store: dconf-service on a bus of the test's own, read back with dconf. Without a
// reachable bus gsettings only warns and ends with status 0; the bridge reads back and says so.
struct dconf_row {
	const char* name;
	bool reachable;
	const char* why; // part of the answer; "" when applied
};

void PrintTo(const dconf_row& row, std::ostream* out)
{
	*out << row.name;
}

class GnomeDconf : public backend_test, public testing::WithParamInterface<dconf_row> {
protected:
	void SetUp() override
	{
		backend_test::SetUp();
		if (!on_path("gsettings") || !on_path("dconf") || !on_path("dbus-daemon"))
			GTEST_SKIP() << "gsettings, dconf or dbus-daemon is not installed "
				"(scripts/install-deps test installs them)";
		fEnv.set("GSETTINGS_BACKEND", "dconf");
		fEnv.set("XDG_CONFIG_HOME", fHome.file("config"));
		fBus.reset(new private_bus(&fEnv));
		ASSERT_TRUE(fBus->running()) << "dbus-daemon did not start";
		if (!fBus->start_service("ca.desrt.dconf"))
			GTEST_SKIP() << "dconf-service could not be started on a private bus "
				"(is dconf-service installed?)";
	}
	void TearDown() override
	{
		fBus.reset();
		backend_test::TearDown();
	}

	std::string key(const std::string& name) const
	{
		run_result r = run_program({"dconf", "read", "/org/gnome/desktop/background/" + name});
		return r.out.substr(0, r.out.find('\n'));
	}

	std::unique_ptr<private_bus> fBus;
};

TEST_P(GnomeDconf, ValuesAreReadBack)
{
	if (!GetParam().reachable)
		fEnv.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + fHome.file("no-bus"));
	std::string why = desktop::apply_background(desktop::k_gnome, picture_and_colour());
	std::vector<std::string> fresh = fresh_pictures();
	if (GetParam().reachable) {
		EXPECT_EQ(why, "");
		ASSERT_EQ(fresh.size(), 1u);
		EXPECT_EQ(key("picture-uri"), "'" + desktop::file_uri(fresh[0]) + "'");
		EXPECT_EQ(key("picture-options"), "'centered'");
		EXPECT_EQ(key("primary-color"), "'#336699'");
	} else {
		EXPECT_NE(why.find(GetParam().why), std::string::npos) << why;
		EXPECT_EQ(why.find('\n'), std::string::npos) << why;
		EXPECT_EQ(key("picture-uri"), "") << "nothing reached the store";
		EXPECT_TRUE(fresh.empty());
	}
}

INSTANTIATE_TEST_SUITE_P(Bus, GnomeDconf, testing::Values(
		dconf_row{"Reachable", true, ""},
		dconf_row{"Unreachable", false,
			"gsettings did not keep org.gnome.desktop.background picture-options"}),
	[](const testing::TestParamInfo<dconf_row>& info) { return std::string(info.param.name); });

TEST_F(Gnome, MissingSchemaIsNamedAndLeavesNoLink)
{
	// Cinnamon's schema is not installed here: gsettings itself says so.
	std::string why = desktop::apply_background(desktop::k_cinnamon, picture_and_colour());
	EXPECT_NE(why.find("gsettings failed"), std::string::npos) << why;
	EXPECT_NE(why.find("org.cinnamon.desktop.background"), std::string::npos) << why;
	EXPECT_TRUE(fresh_pictures().empty());
}

// --- Plasma: evaluateScript on a private session bus, answered by a recording stand-in.

class Plasma : public backend_test {
protected:
	void SetUp() override
	{
		backend_test::SetUp();
		if (!on_path("dbus-daemon"))
			GTEST_SKIP() << "dbus-daemon is not installed (scripts/install-deps test installs it)";
		fBus.reset(new helper_process({"dbus-daemon", "--session", "--nofork",
			"--print-address=1"}));
		ASSERT_EQ(fBus->first_line().rfind("unix:", 0), 0u) << fBus->first_line();
		fEnv.set("DBUS_SESSION_BUS_ADDRESS", fBus->first_line());
	}
	void TearDown() override
	{
		fShell.reset();
		fBus.reset();
		backend_test::TearDown();
	}

	void start_plasmashell()
	{
		fShell.reset(new helper_process({PLASMASHELL_STAND_IN, fHome.file("scripts")}));
		ASSERT_EQ(fShell->first_line(), "ready");
	}
	std::string scripts() const { return read_file(fHome.file("scripts")); }

	std::unique_ptr<helper_process> fBus, fShell;
};

struct plasma_row {
	const char* name;
	bool only_gdbus; // dbus-send is missing; GLib's tool calls
};

void PrintTo(const plasma_row& row, std::ostream* out)
{
	*out << row.name;
}

class PlasmaTools : public Plasma, public testing::WithParamInterface<plasma_row> {};

TEST_P(PlasmaTools, EveryDesktopGetsTheCentredImageAndColour)
{
	std::unique_ptr<stand_ins> bin;
	if (GetParam().only_gdbus) {
		ASSERT_TRUE(on_path("gdbus"));
		bin.reset(new stand_ins(&fEnv, false));
		bin->link("gdbus", "/usr/bin/gdbus");
	}
	start_plasmashell();
	ASSERT_EQ(desktop::apply_background(desktop::k_kde, picture_and_colour()), "");
	std::vector<std::string> fresh = fresh_pictures();
	ASSERT_EQ(fresh.size(), 1u);

	std::string got = scripts();
	EXPECT_EQ(got.find("--- end of script ---"), got.rfind("--- end of script ---"))
		<< "one script";
	for (const std::string& part : {std::string("var all = desktops();"),
			std::string("d.wallpaperPlugin = \"org.kde.image\";"),
			std::string("d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];"),
			"d.writeConfig(\"Image\", \"" + desktop::file_uri(fresh[0]) + "\");",
			std::string("d.writeConfig(\"FillMode\", 6);"),
			std::string("d.writeConfig(\"Color\", \"#336699\");")})
		EXPECT_NE(got.find(part), std::string::npos) << part << "\nin:\n" << got;
}

INSTANTIATE_TEST_SUITE_P(Tools, PlasmaTools, testing::Values(plasma_row{"DbusSend", false},
		plasma_row{"GdbusWithoutDbusSend", true}),
	[](const testing::TestParamInfo<plasma_row>& info) { return std::string(info.param.name); });

TEST_F(Plasma, NoPlasmashellOnTheBusIsNamed)
{
	std::string why = desktop::apply_background(desktop::k_kde, picture_and_colour());
	EXPECT_NE(why.find("dbus-send failed"), std::string::npos) << why;
	EXPECT_NE(why.find("org.kde.plasmashell"), std::string::npos) << why;
	EXPECT_TRUE(fresh_pictures().empty()) << "the desktop did not take it";
}

// --- Xfce: every monitor's and workspace's backdrop, through xfconf-query to the real xfconfd
// on a bus of the test's own, read back from it.

class Xfce : public backend_test {
protected:
	void SetUp() override
	{
		backend_test::SetUp();
		if (!on_path("xfconf-query") || !on_path("dbus-daemon"))
			GTEST_SKIP() << "xfconf-query or dbus-daemon is not installed "
				"(scripts/install-deps test installs them)";
		fEnv.set("XDG_CONFIG_HOME", fHome.file("config"));
		fBus.reset(new private_bus(&fEnv));
		ASSERT_TRUE(fBus->running()) << "dbus-daemon did not start";
		if (!fBus->start_service("org.xfce.Xfconf"))
			GTEST_SKIP() << "xfconfd could not be started on a private bus (is xfconf installed?)";
	}
	void TearDown() override
	{
		fBus.reset();
		backend_test::TearDown();
	}

	// What xfdesktop leaves on its first start.
	void create(const std::string& property, const std::vector<std::string>& typedValue)
	{
		std::vector<std::string> argv = {"xfconf-query", "-c", "xfce4-desktop", "-p", property,
			"-n"};
		argv.insert(argv.end(), typedValue.begin(), typedValue.end());
		ASSERT_EQ(run_program(argv).status, 0) << property;
	}
	std::string property(const std::string& name) const
	{
		return run_program({"xfconf-query", "-c", "xfce4-desktop", "-p", name}).out;
	}

	std::unique_ptr<private_bus> fBus;
};

TEST_F(Xfce, EveryBackdropGetsTheCentredImageAndSolidColour)
{
	const std::vector<std::string> bases = {"/backdrop/screen0/monitorVirtual-1/workspace0",
		"/backdrop/screen0/monitorVirtual-1/workspace1",
		"/backdrop/screen0/monitorHDMI-1/workspace0"};
	for (const std::string& base : bases)
		create(base + "/last-image", {"-t", "string", "-s", "/usr/share/backgrounds/old.png"});
	create(bases[0] + "/color-style", {"-t", "int", "-s", "2"});
	create("/backdrop/single-workspace-mode", {"-t", "bool", "-s", "true"});
	create("/desktop-icons/style", {"-t", "int", "-s", "2"});
	ASSERT_EQ(desktop::apply_background(desktop::k_xfce, picture_and_colour()), "");
	std::vector<std::string> fresh = fresh_pictures();
	ASSERT_EQ(fresh.size(), 1u);

	for (const std::string& base : bases) {
		EXPECT_EQ(property(base + "/last-image"), fresh[0] + "\n") << base;
		EXPECT_EQ(property(base + "/image-style"), "1\n") << base;
		EXPECT_EQ(property(base + "/color-style"), "0\n") << base;
		std::string rgba = property(base + "/rgba1");
		EXPECT_NE(rgba.find("\n0.200000\n0.400000\n0.600000\n1.000000"), std::string::npos)
			<< base << ": " << rgba;
	}
	EXPECT_EQ(property("/desktop-icons/style"), "2\n") << "other settings stay";
}

TEST_F(Xfce, NoBackdropsYetIsNamed)
{
	create("/desktop-icons/style", {"-t", "int", "-s", "2"});
	std::string why = desktop::apply_background(desktop::k_xfce, picture_and_colour());
	EXPECT_NE(why.find("no backdrop settings"), std::string::npos) << why;
	EXPECT_TRUE(fresh_pictures().empty());
}

// --- sway: one command to every output.

struct sway_row {
	const char* name;
	const char* stand_in; // what the stand-in does after recording
	const char* why;      // "" when applied
};

void PrintTo(const sway_row& row, std::ostream* out)
{
	*out << row.name;
}

class Sway : public backend_test, public testing::WithParamInterface<sway_row> {};

TEST_P(Sway, OutputCommandWithQuotedPathAndColour)
{
	stand_ins bin(&fEnv);
	bin.add("swaymsg", GetParam().stand_in);
	std::string why = desktop::apply_background(desktop::k_sway, picture_and_colour());
	EXPECT_EQ(why, GetParam().why);
	std::vector<std::vector<std::string>> calls = bin.calls("swaymsg");
	ASSERT_EQ(calls.size(), 1u);
	ASSERT_EQ(calls[0].size(), 6u);
	EXPECT_EQ(std::vector<std::string>(calls[0].begin(), calls[0].begin() + 3),
		(std::vector<std::string>{"output", "*", "bg"}));
	std::string path = calls[0][3];
	ASSERT_GE(path.size(), 4u);
	EXPECT_EQ(path.substr(0, 2) + path.substr(path.size() - 2), "\"''\"");
	path = path.substr(2, path.size() - 4);
	EXPECT_EQ(path.rfind(fresh_folder() + "/wall-", 0), 0u) << path;
	EXPECT_EQ(calls[0][4], "center");
	EXPECT_EQ(calls[0][5], "#336699");
	// A fresh picture stays only while the desktop shows it.
	EXPECT_EQ(fresh_pictures().size(), std::string(GetParam().why).empty() ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Answers, Sway, testing::Values(
		sway_row{"Applied", "echo '[ { \"success\": true } ]'\n", ""},
		sway_row{"Refused", "echo 'Error: Invalid output *' >&2; exit 2\n",
			"swaymsg failed (status 2): Error: Invalid output *"}),
	[](const testing::TestParamInfo<sway_row>& info) { return std::string(info.param.name); });

// --- Other Wayland compositors: a swaybg of our own, replacing the one started before.

class Swaybg : public backend_test {
protected:
	pid_t recorded_pid() const { return atoi(read_file(fHome.file("tevra-swaybg.pid")).c_str()); }
};

TEST_F(Swaybg, NewDrawerReplacesTheOneBefore)
{
	stand_ins bin(&fEnv);
	bin.add("swaybg", "trap 'exit 0' TERM\nwhile :; do sleep 1; done\n");
	ASSERT_EQ(desktop::apply_background(desktop::k_wayland, picture_and_colour()), "");
	pid_t first = recorded_pid();
	ASSERT_GT(first, 0);
	EXPECT_FALSE(process_gone(first));
	std::vector<std::string> fresh = fresh_pictures();
	ASSERT_EQ(fresh.size(), 1u);
	EXPECT_EQ(bin.calls("swaybg"), (std::vector<std::vector<std::string>>{
		{"-i", fresh[0], "-m", "center", "-c", "#336699"}}));

	rewrite_picture("the second picture");
	ASSERT_EQ(desktop::apply_background(desktop::k_wayland, picture_and_colour()), "");
	pid_t second = recorded_pid();
	EXPECT_NE(second, first);
	EXPECT_TRUE(eventually([&] { return process_gone(first); })) << "the earlier drawer stops";
	EXPECT_FALSE(process_gone(second));
	EXPECT_EQ(bin.calls("swaybg").size(), 2u);
	kill(-second, SIGTERM);
	waitpid(second, nullptr, 0);
	waitpid(first, nullptr, WNOHANG);
}

// A drawer that ends in its first seconds drew nothing that stays.
struct swaybg_failure_row {
	const char* name;
	const char* body;
};

void PrintTo(const swaybg_failure_row& row, std::ostream* out)
{
	*out << row.name;
}

class SwaybgFailure : public Swaybg, public testing::WithParamInterface<swaybg_failure_row> {};

TEST_P(SwaybgFailure, IsReported)
{
	stand_ins bin(&fEnv);
	bin.add("swaybg", GetParam().body);
	desktop::g_limits.detach_wait_ms = fSavedLimits.detach_wait_ms;
	std::string why = desktop::apply_background(desktop::k_wayland, picture_and_colour());
	EXPECT_EQ(why, "swaybg ended at once (status 1)");
	EXPECT_TRUE(fresh_pictures().empty());
}

INSTANTIATE_TEST_SUITE_P(Drawers, SwaybgFailure, testing::Values(
		swaybg_failure_row{"AtOnce", "exit 1\n"},
		swaybg_failure_row{"AfterASecond", "sleep 1\nexit 1\n"}),
	[](const testing::TestParamInfo<swaybg_failure_row>& info) { return info.param.name; });

// A kiosk compositor (cage) offers no layer-shell: the line says so, not only that swaybg ended.
TEST_F(Swaybg, CompositorWithoutLayerShellIsNamed)
{
	if (!on_path("cage") || !on_path("Xwayland"))
		GTEST_SKIP() << "cage or Xwayland is not installed (scripts/install-deps installs them)";
	std::string runtime = fHome.file("cage");
	mkdir(runtime.c_str(), 0700);
	std::vector<std::string> argv = {"cage", "--", "sh", "-c",
		"echo \"$WAYLAND_DISPLAY\" >&3; exec sleep 60"};
	if (geteuid() == 0) {
		// cage, like sway, will not run as root.
		struct passwd* user = getpwnam("nobody");
		ASSERT_NE(user, nullptr);
		ASSERT_EQ(chown(runtime.c_str(), user->pw_uid, user->pw_gid), 0);
		chmod(fHome.path().c_str(), 0755);
		argv.insert(argv.begin(), {"setpriv", "--reuid=" + std::to_string(user->pw_uid),
			"--regid=" + std::to_string(user->pw_gid), "--clear-groups", "--"});
	}
	fEnv.set("XDG_RUNTIME_DIR", runtime);
	fEnv.set("WLR_BACKENDS", "headless");
	fEnv.set("WLR_RENDERER", "pixman");
	fEnv.set("WLR_LIBINPUT_NO_DEVICES", "1");
	helper_process cage(argv, 3, 10000);
	if (cage.first_line().empty())
		GTEST_SKIP() << "cage did not start on its headless backend";
	fEnv.set("WAYLAND_DISPLAY", cage.first_line());
	std::string why = desktop::apply_background(desktop::k_wayland, picture_and_colour());
	EXPECT_NE(why.find("no layer-shell"), std::string::npos) << why;
	EXPECT_TRUE(fresh_pictures().empty());
}

// --- Names of the fresh pictures: never one given before, not even within one second, and
// only the newest few kept.

TEST_F(backend_test, FreshNamesNeverRepeatAndTheNewestFewStay)
{
	std::vector<std::string> given;
	for (int run = 0; run < 6; run++) {
		std::string error;
		std::string path = desktop::fresh_picture_path(fHome.file("wall.png"), &error);
		ASSERT_FALSE(path.empty()) << error;
		desktop::remove_older_fresh_pictures(path);
		EXPECT_EQ(std::count(given.begin(), given.end(), path), 0) << path;
		given.push_back(path);
		if (run == 1) {
			// Even when every picture is gone, as after clearing the cache folder.
			for (const std::string& picture : fresh_pictures())
				unlink(picture.c_str());
		}
	}
	std::vector<std::string> kept = fresh_pictures();
	std::sort(kept.begin(), kept.end());
	std::vector<std::string> newest(given.end() - 2, given.end());
	newest.insert(newest.begin(), given[given.size() - 3]);
	std::sort(newest.begin(), newest.end());
	EXPECT_EQ(kept, newest);
}

// --- Real Wayland: sway on its headless backend, what it shows captured with grim. The
// picture, 32 x 24 with a red left half and a blue right half, centred on the colour.

void write_halves(const std::string& path, int width, int height)
{
	QImage picture(width, height, QImage::Format_RGB32);
	for (int y = 0; y < height; y++)
		for (int x = 0; x < width; x++)
			picture.setPixel(x, y, x < width / 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
	ASSERT_TRUE(picture.save(QString::fromStdString(path + ".new.png"), "PNG"));
	ASSERT_EQ(rename((path + ".new.png").c_str(), path.c_str()), 0);
}

// Two screens side by side, 32 x 24 each, showing one picture: red on the left, blue on the
// right.
desktop::background spanning(const std::string& picture)
{
	desktop::background what;
	what.picture = picture;
	write_halves(picture, 64, 24);
	what.screens.resize(2);
	what.screens[0] = {BRect(0, 0, 31, 23), BRect(0, 0, 31, 23), "left"};
	what.screens[1] = {BRect(32, 0, 63, 23), BRect(32, 0, 63, 23), "right"};
	return what;
}

TEST_F(Gnome, EveryScreenSpannedByOnePicture)
{
	ASSERT_EQ(desktop::apply_background(desktop::k_gnome, spanning(fHome.file("wall.png"))), "");
	EXPECT_EQ(background_keys()["picture-options"], "'spanned'");
}

TEST_F(Xfce, EveryScreenSpannedByOnePicture)
{
	const std::string base = "/backdrop/screen0/monitorVirtual-1/workspace0";
	create(base + "/last-image", {"-t", "string", "-s", "/usr/share/backgrounds/old.png"});
	ASSERT_EQ(desktop::apply_background(desktop::k_xfce, spanning(fHome.file("wall.png"))), "");
	EXPECT_EQ(property(base + "/image-style"), "6\n");
}

// Each Plasma desktop is given the part of the screen it sits on.
TEST_F(Plasma, EveryScreenGetsItsOwnPart)
{
	start_plasmashell();
	ASSERT_EQ(desktop::apply_background(desktop::k_kde, spanning(fHome.file("wall.png"))), "");
	std::string got = scripts();
	for (const auto& [x, colour] : {std::pair<int, QRgb>{0, qRgb(255, 0, 0)},
			std::pair<int, QRgb>{32, qRgb(0, 0, 255)}}) {
		std::string key = "{x: " + std::to_string(x) + ", y: 0, image: \"file://";
		size_t at = got.find(key);
		ASSERT_NE(at, std::string::npos) << key << "\nin:\n" << got;
		size_t start = at + key.size(), end = got.find('"', start);
		QImage part(QString::fromStdString(got.substr(start, end - start)));
		EXPECT_EQ(part.size(), QSize(32, 24)) << x;
		EXPECT_EQ(part.pixel(0, 0), colour) << x;
		EXPECT_EQ(part.pixel(31, 23), colour) << x;
	}
}

// The corners of a 32 x 24 picture centred on the screen, and the screen's own, as 0xrrggbb.
std::vector<unsigned> centred_samples(const QImage& screen)
{
	std::vector<unsigned> pixels;
	int x = (screen.width() - 32) / 2, y = (screen.height() - 24) / 2;
	if (x < 1 || y < 1)
		return pixels;
	for (QPoint point : {QPoint(0, 0), QPoint(x - 1, y - 1), QPoint(x, y), QPoint(x + 15, y + 23),
			QPoint(x + 16, y), QPoint(x + 31, y + 23), QPoint(x + 32, y + 24),
			QPoint(screen.width() - 1, screen.height() - 1)})
		pixels.push_back(screen.pixel(point) & 0xffffff);
	return pixels;
}

const std::vector<unsigned> kCentredHalves = {0x336699, 0x336699, 0xff0000, 0xff0000, 0x0000ff,
	0x0000ff, 0x336699, 0x336699};

struct wayland_row {
	const char* name;
	desktop::desktop_kind kind;
};

void PrintTo(const wayland_row& row, std::ostream* out)
{
	*out << row.name;
}

class Wayland : public backend_test, public testing::WithParamInterface<wayland_row> {
protected:
	void SetUp() override
	{
		backend_test::SetUp();
		fSway.reset(new sway_session(&fEnv, 160, 120));
		if (!fSway->why_not().empty())
			GTEST_SKIP() << fSway->why_not();
		// sway's own drawer runs as sway's user.
		chmod(fHome.path().c_str(), 0755);
		write_halves(fHome.file("wall.png"), 32, 24);
	}
	void TearDown() override
	{
		// The swaybg the bridge started, if any, goes before the compositor.
		std::string pidFile = std::string(getenv("XDG_RUNTIME_DIR")) + "/tevra-swaybg.pid";
		pid_t swaybg = atoi(read_file(pidFile).c_str());
		if (swaybg > 1) {
			kill(-swaybg, SIGTERM);
			waitpid(swaybg, nullptr, 0);
		}
		fSway.reset();
		backend_test::TearDown();
	}

	std::unique_ptr<sway_session> fSway;
};

TEST_P(Wayland, ScreenShowsThePictureCentredOnTheColour)
{
	ASSERT_EQ(desktop::apply_background(GetParam().kind, picture_and_colour()), "");
	std::vector<unsigned> shown;
	EXPECT_TRUE(eventually([&] {
		shown = centred_samples(fSway->screen());
		return shown == kCentredHalves;
	}, 5000)) << testing::PrintToString(shown);
}

INSTANTIATE_TEST_SUITE_P(Drawers, Wayland, testing::Values(
		wayland_row{"SwaysOwn", desktop::k_sway}, wayland_row{"Swaybg", desktop::k_wayland}),
	[](const testing::TestParamInfo<wayland_row>& info) { return std::string(info.param.name); });

// Create mode in a sway session as a set-up without a desktop folder has it: the picture is
// composed for the output's real pixels whatever its scale, recorded on our own folder, and
// shown as it is; sway is found without SWAYSOCK, as a timer's environment leaves it.
struct sway_session_row {
	const char* name;
	const char* more_config;
	bool swaysock;
};

void PrintTo(const sway_session_row& row, std::ostream* out)
{
	*out << row.name;
}

class SwaySession : public backend_test, public testing::WithParamInterface<sway_session_row> {};

TEST_P(SwaySession, CreateModeFillsTheRealOutputWithoutADesktopFolder)
{
	sway_session sway(&fEnv, 240, 160, GetParam().more_config);
	if (!sway.why_not().empty())
		GTEST_SKIP() << sway.why_not();
	if (!GetParam().swaysock)
		sway.forget_socket();
	// sway runs as another user here: the cache that holds the pictures is opened to it.
	chmod(fHome.path().c_str(), 0755);
	std::filesystem::create_directories(fHome.file("cache/tevra"));
	fHome.write("design", "base_color\t00ff8000\nout_format\timage/png\nwp_autoset\ty\n"
		"screen_color\t00336699\n");
	// Under the leak checker: Qt's Wayland platform leaves libwayland's proxies to the end.
	fHome.write("leaks.supp", "leak:libwayland-client.so\n");
	run_options options;
	options.folder = fHome.path();
	options.environment = {"-DISPLAY", "-QT_QPA_PLATFORM",
		GetParam().swaysock ? "XDG_CURRENT_DESKTOP=sway" : "-XDG_CURRENT_DESKTOP",
		"LSAN_OPTIONS=print_suppressions=0:suppressions=" + fHome.file("leaks.supp")};
	run_result r = run_tevra({"design", "wall.png"}, options);
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.err, "");
	QImage picture(QString::fromStdString(fHome.file("wall.png")));
	ASSERT_EQ(picture.size(), QSize(240, 160)) << "the output's own pixels, not a guess";
	EXPECT_GT(xattr(fHome.file(".local/state/tevra/Desktop"), "user.haiku.be:bgndimginfo").size(),
		0u);
	picture = picture.convertToFormat(QImage::Format_RGB32);
	// sway rounds a fractional output's logical size (grim may read a row less) and filters
	// the edge of a scaled buffer: the inside is compared.
	QImage shown;
	EXPECT_TRUE(eventually([&] {
		shown = sway.screen().convertToFormat(QImage::Format_RGB32);
		QRect inside(2, 2, shown.width() - 4, shown.height() - 4);
		return shown.width() >= 239 && shown.height() >= 159
			&& shown.copy(inside) == picture.copy(inside);
	}, 5000)) << "the screen shows the whole picture: " << shown.width() << "x"
		<< shown.height() << " " << std::hex << shown.pixel(0, 0);
}

INSTANTIATE_TEST_SUITE_P(Outputs, SwaySession, testing::Values(
		sway_session_row{"Whole", "", true},
		sway_session_row{"ScaledByOneAndAHalf", "output HEADLESS-1 scale 1.5\n", true},
		sway_session_row{"ScaledByTwo", "output HEADLESS-1 scale 2\n", true},
		sway_session_row{"WithoutSwaysock", "", false}),
	[](const testing::TestParamInfo<sway_session_row>& info) { return info.param.name; });

// Every screen: two outputs side by side, one picture over both, each output showing its own
// part (a base image of a red left half and a blue right half fitted to the whole box).
TEST_F(SwaySession, EveryScreenShowsItsPartOfOnePicture)
{
	sway_session sway(&fEnv, 120, 80, "output HEADLESS-1 position 0 0\n"
		"output HEADLESS-2 position 120 0\n", 2);
	if (!sway.why_not().empty())
		GTEST_SKIP() << sway.why_not();
	chmod(fHome.path().c_str(), 0755);
	std::filesystem::create_directories(fHome.file("cache/tevra"));
	write_halves(fHome.file("halves.png"), 32, 24);
	fHome.write("design", "base_type\t1\nbase_image\thalves.png\nout_format\timage/png\n"
		"wp_autoset\ty\nscreens\t1\n");
	fHome.write("leaks.supp", "leak:libwayland-client.so\n");
	run_options options;
	options.folder = fHome.path();
	options.environment = {"-DISPLAY", "-QT_QPA_PLATFORM", "XDG_CURRENT_DESKTOP=sway",
		"LSAN_OPTIONS=print_suppressions=0:suppressions=" + fHome.file("leaks.supp")};
	run_result r = run_tevra({"design", "wall.png"}, options);
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.err, "");
	QImage picture(QString::fromStdString(fHome.file("wall.png")));
	ASSERT_EQ(picture.size(), QSize(240, 80)) << "the box around both outputs";
	picture = picture.convertToFormat(QImage::Format_RGB32);
	for (int output = 0; output < 2; output++) {
		QImage part = picture.copy(output * 120, 0, 120, 80);
		EXPECT_EQ(part.pixel(60, 40) & 0xffffff, output == 0 ? 0xff0000u : 0x0000ffu);
		std::string name = "HEADLESS-" + std::to_string(output + 1);
		EXPECT_TRUE(eventually([&] {
			return sway.screen(name).convertToFormat(QImage::Format_RGB32) == part;
		}, 5000)) << name << " shows its own part";
	}
}

// On X the picture has RandR's pixels whatever Qt's scale, the main monitor's or the box
// around them all; a picture for every monitor covers the whole root window.
struct x_screens_row {
	const char* name;
	bool two_monitors; // 120 x 100 (main) and 80 x 100 beside it, on a 200 x 100 screen
	const char* scale;
	const char* screens;
	QSize expected;
};

void PrintTo(const x_screens_row& row, std::ostream* out)
{
	*out << row.name;
}

class XScreens : public backend_test, public testing::WithParamInterface<x_screens_row> {};

TEST_P(XScreens, PictureHasTheMonitorsPixels)
{
	const x_screens_row& row = GetParam();
	if (!on_path("Xvfb") || !on_path("import"))
		GTEST_SKIP() << "Xvfb or ImageMagick is not installed (scripts/install-deps test)";
	helper_process server({"Xvfb", "-displayfd", "3", "-screen", "0", "200x100x24", "-nolisten",
		"tcp", "-noreset"}, 3);
	ASSERT_FALSE(server.first_line().empty()) << "Xvfb did not start";
	std::string display = ":" + server.first_line();
	Display* x = XOpenDisplay(display.c_str());
	ASSERT_NE(x, nullptr);
	if (row.two_monitors) {
		for (int i = 0; i < 2; i++) {
			XRRMonitorInfo* monitor = XRRAllocateMonitor(x, 0);
			monitor->name = XInternAtom(x, i == 0 ? "LEFT" : "RIGHT", False);
			monitor->primary = i == 0;
			monitor->x = i * 120;
			monitor->width = i == 0 ? 120 : 80;
			monitor->height = 100;
			monitor->mwidth = monitor->width;
			monitor->mheight = monitor->height;
			XRRSetMonitor(x, DefaultRootWindow(x), monitor);
			XRRFreeMonitors(monitor);
		}
		XSync(x, False);
	}
	write_halves(fHome.file("halves.png"), 32, 24);
	fHome.write("design", std::string("base_type\t1\nbase_image\thalves.png\n")
		+ "out_format\timage/png\nwp_autoset\ty\nscreens\t" + row.screens + "\n");
	run_options options;
	options.folder = fHome.path();
	options.environment = {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb", "-WAYLAND_DISPLAY",
		"-XDG_CURRENT_DESKTOP", std::string("QT_SCALE_FACTOR=") + row.scale};
	run_result r = run_tevra({"design", "wall.png"}, options);
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.err, "");
	QImage picture(QString::fromStdString(fHome.file("wall.png")));
	EXPECT_EQ(picture.size(), row.expected);
	if (row.expected == QSize(200, 100) && picture.size() == row.expected) {
		XImage* root = XGetImage(x, DefaultRootWindow(x), 0, 0, 200, 100, AllPlanes, ZPixmap);
		ASSERT_NE(root, nullptr);
		QImage shown(200, 100, QImage::Format_RGB32);
		for (int py = 0; py < 100; py++)
			for (int px = 0; px < 200; px++)
				shown.setPixel(px, py, 0xff000000 | XGetPixel(root, px, py));
		XDestroyImage(root);
		EXPECT_EQ(shown, picture.convertToFormat(QImage::Format_RGB32))
			<< "the root window shows the whole picture";
	}
	XCloseDisplay(x);
}

INSTANTIATE_TEST_SUITE_P(Monitors, XScreens, testing::Values(
		x_screens_row{"QtScaledByOneAndAHalf", false, "1.5", "0", QSize(200, 100)},
		x_screens_row{"MainMonitor", true, "1", "0", QSize(120, 100)},
		x_screens_row{"EveryMonitor", true, "1", "1", QSize(200, 100)}),
	[](const testing::TestParamInfo<x_screens_row>& info) { return info.param.name; });

// --- LXQt and LXDE: the real pcmanfm-qt and pcmanfm drawing the desktop of an X server of
// the test's own, on a bus of its own.

struct pcmanfm_row {
	const char* name;
	desktop::desktop_kind kind;
	std::vector<std::string> desktop; // the desktop as the session starts it
	bool started;
	struct lxqt_case {
		const char* name;
		const char* saved_mode; // the profile's mode before; null: no settings yet
		int stop_signal;        // how the first desktop ends: SIGTERM saves, SIGKILL does not
		bool advised;           // the user is told to choose a mode
		const char* config_dirs; // the session's XDG_CONFIG_DIRS, where the profile's defaults are
	} lxqt = {};
	const char* settings = nullptr; // pcmanfm-qt's profile before its desktop starts
};

void PrintTo(const pcmanfm_row& row, std::ostream* out)
{
	*out << row.name;
}

class Pcmanfm : public backend_test, public testing::WithParamInterface<pcmanfm_row> {
protected:
	void SetUp() override
	{
		backend_test::SetUp();
		const pcmanfm_row& row = GetParam();
		if (!on_path(row.desktop[0]) || !on_path("Xvfb") || !on_path("dbus-daemon"))
			GTEST_SKIP() << row.desktop[0] << ", Xvfb or dbus-daemon is not installed "
				"(scripts/install-deps test installs them)";
		fEnv.set("XDG_CONFIG_HOME", fHome.file("config"));
		fEnv.set("QT_QPA_PLATFORM", "xcb");
		// pcmanfm-qt's desktop needs room for its icon grid.
		fServer.reset(new helper_process({"Xvfb", "-displayfd", "3", "-screen", "0",
			"320x240x24", "-nolisten", "tcp", "-noreset"}, 3));
		ASSERT_FALSE(fServer->first_line().empty()) << "Xvfb did not start";
		fEnv.set("DISPLAY", ":" + fServer->first_line());
		fBus.reset(new private_bus(&fEnv));
		ASSERT_TRUE(fBus->running()) << "dbus-daemon did not start";
		write_halves(fHome.file("wall.png"), 32, 24);
		if (row.settings != nullptr) {
			std::filesystem::create_directories(fHome.file("config/pcmanfm-qt/lxqt"));
			fHome.write("config/pcmanfm-qt/lxqt/settings.conf", row.settings);
		}
		if (row.started)
			start_desktop();
	}
	void start_desktop()
	{
		const pcmanfm_row& row = GetParam();
		fDesktop.reset(new helper_process(row.desktop, 3, 0));
		// Ready when it answers other calls: pcmanfm-qt on the bus, pcmanfm on its socket.
		std::string socket = fHome.file("pcmanfm-socket--" + fServer->first_line());
		if (!eventually([&] {
				return row.kind == desktop::k_lxqt ? bus_name_owned("org.pcmanfm.PCManFM")
					: access(socket.c_str(), F_OK) == 0;
			}, 10000))
			GTEST_SKIP() << row.desktop[0] << " did not start its desktop on Xvfb";
	}
	void TearDown() override
	{
		fDesktop.reset();
		fBus.reset();
		fServer.reset();
		backend_test::TearDown();
	}

	std::vector<unsigned> root_samples()
	{
		run_result shot = run_program({"import", "-window", "root", fHome.file("screen.png")});
		if (shot.status != 0)
			return {};
		return centred_samples(QImage(QString::fromStdString(fHome.file("screen.png"))));
	}

	std::unique_ptr<helper_process> fServer, fDesktop;
	std::unique_ptr<private_bus> fBus;
};

TEST_P(Pcmanfm, DesktopShowsThePictureCentred)
{
	const pcmanfm_row& row = GetParam();
	desktop::g_limits.command_ms = 1500;
	std::string why = desktop::apply_background(row.kind, picture_and_colour());
	if (!row.started) {
		EXPECT_NE(why.find(row.desktop[0] + " "), std::string::npos) << why;
		EXPECT_TRUE(fresh_pictures().empty());
		return;
	}
	ASSERT_EQ(why, "");
	std::vector<unsigned> shown;
	// The colour around the picture is the desktop's own.
	EXPECT_TRUE(eventually([&] {
		shown = root_samples();
		return shown.size() == 8 && std::vector<unsigned>(shown.begin() + 2, shown.end() - 2)
			== std::vector<unsigned>(kCentredHalves.begin() + 2, kCentredHalves.end() - 2);
	}, 5000)) << testing::PrintToString(shown);
}

INSTANTIATE_TEST_SUITE_P(Desktops, Pcmanfm, testing::Values(
		pcmanfm_row{"Lxqt", desktop::k_lxqt, {"pcmanfm-qt", "--desktop", "--profile=lxqt"}, true},
		pcmanfm_row{"Lxde", desktop::k_lxde, {"pcmanfm", "--desktop", "--profile", "LXDE"}, true},
		pcmanfm_row{"LxqtWithoutItsDesktop", desktop::k_lxqt, {"pcmanfm-qt"}, false},
		pcmanfm_row{"LxdeWithoutItsDesktop", desktop::k_lxde, {"pcmanfm"}, false}),
	[](const testing::TestParamInfo<pcmanfm_row>& info) { return std::string(info.param.name); });

// --- LXQt's next log-in: pcmanfm-qt 1.2 shows the picture but saves no wallpaper mode, and a
// desktop that starts on none shows nothing. The settings are read by a desktop started anew.

class LxqtNextStart : public Pcmanfm {};

TEST_P(LxqtNextStart, DesktopStartedAgainShowsThePicture)
{
	const pcmanfm_row::lxqt_case& row = GetParam().lxqt;
	std::string settings = fHome.file("config/pcmanfm-qt/lxqt/settings.conf");
	if (row.config_dirs != nullptr) {
		// The profile's installed mode may stretch: the picture has the screen's size, as
		// tevra's pictures do, so that every mode shows it alike.
		write_halves(fHome.file("wall.png"), 320, 240);
		fEnv.set("XDG_CONFIG_DIRS", row.config_dirs);
		kill(fDesktop->pid(), SIGKILL);
		fDesktop.reset();
		ASSERT_TRUE(eventually([] { return !bus_name_owned("org.pcmanfm.PCManFM"); }));
		start_desktop();
	}
	if (row.saved_mode != nullptr) {
		// The profile before, and a desktop that started on it.
		kill(fDesktop->pid(), SIGKILL);
		fDesktop.reset();
		ASSERT_TRUE(eventually([] { return !bus_name_owned("org.pcmanfm.PCManFM"); }));
		std::filesystem::create_directories(fHome.file("config/pcmanfm-qt/lxqt"));
		fHome.write("config/pcmanfm-qt/lxqt/settings.conf", std::string("[Desktop]\n")
			+ "Wallpaper=/nowhere.png\nWallpaperMode=" + row.saved_mode + "\n");
		start_desktop();
	}
	desktop::g_limits.command_ms = 1500;
	desktop::take_note();
	ASSERT_EQ(desktop::apply_background(desktop::k_lxqt, picture_and_colour()), "");
	EXPECT_EQ(desktop::take_note().find("Desktop Preferences") != std::string::npos, row.advised);
	EXPECT_EQ(read_file(settings).find("WallpaperMode=none"), std::string::npos);

	pid_t first = fDesktop->pid();
	kill(first, row.stop_signal);
	ASSERT_TRUE(eventually([&] { return process_gone(first); }, 5000));
	fDesktop.reset();
	start_desktop();
	std::vector<unsigned> shown;
	EXPECT_TRUE(eventually([&] {
		shown = root_samples();
		return shown.size() == 8 && std::vector<unsigned>(shown.begin() + 2, shown.end() - 2)
			== std::vector<unsigned>(kCentredHalves.begin() + 2, kCentredHalves.end() - 2);
	}, 5000)) << testing::PrintToString(shown) << "\n" << read_file(settings);
}

INSTANTIATE_TEST_SUITE_P(Profiles, LxqtNextStart, testing::Values(
		// A new profile, and one that saved none: the desktop running now keeps none, so only
		// a start from the settings as written shows the picture; the user is told.
		pcmanfm_row{"NewProfile", desktop::k_lxqt, {"pcmanfm-qt", "--desktop", "--profile=lxqt"},
			true, {"NewProfile", nullptr, SIGKILL, true, nullptr}},
		pcmanfm_row{"SavedNone", desktop::k_lxqt, {"pcmanfm-qt", "--desktop", "--profile=lxqt"},
			true, {"SavedNone", "none", SIGKILL, true, nullptr}},
		// A mode chosen once stays through the desktop's own save as it quits.
		pcmanfm_row{"ChosenMode", desktop::k_lxqt, {"pcmanfm-qt", "--desktop", "--profile=lxqt"},
			true, {"ChosenMode", "center", SIGTERM, false, nullptr}},
		// LXQt's session start adds /usr/share to the config folders, so a new profile starts on
		// the mode pcmanfm-qt installs there, and keeps it through a normal quit.
		pcmanfm_row{"NewProfileInItsSession", desktop::k_lxqt,
			{"pcmanfm-qt", "--desktop", "--profile=lxqt"}, true,
			{"NewProfileInItsSession", nullptr, SIGTERM, false, "/etc:/etc/xdg:/usr/share"}}),
	[](const testing::TestParamInfo<pcmanfm_row>& info) { return std::string(info.param.name); });

// pcmanfm and pcmanfm-qt spread one picture over the desktop that covers every screen. Two
// monitors side by side, as the halves of the Xvfb screen: Qt 5, pcmanfm-qt's, sees one screen
// there, whose desktop covers both as it covers two real ones.
class Spanning : public Pcmanfm {};

TEST_P(Spanning, EveryScreenShowsItsPart)
{
	const pcmanfm_row& row = GetParam();
	desktop::g_limits.command_ms = 1500;
	desktop::background what;
	what.picture = fHome.file("wall.png");
	write_halves(what.picture, 320, 240);
	what.screens = {{BRect(0, 0, 159, 239), BRect(0, 0, 159, 239), "left"},
		{BRect(160, 0, 319, 239), BRect(160, 0, 319, 239), "right"}};
	desktop::take_note();
	ASSERT_EQ(desktop::apply_background(row.kind, what), "");
	bool mainPart = desktop::take_note().find("every screen shows the main screen's part")
		!= std::string::npos;
	EXPECT_EQ(mainPart, row.settings != nullptr);
	if (row.settings != nullptr) {
		// Each monitor would centre the picture of its own: it is given the main screen's part.
		std::string settings = read_file(fHome.file("config/pcmanfm-qt/lxqt/settings.conf"));
		size_t named = settings.find("\nWallpaper=");
		ASSERT_NE(named, std::string::npos) << settings;
		named += 11;
		QImage part(QString::fromStdString(settings.substr(named,
			settings.find('\n', named) - named)));
		EXPECT_EQ(part.size(), QSize(160, 240));
		EXPECT_EQ(part.pixel(159, 239), qRgb(255, 0, 0));
		return;
	}
	QImage shown;
	EXPECT_TRUE(eventually([&] {
		if (run_program({"import", "-window", "root", fHome.file("screen.png")}).status != 0)
			return false;
		shown = QImage(QString::fromStdString(fHome.file("screen.png")));
		return !shown.isNull() && shown.pixel(2, 120) == qRgb(255, 0, 0)
			&& shown.pixel(158, 120) == qRgb(255, 0, 0) && shown.pixel(161, 120) == qRgb(0, 0, 255)
			&& shown.pixel(317, 120) == qRgb(0, 0, 255);
	}, 5000));
}

INSTANTIATE_TEST_SUITE_P(Desktops, Spanning, testing::Values(
		pcmanfm_row{"Lxde", desktop::k_lxde, {"pcmanfm", "--desktop", "--profile", "LXDE"}, true},
		pcmanfm_row{"Lxqt", desktop::k_lxqt, {"pcmanfm-qt", "--desktop", "--profile=lxqt"}, true},
		pcmanfm_row{"LxqtWallpaperForEachMonitor", desktop::k_lxqt,
			{"pcmanfm-qt", "--desktop", "--profile=lxqt"}, true, {},
			"[Desktop]\nPerScreenWallpaper=true\nWallpaperMode=center\n"}),
	[](const testing::TestParamInfo<pcmanfm_row>& info) { return std::string(info.param.name); });

// --- A bare X server: the root window's pixmap, as X wallpaper setters leave it.

class X11 : public backend_test {
protected:
	void SetUp() override
	{
		backend_test::SetUp();
		if (!on_path("Xvfb"))
			GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps test installs it)";
		// Xvfb picks a free display number and writes it to descriptor 3.
		fServer.reset(new helper_process({"Xvfb", "-displayfd", "3", "-screen", "0", "64x48x24",
			"-nolisten", "tcp", "-noreset"}, 3));
		ASSERT_FALSE(fServer->first_line().empty()) << "Xvfb did not start";
		fDisplayName = ":" + fServer->first_line();
		fEnv.set("DISPLAY", fDisplayName);
		fDisplay = XOpenDisplay(fDisplayName.c_str());
		ASSERT_NE(fDisplay, nullptr);

		// The picture: 32 x 24, red left half and blue right half, to show unscaled.
		mkdir(fHome.file("Desktop").c_str(), 0755);
		write_picture(Qt::red, Qt::blue);
		BMessage record(0);
		record.AddInt32("be:bgndimginfoworkspaces", 1);
		record.AddString("be:bgndimginfopath", fHome.file("wall.png").c_str());
		std::string flat(record.FlattenedSize(), '\0');
		record.Flatten(&flat[0], flat.size());
		BNode(fHome.file("Desktop").c_str()).WriteAttr("be:bgndimginfo", B_MESSAGE_TYPE, 0,
			flat.data(), flat.size());
		desktop::start_desktop_bridge();
	}
	void TearDown() override
	{
		desktop::apply_pending();
		if (fDisplay != nullptr)
			XCloseDisplay(fDisplay);
		fServer.reset();
		backend_test::TearDown();
	}

	void write_picture(Qt::GlobalColor left, Qt::GlobalColor right)
	{
		QImage picture(32, 24, QImage::Format_RGB32);
		for (int y = 0; y < 24; y++)
			for (int x = 0; x < 32; x++)
				picture.setPixel(x, y, QColor(x < 16 ? left : right).rgb());
		ASSERT_TRUE(picture.save(QString::fromStdString(fHome.file("next.png")), "PNG"));
		ASSERT_EQ(rename(fHome.file("next.png").c_str(), fHome.file("wall.png").c_str()), 0);
	}

	// What the Tracker's stand-in does with 'Tbgr' and the colour, as create mode sends them.
	std::string apply_through_the_bridge()
	{
		BMessenger("application/x-vnd.Be-TRAK").SendMessage('Tbgr');
		BScreen().SetDesktopColor(kColour, true);
		return desktop::apply_pending();
	}

	unsigned long root_property(const char* name)
	{
		Atom type;
		int format;
		unsigned long count, after;
		unsigned char* data = nullptr;
		unsigned long id = 0;
		if (XGetWindowProperty(fDisplay, DefaultRootWindow(fDisplay),
				XInternAtom(fDisplay, name, False), 0, 1, False, XA_PIXMAP, &type, &format,
				&count, &after, &data) == Success && data != nullptr && count == 1)
			id = *(unsigned long*)data;
		if (data != nullptr)
			XFree(data);
		return id;
	}

	// The root window's pixels as 0xrrggbb.
	std::vector<unsigned long> root_pixels(const std::vector<std::pair<int, int>>& points)
	{
		XImage* image = XGetImage(fDisplay, DefaultRootWindow(fDisplay), 0, 0, 64, 48, AllPlanes,
			ZPixmap);
		std::vector<unsigned long> pixels;
		if (image == nullptr)
			return pixels;
		for (auto point : points)
			pixels.push_back(XGetPixel(image, point.first, point.second) & 0xffffff);
		XDestroyImage(image);
		return pixels;
	}

	std::unique_ptr<helper_process> fServer;
	std::string fDisplayName;
	Display* fDisplay = nullptr;
};

int x_errors = 0;
int count_error(Display*, XErrorEvent*)
{
	x_errors++;
	return 0;
}

TEST_F(X11, RootPixmapCentredOnTheColourOutlivesTheSetter)
{
	ASSERT_EQ(apply_through_the_bridge(), "");
	unsigned long root = root_property("_XROOTPMAP_ID");
	EXPECT_NE(root, 0u);
	EXPECT_EQ(root_property("ESETROOT_PMAP_ID"), root);
	// The setter's connection has closed; the pixmap it named is still there for others (a
	// terminal's pseudo-transparency) to read.
	auto* old = XSetErrorHandler(count_error);
	x_errors = 0;
	Window rootWindow;
	int x, y;
	unsigned int width = 0, height = 0, border, depth;
	XGetGeometry(fDisplay, root, &rootWindow, &x, &y, &width, &height, &border, &depth);
	XSync(fDisplay, False);
	XSetErrorHandler(old);
	EXPECT_EQ(x_errors, 0);
	EXPECT_EQ(width, 64u);
	EXPECT_EQ(height, 48u);
	// The picture sits
	// at (16, 12) to (47, 35) of the 64 x 48 screen.
	EXPECT_EQ(root_pixels({{0, 0}, {15, 11}, {16, 12}, {31, 35}, {32, 12}, {47, 35}, {48, 36},
			{63, 47}}),
		(std::vector<unsigned long>{0x336699, 0x336699, 0xff0000, 0xff0000, 0x0000ff, 0x0000ff,
			0x336699, 0x336699}));
}

TEST_F(X11, NextPictureFreesTheOnePixmapBefore)
{
	ASSERT_EQ(apply_through_the_bridge(), "");
	unsigned long first = root_property("_XROOTPMAP_ID");
	write_picture(Qt::green, Qt::green);
	ASSERT_EQ(apply_through_the_bridge(), "");
	unsigned long second = root_property("_XROOTPMAP_ID");
	EXPECT_NE(second, first);
	EXPECT_EQ(root_property("ESETROOT_PMAP_ID"), second);
	EXPECT_EQ(root_pixels({{16, 12}, {47, 35}}), (std::vector<unsigned long>{0x00ff00, 0x00ff00}));

	auto* old = XSetErrorHandler(count_error);
	x_errors = 0;
	Window rootWindow;
	int x, y;
	unsigned int width, height, border, depth;
	XGetGeometry(fDisplay, first, &rootWindow, &x, &y, &width, &height, &border, &depth);
	XSync(fDisplay, False);
	EXPECT_GT(x_errors, 0) << "the first pixmap is gone";
	XGetGeometry(fDisplay, second, &rootWindow, &x, &y, &width, &height, &border, &depth);
	int afterSecond = x_errors;
	XSync(fDisplay, False);
	EXPECT_EQ(x_errors, afterSecond) << "the second pixmap lives";
	XSetErrorHandler(old);
}

struct wm_row {
	const char* name;
	bool points_back; // the check window names itself, as a live window manager's does
	const char* wm_name;
	const char* found;
	desktop::desktop_kind kind;
};

void PrintTo(const wm_row& row, std::ostream* out)
{
	*out << row.name;
}

class X11WindowManager : public X11, public testing::WithParamInterface<wm_row> {};

TEST_P(X11WindowManager, NameDecidesTheDesktop)
{
	const wm_row& row = GetParam();
	Window root = DefaultRootWindow(fDisplay);
	Window check = XCreateSimpleWindow(fDisplay, root, 0, 0, 1, 1, 0, 0, 0);
	Atom checkAtom = XInternAtom(fDisplay, "_NET_SUPPORTING_WM_CHECK", False);
	unsigned long checkId = check, rootId = root;
	XChangeProperty(fDisplay, root, checkAtom, XA_WINDOW, 32, PropModeReplace,
		(unsigned char*)&checkId, 1);
	XChangeProperty(fDisplay, check, checkAtom, XA_WINDOW, 32, PropModeReplace,
		(unsigned char*)(row.points_back ? &checkId : &rootId), 1);
	XChangeProperty(fDisplay, check, XInternAtom(fDisplay, "_NET_WM_NAME", False),
		XInternAtom(fDisplay, "UTF8_STRING", False), 8, PropModeReplace,
		(const unsigned char*)row.wm_name, strlen(row.wm_name));
	XSync(fDisplay, False);

	EXPECT_EQ(desktop::x11_window_manager_name(fDisplayName.c_str()), row.found);
	desktop::environment env = desktop::current_environment();
	desktop::desktop_kind kind = desktop::detect_desktop(env, [&] {
		return desktop::x11_window_manager_name(env["DISPLAY"].c_str());
	});
	EXPECT_EQ(desktop::desktop_name(kind), std::string(desktop::desktop_name(row.kind)));
}

INSTANTIATE_TEST_SUITE_P(Names, X11WindowManager, testing::Values(
		wm_row{"Xfwm4IsXfce", true, "Xfwm4", "Xfwm4", desktop::k_xfce},
		wm_row{"KWinIsPlasma", true, "KWin", "KWin", desktop::k_kde},
		wm_row{"OpenboxIsBareX", true, "Openbox", "Openbox", desktop::k_x11},
		wm_row{"StaleCheckWindowIsNoName", false, "Xfwm4", "", desktop::k_x11}),
	[](const testing::TestParamInfo<wm_row>& info) { return std::string(info.param.name); });

}
