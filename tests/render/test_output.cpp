#include "tests/render/render_fixture.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <vector>

#include <Application.h>
#include <Entry.h>
#include <Message.h>
#include <Messenger.h>
#include <Node.h>
#include <Screen.h>

#include "app/tevra.h"
#include "model/catalogue_items.h"
#include "platform/storage/os_calls.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

const char kTracker[] = "application/x-vnd.Be-TRAK";

// A picture with many colours: a gradient stretched over the screen and a calendar in
// bubbles over it, so a format that loses or swaps anything shows it.
void compose_busy_picture(tevraview* view)
{
	BBitmap* gradient = new BBitmap(BRect(0, 0, 255, 255), B_RGB32);
	for (int y = 0; y < 256; y++) {
		uint32* row = (uint32*)((char*)gradient->Bits() + (size_t)y * gradient->BytesPerRow());
		for (int x = 0; x < 256; x++)
			row[x] = 0xff000000 | x << 16 | y << 8 | (x + y) / 2;
	}
	view->baseimg = gradient;
	base_mode = kBaseFitScreen;
	object* item = new object(nullptr);
	item->bounds = BRect(100, 80, 700, 560);
	item->bg_type = 1;
	item->bg_color = 0x60ffffff;
	item->today_mark = 1;
	obl.AddItem(item);
	view->create_wallpaper();
}

// The MIME type as the file manager sees it and as the attribute holds it after its code.
void expect_mime(const std::string& path, const char* mime)
{
	EXPECT_EQ(xattr(path, "user.mime_type"), mime);
	std::string typed = xattr(path, "user.haiku.BEOS:TYPE");
	ASSERT_GT(typed.size(), 4u);
	EXPECT_EQ(typed.substr(4), std::string(mime) + '\0');
	BNode node(path.c_str());
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("BEOS:TYPE", &info), B_OK);
	EXPECT_EQ(info.type, (uint32)B_MIME_STRING_TYPE);
}

format_item* format_of_type(uint32 type, int32* index)
{
	for (int32 i = 0; i < trc; i++) {
		format_item* format = (format_item*)xlt.ItemAt(i);
		if (format->type == type) {
			*index = i;
			return format;
		}
	}
	return nullptr;
}

status_t save_as(tevraview* view, const std::string& folder, const char* name)
{
	entry_ref ref;
	status_t status = get_ref_for_path(folder.c_str(), &ref);
	return status != B_OK ? status : view->save(&ref, name);
}

bool lossless(uint32 type)
{
	return type == B_PNG_FORMAT || type == B_BMP_FORMAT || type == B_TIFF_FORMAT
		|| type == B_PPM_FORMAT;
}

}

// --- Every offered format writes a file of the screen's size that other programs read.

TEST_F(render_test, EveryOfferedFormatWritesAReadableScreenSizedFile)
{
	ASSERT_GT(trc, 0);
	compose_busy_picture(view.get());
	temp_dir dir;
	std::set<uint32> seen;
	for (int32 i = 0; i < trc; i++) {
		format_item* format = (format_item*)xlt.ItemAt(i);
		seen.insert(format->type);
		SCOPED_TRACE(format->format_name);
		outfmt = i;
		std::string name = "wall" + std::to_string(i);
		ASSERT_EQ(save_as(view.get(), dir.path(), name.c_str()), B_OK);
		std::string path = dir.file(name);

		EXPECT_EQ(identify_size(path), "1024 768");
		expect_mime(path, format->mime);

		std::unique_ptr<BBitmap> back(decode_file(path));
		ASSERT_NE(back, nullptr);
		ASSERT_EQ(back->Bounds(), scrn);
		if (!lossless(format->type))
			continue;
		int differing = 0;
		for_each_pixel(scrn, [&](int x, int y, uint32 value) {
			differing += pixel_of(back.get(), x, y) != value;
		});
		EXPECT_EQ(differing, 0);
	}
	EXPECT_EQ(listing(dir.path()).size(), (size_t)trc);
	// The formats the platform is expected to offer at the least.
	for (uint32 type : {B_PNG_FORMAT, B_JPEG_FORMAT, B_BMP_FORMAT, B_TIFF_FORMAT})
		EXPECT_EQ(seen.count(type), 1u) << std::hex << type;
}

