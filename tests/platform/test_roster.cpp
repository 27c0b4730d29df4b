// Programs launched without waiting: their end comes back as a message with what they said,
// and one still running when the application ends is let finish.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <Application.h>
#include <Message.h>
#include <Roster.h>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

// Keeps the launches' ends it is told of.
class recorder : public BHandler {
public:
	recorder() : BHandler("recorder") {}
	void MessageReceived(BMessage* message) override { ends.push_back(*message); }
	std::vector<BMessage> ends;
};

class launches : public testing::Test {
protected:
	void SetUp() override
	{
		fApp.reset(new BApplication("application/x-vnd.tevra-roster-test"));
		fApp->AddHandler(&fRecorder);
	}

	void TearDown() override
	{
		if (fApp != nullptr)
			fApp->RemoveHandler(&fRecorder);
		fApp.reset();
	}

	// Runs sh with the script in folder and waits, within ten seconds, for its end.
	bool run(const std::string& program, const std::string& script, const char* folder,
		int32* status, std::string* output)
	{
		const char* args[] = {"-c", script.c_str()};
		fRecorder.ends.clear();
		BMessage done('done');
		done.AddString("kept", "as given");
		if (be_roster->Launch(program.c_str(), 2, args, folder, BMessenger(&fRecorder), done)
				!= B_OK)
			return false;
		QElapsedTimer waited;
		waited.start();
		while (fRecorder.ends.empty() && waited.elapsed() < 10000)
			QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
		if (fRecorder.ends.empty())
			return false;
		const BMessage& end = fRecorder.ends.back();
		const char* said = nullptr;
		const char* kept = nullptr;
		EXPECT_EQ(end.what, (uint32)'done');
		EXPECT_EQ(end.FindString("kept", &kept), B_OK);
		EXPECT_EQ(end.FindInt32("status", status), B_OK);
		EXPECT_EQ(end.FindString("output", &said), B_OK);
		*output = said != nullptr ? said : "";
		return true;
	}

	std::unique_ptr<BApplication> fApp;
	recorder fRecorder;
};

TEST_F(launches, TellTheirEnd)
{
	const struct {
		const char* name;
		const char* program;
		const char* script;
		const char* folder;
		int32 status;
		const char* output; // its start; null when any text will do
	} rows[] = {
		{"status and standard error", "/bin/sh", "echo out; echo said >&2; exit 3", nullptr, 3,
			"said\n"},
		{"in the folder given", "/bin/sh", "pwd >&2", "/tmp", 0, "/tmp\n"},
		{"killed by a signal", "/bin/sh", "kill -9 $$", nullptr, -1, ""},
		{"no such program", "/no/such/program", "", nullptr, -1, nullptr},
	};
	for (const auto& row : rows) {
		SCOPED_TRACE(row.name);
		int32 status = 0;
		std::string output;
		ASSERT_TRUE(run(row.program, row.script, row.folder, &status, &output));
		EXPECT_EQ(status, row.status);
		if (row.output != nullptr) {
			EXPECT_EQ(output, row.output);
		} else {
			EXPECT_FALSE(output.empty()) << "why it did not start";
		}
	}
}

TEST_F(launches, StillRunningAtTheEndIsLetFinish)
{
	temp_dir dir;
	const std::string script = "sleep 0.5; echo finished > " + dir.file("end");
	const char* args[] = {"-c", script.c_str()};
	ASSERT_EQ(be_roster->Launch("/bin/sh", 2, args, nullptr, BMessenger(&fRecorder),
		BMessage('done')), B_OK);
	fApp->RemoveHandler(&fRecorder);
	fApp.reset();
	EXPECT_EQ(read_file(dir.file("end")), "finished\n");
}

TEST(Roster, KnowsTheRunningProgram)
{
	BApplication app("application/x-vnd.tevra-roster-test");
	app_info info;
	ASSERT_EQ(be_roster->GetRunningAppInfo(&info), B_OK);
	EXPECT_EQ(std::string(info.ref.Path()), std::filesystem::read_symlink("/proc/self/exe").string());
}

}
