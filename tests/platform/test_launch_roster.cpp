// The launch roster against a real systemd user manager of the test's own: the units enabled,
// started, stopped and read back as systemctl sees them, the session's variables handed over,
// and rosters that find no manager to ask.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <LaunchRoster.h>
#include <Message.h>

#include "tests/platform/desktop_support.h"
#include "tests/support/param_rows.h"
#include "tests/support/user_manager.h"

using namespace desktop_test;

namespace {

const std::vector<std::string> kSessionVariables = {"DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK",
	"XDG_CURRENT_DESKTOP"};

// Whether show-environment's output has that text at the start of a line.
bool shows(const std::string& environment, const std::string& text)
{
	return ("\n" + environment).find("\n" + text) != std::string::npos;
}

// Every test has a manager of its own, with the units installed as a user installs them, and
// the roster's bus named in the environment.
class manager_test : public testing::Test {
protected:
	void SetUp() override
	{
		std::string why = user_manager::cannot_run();
		if (!why.empty())
			GTEST_SKIP() << why;
	}

	void start_manager(const std::string& program = "/bin/true")
	{
		fManager.reset(new user_manager);
		fManager->install_tevra_units(program);
		fEnv.set("DBUS_SESSION_BUS_ADDRESS", fManager->bus_address());
		ASSERT_TRUE(fManager->start()) << "the user manager did not start";
	}

	// "NAME=value" sets, "-NAME" unsets; in a value {empty} is a folder with nothing in it and
	// {runtime} the manager's runtime folder.
	void change_environment(const std::vector<std::string>& changes)
	{
		for (const std::string& change : changes) {
			size_t equals = change.find('=');
			std::string value = equals != std::string::npos ? change.substr(equals + 1) : "";
			value = value == "{empty}" ? fEmpty.path()
				: value == "{runtime}" ? fManager->runtime_folder() : value;
			if (change[0] == '-')
				fEnv.unset(change.substr(1));
			else
				fEnv.set(change.substr(0, equals), value);
		}
	}

	// systemctl's one-word answer.
	std::string systemctl(const std::vector<std::string>& args) const
	{
		std::string out = fManager->systemctl(args).out;
		return out.substr(0, out.find('\n'));
	}

