#include "tests/render/render_fixture.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include <Application.h>
#include <Entry.h>
#include <Message.h>
#include <Messenger.h>
#include <Screen.h>

#include "app/tevra.h"
#include "model/catalogue_items.h"
#include "platform/interface/clock.h"
#include "platform/storage/os_calls.h"
#include "tests/support/files.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

// Every write the program makes (the picture, the design, the desktop background attribute)
// meeting a full disk, a read-only folder or a kill half-way: what was there before stays
// whole and readable, and create mode says so and ends with status 1.

namespace {

const char kTracker[] = "application/x-vnd.Be-TRAK";
const char kBackgroundXattr[] = "user.haiku.be:bgndimginfo";

// The background attribute as the program writes it: its type code, then the message.
std::string background_attribute(const std::string& picture)
{
	BMessage background(0);
	background.AddInt32("be:bgndimginfoworkspaces", 1);
	background.AddString("be:bgndimginfopath", picture.c_str());
	std::string flat(background.FlattenedSize(), '\0');
	background.Flatten(&flat[0], flat.size());
	uint32 type = B_MESSAGE_TYPE;
	return std::string((const char*)&type, sizeof(type)) + flat;
}

// The picture the attribute names, or "" when it is no whole message.
std::string background_picture(const std::string& attribute)
{
	BMessage message;
	const char* path = nullptr;
	if (attribute.size() < 4 || message.Unflatten(attribute.data() + 4, attribute.size() - 4)
			!= B_OK
		|| message.FindString("be:bgndimginfopath", &path) != B_OK)
		return "";
	return path;
}

int32 format_index(uint32 type)
{
	for (int32 i = 0; format_item* format = (format_item*)xlt.ItemAt(i); i++) {
		if (format->type == type)
			return i;
	}
	return -1;
}

// Puts the real calls back whatever the test does.
struct os_calls_guard {
	~os_calls_guard() { g_os_calls = k_real_os_calls; }
};

// A picture already there, as yesterday's run left it: small, and decodable.
std::string old_picture()
{
	temp_dir dir;
	const uint32 colours[4] = {0x102030, 0x405060, 0x708090, 0xa0b0c0};
	encode_file(make_quarters(32, 24, colours), B_PNG_FORMAT, dir.file("old.png"));
	return dir.read("old.png");
}

void tracker_stand_in(const BMessage&)
{
}

void desktop_color_stand_in(rgb_color)
{
}

// The home folder (so the desktop folder) in a test folder, and a Tracker that listens.
class desktop_faults : public render_test {
protected:
	void SetUp() override
	{
		render_test::SetUp();
		for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"}) {
			const char* value = getenv(name);
			fSaved.push_back({name, value != nullptr, value != nullptr ? value : ""});
		}
		setenv("HOME", home.path().c_str(), 1);
		setenv("XDG_CONFIG_HOME", home.file(".config").c_str(), 1);
		// Where the background's folder goes when there is no desktop folder: the test's too.
		setenv("XDG_STATE_HOME", home.file(".local/state").c_str(), 1);
		ASSERT_EQ(mkdir(desktop().c_str(), 0755), 0);
		// Nothing reaches the desktop the tests may run on.
		register_signature_receiver(kTracker, tracker_stand_in);
		fColor = BScreen().DesktopColor();
		register_desktop_color_receiver(desktop_color_stand_in);
	}

	void TearDown() override
	{
		register_signature_receiver(kTracker, nullptr);
		register_desktop_color_receiver(nullptr);
		BScreen().SetDesktopColor(fColor, true);
		for (const saved& s : fSaved) {
			if (s.had)
				setenv(s.name, s.value.c_str(), 1);
			else
				unsetenv(s.name);
		}
		render_test::TearDown();
	}

	std::string desktop() const { return home.file("Desktop"); }

	temp_dir home;

private:
	struct saved {
		const char* name;
		bool had;
		std::string value;
	};
	std::vector<saved> fSaved;
	rgb_color fColor;
};

int g_fail_errno;

// Fails only the background attribute, so the picture's own type attribute is still written.
int failing_background_xattr(int fd, const char* name, const void* value, size_t size, int flags)
{
	if (strstr(name, "bgndimginfo") != nullptr) {
		errno = g_fail_errno;
		return -1;
	}
	return k_real_os_calls.fsetxattr(fd, name, value, size, flags);
}

