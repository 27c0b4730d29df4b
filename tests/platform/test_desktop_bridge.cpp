// The desktop bridge as the Tracker's stand-in: which desktop it finds, where the Desktop folder
// is, the background attribute it reads back, what reaches it, the seam through which it runs
// commands, and create mode when there is nothing to apply to.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <vector>

#include <QImage>
#include <QString>

#include <Message.h>
#include <Messenger.h>
#include <Node.h>
#include <Screen.h>

#include "platform/desktop/desktop_bridge.h"
#include "platform/desktop/run_command.h"
#include "platform/storage/storage_paths.h"
#include "tests/platform/desktop_support.h"
#include "tests/support/param_rows.h"

using namespace desktop_test;

namespace {

// --- Detection: a function of the environment and of the name the X window manager gives.

struct detect_row {
	const char* name;
	desktop::environment env;
	const char* wm_name; // what the X server shows; null: must not be asked
	desktop::desktop_kind expected;
};

TEVRA_PRINT_CASE(detect_row)

const detect_row detect_rows[] = {
	{"Gnome", {{"XDG_CURRENT_DESKTOP", "GNOME"}, {"DISPLAY", ":0"}}, nullptr, desktop::k_gnome},
	{"UbuntuListFirstKnownNameWins", {{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}}, nullptr,
		desktop::k_gnome},
	{"LowerCaseName", {{"XDG_CURRENT_DESKTOP", "gnome"}}, nullptr, desktop::k_gnome},
	{"BudgieReadsGnomeSettings", {{"XDG_CURRENT_DESKTOP", "Budgie:GNOME"}}, nullptr,
		desktop::k_gnome},
	{"UnityIsGnome", {{"XDG_CURRENT_DESKTOP", "Unity"}}, nullptr, desktop::k_gnome},
	{"Cinnamon", {{"XDG_CURRENT_DESKTOP", "X-Cinnamon"}}, nullptr, desktop::k_cinnamon},
	{"Mate", {{"XDG_CURRENT_DESKTOP", "MATE"}}, nullptr, desktop::k_mate},
	{"KdeOnWayland", {{"XDG_CURRENT_DESKTOP", "KDE"}, {"WAYLAND_DISPLAY", "wayland-0"}}, nullptr,
		desktop::k_kde},
	{"Xfce", {{"XDG_CURRENT_DESKTOP", "XFCE"}, {"DISPLAY", ":0"}}, nullptr, desktop::k_xfce},
	{"Lxqt", {{"XDG_CURRENT_DESKTOP", "LXQt"}, {"DISPLAY", ":0"}}, nullptr, desktop::k_lxqt},
	{"LxqtOnWayland", {{"XDG_CURRENT_DESKTOP", "LXQt"}, {"WAYLAND_DISPLAY", "wayland-0"}},
		nullptr, desktop::k_lxqt},
	{"Lxde", {{"XDG_CURRENT_DESKTOP", "LXDE"}, {"DISPLAY", ":0"}}, nullptr, desktop::k_lxde},
	{"SwayByName", {{"XDG_CURRENT_DESKTOP", "sway"}}, nullptr, desktop::k_sway},
	{"SwayBySocket", {{"SWAYSOCK", "/run/user/1/sway-ipc.sock"}, {"WAYLAND_DISPLAY", "wayland-1"}},
		nullptr, desktop::k_sway},
	{"UnknownCompositorGetsSwaybg", {{"XDG_CURRENT_DESKTOP", "Hyprland"},
		{"WAYLAND_DISPLAY", "wayland-1"}}, nullptr, desktop::k_wayland},
	{"WaylandBeatsXwayland", {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}}, nullptr,
		desktop::k_wayland},
	{"XWithGnomeShell", {{"DISPLAY", ":0"}}, "GNOME Shell", desktop::k_gnome},
	{"XWithKwin", {{"DISPLAY", ":0"}}, "KWin", desktop::k_kde},
	{"XWithXfwm4", {{"DISPLAY", ":0"}}, "Xfwm4", desktop::k_xfce},
	{"XWithMarco", {{"DISPLAY", ":0"}}, "Marco", desktop::k_mate},
	{"XWithI3IsBareX", {{"XDG_CURRENT_DESKTOP", "i3"}, {"DISPLAY", ":0"}}, "i3", desktop::k_x11},
	{"XWithoutWindowManager", {{"DISPLAY", ":0"}}, "", desktop::k_x11},
	{"NothingAtAll", {}, nullptr, desktop::k_no_desktop},
	{"EmptyValuesAreNothing", {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""},
		{"XDG_CURRENT_DESKTOP", ""}}, nullptr, desktop::k_no_desktop},
};

