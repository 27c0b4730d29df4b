#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <AppFileInfo.h>
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Node.h>
#include <Path.h>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

// The temp folder as the file system names it (it may lie behind a symbolic link).
std::string real(const std::string& path)
{
	char resolved[PATH_MAX];
	return realpath(path.c_str(), resolved) != nullptr ? resolved : path;
}

// Runs a test from inside a folder, then goes back.
class in_folder {
public:
	explicit in_folder(const std::string& path)
	{
		fSaved = getcwd(fBuffer, sizeof(fBuffer)) != nullptr ? fBuffer : "/";
		EXPECT_EQ(chdir(path.c_str()), 0);
	}
	~in_folder() { EXPECT_EQ(chdir(fSaved.c_str()), 0); }

private:
	char fBuffer[PATH_MAX];
	std::string fSaved;
};

// Points HOME somewhere else for one test.
class home_at {
public:
	explicit home_at(const std::string& path)
	{
		const char* old = getenv("HOME");
		fHad = old != nullptr;
		if (fHad)
			fSaved = old;
		setenv("HOME", path.c_str(), 1);
	}
	~home_at()
	{
		if (fHad)
			setenv("HOME", fSaved.c_str(), 1);
		else
			unsetenv("HOME");
	}

private:
	bool fHad;
	std::string fSaved;
};

// --- get_ref_for_path: where a path the user typed points.

TEST(GetRefForPath, RelativePathIsTakenFromTheCurrentFolder)
{
	temp_dir dir;
	in_folder here(dir.path());
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path("design.tevra", &ref), B_OK);
	EXPECT_EQ(std::string(ref.Path()), real(dir.path()) + "/design.tevra");
}

TEST(GetRefForPath, DotsAreResolved)
{
	temp_dir dir;
	mkdir(dir.file("sub").c_str(), 0755);
	in_folder here(dir.file("sub"));
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path("../sub/./x.png", &ref), B_OK);
	EXPECT_EQ(std::string(ref.Path()), real(dir.path()) + "/sub/x.png");
}

TEST(GetRefForPath, EntryNeedNotExistButItsFolderMust)
{
	temp_dir dir;
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path(dir.file("not-yet.png").c_str(), &ref), B_OK);
	EXPECT_NE(get_ref_for_path(dir.file("missing/x.png").c_str(), &ref), B_OK);
	EXPECT_NE(get_ref_for_path("", &ref), B_OK);
}

struct home_row {
	const char* name;
	const char* path;
	const char* under_home; // the expected path relative to HOME, or null when not mapped
};

void PrintTo(const home_row& row, std::ostream* out)
{
	*out << row.path;
}

const home_row home_rows[] = {
	{"desktop", "/boot/home/Desktop", "/Desktop"},
	{"file_on_desktop", "/boot/home/Desktop/wall.png", "/Desktop/wall.png"},
	{"home_itself", "/boot/home", ""},
	{"home_with_slash", "/boot/home/", ""},
};

class HaikuHome : public ::testing::TestWithParam<home_row> {};

TEST_P(HaikuHome, MapsToHome)
{
	temp_dir home;
	mkdir(home.file("Desktop").c_str(), 0755);
	home_at moved(home.path());
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(GetParam().path, &ref), B_OK);
	EXPECT_EQ(std::string(ref.Path()), real(home.path()) + GetParam().under_home);
}

INSTANTIATE_TEST_SUITE_P(Paths, HaikuHome, ::testing::ValuesIn(home_rows),
	[](const ::testing::TestParamInfo<home_row>& info) { return std::string(info.param.name); });

TEST(HaikuHomePrefix, OnlyAWholeFolderNameMaps)
{
	temp_dir home;
	home_at moved(home.path());
	entry_ref ref;
	// "/boot/homework" is not inside "/boot/home"; it must not land in HOME.
	if (get_ref_for_path("/boot/homework/x", &ref) == B_OK) {
		EXPECT_EQ(std::string(ref.Path()).find(real(home.path())), std::string::npos)
			<< ref.Path();
	}
}

// --- BEntry: the output file's name and folder, as create mode takes them apart.

TEST(Entry, NameParentAndRefOfAFileNotYetWritten)
{
	temp_dir dir;
	in_folder here(dir.path());
	BEntry entry("wallpaper.png");
	ASSERT_EQ(entry.InitCheck(), B_OK);
	EXPECT_FALSE(entry.Exists());
	char name[B_FILE_NAME_LENGTH];
	ASSERT_EQ(entry.GetName(name), B_OK);
	EXPECT_STREQ(name, "wallpaper.png");

	ASSERT_EQ(entry.GetParent(&entry), B_OK);
	entry_ref folder;
	ASSERT_EQ(entry.GetRef(&folder), B_OK);
	EXPECT_EQ(std::string(folder.Path()), real(dir.path()));
	EXPECT_TRUE(entry.IsDirectory());
}