struct errno_case {
	const char* name;
	int error;
};
TEVRA_PRINT_CASE(errno_case)

}

// --- The background attribute: a write that fails keeps the one before, and is reported.

class attribute_write_fails : public desktop_faults,
	public testing::WithParamInterface<errno_case> {};

TEST_P(attribute_write_fails, KeepsTheOldBackgroundAndCreateModeFails)
{
	std::string before = background_attribute("/pictures/yesterday.png");
	ASSERT_EQ(setxattr(desktop().c_str(), kBackgroundXattr, before.data(), before.size(), 0), 0);
	os_calls_guard guard;
	g_fail_errno = GetParam().error;
	g_os_calls.fsetxattr = failing_background_xattr;

	EXPECT_EQ(view->set_wallpaper("today.png"), -GetParam().error);
	EXPECT_EQ(xattr(desktop(), kBackgroundXattr), before);

	// Create mode writes the picture, then says that the background was not recorded.
	temp_dir work;
	work.write("design", "out_format\timage/png\nwp_autoset\ty\nbase_type\t0\n");
	tevra* app = dynamic_cast<tevra*>(be_app);
	ASSERT_NE(app, nullptr);
	int status = app->exit_status;
	testing::internal::CaptureStderr();
	app->view = new tevraview(scrn);
	app->create(work.file("design").c_str(), work.file("wall.png").c_str());
	delete app->view;
	app->view = nullptr;
	std::string err = testing::internal::GetCapturedStderr();
	EXPECT_EQ(app->exit_status, 1);
	app->exit_status = status;
	EXPECT_EQ(err, std::string("tevra: cannot record the desktop background: ")
		+ strerror(GetParam().error) + "\n");
	EXPECT_EQ(xattr(desktop(), kBackgroundXattr), before);
	std::unique_ptr<BBitmap> written(decode_file(work.file("wall.png")));
	EXPECT_NE(written, nullptr);
}

INSTANTIATE_TEST_SUITE_P(render, attribute_write_fails, testing::Values(
	errno_case{"DiskFull", ENOSPC},
	errno_case{"OverQuota", EDQUOT},
	errno_case{"ReadOnlyFileSystem", EROFS},
	errno_case{"NotPermitted", EPERM},
	errno_case{"NoAttributesHere", ENOTSUP}),
	case_name<errno_case>);

TEST_F(desktop_faults, NoDesktopFolderIsNoFailedWrite)
{
	ASSERT_EQ(rmdir(desktop().c_str()), 0);
	temp_dir work;
	work.write("design", "out_format\timage/png\nwp_autoset\ty\n");
	tevra* app = dynamic_cast<tevra*>(be_app);
	ASSERT_NE(app, nullptr);
	testing::internal::CaptureStderr();
	app->view = new tevraview(scrn);
	app->create(work.file("design").c_str(), work.file("wall.png").c_str());
	delete app->view;
	app->view = nullptr;
	EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
	EXPECT_EQ(app->exit_status, 0);
}

// --- Killed half-way: a process stopped at a chosen point of a write, in a child of the
// test, leaves the previous file (or attribute) whole, or the new one whole.