	// Declared first, so that it is restored after the manager has stopped.
	scoped_env fEnv;
	temp_dir fEmpty;
	std::unique_ptr<user_manager> fManager;
};

// --- Jobs: each call's status, then what the roster and systemctl say of the unit.

struct job_row {
	const char* name;
	const char* program; // the service's
	std::vector<std::vector<std::string>> before; // systemctl --user commands
	const char* unit;
	std::vector<std::string> calls;
	status_t expected; // of every call
	const char* words; // in ErrorText afterwards; "" when it must be empty
	status_t info; // GetJobInfo's
	bool enabled;
	bool running;
	const char* is_enabled; // systemctl's answers; null when not asked
	const char* is_active;
};

TEVRA_PRINT_CASE(job_row)

const job_row job_rows[] = {
	{"EnableAndStart", "/bin/true", {}, "tevra.timer", {"enable", "start"}, B_OK, "", B_OK,
		true, true, "enabled", "active"},
	{"DisableAndStop", "/bin/true", {{"enable", "--now", "tevra.timer"}}, "tevra.timer",
		{"disable", "stop"}, B_OK, "", B_OK, false, false, "disabled", "inactive"},
	{"EnablingDoesNotStart", "/bin/true", {}, "tevra.timer", {"enable"}, B_OK, "", B_OK, true,
		false, "enabled", "inactive"},
	{"ForcedStop", "/bin/true", {{"start", "tevra.timer"}}, "tevra.timer", {"force-stop"}, B_OK,
		"", B_OK, false, false, "disabled", "inactive"},
	{"ServiceRunsToItsEnd", "/bin/true", {}, "tevra.service", {"start"}, B_OK, "", B_OK, false,
		false, "disabled", "inactive"},
	{"ServiceFails", "/bin/false", {}, "tevra.service", {"start"}, B_ERROR, "tevra.service",
		B_OK, false, false, "disabled", "failed"},
	{"NotInstalled", "/bin/true", {}, "tevra-none.timer", {"enable", "start", "stop", "disable"},
		B_ENTRY_NOT_FOUND, "tevra-none.timer", B_ENTRY_NOT_FOUND, false, false, "", "inactive"},
	{"Masked", "/bin/true", {{"mask", "tevra.timer"}}, "tevra.timer", {"enable", "start"},
		B_NOT_ALLOWED, "masked", B_OK, false, false, "masked", "inactive"},
	{"NotAUnitName", "/bin/true", {}, "tevra", {"enable", "start", "stop", "disable"},
		B_BAD_VALUE, "tevra", B_BAD_VALUE, false, false, nullptr, nullptr},
	{"NoName", "/bin/true", {}, nullptr, {"enable", "start", "stop", "disable"}, B_BAD_VALUE,
		"unit", B_BAD_VALUE, false, false, nullptr, nullptr},
};

status_t make_call(BLaunchRoster& roster, const std::string& call, const char* unit)
{
	if (call == "enable" || call == "disable")
		return roster.SetEnabled(unit, call == "enable");
	if (call == "start")
		return roster.Start(unit);
	return roster.Stop(unit, call == "force-stop");
}

class Jobs : public manager_test, public testing::WithParamInterface<job_row> {};

TEST_P(Jobs, AreWhatTheManagerSays)
{
	const job_row& row = GetParam();
	start_manager(row.program);
	for (const std::vector<std::string>& command : row.before)
		ASSERT_EQ(fManager->systemctl(command).status, 0) << command[0];

	BLaunchRoster roster;
	ASSERT_EQ(roster.InitCheck(), B_OK) << roster.ErrorText();
	for (const std::string& call : row.calls)
		EXPECT_EQ(make_call(roster, call, row.unit), row.expected) << call;
	if (row.words[0] == '\0')
		EXPECT_STREQ(roster.ErrorText(), "");
	else
		EXPECT_NE(std::string(roster.ErrorText()).find(row.words), std::string::npos)
			<< roster.ErrorText();

	// A fresh roster, as the menu makes each time it opens.
	BLaunchRoster reader;
	BMessage info;
	ASSERT_EQ(reader.GetJobInfo(row.unit, info), row.info) << reader.ErrorText();
	if (row.info == B_OK) {
		bool enabled = !row.enabled, running = !row.running;
		EXPECT_EQ(info.FindBool("enabled", &enabled), B_OK);
		EXPECT_EQ(info.FindBool("running", &running), B_OK);
		EXPECT_EQ(enabled, row.enabled);
		EXPECT_EQ(running, row.running);
	}
	if (row.is_enabled != nullptr) {
		EXPECT_EQ(systemctl({"is-enabled", row.unit}), row.is_enabled);
		EXPECT_EQ(systemctl({"is-active", row.unit}), row.is_active);
	}
}

INSTANTIATE_TEST_SUITE_P(launch_roster, Jobs, testing::ValuesIn(job_rows), case_name<job_row>);

// --- The session's variables, handed to the manager as import-environment does.

struct import_row {
	const char* name;
	std::vector<std::string> managers; // "NAME=value" the manager has before
	std::vector<std::string> ours; // "NAME=value" set here, "-NAME" unset
	std::vector<std::string> names;
	status_t expected;
	std::vector<std::string> present; // in show-environment afterwards
	std::vector<std::string> absent; // names it sets no value for
};

TEVRA_PRINT_CASE(import_row)

const import_row import_rows[] = {
	{"X11Session", {"DISPLAY=:9"}, {"DISPLAY=:5", "XDG_CURRENT_DESKTOP=XFCE",
		"-WAYLAND_DISPLAY", "-SWAYSOCK"}, kSessionVariables, B_OK,
		{"DISPLAY=:5", "XDG_CURRENT_DESKTOP=XFCE"}, {"WAYLAND_DISPLAY", "SWAYSOCK"}},
	{"SwaySession", {}, {"-DISPLAY", "WAYLAND_DISPLAY=wayland-1",
		"SWAYSOCK=/run/user/1000/sway-ipc.1000.7.sock", "XDG_CURRENT_DESKTOP=sway"},
		kSessionVariables, B_OK, {"WAYLAND_DISPLAY=wayland-1",
		"SWAYSOCK=/run/user/1000/sway-ipc.1000.7.sock", "XDG_CURRENT_DESKTOP=sway"},
		{"DISPLAY"}},
	{"UnsetNameKeepsTheManagersValue", {"DISPLAY=:9"}, {"-DISPLAY", "WAYLAND_DISPLAY=wayland-0",
		"-SWAYSOCK", "-XDG_CURRENT_DESKTOP"}, kSessionVariables, B_OK,
		{"DISPLAY=:9", "WAYLAND_DISPLAY=wayland-0"}, {"SWAYSOCK", "XDG_CURRENT_DESKTOP"}},
	{"NoneSet", {}, {"-DISPLAY", "-WAYLAND_DISPLAY", "-SWAYSOCK", "-XDG_CURRENT_DESKTOP"},
		kSessionVariables, B_OK, {}, kSessionVariables},
	{"NameWithEqualsChangesNothing", {}, {"DISPLAY=:5"}, {"DISPLAY", "DISPLAY=:6"}, B_BAD_VALUE,
		{}, {"DISPLAY"}},
	{"EmptyNameChangesNothing", {}, {"DISPLAY=:5"}, {"DISPLAY", ""}, B_BAD_VALUE, {},
		{"DISPLAY"}},
	{"NameTheManagerRefuses", {}, {"NOT A NAME=1"}, {"NOT A NAME"}, B_BAD_VALUE, {},
		{"NOT A NAME"}},
};

class Environment : public manager_test, public testing::WithParamInterface<import_row> {};

TEST_P(Environment, IsHandedToTheManager)
{
	const import_row& row = GetParam();
	start_manager();
	if (!row.managers.empty()) {
		std::vector<std::string> command = {"set-environment"};
		command.insert(command.end(), row.managers.begin(), row.managers.end());
		ASSERT_EQ(fManager->systemctl(command).status, 0);
	}
	change_environment(row.ours);

	BLaunchRoster roster;
	ASSERT_EQ(roster.InitCheck(), B_OK) << roster.ErrorText();
	EXPECT_EQ(roster.ImportEnvironment(row.names), row.expected) << roster.ErrorText();
	EXPECT_EQ(roster.ErrorText()[0] == '\0', row.expected == B_OK) << roster.ErrorText();

	std::string environment = fManager->systemctl({"show-environment"}).out;
	for (const std::string& line : row.present)
		EXPECT_TRUE(shows(environment, line + "\n")) << line;
	for (const std::string& name : row.absent)
		EXPECT_FALSE(shows(environment, name + "=")) << name;
}

INSTANTIATE_TEST_SUITE_P(launch_roster, Environment, testing::ValuesIn(import_rows),
	case_name<import_row>);

// --- Which bus a roster finds, and what it does when no manager answers there: every call
// fails as InitCheck does, and the user's manager is left as it was.

// Besides the environment, a bus of the test's own that no manager is on, or the manager
// stopped: it holds its name on its bus and answers nothing.
enum bus_setting { k_environment_only, k_private_bus, k_manager_stopped };

struct bus_row {
	const char* name;
	bus_setting setting;
	std::vector<std::string> environment;
	status_t expected;
};

TEVRA_PRINT_CASE(bus_row)

const bus_row bus_rows[] = {
	{"BusWithoutManager", k_private_bus, {}, B_NO_INIT},
	{"RuntimeFolderWithoutBus", k_environment_only, {"-DBUS_SESSION_BUS_ADDRESS",
		"XDG_RUNTIME_DIR={empty}"}, B_NO_INIT},
	{"NoVariables", k_environment_only, {"-DBUS_SESSION_BUS_ADDRESS", "-XDG_RUNTIME_DIR"},
		B_NO_INIT},
	{"BusDisabled", k_environment_only, {"DBUS_SESSION_BUS_ADDRESS=disabled:"}, B_NO_INIT},
	{"NotAnAddress", k_environment_only, {"DBUS_SESSION_BUS_ADDRESS=no address at all"},
		B_NO_INIT},
	{"ManagerNotAnswering", k_manager_stopped, {}, B_TIMED_OUT},
	{"BusInTheRuntimeFolder", k_environment_only, {"-DBUS_SESSION_BUS_ADDRESS",
		"XDG_RUNTIME_DIR={runtime}"}, B_OK},
};

class Buses : public manager_test, public testing::WithParamInterface<bus_row> {};

TEST_P(Buses, AreFoundFromTheEnvironment)
{
	const bus_row& row = GetParam();
	start_manager();
	// A roster made before talks to the manager; the next one must look again.
	BLaunchRoster before;
	ASSERT_EQ(before.InitCheck(), B_OK) << before.ErrorText();

	std::unique_ptr<private_bus> bus;
	if (row.setting == k_private_bus) {
		bus.reset(new private_bus(&fEnv));
		ASSERT_TRUE(bus->running());
	}
	change_environment(row.environment);
	fEnv.set("DISPLAY", ":7");
	if (row.setting == k_manager_stopped)
		kill(fManager->pid(), SIGSTOP);
	std::unique_ptr<BLaunchRoster> roster(new BLaunchRoster);
	if (row.setting == k_manager_stopped)
		kill(fManager->pid(), SIGCONT);
	ASSERT_EQ(roster->InitCheck(), row.expected) << roster->ErrorText();
	BMessage info;
	if (row.expected == B_OK) {
		EXPECT_EQ(roster->GetJobInfo("tevra.timer", info), B_OK) << roster->ErrorText();
		return;
	}
	EXPECT_STRNE(roster->ErrorText(), "");
	EXPECT_EQ(roster->SetEnabled("tevra.timer", true), row.expected);
	EXPECT_EQ(roster->Start("tevra.timer"), row.expected);
	EXPECT_EQ(roster->Stop("tevra.timer"), row.expected);
	EXPECT_EQ(roster->GetJobInfo("tevra.timer", info), row.expected);
	EXPECT_EQ(roster->ImportEnvironment(kSessionVariables), row.expected);
	roster.reset();

	EXPECT_EQ(systemctl({"is-enabled", "tevra.timer"}), "disabled");
	EXPECT_EQ(systemctl({"is-active", "tevra.timer"}), "inactive");
	EXPECT_FALSE(shows(fManager->systemctl({"show-environment"}).out, "DISPLAY=:7\n"));
}

INSTANTIATE_TEST_SUITE_P(launch_roster, Buses, testing::ValuesIn(bus_rows), case_name<bus_row>);

}