TEST(Entry, FinalLinkIsKeptUnlessTraversed)
{
	temp_dir dir;
	dir.write("target.png", "x");
	ASSERT_EQ(symlink(dir.file("target.png").c_str(), dir.file("link.png").c_str()), 0);
	char name[B_FILE_NAME_LENGTH];
	BEntry kept(dir.file("link.png").c_str(), false);
	ASSERT_EQ(kept.GetName(name), B_OK);
	EXPECT_STREQ(name, "link.png");
	BEntry followed(dir.file("link.png").c_str(), true);
	ASSERT_EQ(followed.GetName(name), B_OK);
	EXPECT_STREQ(name, "target.png");
}

TEST(Entry, RootHasNoParent)
{
	BEntry root("/");
	BEntry parent;
	EXPECT_NE(root.GetParent(&parent), B_OK);
}

TEST(Entry, UninitialisedOrUnresolvableEntryFails)
{
	BEntry unset;
	char name[B_FILE_NAME_LENGTH];
	entry_ref ref;
	EXPECT_NE(unset.GetName(name), B_OK);
	EXPECT_NE(unset.GetRef(&ref), B_OK);
	BEntry missing("/no/such/folder/file.png");
	EXPECT_NE(missing.InitCheck(), B_OK);
	EXPECT_NE(missing.GetName(name), B_OK);
}

// --- BPath.

TEST(Path, JoinsFolderAndLeaf)
{
	temp_dir dir;
	BPath path(dir.path().c_str(), "out.png");
	ASSERT_EQ(path.InitCheck(), B_OK);
	EXPECT_EQ(std::string(path.Path()), dir.path() + "/out.png");
	EXPECT_STREQ(path.Leaf(), "out.png");
	BPath parent;
	ASSERT_EQ(path.GetParent(&parent), B_OK);
	EXPECT_EQ(std::string(parent.Path()), dir.path());
}

TEST(Path, FromRefAndEntry)
{
	temp_dir dir;
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(dir.file("a.txt").c_str(), &ref), B_OK);
	BPath fromRef(&ref);
	EXPECT_STREQ(fromRef.Path(), ref.Path());
	BEntry entry(&ref);
	BPath fromEntry(&entry);
	EXPECT_STREQ(fromEntry.Path(), ref.Path());
}

TEST(Path, RelativePathIsMadeAbsolute)
{
	temp_dir dir;
	in_folder here(dir.path());
	BPath path("x.png");
	ASSERT_EQ(path.InitCheck(), B_OK);
	EXPECT_EQ(std::string(path.Path()), real(dir.path()) + "/x.png");
}

TEST(Path, UnsetHasNoPath)
{
	BPath path;
	EXPECT_NE(path.InitCheck(), B_OK);
	EXPECT_EQ(path.Path(), nullptr);
	EXPECT_NE(path.SetTo(""), B_OK);
}

// --- BFile and BDirectory.

TEST(File, WritesReadsAndSizes)
{
	temp_dir dir;
	BFile file(dir.file("data").c_str(), B_READ_WRITE | B_CREATE_FILE);
	ASSERT_EQ(file.InitCheck(), B_OK);
	EXPECT_EQ(file.Write("hello, ", 7), 7);
	EXPECT_EQ(file.Write("world", 5), 5);
	EXPECT_EQ(file.Position(), 12);
	off_t size = 0;
	ASSERT_EQ(file.GetSize(&size), B_OK);
	EXPECT_EQ(size, 12);

	char buffer[32] = {};
	EXPECT_EQ(file.Seek(0, SEEK_SET), 0);
	EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 12);
	EXPECT_STREQ(buffer, "hello, world");
	EXPECT_EQ(file.ReadAt(7, buffer, 5), 5);
	EXPECT_EQ(std::string(buffer, 5), "world");
	EXPECT_EQ(file.WriteAt(0, "J", 1), 1);
	EXPECT_EQ(dir.read("data"), "Jello, world");

	ASSERT_EQ(file.SetSize(5), B_OK);
	ASSERT_EQ(file.GetSize(&size), B_OK);
	EXPECT_EQ(size, 5);
}

TEST(File, OpensByRefAndRefusesFolders)
{
	temp_dir dir;
	dir.write("in.txt", "abc");
	entry_ref ref(dir.file("in.txt").c_str());
	BFile file(&ref, B_READ_ONLY);
	ASSERT_EQ(file.InitCheck(), B_OK);
	EXPECT_TRUE(file.IsReadable());
	EXPECT_FALSE(file.IsWritable());
	EXPECT_LT(file.Write("x", 1), 0);
	BFile folder(dir.path().c_str(), B_READ_ONLY);
	EXPECT_NE(folder.InitCheck(), B_OK);
	BFile missing(dir.file("none").c_str(), B_READ_ONLY);
	EXPECT_EQ(missing.InitCheck(), B_ENTRY_NOT_FOUND);
}