class Detect : public testing::TestWithParam<detect_row> {};

TEST_P(Detect, FindsTheDesktop)
{
	const detect_row& row = GetParam();
	bool asked = false;
	desktop::desktop_kind kind = desktop::detect_desktop(row.env, [&] {
		asked = true;
		return std::string(row.wm_name != nullptr ? row.wm_name : "");
	});
	EXPECT_EQ(desktop::desktop_name(kind), std::string(desktop::desktop_name(row.expected)));
	EXPECT_EQ(asked, row.wm_name != nullptr) << "the X server is asked only when it decides";
}

INSTANTIATE_TEST_SUITE_P(Environments, Detect, testing::ValuesIn(detect_rows),
	case_name<detect_row>);

// --- sway's socket where SWAYSOCK is not set: ours, of a sway that is alive, the newest.

struct socket_row {
	const char* name;
	// Sockets made in the runtime folder: 'L' a live sway (this process, then its parent), 'D' a
	// sway that ended,
	// 'O' another user's, 'F' a plain file; the later ones are newer.
	const char* made;
	const char* swaysock; // null: unset
	int expected;         // index into made, -1 none; -2 the SWAYSOCK given
};

TEVRA_PRINT_CASE(socket_row)

const socket_row socket_rows[] = {
	{"LiveSway", "L", nullptr, 0},
	{"EndedSwayIsNotTaken", "D", nullptr, -1},
	{"NewestOfTwoLive", "LL", nullptr, 1},
	{"LiveOverNewerEnded", "LD", nullptr, 0},
	{"OtherUsersIsNotTaken", "O", nullptr, -1},
	{"PlainFileIsNotASocket", "F", nullptr, -1},
	{"SwaysockWins", "L", "/run/given.sock", -2},
};

class SwaySocket : public testing::TestWithParam<socket_row> {};

TEST_P(SwaySocket, IsFoundInTheRuntimeFolder)
{
	const socket_row& row = GetParam();
	temp_dir runtime;
	pid_t ended = fork();
	if (ended == 0)
		_exit(0);
	waitpid(ended, nullptr, 0);
	std::vector<std::string> paths;
	for (size_t i = 0; row.made[i] != '\0'; i++) {
		char kind = row.made[i];
		std::string uid = std::to_string(kind == 'O' ? getuid() + 1 : getuid());
		std::string pid = std::to_string(kind == 'D' ? ended : i == 0 ? getpid() : getppid());
		std::string path = runtime.file("sway-ipc." + uid + "." + pid + ".sock");
		if (kind == 'F') {
			runtime.write(path.substr(path.rfind('/') + 1), "");
		} else {
			int fd = socket(AF_UNIX, SOCK_STREAM, 0);
			struct sockaddr_un address = {};
			address.sun_family = AF_UNIX;
			snprintf(address.sun_path, sizeof(address.sun_path), "%s", path.c_str());
			ASSERT_EQ(bind(fd, (struct sockaddr*)&address, sizeof(address)), 0) << path;
			close(fd);
		}
		struct timespec times[2] = {{(time_t)(1000000 + i * 10), 0}, {(time_t)(1000000 + i * 10), 0}};
		utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
		paths.push_back(path);
	}
	desktop::environment env = {{"WAYLAND_DISPLAY", "wayland-1"},
		{"XDG_RUNTIME_DIR", runtime.path()}};
	if (row.swaysock != nullptr)
		env["SWAYSOCK"] = row.swaysock;
	std::string expected = row.expected == -2 ? std::string(row.swaysock)
		: row.expected < 0 ? std::string() : paths[row.expected];
	EXPECT_EQ(desktop::find_sway_socket(env), expected);
	EXPECT_EQ(desktop::detect_desktop(env, nullptr), expected.empty() ? desktop::k_wayland
		: desktop::k_sway);
}

