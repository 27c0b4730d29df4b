#include <Application.h>
#include <Window.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QApplication>
#include <QDir>
#include <QTemporaryFile>

#include "../desktop/desktop_bridge.h"
#include "../interface/font_catalogue.h"
#include "../interface/window_widget.h"

BApplication* be_app = nullptr;
BMessenger be_app_messenger;

namespace {

int qt_argc = 1;
char qt_arg0[] = "tevra";
char* qt_argv[] = {qt_arg0, nullptr};

// With no display at all (cron, ssh) Qt's offscreen platform stands in, with a screen of
// the common 1920 x 1080, so create mode still knows the size of the picture to make.
// Qt's chatter (a missing runtime folder, font fallbacks) would break the silence that
// scripts and timers rely on; only real failures get through.
bool g_trying_platforms = false;

void quiet_messages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
	// A platform that fails while Qt tries the list it was given (no Wayland socket) is said
	// once, in our own words, when the list ends at the offscreen platform.
	if (g_trying_platforms && type != QtFatalMsg)
		return;
	if (type == QtCriticalMsg || type == QtFatalMsg)
		fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

bool display_named()
{
	const char* display = getenv("DISPLAY");
	const char* wayland = getenv("WAYLAND_DISPLAY");
	return (display != nullptr && display[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

QTemporaryFile* choose_platform()
{
	const char* chosen = getenv("QT_QPA_PLATFORM");
	if (chosen != nullptr && chosen[0] != '\0')
		return nullptr;
	const char* wayland = getenv("WAYLAND_DISPLAY");
	bool hasDisplay = display_named();

	// The screen configuration is read once, while Qt starts.
	QTemporaryFile* file = new QTemporaryFile(QDir::tempPath() + "/tevra-screen-XXXXXX.json");
	if (file->open()) {
		file->write("{\"screens\": [{\"name\": \"tevra\", \"x\": 0, \"y\": 0, \"width\": 1920,"
			" \"height\": 1080, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n");
		file->flush();
	}
	std::string offscreen = "offscreen:configfile=" + file->fileName().toStdString();
	// A display that cannot be reached falls back to offscreen instead of aborting.
	std::string platforms = hasDisplay
		? std::string(wayland != nullptr && wayland[0] != '\0' ? "wayland;xcb;" : "xcb;")
			+ offscreen
		: offscreen;
	setenv("QT_QPA_PLATFORM", platforms.c_str(), 1);
	return file;
}

}

struct BApplication::Data {
	QApplication* application;
};

BApplication::BApplication(const char* signature)
	: BLooper(signature), fSignature(signature != nullptr ? signature : ""),
	fData(new Data{nullptr}), fRunning(false)
{
	be_app = this;
	if (QApplication::instance() == nullptr) {
		if (getenv("TEVRA_QT_DEBUG") == nullptr)
			qInstallMessageHandler(quiet_messages);
		// Qt draws large text from outlines that FreeType hints at the font's em size, on a face
		// shared by every size of the font, and the hinting program's state carries over from
		// one such text to the next unless the face changed size between them. With Qt's glyph
		// cache the face often does not, so the same caption came out slightly different from
		// one composition to the next. Without the cache every text first loads at its own
		// size, and each outline starts from the same state.
		setenv("QT_NO_FT_CACHE", "1", 0);
		QTemporaryFile* screenConfig = choose_platform();
		g_trying_platforms = screenConfig != nullptr;
		fData->application = new QApplication(qt_argc, qt_argv);
		g_trying_platforms = false;
		// The choice names a file that goes now; programs started from here choose their own.
		if (screenConfig != nullptr) {
			unsetenv("QT_QPA_PLATFORM");
			// A session whose screen could not be asked gets a picture of a guessed size.
			if (display_named() && QGuiApplication::platformName() == "offscreen")
				fprintf(stderr, "%s: the display could not be reached; composing for 1920 x 1080\n",
					program_invocation_short_name);
		}
		delete screenConfig;
	}
	init_font_catalogue();
	be_app_messenger = BMessenger(this);
	// The Tracker's stand-in listens from the start, as the Tracker would.
	desktop::start_desktop_bridge();
}

BApplication::~BApplication()
{
	while (window_count() > 0)
		delete window_at(window_count() - 1);
	// Create mode asks for the background and the colour and ends: both are applied here.
	desktop::finish_desktop_bridge();
	be_app_messenger = BMessenger();
	be_app = nullptr;
	// Fonts and Qt objects made for this application go with it; another may follow (tests).
	// The windows' widgets were handed to Qt's deferred deletion, which runs only in a loop:
	// run it now, or the widgets of every window open at the end would never be freed.
	QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
	free_font_catalogue();
	delete fData->application;
	delete fData;
}

void BApplication::AboutRequested()
{
}

void BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler == this && message->what == B_ABOUT_REQUESTED) {
		AboutRequested();
		return;
	}
	BLooper::DispatchMessage(message, handler);
}

// Every window is asked first; one that refuses keeps the application running.
bool BApplication::QuitRequested()
{
	for (int i = 0; i < window_count(); i++) {
		if (!window_at(i)->QuitRequested())
			return false;
	}
	return true;
}

void BApplication::Quit()
{
	while (window_count() > 0)
		window_at(window_count() - 1)->Quit();
	// The application object belongs to main; quitting ends the loop, never the object.
	if (fRunning)
		QCoreApplication::quit();
}

int32 BApplication::CountWindows() const
{
	return window_count();
}

BWindow* BApplication::WindowAt(int32 index) const
{
	return window_at(index);
}

thread_id BApplication::Run()
{
	fRunning = true;
	QApplication::exec();
	fRunning = false;
	return 0;
}