TEST(Directory, CreateFileTruncatesWhatWasThere)
{
	temp_dir dir;
	dir.write("out.png", std::string(100, 'x'));
	BDirectory folder(dir.path().c_str());
	ASSERT_EQ(folder.InitCheck(), B_OK);
	BFile file;
	ASSERT_EQ(folder.CreateFile("out.png", &file), B_OK);
	off_t size = -1;
	ASSERT_EQ(file.GetSize(&size), B_OK);
	EXPECT_EQ(size, 0);
	EXPECT_EQ(file.Write("new", 3), 3);
	EXPECT_EQ(dir.read("out.png"), "new");
}

TEST(Directory, CreateFileMakesANewFileOrFailsIfAsked)
{
	temp_dir dir;
	BDirectory folder(dir.path().c_str());
	BFile file;
	ASSERT_EQ(folder.CreateFile("fresh", &file), B_OK);
	EXPECT_TRUE(file.IsWritable());
	struct stat st;
	EXPECT_EQ(stat(dir.file("fresh").c_str(), &st), 0);
	BFile again;
	EXPECT_EQ(folder.CreateFile("fresh", &again, true), B_FILE_EXISTS);
}

TEST(Directory, OpensByRefAndRefusesFiles)
{
	temp_dir dir;
	dir.write("plain", "x");
	entry_ref ref(dir.path().c_str());
	BDirectory byRef(&ref);
	EXPECT_EQ(byRef.InitCheck(), B_OK);
	BDirectory notFolder(dir.file("plain").c_str());
	EXPECT_NE(notFolder.InitCheck(), B_OK);
	BFile file;
	EXPECT_NE(notFolder.CreateFile("x", &file), B_OK);
}

// As on Haiku, every missing folder along the way is made; a file in the way stops it.
TEST(Directory, CreateDirectoryMakesTheWholePath)
{
	temp_dir dir;
	EXPECT_EQ(create_directory(dir.file("a/b/c/").c_str(), 0755), B_OK);
	EXPECT_EQ(BDirectory(dir.file("a/b/c").c_str()).InitCheck(), B_OK);
	EXPECT_EQ(create_directory(dir.file("a/b").c_str(), 0755), B_OK) << "already there";
	dir.write("plain", "x");
	EXPECT_NE(create_directory(dir.file("plain/d/e").c_str(), 0755), B_OK);
}

// --- Renaming.

TEST(Rename, WithoutClobberKeepsTheExistingFile)
{
	temp_dir dir;
	dir.write("new.png", "new");
	dir.write("old.png", "old");
	BEntry entry(dir.file("new.png").c_str());
	EXPECT_EQ(entry.Rename("old.png", false), B_FILE_EXISTS);
	EXPECT_EQ(dir.read("old.png"), "old");
	EXPECT_EQ(dir.read("new.png"), "new");
	char name[B_FILE_NAME_LENGTH];
	ASSERT_EQ(entry.GetName(name), B_OK);
	EXPECT_STREQ(name, "new.png");
}

TEST(Rename, WithClobberReplacesIt)
{
	temp_dir dir;
	dir.write("new.png", "new");
	dir.write("old.png", "old");
	BEntry entry(dir.file("new.png").c_str());
	ASSERT_EQ(entry.Rename("old.png", true), B_OK);
	EXPECT_EQ(dir.read("old.png"), "new");
	struct stat st;
	EXPECT_NE(stat(dir.file("new.png").c_str(), &st), 0);
	char name[B_FILE_NAME_LENGTH];
	ASSERT_EQ(entry.GetName(name), B_OK);
	EXPECT_STREQ(name, "old.png");
}

TEST(Rename, ToAFreeNameInAnotherFolder)
{
	temp_dir dir;
	mkdir(dir.file("sub").c_str(), 0755);
	dir.write("a", "content");
	BEntry entry(dir.file("a").c_str());
	ASSERT_EQ(entry.Rename(dir.file("sub/b").c_str()), B_OK);
	EXPECT_EQ(dir.read("sub/b"), "content");
	EXPECT_EQ(std::string(entry.Path()), real(dir.path()) + "/sub/b");
	EXPECT_NE(entry.Rename(dir.file("missing/c").c_str()), B_OK);
}

// --- Attributes, stored as Haiku's own tools store them on Linux.