TEST_F(render_test, SavingOverAFileReplacesItsContentAndType)
{
	int32 png = -1, jpeg = -1;
	ASSERT_NE(format_of_type(B_PNG_FORMAT, &png), nullptr);
	ASSERT_NE(format_of_type(B_JPEG_FORMAT, &jpeg), nullptr);
	temp_dir dir;
	compose_busy_picture(view.get());
	outfmt = png;
	ASSERT_EQ(save_as(view.get(), dir.path(), "wall"), B_OK);
	outfmt = jpeg;
	ASSERT_EQ(save_as(view.get(), dir.path(), "wall"), B_OK);

	expect_mime(dir.file("wall"), "image/jpeg");
	EXPECT_EQ(dir.read("wall").substr(0, 2), "\xff\xd8");
	EXPECT_EQ(listing(dir.path()), std::set<std::string>{"wall"});
}

TEST_F(render_test, NoOutputFormatWritesNoFile)
{
	temp_dir dir;
	for (int32 index : {-1, trc}) {
		outfmt = index;
		EXPECT_NE(save_as(view.get(), dir.path(), "wall.png"), B_OK) << index;
	}
	EXPECT_TRUE(listing(dir.path()).empty());
}

// --- A failure while writing leaves yesterday's wallpaper as it was.

namespace {

int writes_allowed;
int fail_errno;

ssize_t failing_pwrite(int fd, const void* buffer, size_t size, off_t offset)
{
	if (writes_allowed-- > 0)
		return k_real_os_calls.pwrite(fd, buffer, size, offset);
	errno = fail_errno;
	return -1;
}

int failing_fsync(int)
{
	errno = fail_errno;
	return -1;
}

int failing_rename(const char*, const char*)
{
	errno = fail_errno;
	return -1;
}

// Puts the real calls back whatever the test does.
struct os_calls_guard {
	~os_calls_guard() { g_os_calls = k_real_os_calls; }
};

struct failure_case {
	const char* name;
	int writes_allowed;
	void (*inject)();
	int error;
};
TEVRA_PRINT_CASE(failure_case)

}

class failed_save : public render_test, public testing::WithParamInterface<failure_case> {};

TEST_P(failed_save, LeavesTheOldFileWholeAndNoTemporaryFile)
{
	const failure_case& c = GetParam();
	int32 png = -1, bmp = -1;
	ASSERT_NE(format_of_type(B_PNG_FORMAT, &png), nullptr);
	ASSERT_NE(format_of_type(B_BMP_FORMAT, &bmp), nullptr);
	temp_dir dir;
	view->create_wallpaper();
	outfmt = png;
	ASSERT_EQ(save_as(view.get(), dir.path(), "wall.png"), B_OK);
	std::string before = dir.read("wall.png");

	compose_busy_picture(view.get());
	outfmt = bmp;
	{
		os_calls_guard guard;
		writes_allowed = c.writes_allowed;
		fail_errno = c.error;
		c.inject();
		EXPECT_NE(save_as(view.get(), dir.path(), "wall.png"), B_OK);
	}
	EXPECT_TRUE(dir.read("wall.png") == before);
	EXPECT_EQ(listing(dir.path()), std::set<std::string>{"wall.png"});
	expect_mime(dir.file("wall.png"), "image/png");
}

INSTANTIATE_TEST_SUITE_P(render, failed_save, testing::Values(
	failure_case{"DiskFullAtFirstWrite", 0, [] { g_os_calls.pwrite = failing_pwrite; }, ENOSPC},
	failure_case{"DiskFullHalfWay", 1, [] { g_os_calls.pwrite = failing_pwrite; }, ENOSPC},
	failure_case{"FlushFails", 0, [] { g_os_calls.fsync = failing_fsync; }, EIO},
	failure_case{"RenameFails", 0, [] { g_os_calls.rename = failing_rename; }, EXDEV}),
	case_name<failure_case>);

