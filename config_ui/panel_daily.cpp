#include <string>
#include <sys/stat.h>

#include <Alert.h>
#include <CheckBox.h>
#include <Directory.h>
#include <Entry.h>
#include <Invoker.h>
#include <Roster.h>

#include "config_ui/configview.h"
#include "config_ui/daily.h"
#include "model/daily_design.h"
#include "model/design_paths.h"
#include "model/edit_history.h"
#include "model/globals.h"
#include "shared_ui/design_state.h"
#include "shared_ui/messages.h"

namespace {

// Two names of one file (a home reached through a link) are one design.
bool same_file(const std::string& a, const std::string& b)
{
	struct stat first, second;
	return a == b || (stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0
		&& first.st_dev == second.st_dev && first.st_ino == second.st_ino);
}

std::string trimmed(const std::string& text)
{
	size_t end = text.find_last_not_of(" \t\n");
	return end == std::string::npos ? "" : text.substr(0, end + 1);
}

}

void configview::_AskThen(const std::string& text, const char* yes, const BMessage& message)
{
	BAlert* alert = new BAlert("", text.c_str(), "Cancel", yes, nullptr, B_WIDTH_AS_USUAL,
		B_WARNING_ALERT);
	alert->SetShortcut(0, B_ESCAPE);
	BMessage answer(message);
	answer.AddBool("yes", true);
	// Only the second button goes on; Cancel and closing the alert leave everything as it was.
	BMessage* asked = new BMessage(kMsgAsked);
	asked->AddMessage("then", &answer);
	alert->Go(new BInvoker(asked, this));
}

// Saves the design as the daily one when it is another (asking before replacing a different
// daily design), turns wp_autoset on, then lets create mode draw it as the timer will: in a
// program of its own, so both windows stay live while it draws and sets the desktop.
void configview::_SetAsWallpaper(BMessage* message)
{
	if (_CommitTyping(message))
		return;
	std::string daily = daily_design_path();
	if (daily.empty()) {
		tell("There is no home folder to keep the daily design in.");
		return;
	}
	bool saved = false, yes = false;
	message->FindBool("saved", &saved);
	message->FindBool("yes", &yes);
	if (!saved) {
		if (fDrawing)
			return;
		if (!design_path.empty() && same_file(design_path, daily))
			design_path = daily;
		bool other = design_path != daily;
		if (other && BEntry(daily.c_str()).Exists() && !yes) {
			_AskThen("Replace the daily design?\n\n" + daily + " is drawn every day. This "
				"design takes its place; the one there now is lost.", "Replace", *message);
			return;
		}
		if (!autoset) {
			autoset = true;
			if (auto_cb != nullptr)
				auto_cb->SetValue(B_CONTROL_ON);
			note_change();
		}
		if (other || history.changed()) {
			BMessage next(*message);
			next.AddBool("saved", true);
			BMessage save(kMsgSaveConfig);
			save.AddBool("daily", true);
			save.AddString("adopt", examples_folder().c_str());
			save.AddMessage("then", &next);
			_SendToPreview(&save);
			return;
		}
	}

	// Saved as the daily design, the page in view shows the paths as they are now written.
	if (saved)
		redraw(-2);
	std::string picture = daily_picture_path();
	create_directory(folder_of(picture).c_str(), 0755);
	const char* args[] = {daily.c_str(), picture.c_str()};
	BMessage done(kMsgWallpaperDrawn);
	BMessage then;
	if (message->FindMessage("then", &then) == B_OK)
		done.AddMessage("then", &then);
	// Run where the timer's unit runs it, so relative paths are read the same.
	status_t status = be_roster->Launch(create_mode_program().c_str(), 2, args,
		folder_of(daily).c_str(), BMessenger(this), done);
	if (status != B_OK) {
		tell("Today's picture could not be drawn: " + create_mode_program()
			+ " could not be started.");
		return;
	}
	fDrawing = true;
}

void configview::_WallpaperDrawn(BMessage* message)
{
	fDrawing = false;
	int32 status = -1;
	const char* output = "";
	message->FindInt32("status", &status);
	message->FindString("output", &output);
	std::string said = trimmed(output);
	std::string picture = daily_picture_path();
	if (status == 0 && said.empty()) {
		BAlert* alert = new BAlert("", ("The desktop background is set.\n\nToday's picture of "
			"the daily design is " + picture + ".").c_str(), "OK");
		alert->Go(nullptr);
	} else if (status == 0) {
		tell("Today's picture is drawn into " + picture + ", but:\n\n" + said);
	} else {
		tell("Today's picture could not be drawn:\n\n" + (said.empty()
			? std::string("create mode ended without saying why") : said));
	}
	BMessage then;
	if (status == 0 && message->FindMessage("then", &then) == B_OK)
		Looper()->PostMessage(&then, this);
}

// Checked, the service manager redraws the daily design every day; unchecked, it does not.
void configview::_RedrawEveryDay(BMessage* message)
{
	if (!service_manager_present()) {
		tell("There is no service manager here to redraw the picture every day. cron can "
			"do it: add this line with crontab -e:\n\n" + cron_line());
		return;
	}
	bool enable = false;
	message->FindBool("enable", &enable);
	bool on = !enable && !daily_redraw_on();
	if (!enable && !on) {
		std::string why = set_daily_redraw(false);
		if (!why.empty())
			tell("The daily redraw could not be turned off. " + why);
		return;
	}
	if (!BEntry(daily_design_path().c_str()).Exists()) {
		BMessage redraw(kMsgRedrawDaily);
		redraw.AddBool("enable", true);
		BMessage set(kMsgSetWallpaper);
		set.AddMessage("then", &redraw);
		_AskThen("There is no daily design to redraw yet.\n\nSet this design as wallpaper "
			"first? It becomes the daily design " + daily_design_path() + ".",
			"Set as wallpaper", set);
		return;
	}
	std::string why = set_daily_redraw(true);
	if (!why.empty())
		tell("The daily redraw could not be turned on. " + why);
}
