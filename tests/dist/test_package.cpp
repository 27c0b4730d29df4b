// The Debian package: its version is the program's, its build needs are what `make deb` sets up,
// and, given a package (`make test-deb` builds one), it holds what `make install` installs,
// depends on no test tool, and installs, draws a picture and goes away again.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>

#include "app/version.h"
#include "tests/support/files.h"
#include "tests/support/pictures.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string k_source = TEVRA_SOURCE_DIR;

std::set<std::string> words(const std::string& text)
{
	std::istringstream in(text);
	std::set<std::string> found;
	for (std::string word; in >> word;)
		found.insert(word);
	return found;
}

std::set<std::string> deps_set(const std::string& set)
{
	run_result listed = run_program({k_source + "/scripts/install-deps", "--list", set});
	EXPECT_EQ(listed.status, 0) << listed.err;
	return words(listed.out);
}

// The package names of a relation field, without versions and alternatives after the first.
std::set<std::string> relation_names(const std::string& field)
{
	std::set<std::string> names;
	std::istringstream in(field);
	for (std::string relation; std::getline(in, relation, ',');) {
		std::istringstream first(relation);
		std::string name;
		if (first >> name)
			names.insert(name);
	}
	return names;
}

TEST(PackageSource, ChangelogCarriesTheProgramsVersion)
{
	run_result version = run_program({"dpkg-parsechangelog", "-l",
		k_source + "/debian/changelog", "-S", "Version"});
	ASSERT_EQ(version.status, 0) << version.err;
	std::string upstream = version.out.substr(0, version.out.rfind('-'));
	EXPECT_EQ(upstream, TEVRA_VERSION) << "debian/changelog says " << version.out;
}

TEST(PackageSource, BuildDependsAreWhatMakeDebSetsUp)
{
	// The field and the lines that continue it (they start with a blank).
	std::string control = read_file(k_source + "/debian/control");
	std::smatch field;
	ASSERT_TRUE(std::regex_search(control, field,
		std::regex("\nBuild-Depends:((?:.*\n[ \t])*.*)")));
	std::set<std::string> needed = relation_names(field[1]);
	ASSERT_GT(needed.size(), 1u);
	std::set<std::string> installed = deps_set("deb");
	for (std::string name : needed) {
		if (name == "debhelper-compat")
			name = "debhelper";
		EXPECT_TRUE(installed.count(name)) << name << " is not in scripts/install-deps deb";
	}
}

// A package named by TEVRA_DEB, as make test-deb gives it.
class PackageFile : public testing::Test {
protected:
	void SetUp() override
	{
		const char* named = getenv("TEVRA_DEB");
		if (named == nullptr || *named == '\0')
			GTEST_SKIP() << "no package named by TEVRA_DEB: make test-deb builds one and checks it";
		deb = named;
		ASSERT_TRUE(std::filesystem::exists(deb)) << deb;
	}
	std::string field(const std::string& name) const
	{
		run_result shown = run_program({"dpkg-deb", "-f", deb, name});
		EXPECT_EQ(shown.status, 0) << shown.err;
		return shown.out;
	}
	// Each file's path without the leading ".".
	std::set<std::string> files() const
	{
		run_result listed = run_program({"sh", "-c", "dpkg-deb --fsys-tarfile \"$0\" | tar -t",
			deb});
		EXPECT_EQ(listed.status, 0) << listed.err;
		std::set<std::string> paths;
		for (const std::string& name : words(listed.out)) {
			if (name.back() != '/')
				paths.insert(name.substr(1));
		}
		return paths;
	}

	std::string deb;
};