// --- The desktop background: the attribute on the desktop folder, and the Tracker told.

namespace {

std::vector<BMessage> tracker_inbox;

void tracker_stand_in(const BMessage& message)
{
	tracker_inbox.push_back(message);
}

// Points the home folder (so "/boot/home/Desktop") at a test folder, and listens as the
// Tracker, for the length of a test.
class desktop_test : public render_test {
protected:
	void SetUp() override
	{
		render_test::SetUp();
		const char* home = getenv("HOME");
		fHadHome = home != nullptr;
		fHome = fHadHome ? home : "";
		setenv("HOME", home_dir.path().c_str(), 1);
		tracker_inbox.clear();
		register_signature_receiver(kTracker, tracker_stand_in);
	}

	void TearDown() override
	{
		register_signature_receiver(kTracker, nullptr);
		if (fHadHome)
			setenv("HOME", fHome.c_str(), 1);
		else
			unsetenv("HOME");
		render_test::TearDown();
	}

	std::string desktop() const { return home_dir.file("Desktop"); }

	int count_rereads() const
	{
		int n = 0;
		for (const BMessage& message : tracker_inbox)
			n += message.what == 'Tbgr' && message.IsEmpty();
		return n;
	}

	temp_dir home_dir;

private:
	bool fHadHome;
	std::string fHome;
};

struct wallpaper_case {
	const char* name;
	const char* path;
	bool textback;
};
TEVRA_PRINT_CASE(wallpaper_case)

}

class set_wallpaper_test : public desktop_test,
	public testing::WithParamInterface<wallpaper_case> {};

