// `make install` into a prefix of the test's own: the units and the menu entry naming the binary
// under that prefix, each file where its reader looks and passing that reader's own check, and
// the daily refresh's command drawing an installed example.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/xattr.h>

#include "tests/platform/desktop_support.h"
#include "tests/support/run_program.h"

using namespace desktop_test;

namespace {

// What a checker said, on either output; a check passes with nothing to say.
std::string said(const run_result& result)
{
	return result.out + result.err;
}

// The unit's value for a key, "" when it has none.
std::string unit_value(const std::string& unit, const std::string& key)
{
	std::istringstream lines(unit);
	for (std::string line; std::getline(lines, line);) {
		if (line.rfind(key + "=", 0) == 0)
			return line.substr(key.size() + 1);
	}
	return "";
}

class Install : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		prefix = new temp_dir();
		const char* binary = getenv("TEVRA_BINARY");
		ASSERT_NE(binary, nullptr);
		std::string build = std::string(binary).substr(0, std::string(binary).rfind('/'));
		run_result installed = run_program({"cmake", "--install", build, "--prefix",
			prefix->path()});
		ASSERT_EQ(installed.status, 0) << said(installed);
	}
	static void TearDownTestSuite()
	{
		delete prefix;
		prefix = nullptr;
	}
	static std::string file(const std::string& name) { return prefix->file(name); }

	static temp_dir* prefix;
};

temp_dir* Install::prefix = nullptr;

TEST_F(Install, UnitsAndMenuEntryNameTheInstalledBinary)
{
	std::string service = read_file(file("lib/systemd/user/tevra.service"));
	EXPECT_EQ(unit_value(service, "ExecStart"), file("bin/tevra")
		+ " %E/tevra/design.tevra %h/.local/share/tevra/wallpaper.png");
	std::string entry = read_file(file("share/applications/tevra.desktop"));
	EXPECT_EQ(unit_value(entry, "Exec"), file("bin/tevra") + " %f")
		<< "config mode, on the design given when one is";
	EXPECT_EQ(unit_value(entry, "MimeType"), "application/x-tevra-design;");
	// The type the entry names is installed with it, so a double click on a design opens it.
	std::string type = read_file(file("share/mime/packages/tevra.xml"));
	EXPECT_NE(type.find("<mime-type type=\"application/x-tevra-design\">"), std::string::npos);
	EXPECT_NE(type.find("<glob pattern=\"*.tevra\"/>"), std::string::npos);
}

TEST_F(Install, UnitsPassSystemdsCheck)
{
	if (!on_path("systemd-analyze"))
		GTEST_SKIP() << "systemd-analyze is not installed";
	temp_dir runtime;
	// Warnings come back with status 0: any output is a fault.
	// The units' Documentation= is looked up with man: the installed manual must answer it.
	run_options options;
	options.environment = {"XDG_RUNTIME_DIR=" + runtime.path(), "MANPATH=" + file("share/man")};
	run_result checked = run_program({"systemd-analyze", "--user", "verify",
		file("lib/systemd/user/tevra.timer"), file("lib/systemd/user/tevra.service")}, options);
	EXPECT_EQ(checked.status, 0);
	EXPECT_EQ(said(checked), "");
}

TEST_F(Install, MenuEntryPassesItsCheck)
{
	if (!on_path("desktop-file-validate"))
		GTEST_SKIP() << "desktop-file-validate is not installed";
	run_result checked = run_program({"desktop-file-validate",
		file("share/applications/tevra.desktop")});
	EXPECT_EQ(checked.status, 0);
	EXPECT_EQ(said(checked), "");
}

TEST_F(Install, ManualRendersWithoutWarnings)
{
	if (!on_path("groff"))
		GTEST_SKIP() << "groff is not installed";
	run_result checked = run_program({"groff", "-man", "-ww", "-z", "-Tutf8",
		file("share/man/man1/tevra.1")});
	EXPECT_EQ(checked.status, 0);
	EXPECT_EQ(said(checked), "");
}

// What the timer runs, in the folder it runs in, on an installed example set up as the README
// has it (copied with its picture, made to set the background): the picture is written over
// its image, the attribute recorded, and with no desktop here the run still ends well.
TEST_F(Install, DailyRefreshDrawsAnInstalledExample)
{
	temp_dir home;
	std::filesystem::create_directory(home.file("Desktop"));
	run_result design = run_program({"sh", "-c", "mkdir -p ~/.config/tevra"
		" && cp \"$0\"/month-bubble.tevra ~/.config/tevra/design.tevra"
		" && cp \"$0\"/evening.jpg ~/.config/tevra/"
		" && sed -i 's/^wp_autoset.*/wp_autoset\\ty/' ~/.config/tevra/design.tevra",
		file("share/doc/tevra/examples")}, outside_session(home));
	ASSERT_EQ(design.status, 0) << said(design);
	ASSERT_NE(home.read(".config/tevra/design.tevra").find("\nwp_autoset\ty\n"),
		std::string::npos);

	std::string service = read_file(file("lib/systemd/user/tevra.service"));
	auto expand = [&](std::string line) {
		for (size_t at; (at = line.find("%E")) != std::string::npos;)
			line.replace(at, 2, home.file(".config"));
		for (size_t at; (at = line.find("%h")) != std::string::npos;)
			line.replace(at, 2, home.path());
		return line;
	};
	std::string folder = expand(unit_value(service, "WorkingDirectory"));
	ASSERT_EQ(folder.substr(0, 1), "-");
	run_options options = outside_session(home);
	options.folder = folder.substr(1);
	run_result ran = run_program({"sh", "-c", expand(unit_value(service, "ExecStartPre")) + " && "
		+ expand(unit_value(service, "ExecStart"))}, options);
	EXPECT_EQ(ran.status, 0) << said(ran);
	EXPECT_NE(said(ran).find("no desktop session"), std::string::npos) << said(ran);
	EXPECT_EQ(said(ran).find("base image"), std::string::npos) << said(ran);
	std::string picture = read_file(home.file(".local/share/tevra/wallpaper.png"));
	EXPECT_EQ(picture.substr(1, 3), "PNG");
	EXPECT_GT(getxattr(home.file("Desktop").c_str(), "user.haiku.be:bgndimginfo", nullptr, 0), 0);
}

}