namespace {

enum kill_point {
	kill_mid_data,       // half of a data write done
	kill_before_rename,  // all written and flushed, not yet in place
	kill_after_rename,   // in place, before anything after it
	kill_before_attribute,
	kill_after_attribute,
};

kill_point g_kill_at;

[[noreturn]] void die()
{
	kill(getpid(), SIGKILL);
	_exit(99);
}

ssize_t pwrite_then_die(int fd, const void* buffer, size_t size, off_t offset)
{
	if (g_kill_at == kill_mid_data && size > 1) {
		k_real_os_calls.pwrite(fd, buffer, size / 2, offset);
		die();
	}
	return k_real_os_calls.pwrite(fd, buffer, size, offset);
}

int fsync_then_die(int fd)
{
	int result = k_real_os_calls.fsync(fd);
	if (g_kill_at == kill_before_rename)
		die();
	return result;
}

int rename_then_die(const char* from, const char* to)
{
	int result = k_real_os_calls.rename(from, to);
	if (g_kill_at == kill_after_rename)
		die();
	return result;
}

int fsetxattr_then_die(int fd, const char* name, const void* value, size_t size, int flags)
{
	bool background = strstr(name, "bgndimginfo") != nullptr;
	if (background && g_kill_at == kill_before_attribute)
		die();
	int result = k_real_os_calls.fsetxattr(fd, name, value, size, flags);
	if (background && g_kill_at == kill_after_attribute)
		die();
	return result;
}

// Runs write in a child with every write call watched, killed at the point; true when the
// child was killed there (and not, say, finished or crashed).
bool killed_while(kill_point point, const std::function<void()>& write)
{
	fflush(nullptr);
	pid_t pid = fork();
	if (pid == 0) {
		g_kill_at = point;
		g_os_calls.pwrite = pwrite_then_die;
		g_os_calls.fsync = fsync_then_die;
		g_os_calls.rename = rename_then_die;
		g_os_calls.fsetxattr = fsetxattr_then_die;
		write();
		_exit(0);
	}
	int status = 0;
	if (pid < 0 || waitpid(pid, &status, 0) != pid)
		return false;
	return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

struct kill_case {
	const char* name;
	kill_point point;
	bool new_in_place;
};
TEVRA_PRINT_CASE(kill_case)

}

class killed_saving_picture : public desktop_faults,
	public testing::WithParamInterface<kill_case> {};

TEST_P(killed_saving_picture, LeavesTheOldPictureOrTheNewOneWhole)
{
	const kill_case& c = GetParam();
	temp_dir dir;
	std::string before = old_picture();
	dir.write("wall.png", before);
	outfmt = format_index(B_PNG_FORMAT);
	ASSERT_GE(outfmt, 0);
	add_object(kTypeMonth, BRect(100, 100, 500, 400));
	view->create_wallpaper();
	entry_ref folder;
	ASSERT_EQ(get_ref_for_path(dir.path().c_str(), &folder), B_OK);

	ASSERT_TRUE(killed_while(c.point, [&] { view->save(&folder, "wall.png"); }));
	// Nothing half-written is left beside it, wherever the kill came.
	EXPECT_EQ(listing(dir.path()), std::set<std::string>{"wall.png"});
	if (!c.new_in_place) {
		EXPECT_TRUE(dir.read("wall.png") == before);
		return;
	}
	std::unique_ptr<BBitmap> written(decode_file(dir.file("wall.png")));
	ASSERT_NE(written, nullptr);
	EXPECT_EQ(written->Bounds(), scrn);
	EXPECT_EQ(pixel_of(written.get(), 0, 0), kBase);
}

INSTANTIATE_TEST_SUITE_P(render, killed_saving_picture, testing::Values(
	kill_case{"MidData_OldKept", kill_mid_data, false},
	kill_case{"FlushedNotRenamed_OldKept", kill_before_rename, false},
	kill_case{"Renamed_NewWhole", kill_after_rename, true}),
	case_name<kill_case>);

class killed_saving_design : public desktop_faults,
	public testing::WithParamInterface<kill_case> {};

TEST_P(killed_saving_design, LeavesTheOldDesignOrTheNewOneWhole)
{
	const kill_case& c = GetParam();
	temp_dir dir;
	std::string before = "base_type\t0\nbase_color\t00112233\n\ntype\t0\nbounds\t1,2,3,4\n";
	dir.write("design", before);
	for (int i = 0; i < 40; i++)
		add_object(kTypeYear, BRect(i, i, i + 300, i + 200));
	entry_ref folder;
	ASSERT_EQ(get_ref_for_path(dir.path().c_str(), &folder), B_OK);

	ASSERT_TRUE(killed_while(c.point, [&] { view->save_config(&folder, "design"); }));
	EXPECT_EQ(listing(dir.path()), std::set<std::string>{"design"});
	if (!c.new_in_place) {
		EXPECT_EQ(dir.read("design"), before);
		return;
	}
	entry_ref design;
	ASSERT_EQ(get_ref_for_path(dir.file("design").c_str(), &design), B_OK);
	view->load_config(&design);
	ASSERT_EQ(obl.CountItems(), 40);
	EXPECT_EQ(((object*)obl.ItemAt(39))->bounds, BRect(39, 39, 339, 239));
}

INSTANTIATE_TEST_SUITE_P(render, killed_saving_design, testing::Values(
	kill_case{"MidData_OldKept", kill_mid_data, false},
	kill_case{"FlushedNotRenamed_OldKept", kill_before_rename, false},
	kill_case{"Renamed_NewWhole", kill_after_rename, true}),
	case_name<kill_case>);

class killed_recording_background : public desktop_faults,
	public testing::WithParamInterface<kill_case> {};

TEST_P(killed_recording_background, LeavesTheOldAttributeOrTheNewOneWhole)
{
	const kill_case& c = GetParam();
	std::string before = background_attribute("/pictures/yesterday.png");
	ASSERT_EQ(setxattr(desktop().c_str(), kBackgroundXattr, before.data(), before.size(), 0), 0);

	ASSERT_TRUE(killed_while(c.point, [&] { view->set_wallpaper("/pictures/today.png"); }));
	EXPECT_EQ(background_picture(xattr(desktop(), kBackgroundXattr)),
		c.new_in_place ? "/pictures/today.png" : "/pictures/yesterday.png");
}

INSTANTIATE_TEST_SUITE_P(render, killed_recording_background, testing::Values(
	kill_case{"BeforeTheWrite_OldKept", kill_before_attribute, false},
	kill_case{"AfterTheWrite_NewWhole", kill_after_attribute, true}),
	case_name<kill_case>);

// --- The real program on a real file system: a full disk, a read-only folder, and kills
// at random moments.

namespace {

// A tmpfs over a folder for the length of a test, when this user may mount one (root here).
class scratch_mount {
public:
	scratch_mount(const std::string& folder, const char* options)
		: fFolder(folder)
	{
		fMounted = mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options) == 0;
	}
	~scratch_mount()
	{
		if (fMounted)
			umount2(fFolder.c_str(), MNT_DETACH);
	}
	bool mounted() const { return fMounted; }
	bool make_read_only()
	{
		return mount(nullptr, fFolder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID
			| MS_NODEV, nullptr) == 0;
	}

private:
	std::string fFolder;
	bool fMounted;
};

}