INSTANTIATE_TEST_SUITE_P(RuntimeFolders, SwaySocket, testing::ValuesIn(socket_rows),
	case_name<socket_row>);

// --- Where Haiku's Desktop folder lands: the XDG desktop folder, or $HOME/Desktop, while it
// exists; else a folder of tevra's own in the XDG state folder, made on demand.

struct folder_row {
	const char* name;
	const char* user_dirs; // content of user-dirs.dirs; null: no such file
	const char* made;      // the folder made before, "~" standing for HOME; null: none
	const char* haiku_path;
	const char* expected;
};

TEVRA_PRINT_CASE(folder_row)

const folder_row folder_rows[] = {
	{"NoUserDirsFile", nullptr, "~/Desktop", "/boot/home/Desktop", "~/Desktop"},
	{"TranslatedName", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", "~/Schreibtisch",
		"/boot/home/Desktop", "~/Schreibtisch"},
	{"FileOnTranslatedDesktop", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", "~/Schreibtisch",
		"/boot/home/Desktop/wall.png", "~/Schreibtisch/wall.png"},
	{"AbsoluteFolder", "XDG_DESKTOP_DIR=\"/tmp/\"\n", nullptr, "/boot/home/Desktop", "/tmp"},
	{"HomeItselfAsDesktop", "XDG_DESKTOP_DIR=\"$HOME/\"\n", nullptr, "/boot/home/Desktop", "~"},
	{"EscapedQuoteInName", "XDG_DESKTOP_DIR=\"$HOME/My \\\"Desk\\\"\"\n", "~/My \"Desk\"",
		"/boot/home/Desktop", "~/My \"Desk\""},
	{"RelativeValueIgnored", "XDG_DESKTOP_DIR=\"Desk\"\n", "~/Desktop", "/boot/home/Desktop",
		"~/Desktop"},
	{"CommentedOutIgnored", "# XDG_DESKTOP_DIR=\"$HOME/Nope\"\nXDG_MUSIC_DIR=\"$HOME/Music\"\n",
		"~/Desktop", "/boot/home/Desktop", "~/Desktop"},
	{"OtherHomeFoldersStayInHome", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", nullptr,
		"/boot/home/Desktops/x", "~/Desktops/x"},
	{"HomeStaysHome", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", nullptr, "/boot/home/config",
		"~/config"},
	{"NoDesktopFolderGoesToState", nullptr, nullptr, "/boot/home/Desktop",
		"~/.local/state/tevra/Desktop"},
	{"NamedButMissingGoesToState", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", "~/Desktop",
		"/boot/home/Desktop/wall.png", "~/.local/state/tevra/Desktop/wall.png"},
};

class DesktopFolder : public testing::TestWithParam<folder_row> {};

