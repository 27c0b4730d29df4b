#include "app/tevra.h"
#include "app/version.h"

#include <cstdio>
#include <cstring>

#include <Alert.h>
#include <Entry.h>
#include <FilePanel.h>
#include <Screen.h>

#include "config_ui/configview.h"
#include "config_ui/configwindow.h"
#include "model/catalogue_items.h"
#include "model/daily_design.h"
#include "model/design_paths.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/object.h"
#include "model/tevraview.h"
#include "preview_ui/preview.h"
#include "preview_ui/prevwindow.h"
#include "shared_ui/design_state.h"
#include "shared_ui/messages.h"
#include "shared_ui/ui_globals.h"

namespace {

const char* status_text(status_t status)
{
	switch (status) {
		case B_NO_TRANSLATOR:
			return "no translator writes the chosen output format";
		case B_NO_MEMORY:
			return "not enough memory for the picture";
		case B_BAD_VALUE:
			return "not a usable file name";
		case B_BAD_TYPE:
			return "it is not a regular file, and is left as it is";
		case B_NOT_ALLOWED:
			return "it is a link that another user made in a shared folder, and is not followed";
		default:
			// The storage kit's codes are negated errno values.
			return status < 0 && status > -4096 ? strerror(-status) : "the image could not be written";
	}
}

}

const char kSignature[] = "application/x-vnd.Vimo-tevra";
const char kUsage[] = TEVRA_NAME_VERSION "\nusage :\n\ttevra\t\t\t\t: config mode\n"
	"\ttevra config_file\t\t\t: config mode on that design\n"
	"\ttevra config_file output_file\t: create mode\n";

tevra::tevra(int argc, char** argv)
	: BApplication(kSignature), view(nullptr), pwin(nullptr), cwin(nullptr), exit_status(0),
	fAboutShown(false)
{
	fp = nullptr;
	get_translator_for_output();
	get_fonts();
	{
		BScreen screen(B_MAIN_SCREEN_ID);
		scrn = screen.Frame();
	}
	view = new tevraview(scrn);

	if (argc == 3) {
		create(argv[1], argv[2]);
	} else {
		// Windows go where the desktop places them, in its logical coordinates; the picture
		// (scrn) is in the screen's own pixels, which a scaled desktop makes more.
		BRect desk = BScreen(B_MAIN_SCREEN_ID).WindowFrame();
		float W = desk.Width(), H = desk.Height();
		pwin = new prevwindow(BRect(10, 30, W - 420, H - 10).OffsetByCopy(desk.left, desk.top));
		cwin = new configwindow(BRect(W - 400, H - 400, W, H).OffsetByCopy(desk.left, desk.top));
		// Started from the desktop's menu, the designer opens the design drawn every day.
		std::string daily = daily_design_path();
		if (argc == 2)
			open_design(argv[1]);
		else if (!daily.empty() && BEntry(daily.c_str()).Exists())
			open_design(daily.c_str());
	}

	delete view;
	view = nullptr;
}

void tevra::open_design(const char* path)
{
	// A design that does not exist yet is the default one, made at the first save.
	std::string absolute = absolute_path(path);
	if (!BEntry(absolute.c_str()).Exists()) {
		design_path = absolute;
		BMessage named(kMsgNamed);
		if (pwin != nullptr)
			pwin->PostMessage(&named, pwin->preview_view);
		return;
	}
	entry_ref ref;
	if (get_ref_for_path(absolute.c_str(), &ref) != B_OK || pwin == nullptr)
		return;
	BMessage open(kMsgLoadConfig);
	open.AddRef("refs", &ref);
	pwin->PostMessage(&open, pwin->preview_view);
}

void tevra::create(const char* configPath, const char* outputPath)
{
	entry_ref configRef;
	get_ref_for_path(configPath, &configRef);
	view->keep_base = false;
	view->load_config(&configRef);
	// A timer's log is the only place to learn that the picture lacks its image; as with
	// calendar files, it is no failure to write.
	if (!view->base_unread.empty())
		fprintf(stderr, "tevra: base image: %s\n", view->base_unread.c_str());
	load_events();
	view->fit_screens();
	view->create_wallpaper();

	BEntry output(outputPath, false);
	char name[B_FILE_NAME_LENGTH] = "";
	output.GetName(name);
	BEntry folder;
	output.GetParent(&folder);
	entry_ref folderRef;
	folder.GetRef(&folderRef);
	status_t status = output.InitCheck();
	if (status == B_OK)
		status = view->save(&folderRef, name);
	if (status != B_OK) {
		// Scripts and timers must learn that no picture was written.
		fprintf(stderr, "tevra: cannot write %s: %s\n", outputPath, status_text(status));
		exit_status = 1;
	}

	if (autoset) {
		// A desktop with no desktop folder has nowhere to record the background; the desktop
		// bridge says so. Any other failure to record it is a failed write.
		status_t recorded = view->set_wallpaper(outputPath);
		if (recorded != B_OK && recorded != B_ENTRY_NOT_FOUND) {
			fprintf(stderr, "tevra: cannot record the desktop background: %s\n",
				status_text(recorded));
			exit_status = 1;
		}
		BScreen screen(B_MAIN_SCREEN_ID);
		screen.SetDesktopColor(make_color((scrn_color >> 16) & 0xff, (scrn_color >> 8) & 0xff,
			scrn_color & 0xff, 255), true);
	}
}

tevra::~tevra()
{
	// Feeds still on their way would tell windows and an application that are going.
	end_event_loads();
	delete fp;
	fp = nullptr;
	for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++)
		delete item;
	for (int32 i = 0; format_item* item = (format_item*)xlt.ItemAt(i); i++)
		delete item;
	for (int32 i = 0; font_item* item = (font_item*)fontl.ItemAt(i); i++)
		delete item;
	// The lists are static; emptying them lets a later application start clean.
	obl.MakeEmpty();
	xlt.MakeEmpty();
	fontl.MakeEmpty();
	trc = 0;
	dfn = 0;
}

bool tevra::QuitRequested()
{
	// Without the panel there is nothing to settle.
	if (cwin == nullptr)
		quit_confirmed = true;
	if (quit_confirmed)
		return BApplication::QuitRequested();
	BMessage settle(kMsgFileQuit);
	cwin->PostMessage(&settle, cwin->panel);
	return false;
}

void tevra::AboutRequested()
{
	// One About box at a time; the alert cannot be brought to the front, so About chosen
	// again while it shows does nothing.
	if (fAboutShown)
		return;
	fAboutShown = true;
	BAlert* about = new BAlert("", TEVRA_NAME_VERSION "\n\n"
		"Calendar wallpapers: a base colour or picture with single dates, months and years, "
		"Japanese holidays, era years and traditional month names.\n\n"
		"Made by the tevra developers.", "Thank you", nullptr, nullptr, B_WIDTH_AS_USUAL,
		B_INFO_ALERT);
	about->Go();
	fAboutShown = false;
}