class real_write_faults : public testing::Test {
protected:
	void SetUp() override
	{
		before = old_picture();
		ASSERT_EQ(mkdir(scratch.file("home").c_str(), 0755), 0);
		ASSERT_EQ(mkdir(scratch.file("home/Desktop").c_str(), 0755), 0);
		ASSERT_EQ(mkdir(scratch.file("out").c_str(), 0755), 0);
		// Create mode as a timer runs it: a minimal environment, without a display.
		std::string home = scratch.file("home");
		options.clean_environment = true;
		options.environment = {"PATH=/usr/bin:/bin", "LANG=C.UTF-8", "HOME=" + home,
			"XDG_CONFIG_HOME=" + home + "/.config", "XDG_CACHE_HOME=" + home + "/.cache"};
		// A picture of some six megabytes, more than the full disks below have room for.
		write_design(false);
	}

	void write_design(bool autoset)
	{
		scratch.write("design", std::string("out_format\timage/bmp\nbase_type\t0\n"
			"base_color\t00204060\nwp_autoset\t") + (autoset ? "y" : "n")
			+ "\n\ntype\t10\nbounds\t100,100,600,500\n");
	}

	std::string output() const { return scratch.file("out/wall.png"); }

	run_result create() const { return run_tevra({scratch.file("design"), output()}, options); }

	// Create mode failed on the picture, said so naming it, and left the old one alone.
	void expect_failed_and_old_kept(const run_result& r)
	{
		EXPECT_EQ(r.status, 1) << r.err;
		EXPECT_NE(r.err.find("tevra: cannot write " + output() + ": "), std::string::npos)
			<< r.err;
		EXPECT_TRUE(read_file(output()) == before);
		EXPECT_EQ(listing(scratch.file("out")), std::set<std::string>{"wall.png"});
	}

	temp_dir scratch;
	std::string before;
	run_options options;
};

TEST_F(real_write_faults, FullDisk_OldPictureKeptStatusOne)
{
	scratch_mount disk(scratch.file("out"), "size=1m");
	if (!disk.mounted())
		GTEST_SKIP() << "this user cannot mount a small file system: " << strerror(errno);
	scratch.write("out/wall.png", before);
	run_result r = create();
	expect_failed_and_old_kept(r);
	EXPECT_NE(r.err.find(strerror(ENOSPC)), std::string::npos) << r.err;
}