TEST_P(set_wallpaper_test, WritesTheBackgroundAttributeAndTellsTheTracker)
{
	const wallpaper_case& c = GetParam();
	ASSERT_EQ(mkdir(desktop().c_str(), 0755), 0);
	// An earlier background is replaced, not added to.
	ASSERT_EQ(setxattr(desktop().c_str(), "user.haiku.be:bgndimginfo", "MSGGold", 7, 0), 0);
	textback = c.textback;
	view->set_wallpaper(c.path);

	BNode node(desktop().c_str());
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("be:bgndimginfo", &info), B_OK);
	EXPECT_EQ(info.type, (uint32)B_MESSAGE_TYPE);
	std::string stored = xattr(desktop(), "user.haiku.be:bgndimginfo");
	ASSERT_EQ(stored.size(), 4 + (size_t)info.size);
	BMessage background;
	ASSERT_EQ(background.Unflatten(stored.data() + 4, stored.size() - 4), B_OK);
	EXPECT_EQ(background.what, 0u);

	struct expected_field {
		const char* name;
		type_code type;
	};
	const expected_field fields[] = {
		{"be:bgndimginfoworkspaces", B_INT32_TYPE},
		{"be:bgndimginfopath", B_STRING_TYPE},
		{"be:bgndimginfomode", B_INT32_TYPE},
		{"be:bgndimginfooffset", B_POINT_TYPE},
		{"be:bgndimginfoerasetext", B_BOOL_TYPE},
	};
	EXPECT_EQ(background.CountNames(B_ANY_TYPE), 5);
	for (int32 i = 0; i < 5; i++) {
		const char* name = nullptr;
		type_code type = 0;
		int32 count = 0;
		ASSERT_EQ(background.GetInfo(B_ANY_TYPE, i, &name, &type, &count), B_OK);
		EXPECT_STREQ(name, fields[i].name);
		EXPECT_EQ(type, fields[i].type) << name;
		EXPECT_EQ(count, 1) << name;
	}
	int32 workspaces = 0, mode = 0;
	const char* path = nullptr;
	BPoint offset(-1, -1);
	bool erase = !c.textback;
	EXPECT_EQ(background.FindInt32("be:bgndimginfoworkspaces", &workspaces), B_OK);
	EXPECT_EQ(workspaces, 1);
	EXPECT_EQ(background.FindString("be:bgndimginfopath", &path), B_OK);
	EXPECT_STREQ(path, c.path);
	EXPECT_EQ(background.FindInt32("be:bgndimginfomode", &mode), B_OK);
	EXPECT_EQ(mode, 1);
	EXPECT_EQ(background.FindPoint("be:bgndimginfooffset", &offset), B_OK);
	EXPECT_EQ(offset.x, 0);
	EXPECT_EQ(offset.y, 0);
	EXPECT_EQ(background.FindBool("be:bgndimginfoerasetext", &erase), B_OK);
	EXPECT_EQ(erase, c.textback);

	EXPECT_EQ(count_rereads(), 1);
	EXPECT_EQ(tracker_inbox.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(render, set_wallpaper_test, testing::Values(
	wallpaper_case{"RelativePathKeptRelative_EraseText", "out/wall.png", true},
	wallpaper_case{"AbsolutePath_NoEraseText", "/home/someone/wall.jpg", false},
	wallpaper_case{"SpacesAndKanji", "壁紙 2026.png", true}),
	case_name<wallpaper_case>);

TEST_F(desktop_test, MissingDesktopFolderStillTellsTheTracker)
{
	view->set_wallpaper("wall.png");
	EXPECT_EQ(count_rereads(), 1);
	EXPECT_FALSE(std::filesystem::exists(desktop()));
}

TEST_F(desktop_test, NoTrackerStillWritesTheAttribute)
{
	register_signature_receiver(kTracker, nullptr);
	ASSERT_EQ(mkdir(desktop().c_str(), 0755), 0);
	view->set_wallpaper("wall.png");
	EXPECT_NE(xattr(desktop(), "user.haiku.be:bgndimginfo"), "<none>");
}

// --- Create mode with "wp_autoset": the picture, then the background, then the colour.

namespace {

rgb_color last_desktop_color;
int desktop_color_calls;

void desktop_color_stand_in(rgb_color color)
{
	last_desktop_color = color;
	desktop_color_calls++;
}

}

TEST_F(desktop_test, CreateModeSetsBackgroundAndDesktopColourWhenAsked)
{
	ASSERT_EQ(mkdir(desktop().c_str(), 0755), 0);
	temp_dir work;
	work.write("design", "out_format\timage/png\nwp_autoset\ty\nwp_textback\tn\n"
		"screen_color\t00123456\nbase_type\t0\nbase_color\t00654321\n");
	std::string output = work.file("wall.png");

	tevra* app = dynamic_cast<tevra*>(be_app);
	ASSERT_NE(app, nullptr);
	rgb_color before = BScreen().DesktopColor();
	desktop_color_calls = 0;
	register_desktop_color_receiver(desktop_color_stand_in);
	app->view = new tevraview(scrn);
	app->create(work.file("design").c_str(), output.c_str());
	delete app->view;
	app->view = nullptr;
	register_desktop_color_receiver(nullptr);
	BScreen().SetDesktopColor(before, true);

	EXPECT_EQ(app->exit_status, 0);
	EXPECT_EQ(identify_size(output), "1024 768");
	expect_mime(output, "image/png");
	EXPECT_EQ(count_rereads(), 1);
	std::string stored = xattr(desktop(), "user.haiku.be:bgndimginfo");
	ASSERT_GT(stored.size(), 4u);
	BMessage background;
	ASSERT_EQ(background.Unflatten(stored.data() + 4, stored.size() - 4), B_OK);
	const char* path = nullptr;
	bool erase = true;
	EXPECT_EQ(background.FindString("be:bgndimginfopath", &path), B_OK);
	EXPECT_STREQ(path, output.c_str());
	EXPECT_EQ(background.FindBool("be:bgndimginfoerasetext", &erase), B_OK);
	EXPECT_FALSE(erase);
	EXPECT_EQ(desktop_color_calls, 1);
	EXPECT_EQ(last_desktop_color, make_color(0x12, 0x34, 0x56, 255));
}