TEST_F(PackageFile, HoldsWhatMakeInstallInstalls)
{
	EXPECT_EQ(field("Version"), std::string(TEVRA_VERSION) + "-1\n");
	temp_dir prefix;
	std::string build(getenv("TEVRA_BINARY"));
	build.erase(build.rfind('/'));
	run_result installed = run_program({"cmake", "--install", build, "--prefix",
		prefix.file("usr")});
	ASSERT_EQ(installed.status, 0) << installed.err;

	std::set<std::string> packaged = files();
	for (const auto& entry : std::filesystem::recursive_directory_iterator(prefix.path())) {
		if (entry.is_directory())
			continue;
		std::string path = entry.path().string().substr(prefix.path().size());
		// Debian keeps manual pages gzipped.
		if (path.rfind("/usr/share/man/", 0) == 0)
			path += ".gz";
		EXPECT_TRUE(packaged.count(path)) << path << " is installed but not packaged";
	}
	EXPECT_TRUE(packaged.count("/usr/share/doc/tevra/copyright"));
}

TEST_F(PackageFile, DependsOnNoTestTool)
{
	std::set<std::string> depends = relation_names(field("Depends"));
	std::set<std::string> run = deps_set("run");
	for (const std::string& tool : deps_set("hardening")) {
		if (!run.count(tool)) {
			EXPECT_FALSE(depends.count(tool)) << tool;
		}
	}
	// What the program opens rather than links, which the package tools cannot see.
	for (const char* part : {"qt6-image-formats-plugins", "qt6-wayland", "libical3", "libcurl4"})
		EXPECT_TRUE(depends.count(part)) << part;
}

// dpkg does not wait for another install's lock: try again while one holds it.
run_result dpkg(const std::vector<std::string>& args)
{
	std::vector<std::string> argv = {"dpkg"};
	argv.insert(argv.end(), args.begin(), args.end());
	run_result result = run_program(argv);
	for (int wait = 0; wait < 60 && result.err.find("lock") != std::string::npos; wait++) {
		sleep(5);
		result = run_program(argv);
	}
	return result;
}

class PackageInstall : public PackageFile {
protected:
	void SetUp() override
	{
		PackageFile::SetUp();
		if (IsSkipped() || HasFatalFailure())
			return;
		if (geteuid() != 0)
			GTEST_SKIP() << "installing a package needs root; as root this test installs, runs "
				"and removes it";
		// Neither a package nor a `make install` into /usr is ever replaced or removed.
		if (run_program({"dpkg-query", "-W", "tevra"}).status == 0
			|| std::filesystem::exists("/usr/bin/tevra"))
			GTEST_SKIP() << "tevra is already installed here; the test leaves it alone";
	}
	void TearDown() override
	{
		// Whatever failed, the machine is left without the package or its state.
		if (installed)
			dpkg({"--purge", "tevra"});
	}

	bool installed = false;
};

TEST_F(PackageInstall, InstallsDrawsAndRemovesCleanly)
{
	std::set<std::string> paths = files();
	installed = true;
	run_result result = dpkg({"--install", deb});
	ASSERT_EQ(result.status, 0) << result.out << result.err;

	// Create mode as the manual has it, on installed examples by their full path from the home
	// folder: each finds its picture and calendar beside it (the package leaves them there,
	// none gzipped), so nothing is said, not even of the base image; the one with events opens
	// the installed events module.
	for (const char* design : {"month-bubble", "week-events"}) {
		temp_dir home;
		run_options options;
		options.clean_environment = true;
		options.environment = {"HOME=" + home.path()};
		options.folder = home.path();
		run_result drawn = run_program({"tevra", std::string("/usr/share/doc/tevra/examples/")
			+ design + ".tevra", home.file("out.png")}, options);
		EXPECT_EQ(drawn.status, 0) << design << ": " << drawn.err;
		EXPECT_EQ(drawn.err, "") << design;
		EXPECT_EQ(identify_size(home.file("out.png")), "1920 1080") << design;
	}

	result = dpkg({"--remove", "tevra"});
	ASSERT_EQ(result.status, 0) << result.out << result.err;
	for (const std::string& path : paths)
		EXPECT_FALSE(std::filesystem::exists(path)) << path << " is left after removal";
}

}
