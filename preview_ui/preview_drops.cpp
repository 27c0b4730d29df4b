#include "preview_ui/preview.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <Alert.h>
#include <Entry.h>
#include <File.h>
#include <Message.h>
#include <Messenger.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include "model/design_paths.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/tevraview.h"
#include "shared_ui/design_state.h"
#include "shared_ui/find_view.h"
#include "shared_ui/messages.h"
#include "shared_ui/ui_globals.h"

namespace {

enum dropped_kind { kDroppedOther, kDroppedImage, kDroppedCalendar, kDroppedDesign };

std::string name_of(const std::string& path)
{
	size_t slash = path.rfind('/');
	return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ends_with(const std::string& path, const char* suffix)
{
	std::string tail(suffix);
	if (path.size() < tail.size())
		return false;
	std::string end = path.substr(path.size() - tail.size());
	std::transform(end.begin(), end.end(), end.begin(), ::tolower);
	return end == tail;
}

// Designs and calendar files by their names, as the file manager shows them; a picture by
// what a translator finds in it, whatever it is called.
dropped_kind kind_of(const std::string& path)
{
	struct stat st;
	if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
		return kDroppedOther;
	if (ends_with(path, ".tevra"))
		return kDroppedDesign;
	if (ends_with(path, ".ics"))
		return kDroppedCalendar;
	BFile file(path.c_str(), B_READ_ONLY);
	translator_info info;
	if (file.InitCheck() == B_OK && tr != nullptr
		&& tr->Identify(&file, nullptr, &info, 0, nullptr, B_TRANSLATOR_BITMAP) == B_OK)
		return kDroppedImage;
	return kDroppedOther;
}

}

// A picture becomes the base, a calendar file joins the events, a design is opened once the
// panel has asked about unsaved changes; the rest is refused, one line a file.
void preview::take_drop(const BMessage* message)
{
	std::string design, image;
	std::vector<std::string> calendars, refused;
	entry_ref ref;
	for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++) {
		std::string path = ref.Path() != nullptr ? ref.Path() : "";
		switch (kind_of(path)) {
			case kDroppedDesign:
				if (design.empty())
					design = path;
				else
					refused.push_back(name_of(path) + ": one design opens at a time.");
				break;
			case kDroppedImage:
				if (image.empty())
					image = path;
				else
					refused.push_back(name_of(path) + ": the base is one picture.");
				break;
			case kDroppedCalendar:
				calendars.push_back(path);
				break;
			default:
				refused.push_back(name_of(path)
					+ " is not a picture, a calendar file (.ics) or a design (.tevra).");
				break;
		}
	}
	if (!design.empty()) {
		// Opening the design replaces what else came with it.
		for (const std::string& path : calendars)
			refused.push_back(name_of(path) + ": a design opens on its own.");
		if (!image.empty())
			refused.push_back(name_of(image) + ": a design opens on its own.");
		BMessage open(kMsgFileOpen);
		entry_ref chosen(design.c_str());
		open.AddRef("refs", &chosen);
		if (BHandler* panel = find_view("configview"))
			BMessenger(panel).SendMessage(&open, nullptr, B_INFINITE_TIMEOUT);
	} else if (!image.empty() || !calendars.empty()) {
		unread_files.clear();
		if (!image.empty()) {
			calview->load_base_image(image.c_str());
			if (base_mode == kBaseColor)
				base_mode = kBaseFitScreen;
		}
		for (const std::string& path : calendars) {
			if (std::find(event_sources.begin(), event_sources.end(), path)
					== event_sources.end())
				event_sources.push_back(path);
		}
		if (!calendars.empty())
			reload_events();
		// The panel shows the base page, where what was dropped now stands.
		sel_no = -1;
		note_change();
		request_edit(-1);
		report_unread_files();
	}
	if (refused.empty())
		return;
	std::string text;
	for (const std::string& line : refused)
		text += (text.empty() ? "" : "\n") + line;
	BAlert* alert = new BAlert("", text.c_str(), "OK", nullptr, nullptr, B_WIDTH_AS_USUAL,
		B_WARNING_ALERT);
	alert->Go(nullptr);
}
