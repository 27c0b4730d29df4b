// `make install` into a prefix of the test's own: the units and the menu entry naming the binary
// under that prefix, each file where its reader looks and passing that reader's own check, and
// the daily refresh's command drawing an installed example.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/xattr.h>

#include "tests/platform/desktop_support.h"

using namespace desktop_test;

namespace {

std::string shell_quoted(const std::string& text)
{
	std::string result = "'";
	for (char c : text)
		result += c == '\'' ? std::string("'\\''") : std::string(1, c);
	return result + "'";
}

struct shell_result {
	int status;
	std::string output; // standard output and error together
};

shell_result shell(const std::string& command)
{
	shell_result result{-1, ""};
	FILE* pipe = popen(("(" + command + ") 2>&1 </dev/null").c_str(), "r");
	if (pipe == nullptr)
		return result;
	char buffer[4096];
	size_t got;
	while ((got = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
		result.output.append(buffer, got);
	int status = pclose(pipe);
	result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	return result;
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
		shell_result installed = shell("cmake --install " + shell_quoted(build) + " --prefix "
			+ shell_quoted(prefix->path()));
		ASSERT_EQ(installed.status, 0) << installed.output;
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
	EXPECT_EQ(unit_value(entry, "Exec"), file("bin/tevra")) << "no arguments: config mode";
}

TEST_F(Install, UnitsPassSystemdsCheck)
{
	if (!on_path("systemd-analyze"))
		GTEST_SKIP() << "systemd-analyze is not installed";
	temp_dir runtime;
	// Warnings come back with status 0: any output is a fault.
	// The units' Documentation= is looked up with man: the installed manual must answer it.
	shell_result checked = shell("XDG_RUNTIME_DIR=" + shell_quoted(runtime.path())
		+ " MANPATH=" + shell_quoted(file("share/man")) + " systemd-analyze --user verify " + shell_quoted(file("lib/systemd/user/tevra.timer")) + " "
		+ shell_quoted(file("lib/systemd/user/tevra.service")));
	EXPECT_EQ(checked.status, 0);
	EXPECT_EQ(checked.output, "");
}

TEST_F(Install, MenuEntryPassesItsCheck)
{
	if (!on_path("desktop-file-validate"))
		GTEST_SKIP() << "desktop-file-validate is not installed";
	shell_result checked = shell("desktop-file-validate "
		+ shell_quoted(file("share/applications/tevra.desktop")));
	EXPECT_EQ(checked.status, 0);
	EXPECT_EQ(checked.output, "");
}

TEST_F(Install, ManualRendersWithoutWarnings)
{
	if (!on_path("groff"))
		GTEST_SKIP() << "groff is not installed";
	shell_result checked = shell("groff -man -ww -z -Tutf8 " + shell_quoted(file("share/man/man1/tevra.1")));
	EXPECT_EQ(checked.status, 0);
	EXPECT_EQ(checked.output, "");
}

// What the timer runs, in the folder it runs in, on an installed example made to set the
// background: the picture is written, the attribute recorded, and with no desktop here the run
// still ends well.
TEST_F(Install, DailyRefreshDrawsAnInstalledExample)
{
	temp_dir home;
	std::string config = home.file(".config/tevra");
	shell_result copied = shell("mkdir -p " + shell_quoted(config) + " " + shell_quoted(home.file("Desktop"))
		+ " && cp -r " + shell_quoted(file("share/doc/tevra/examples")) + " " + shell_quoted(config)
		+ " && sed 's/^wp_autoset.*/wp_autoset\ty/' " + shell_quoted(config + "/examples/month-bubble.tevra")
		+ " > " + shell_quoted(config + "/design.tevra"));
	ASSERT_EQ(copied.status, 0) << copied.output;

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
	shell_result ran = shell("cd " + shell_quoted(folder.substr(1)) + " && env -u DISPLAY"
		" -u WAYLAND_DISPLAY -u XDG_CURRENT_DESKTOP -u SWAYSOCK -u QT_QPA_PLATFORM"
		" -u XDG_CONFIG_HOME HOME=" + shell_quoted(home.path()) + " XDG_CACHE_HOME="
		+ shell_quoted(home.file("cache")) + " sh -c " + shell_quoted(expand(unit_value(service,
			"ExecStartPre")) + " && timeout 30 " + expand(unit_value(service, "ExecStart"))));
	EXPECT_EQ(ran.status, 0) << ran.output;
	EXPECT_NE(ran.output.find("no desktop session"), std::string::npos) << ran.output;
	std::string picture = read_file(home.file(".local/share/tevra/wallpaper.png"));
	EXPECT_EQ(picture.substr(1, 3), "PNG");
	EXPECT_GT(getxattr(home.file("Desktop").c_str(), "user.haiku.be:bgndimginfo", nullptr, 0), 0);
}

}