TEST_F(real_write_faults, FileSizeLimit_OldPictureKeptStatusOne)
{
	scratch.write("out/wall.png", before);
	options.file_size_limit = 1 << 20;
	run_result r = create();
	expect_failed_and_old_kept(r);
	EXPECT_NE(r.err.find(strerror(EFBIG)), std::string::npos) << r.err;
}

// Root writes through permissions; a file system mounted read-only stops root too.
TEST_F(real_write_faults, ReadOnlyFolder_OldPictureAndBackgroundKeptStatusOne)
{
	scratch_mount disk(scratch.file("out"), "size=8m");
	if (!disk.mounted())
		GTEST_SKIP() << "this user cannot mount a small file system: " << strerror(errno);
	scratch.write("out/wall.png", before);
	ASSERT_EQ(mkdir(scratch.file("out/Desktop").c_str(), 0755), 0);
	std::string background = background_attribute("/pictures/yesterday.png");
	std::string desktop = scratch.file("out/Desktop");
	bool attributes = setxattr(desktop.c_str(), kBackgroundXattr, background.data(),
		background.size(), 0) == 0;
	ASSERT_TRUE(disk.make_read_only());
	write_design(true);
	// The desktop folder lies on the read-only disk too.
	ASSERT_EQ(mkdir(scratch.file("home/.config").c_str(), 0755), 0);
	scratch.write("home/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"" + desktop + "\"\n");

	run_result r = create();
	EXPECT_EQ(r.status, 1) << r.err;
	EXPECT_NE(r.err.find("tevra: cannot write " + output() + ": " + strerror(EROFS)),
		std::string::npos) << r.err;
	EXPECT_TRUE(read_file(output()) == before);
	EXPECT_EQ(listing(scratch.file("out")), (std::set<std::string>{"Desktop", "wall.png"}));
	if (!attributes)
		GTEST_SKIP() << "this file system keeps no attributes";
	EXPECT_NE(r.err.find(std::string("tevra: cannot record the desktop background: ")
		+ strerror(EROFS)), std::string::npos) << r.err;
	EXPECT_EQ(xattr(desktop, kBackgroundXattr), background);
}

// Only a regular file, or a link to one, is replaced; in a shared folder (sticky, anyone may
// write, as /tmp) a link another user planted is not followed. Refused, the old file stays.
TEST_F(real_write_faults, OutputThatIsNoPlainFileIsRefused)
{
	std::string shared = scratch.file("shared");
	ASSERT_EQ(mkdir(shared.c_str(), 0755), 0);
	ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
	const struct {
		const char* name;
		bool link;
		uid_t owner;
		const char* said;  // nullptr: written through the link
	} rows[] = {
		{"pipe", false, 0, "it is not a regular file"},
		{"own link", true, geteuid(), nullptr},
		{"stranger's link", true, 65534, "it is a link that another user made in a shared folder"},
	};
	bool skipped = false;
	for (const auto& row : rows) {
		SCOPED_TRACE(row.name);
		std::string target = scratch.file("out/wall.png"), output = shared + "/wall.png";
		scratch.write("out/wall.png", before);
		unlink(output.c_str());
		if (!row.link) {
			ASSERT_EQ(mkfifo(output.c_str(), 0644), 0);
		} else {
			ASSERT_EQ(symlink(target.c_str(), output.c_str()), 0);
			if (lchown(output.c_str(), row.owner, row.owner) != 0) {
				skipped = true;
				continue;
			}
		}
		run_result r = run_tevra({scratch.file("design"), output}, options);
		EXPECT_EQ(r.status, row.said != nullptr ? 1 : 0) << r.err;
		EXPECT_EQ(read_file(target) == before, row.said != nullptr);
		struct stat st;
		EXPECT_EQ(lstat(output.c_str(), &st), 0);
		EXPECT_EQ(S_ISFIFO(st.st_mode), !row.link);
		if (row.said != nullptr) {
			EXPECT_EQ(r.err.rfind("tevra: cannot write " + output + ": " + row.said, 0), 0u)
				<< r.err;
		}
	}
	if (skipped)
		GTEST_SKIP() << "only root can make a link that another user owns";
}