bool user_xattrs_work(const temp_dir& dir)
{
	dir.write("probe", "");
	return setxattr(dir.file("probe").c_str(), "user.tevra.probe", "1", 1, 0) == 0;
}

std::string le32(uint32 value)
{
	return std::string((const char*)&value, sizeof(value));
}

class Attributes : public ::testing::Test {
protected:
	void SetUp() override
	{
		if (!user_xattrs_work(dir))
			GTEST_SKIP() << "the temp folder's file system refuses user extended attributes ("
				<< strerror(errno) << ")";
		dir.write("file", "pixels");
	}
	temp_dir dir;
};

TEST_F(Attributes, WrittenAsHaikuNameTypeThenData)
{
	BNode node(dir.file("file").c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);
	int32 value = 0x01020304;
	EXPECT_EQ(node.WriteAttr("be:test", B_INT32_TYPE, 0, &value, sizeof(value)), 4);
	EXPECT_EQ(xattr(dir.file("file"), "user.haiku.be:test"),
		le32(B_INT32_TYPE) + std::string("\x04\x03\x02\x01", 4));
}

TEST_F(Attributes, ReadBackByTypeAndSize)
{
	BNode node(dir.file("file").c_str());
	const char data[] = "flattened bytes";
	ASSERT_EQ(node.WriteAttr("be:bgndimginfo", B_MESSAGE_TYPE, 0, data, sizeof(data)),
		(ssize_t)sizeof(data));
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("be:bgndimginfo", &info), B_OK);
	EXPECT_EQ(info.type, (uint32)B_MESSAGE_TYPE);
	EXPECT_EQ(info.size, (off_t)sizeof(data));
	char back[64] = {};
	EXPECT_EQ(node.ReadAttr("be:bgndimginfo", B_MESSAGE_TYPE, 0, back, sizeof(back)),
		(ssize_t)sizeof(data));
	EXPECT_STREQ(back, data);
	EXPECT_EQ(node.ReadAttr("be:bgndimginfo", B_STRING_TYPE, 0, back, sizeof(back)), B_BAD_TYPE);
	EXPECT_EQ(node.ReadAttr("be:missing", B_ANY_TYPE, 0, back, sizeof(back)), B_ENTRY_NOT_FOUND);
}

TEST_F(Attributes, RewritingReplacesTheWholeValue)
{
	BNode node(dir.file("file").c_str());
	ASSERT_GT(node.WriteAttr("a", B_STRING_TYPE, 0, "longer value", 13), 0);
	ASSERT_GT(node.WriteAttr("a", B_STRING_TYPE, 0, "x", 2), 0);
	EXPECT_EQ(xattr(dir.file("file"), "user.haiku.a"), le32(B_STRING_TYPE) + std::string("x", 2));
	ASSERT_EQ(node.RemoveAttr("a"), B_OK);
	EXPECT_EQ(xattr(dir.file("file"), "user.haiku.a"), "<none>");
}

TEST_F(Attributes, OnAFolder)
{
	// The desktop background lives on the desktop folder itself.
	mkdir(dir.file("Desktop").c_str(), 0755);
	BNode node(dir.file("Desktop").c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);
	int8 erase = 1;
	EXPECT_EQ(node.WriteAttr("be:x", B_BOOL_TYPE, 0, &erase, 1), 1);
	EXPECT_EQ(xattr(dir.file("Desktop"), "user.haiku.be:x"), le32(B_BOOL_TYPE) + "\x01");
}

TEST_F(Attributes, SetTypeWritesHaikuTypeAndLinuxMimeType)
{
	BFile file(dir.file("file").c_str(), B_READ_WRITE);
	BAppFileInfo info(&file);
	ASSERT_EQ(info.InitCheck(), B_OK);
	ASSERT_EQ(info.SetType("image/png"), B_OK);
	EXPECT_EQ(xattr(dir.file("file"), "user.haiku.BEOS:TYPE"),
		le32(B_MIME_STRING_TYPE) + std::string("image/png", 10));
	EXPECT_EQ(xattr(dir.file("file"), "user.mime_type"), "image/png");
	char type[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(info.GetType(type), B_OK);
	EXPECT_STREQ(type, "image/png");

	// A second type replaces the first in both places.
	ASSERT_EQ(info.SetType("image/jpeg"), B_OK);
	EXPECT_EQ(xattr(dir.file("file"), "user.mime_type"), "image/jpeg");
	ASSERT_EQ(info.GetType(type), B_OK);
	EXPECT_STREQ(type, "image/jpeg");
}

TEST(AppFileInfo, UnopenedFileIsRefused)
{
	BFile file;
	BAppFileInfo info(&file);
	EXPECT_NE(info.InitCheck(), B_OK);
	EXPECT_NE(info.SetType("image/png"), B_OK);
}

}
