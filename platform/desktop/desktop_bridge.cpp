#include "desktop_bridge.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>
#include <QImageReader>
#include <QMetaObject>
#include <QString>

#include <Message.h>
#include <Messenger.h>
#include <Node.h>
#include <Screen.h>

#include "../storage/storage_paths.h"

namespace desktop {

namespace {

const char kTrackerSignature[] = "application/x-vnd.Be-TRAK";
const uint32 kRereadBackground = 'Tbgr';
const char kDesktopFolder[] = "/boot/home/Desktop";
const char kBackgroundAttr[] = "be:bgndimginfo";

struct pending_state {
	bool picture = false; // the Tracker was asked to reread the background
	std::string why_not;  // what the reread found wrong, reported when applying
	background what;
	bool color = false;
};

pending_state pending;

void apply_later()
{
	// With a message loop running the change shows at once; create mode has none, and its
	// application applies everything as it ends.
	if (QCoreApplication::instance() != nullptr)
		QMetaObject::invokeMethod(QCoreApplication::instance(), [] { finish_desktop_bridge(); },
			Qt::QueuedConnection);
}

void tracker(const BMessage& message)
{
	if (message.what != kRereadBackground)
		return;
	std::string picture;
	pending.why_not = read_desktop_background(&picture);
	pending.what.picture = picture;
	pending.picture = true;
	apply_later();
}

void desktop_color(rgb_color color)
{
	pending.what.color = color;
	pending.what.has_color = true;
	pending.color = true;
	apply_later();
}

std::string folder_name()
{
	char buffer[PATH_MAX];
	return map_haiku_path(kDesktopFolder, buffer, sizeof(buffer));
}

}

std::string read_desktop_background(std::string* picture)
{
	picture->clear();
	BNode folder(kDesktopFolder);
	if (folder.InitCheck() != B_OK)
		return "the desktop folder " + folder_name() + " cannot be opened: "
			+ strerror(-folder.InitCheck());
	attr_info info;
	if (folder.GetAttrInfo(kBackgroundAttr, &info) != B_OK || info.type != B_MESSAGE_TYPE)
		return "the desktop folder " + folder_name() + " holds no background";
	std::vector<char> flat(info.size);
	BMessage message;
	if (folder.ReadAttr(kBackgroundAttr, B_MESSAGE_TYPE, 0, flat.data(), flat.size())
			!= (ssize_t)flat.size()
		|| message.Unflatten(flat.data(), flat.size()) != B_OK)
		return "the background recorded on " + folder_name() + " is damaged";

	// Each entry names the workspaces it is for; the first workspace's is the one shown.
	int32 workspaces = 0;
	const char* path = nullptr;
	for (int32 i = 0; message.FindInt32("be:bgndimginfoworkspaces", i, &workspaces) == B_OK; i++) {
		if ((workspaces & 1) != 0) {
			if (message.FindString("be:bgndimginfopath", i, &path) != B_OK)
				path = nullptr;
			break;
		}
	}
	if (path == nullptr || path[0] == '\0')
		return "the background recorded on " + folder_name() + " names no picture";
	if (path[0] == '/') {
		*picture = path;
	} else {
		char here[PATH_MAX];
		if (getcwd(here, sizeof(here)) == nullptr)
			return std::string("the current folder is gone: ") + strerror(errno);
		*picture = std::string(here) + (strcmp(here, "/") == 0 ? "" : "/") + path;
	}
	if (access(picture->c_str(), R_OK) != 0)
		return "cannot read the picture " + *picture + ": " + strerror(errno);
	return "";
}

std::vector<screen_frame> spanned_screens(const std::string& picture)
{
	std::vector<screen_frame> frames = get_screen_frames();
	QSize size = QImageReader(QString::fromStdString(picture)).size();
	BRect box = screens_bounds(frames);
	if (frames.size() < 2 || size.width() != box.IntegerWidth() + 1
		|| size.height() != box.IntegerHeight() + 1)
		frames.clear();
	return frames;
}

void start_desktop_bridge()
{
	pending = pending_state();
	register_signature_receiver(kTrackerSignature, tracker);
	register_desktop_color_receiver(desktop_color);
}

bool desktop_bridge_pending()
{
	return pending.picture || pending.color;
}

std::string apply_pending()
{
	if (!desktop_bridge_pending())
		return "";
	pending_state now = pending;
	pending = pending_state();
	// A picture that cannot be shown does not keep the colour from being set.
	std::string why = now.picture ? now.why_not : std::string();
	background what = now.what;
	if (!why.empty())
		what.picture.clear();

	environment env = current_environment();
	desktop_kind kind = detect_desktop(env, [&env] {
		auto display = env.find("DISPLAY");
		return x11_window_manager_name(display != env.end() ? display->second.c_str() : "");
	});
	if (!now.picture && (kind == k_x11 || kind == k_wayland || kind == k_sway)) {
		// A colour alone, where the picture and the colour are drawn together: the picture is
		// the one the desktop folder records.
		std::string picture;
		if (read_desktop_background(&picture).empty())
			what.picture = picture;
	}
	if (what.picture.empty() && !what.has_color)
		return why;
	if (!what.picture.empty())
		what.screens = spanned_screens(what.picture);
	std::string applied = apply_background(kind, what);
	return why.empty() ? applied : why;
}

void finish_desktop_bridge()
{
	std::string why = apply_pending();
	std::string advice = take_note();
	if (!why.empty()) {
		fprintf(stderr, "%s: the desktop background could not be applied: %s\n",
			program_invocation_short_name, why.c_str());
	} else if (!advice.empty()) {
		fprintf(stderr, "%s: %s\n", program_invocation_short_name, advice.c_str());
	}
}

}