// Killed at any moment, a run leaves yesterday's picture and background, or today's whole.
// Seeded; TEVRA_KILL_RUNS and TEVRA_KILL_SEED repeat or widen it.
TEST_F(real_write_faults, KilledAtRandomMoments_OldOrNewWhole)
{
	const char* runsText = getenv("TEVRA_KILL_RUNS");
	const char* seedText = getenv("TEVRA_KILL_SEED");
	int runs = runsText != nullptr ? atoi(runsText) : 12;
	unsigned seed = seedText != nullptr ? (unsigned)strtoul(seedText, nullptr, 10) : 20261207u;
	SCOPED_TRACE("TEVRA_KILL_SEED=" + std::to_string(seed));
	std::mt19937 random(seed);
	write_design(true);
	std::string desktop = scratch.file("home/Desktop");
	std::string background = background_attribute("/pictures/yesterday.png");

	// How long a whole run takes here, so the kills fall all over it.
	int64_t start = now_microseconds();
	run_result whole = create();
	long span = now_microseconds() - start;
	ASSERT_FALSE(whole.killed);
	std::unique_ptr<BBitmap> reference(decode_file(output()));
	ASSERT_NE(reference, nullptr);

	int kept = 0, replaced = 0;
	for (int run = 0; run < runs; run++) {
		scratch.write("out/wall.png", before);
		ASSERT_EQ(setxattr(desktop.c_str(), kBackgroundXattr, background.data(),
			background.size(), 0), 0);
		options.kill_after_us = std::uniform_int_distribution<long>(0, span * 6 / 5)(random);
		SCOPED_TRACE("run " + std::to_string(run) + ", killed after "
			+ std::to_string(options.kill_after_us) + " us");
		create();

		std::string now = read_file(output());
		if (now == before) {
			kept++;
		} else {
			replaced++;
			std::unique_ptr<BBitmap> written(decode_file(output()));
			ASSERT_NE(written, nullptr);
			ASSERT_EQ(written->Bounds(), reference->Bounds());
			EXPECT_EQ(memcmp(written->Bits(), reference->Bits(), written->BitsLength()), 0);
		}
		std::string recorded = background_picture(xattr(desktop, kBackgroundXattr));
		EXPECT_TRUE(recorded == "/pictures/yesterday.png" || recorded == output()) << recorded;
	}
	RecordProperty("old_kept", kept);
	RecordProperty("new_written", replaced);
	printf("%d runs killed: old picture kept %d times, new one written whole %d times\n",
		runs, kept, replaced);
}

// --- The design, saved by config mode, on a real full disk and a read-only folder.

namespace {

struct design_disk_case {
	const char* name;
	const char* options;  // of the tmpfs
	bool read_only;
	int error;
};
TEVRA_PRINT_CASE(design_disk_case)

}

class design_on_real_disk : public render_test,
	public testing::WithParamInterface<design_disk_case> {};

TEST_P(design_on_real_disk, SaveFailsOldDesignKept)
{
	const design_disk_case& c = GetParam();
	temp_dir dir;
	scratch_mount disk(dir.path(), c.options);
	if (!disk.mounted())
		GTEST_SKIP() << "this user cannot mount a small file system: " << strerror(errno);
	std::string before = "base_type\t0\n\ntype\t0\nbounds\t1,2,3,4\n";
	dir.write("design", before);
	if (c.read_only) {
		ASSERT_TRUE(disk.make_read_only());
	}
	// A design far larger than the full disk's room: its every calendar at length.
	for (int i = 0; i < 2000; i++)
		add_object(kTypeMonth, BRect(i, i, i + 100, i + 100));
	entry_ref folder;
	ASSERT_EQ(get_ref_for_path(dir.path().c_str(), &folder), B_OK);
	EXPECT_EQ(view->save_config(&folder, "design"), -c.error);
	EXPECT_EQ(dir.read("design"), before);
	EXPECT_EQ(listing(dir.path()), std::set<std::string>{"design"});
}

INSTANTIATE_TEST_SUITE_P(render, design_on_real_disk, testing::Values(
	design_disk_case{"FullDisk", "size=64k", false, ENOSPC},
	design_disk_case{"ReadOnlyFolder", "size=64k", true, EROFS}),
	case_name<design_disk_case>);