TEST_P(DesktopFolder, MapsToTheXdgDesktopOrOurOwn)
{
	const folder_row& row = GetParam();
	temp_dir home, config;
	scoped_env env;
	env.set("HOME", home.path());
	env.set("XDG_CONFIG_HOME", config.path());
	env.unset("XDG_STATE_HOME");
	if (row.user_dirs != nullptr)
		config.write("user-dirs.dirs", row.user_dirs);
	auto in_home = [&](std::string path) {
		return path[0] == '~' ? home.path() + path.substr(1) : path;
	};
	if (row.made != nullptr) {
		ASSERT_EQ(mkdir(in_home(row.made).c_str(), 0755), 0);
	}
	char buffer[PATH_MAX];
	std::string mapped = map_haiku_path(row.haiku_path, buffer, sizeof(buffer));
	EXPECT_EQ(mapped, in_home(row.expected));
	const std::string desk = "/boot/home/Desktop";
	std::string path = row.haiku_path;
	if (path != desk && path.rfind(desk + "/", 0) != 0)
		return;
	if (path != desk)
		mapped = mapped.substr(0, mapped.rfind('/'));
	struct stat info;
	EXPECT_TRUE(stat(mapped.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
		<< mapped << " exists whenever the Desktop folder is named";
}

INSTANTIATE_TEST_SUITE_P(UserDirs, DesktopFolder, testing::ValuesIn(folder_rows),
	case_name<folder_row>);

TEST(DesktopFolderConfig, UnsetConfigHomeMeansDotConfig)
{
	temp_dir home;
	scoped_env env;
	env.set("HOME", home.path());
	env.unset("XDG_CONFIG_HOME");
	mkdir(home.file(".config").c_str(), 0755);
	mkdir(home.file("Bureau").c_str(), 0755);
	home.write(".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
	char buffer[PATH_MAX];
	EXPECT_EQ(std::string(map_haiku_path("/boot/home/Desktop", buffer, sizeof(buffer))),
		home.path() + "/Bureau");
}

TEST(DesktopFolderConfig, StateHomeHoldsOurOwnFolder)
{
	temp_dir home;
	scoped_env env;
	env.set("HOME", home.path());
	env.set("XDG_STATE_HOME", home.file("state/"));
	char buffer[PATH_MAX];
	EXPECT_EQ(std::string(map_haiku_path("/boot/home/Desktop", buffer, sizeof(buffer))),
		home.path() + "/state/tevra/Desktop");
	struct stat info;
	EXPECT_EQ(stat(home.file("state/tevra/Desktop").c_str(), &info), 0);
	EXPECT_EQ(info.st_mode & 0777, 0700u) << "private, as XDG's folders are";
}

// --- The background attribute, byte for byte as Haiku lays out the five-field message.

void put32(std::string* out, uint32 value)
{
	out->append((const char*)&value, 4);
}

void put16(std::string* out, uint16 value)
{
	out->append((const char*)&value, 2);
}

void field_header(std::string* out, uint16 flags, uint16 nameLength, uint32 type, uint32 size,
	uint32 offset, int32 next)
{
	put16(out, flags);
	put16(out, nameLength);
	put32(out, type);
	put32(out, 1);
	put32(out, size);
	put32(out, offset);
	put32(out, (uint32)next);
}

// The message set_wallpaper writes for "wall.png" with erase-text on. Haiku's name hash modulo
// the 5-slot table puts "be:bgndimginfoworkspaces" and "be:bgndimginfopath" in slot 0 (chained
// in that order), "be:bgndimginfoerasetext" in 1, "be:bgndimginfooffset" in 3 and
// "be:bgndimginfomode" in 4. Names take 25, 19, 19, 21 and 24 bytes with their NULs; the
// string carries a 4-byte size before its 9 bytes.
std::string hand_made_background()
{
	std::string flat = "HMF1";
	put32(&flat, 0);             // what
	put32(&flat, 1);             // flags: valid
	for (int i = 0; i < 6; i++)  // target, specifier, area, reply port, target, team
		put32(&flat, 0xffffffff);
	put32(&flat, 138);           // data size: 29 + 32 + 23 + 29 + 25
	put32(&flat, 5);             // fields
	put32(&flat, 5);             // hash table size
	for (int32 slot : {0, 4, -1, 3, 2})
		put32(&flat, (uint32)slot);
	// flags 3: valid and fixed size; 1: valid, items carry their sizes.
	field_header(&flat, 3, 25, 'LONG', 4, 0, 1);
	field_header(&flat, 1, 19, 'CSTR', 13, 29, -1);
	field_header(&flat, 3, 19, 'LONG', 4, 61, -1);
	field_header(&flat, 3, 21, 'BPNT', 8, 84, -1);
	field_header(&flat, 3, 24, 'BOOL', 1, 113, -1);
	flat += std::string("be:bgndimginfoworkspaces\0", 25) + std::string("\1\0\0\0", 4);
	flat += std::string("be:bgndimginfopath\0", 19) + std::string("\x09\0\0\0wall.png\0", 13);
	flat += std::string("be:bgndimginfomode\0", 19) + std::string("\1\0\0\0", 4);
	flat += std::string("be:bgndimginfooffset\0", 21) + std::string(8, '\0');
	flat += std::string("be:bgndimginfoerasetext\0", 24) + std::string("\1", 1);
	return flat;
}

TEST(BackgroundAttribute, FiveFieldMessageMatchesHaikusBytes)
{
	std::string want = hand_made_background();
	ASSERT_EQ(want.size(), 68u + 5 * 24 + 138);
	BMessage background(0);
	background.AddInt32("be:bgndimginfoworkspaces", 1);
	background.AddString("be:bgndimginfopath", "wall.png");
	background.AddInt32("be:bgndimginfomode", 1);
	background.AddPoint("be:bgndimginfooffset", BPoint(0, 0));
	background.AddBool("be:bgndimginfoerasetext", true);
	ASSERT_EQ(background.FlattenedSize(), (ssize_t)want.size());
	std::string flat(want.size(), '\0');
	ASSERT_EQ(background.Flatten(&flat[0], flat.size()), B_OK);
	for (size_t i = 0; i < want.size(); i++)
		ASSERT_EQ((unsigned char)flat[i], (unsigned char)want[i]) << "byte " << i;
}

// A home with a Desktop folder, entered as the current folder.
class desktop_home {
public:
	desktop_home()
	{
		fEnv.set("HOME", fHome.path());
		fEnv.unset("XDG_CONFIG_HOME");
		fEnv.unset("XDG_STATE_HOME");
		fEnv.set("XDG_CACHE_HOME", fHome.file("cache"));
		mkdir(desktop().c_str(), 0755);
		char here[PATH_MAX];
		fBack = getcwd(here, sizeof(here)) != nullptr ? here : "/";
		EXPECT_EQ(chdir(fHome.path().c_str()), 0);
	}
	~desktop_home() { EXPECT_EQ(chdir(fBack.c_str()), 0); }

	std::string desktop() const { return fHome.file("Desktop"); }
	std::string file(const std::string& name) const { return fHome.file(name); }
	void write(const std::string& name, const std::string& content) const
	{
		fHome.write(name, content);
	}
	void record(const std::string& flat) const
	{
		BNode node(desktop().c_str());
		ASSERT_EQ(node.WriteAttr("be:bgndimginfo", B_MESSAGE_TYPE, 0, flat.data(), flat.size()),
			(ssize_t)flat.size());
	}
	scoped_env& env() { return fEnv; }

private:
	temp_dir fHome;
	scoped_env fEnv;
	std::string fBack;
};

std::string flatten(const BMessage& message)
{
	std::string flat(message.FlattenedSize(), '\0');
	message.Flatten(&flat[0], flat.size());
	return flat;
}

struct attribute_row {
	const char* name;
	std::string raw;                 // the attribute as bytes, or
	std::vector<int32> workspaces;   // entries to flatten ("~" in a path: the home folder)
	std::vector<std::string> paths;
	const char* picture;             // expected, relative to the home folder; null: refused
	const char* reason;              // part of the refusal
};

TEVRA_PRINT_CASE(attribute_row)

const attribute_row attribute_rows[] = {
	{"HandMadeRelativePathFromCurrentFolder", hand_made_background(), {}, {}, "wall.png", nullptr},
	{"AbsolutePathKept", "", {1}, {"~/pictures/a.png"}, "pictures/a.png", nullptr},
	{"FirstWorkspaceInSecondEntry", "", {6, 3}, {"other.png", "wall.png"}, "wall.png", nullptr},
	{"NoEntryForFirstWorkspace", "", {6}, {"wall.png"}, nullptr, "names no picture"},
	{"NoAttribute", "", {}, {}, nullptr, "holds no background"},
	{"Truncated", hand_made_background().substr(0, 200), {}, {}, nullptr, "damaged"},
	{"PictureMissing", "", {1}, {"gone.png"}, nullptr, "cannot read the picture"},
};

class ReadBackground : public testing::TestWithParam<attribute_row> {};

TEST_P(ReadBackground, TakesTheFirstWorkspacesPicture)
{
	const attribute_row& row = GetParam();
	desktop_home home;
	home.write("wall.png", "picture");
	mkdir(home.file("pictures").c_str(), 0755);
	home.write("pictures/a.png", "picture");
	std::string flat = row.raw;
	if (!row.workspaces.empty()) {
		BMessage m(0);
		for (size_t i = 0; i < row.workspaces.size(); i++) {
			std::string path = row.paths[i];
			if (path[0] == '~')
				path = home.file(path.substr(2));
			m.AddInt32("be:bgndimginfoworkspaces", row.workspaces[i]);
			m.AddString("be:bgndimginfopath", path.c_str());
			m.AddInt32("be:bgndimginfomode", 1);
		}
		flat = flatten(m);
	}
	if (!flat.empty())
		home.record(flat);

	std::string picture;
	std::string why = desktop::read_desktop_background(&picture);
	if (row.picture != nullptr) {
		EXPECT_EQ(why, "");
		EXPECT_EQ(picture, home.file(row.picture));
	} else {
		EXPECT_NE(why.find(row.reason), std::string::npos) << why;
	}
}

INSTANTIATE_TEST_SUITE_P(Attributes, ReadBackground, testing::ValuesIn(attribute_rows),
	case_name<attribute_row>);

TEST(ReadBackground, WithoutADesktopFolderOurOwnHoldsIt)
{
	desktop_home home;
	rmdir(home.desktop().c_str());
	home.write("wall.png", "picture");
	BMessage m(0);
	m.AddInt32("be:bgndimginfoworkspaces", 1);
	m.AddString("be:bgndimginfopath", "wall.png");
	std::string flat = flatten(m);
	ASSERT_EQ(BNode("/boot/home/Desktop").WriteAttr("be:bgndimginfo", B_MESSAGE_TYPE, 0,
		flat.data(), flat.size()), (ssize_t)flat.size());
	EXPECT_GT(xattr(home.file(".local/state/tevra/Desktop"), "user.haiku.be:bgndimginfo").size(),
		0u);
	std::string picture;
	EXPECT_EQ(desktop::read_desktop_background(&picture), "");
	EXPECT_EQ(picture, home.file("wall.png"));
}

TEST(ReadBackground, FolderThatCannotBeMadeIsNamed)
{
	desktop_home home;
	rmdir(home.desktop().c_str());
	home.write("state", "a file where a folder should be");
	home.env().set("XDG_STATE_HOME", home.file("state"));
	std::string picture;
	std::string why = desktop::read_desktop_background(&picture);
	EXPECT_NE(why.find(home.file("state/tevra/Desktop") + " cannot be opened"), std::string::npos)
		<< why;
}

// --- What reaches the bridge: the Tracker's signature with 'Tbgr', and the desktop colour.

TEST(TrackerSignature, ReachesTheBridgeFromTheApplicationsStart)
{
	EXPECT_TRUE(BMessenger("application/x-vnd.Be-TRAK").IsValid());
}

std::vector<std::vector<std::string>> commands_run;

desktop::command_result record_command(const std::vector<std::string>& argv,
	const desktop::command_options&)
{
	commands_run.push_back(argv);
	desktop::command_result result;
	result.how = desktop::command_result::exited;
	result.status = 0;
	return result;
}

class TrackerStandIn : public testing::Test {
protected:
	void SetUp() override
	{
		desktop::start_desktop_bridge();
		commands_run.clear();
		desktop::g_run_command = record_command;
		fHome.env().no_desktop();
		fHome.env().set("XDG_CURRENT_DESKTOP", "sway");
		fHome.write("wall.png", "picture");
		fHome.record(hand_made_background());
	}
	void TearDown() override
	{
		desktop::apply_pending();
		desktop::g_run_command = desktop::run_command_for_real;
	}

	desktop_home fHome;
};

TEST_F(TrackerStandIn, RereadAndColourApplyTogetherOnce)
{
	BMessenger tracker("application/x-vnd.Be-TRAK");
	ASSERT_TRUE(tracker.IsValid());
	ASSERT_EQ(tracker.SendMessage('Tbgr'), B_OK);
	BScreen().SetDesktopColor(make_color(0x33, 0x66, 0x99), true);
	EXPECT_TRUE(commands_run.empty()) << "nothing is applied before the run ends";

	EXPECT_EQ(desktop::apply_pending(), "");
	ASSERT_EQ(commands_run.size(), 1u);
	const std::vector<std::string>& sway = commands_run[0];
	ASSERT_EQ(sway.size(), 7u);
	EXPECT_EQ(sway[0], "swaymsg");
	EXPECT_EQ(sway[5], "center");
	EXPECT_EQ(sway[6], "#336699");
	std::string shown = sway[4].substr(2, sway[4].size() - 4); // inside "'...'"
	EXPECT_EQ(shown.rfind(fHome.file("cache/tevra/backgrounds/wall-"), 0), 0u) << shown;
	EXPECT_EQ(read_file(shown), "picture");

	EXPECT_EQ(desktop::apply_pending(), "");
	EXPECT_EQ(commands_run.size(), 1u) << "applied once";
}

TEST_F(TrackerStandIn, OtherCommandsAreIgnored)
{
	BMessenger("application/x-vnd.Be-TRAK").SendMessage('Tnop');
	EXPECT_FALSE(desktop::desktop_bridge_pending());
}

TEST_F(TrackerStandIn, UnreadablePictureStillSetsTheColour)
{
	unlink(fHome.file("wall.png").c_str());
	BMessenger("application/x-vnd.Be-TRAK").SendMessage('Tbgr');
	BScreen().SetDesktopColor(make_color(1, 2, 3), true);
	std::string why = desktop::apply_pending();
	EXPECT_NE(why.find("cannot read the picture"), std::string::npos) << why;
	ASSERT_EQ(commands_run.size(), 1u);
	EXPECT_EQ(commands_run[0], (std::vector<std::string>{"swaymsg", "output", "*", "bg",
		"#010203", "solid_color"}));
}

// --- The seam: every command within its time, its failures put in words.

struct command_row {
	const char* name;
	std::vector<std::string> argv;
	desktop::command_result::outcome how;
	int status;
	const char* out;
	const char* described; // part of describe_failure; "" when it succeeded
};

TEVRA_PRINT_CASE(command_row)

const command_row command_rows[] = {
	{"SuccessKeepsOutput", {"sh", "-c", "echo out; echo note >&2"},
		desktop::command_result::exited, 0, "out\n", ""},
	{"FailureQuotesFirstErrorLine", {"sh", "-c", "echo; echo '  No such key \"x\"' >&2; echo more >&2; exit 3"},
		desktop::command_result::exited, 3, "\n", "sh failed (status 3): No such key \"x\""},
	{"FailureWithoutWordsGivesStatus", {"false"}, desktop::command_result::exited, 1, "",
		"false failed (status 1)"},
	{"MissingProgram", {"tevra-no-such-program"}, desktop::command_result::not_found, -1, "",
		"tevra-no-such-program is not installed"},
	{"InputIsEmptyNotATerminal", {"cat"}, desktop::command_result::exited, 0, "", ""},
	{"HangIsKilled", {"sh", "-c", "sleep 30"}, desktop::command_result::timed_out, -1, "",
		"sh did not finish in time"},
};

class RunCommand : public testing::TestWithParam<command_row> {};

TEST_P(RunCommand, ReportsHowItEnded)
{
	const command_row& row = GetParam();
	desktop::command_options options;
	options.timeout_ms = row.how == desktop::command_result::timed_out ? 200 : 10000;
	desktop::command_result result = desktop::run_command_for_real(row.argv, options);
	EXPECT_EQ(result.how, row.how);
	if (row.how == desktop::command_result::exited) {
		EXPECT_EQ(result.status, row.status);
	}
	EXPECT_EQ(result.out, row.out);
	EXPECT_EQ(desktop::describe_failure(row.argv, result), row.described);
}

INSTANTIATE_TEST_SUITE_P(Commands, RunCommand, testing::ValuesIn(command_rows),
	case_name<command_row>);

TEST(RunCommandTimeout, KillsWhatTheCommandStarted)
{
	temp_dir dir;
	desktop::command_options options;
	options.timeout_ms = 200;
	desktop::command_result result = desktop::run_command_for_real({"sh", "-c",
		"sleep 30 & echo $! > '" + dir.file("child") + "'; wait"}, options);
	EXPECT_EQ(result.how, desktop::command_result::timed_out);
	pid_t child = atoi(dir.read("child").c_str());
	ASSERT_GT(child, 0);
	EXPECT_TRUE(eventually([&] { return process_gone(child); })) << "pid " << child;
}

TEST(RunCommandDetached, LeavesTheProgramRunning)
{
	desktop::command_options options;
	options.detach = true;
	options.timeout_ms = 100;
	desktop::command_result result = desktop::run_command_for_real({"sleep", "30"}, options);
	ASSERT_EQ(result.how, desktop::command_result::running);
	ASSERT_GT(result.pid, 0);
	EXPECT_FALSE(process_gone(result.pid));
	EXPECT_EQ(getpgid(result.pid), result.pid) << "in a session of its own";
	kill(result.pid, SIGKILL);
	waitpid(result.pid, nullptr, 0);
}

// --- Create mode with nothing to apply to: the picture and the attribute are still written,
// the run ends with status 0, and one line on standard error says why (after one that says the
// screen could not be asked, when a display was named that cannot be reached).

run_result run_create_mode(const temp_dir& home, const std::vector<std::string>& environment)
{
	home.write("design", "out_format\timage/png\nwp_autoset\ty\nscreen_color\t00123456\n");
	run_options options = outside_session(home);
	options.environment.insert(options.environment.end(), environment.begin(), environment.end());
	return run_tevra({"design", "wall.png"}, options);
}

struct no_desktop_row {
	const char* name;
	std::vector<std::string> environment;
	bool desktop_folder;
	const char* reason;
	bool screen_unreachable;
};

TEVRA_PRINT_CASE(no_desktop_row)

const no_desktop_row no_desktop_rows[] = {
	{"NoDisplay", {}, true, "no desktop session to show it", false},
	{"GnomeWithoutGsettings", {"XDG_CURRENT_DESKTOP=GNOME", "PATH=/nonexistent"}, true,
		"gsettings is not installed", false},
	{"XServerUnreachable", {"DISPLAY=:the-missing-one"}, true, "cannot open the X display", true},
	{"WaylandUnreachable", {"WAYLAND_DISPLAY=tevra-missing", "XDG_CURRENT_DESKTOP=sway",
		"PATH=/nonexistent"}, true, "swaymsg is not installed", true},
	{"NoDesktopFolder", {}, false, "no desktop session to show it", false},
};

class NothingToApplyTo : public testing::TestWithParam<no_desktop_row> {};

TEST_P(NothingToApplyTo, WritesEverythingAndSaysWhyInOneLine)
{
	const no_desktop_row& row = GetParam();
	temp_dir home;
	if (row.desktop_folder)
		mkdir(home.file("Desktop").c_str(), 0755);
	std::vector<std::string> environment = row.environment;
	environment.push_back("XDG_RUNTIME_DIR=" + home.path());
	run_result r = run_create_mode(home, environment);
	EXPECT_EQ(r.status, 0);
	std::string lines = r.err;
	if (row.screen_unreachable) {
		const std::string note = "tevra: the display could not be reached; composing for "
			"1920 x 1080\n";
		EXPECT_EQ(lines.rfind(note, 0), 0u) << lines;
		lines = lines.substr(std::min(note.size(), lines.size()));
		QImage picture(QString::fromStdString(home.file("wall.png")));
		EXPECT_EQ(picture.size(), QSize(1920, 1080));
	}
	const std::string prefix = "tevra: the desktop background could not be applied: ";
	EXPECT_EQ(lines.rfind(prefix, 0), 0u) << r.err;
	EXPECT_NE(lines.find(row.reason), std::string::npos) << r.err;
	EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << r.err;
	EXPECT_GT(read_file(home.file("wall.png")).size(), 0u);
	std::string folder = row.desktop_folder ? "Desktop" : ".local/state/tevra/Desktop";
	EXPECT_GT(getxattr(home.file(folder).c_str(), "user.haiku.be:bgndimginfo", nullptr, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(CreateMode, NothingToApplyTo, testing::ValuesIn(no_desktop_rows),
	case_name<no_desktop_row>);

}
