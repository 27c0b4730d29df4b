#include "shared_ui/design_state.h"

#include <Alert.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include "model/design_archive.h"
#include "model/design_paths.h"
#include "model/edit_history.h"
#include "shared_ui/find_view.h"

edit_history history;
bool quit_confirmed = false;

void note_change(int32 series)
{
	BMessage archive;
	archive_design(&archive);
	if (history.record(&archive, series))
		show_design_state();
}

void start_history()
{
	BMessage archive;
	archive_design(&archive);
	history.reset(&archive);
	quit_confirmed = false;
	show_design_state();
}

std::string design_name()
{
	size_t slash = design_path.rfind('/');
	return slash == std::string::npos ? design_path : design_path.substr(slash + 1);
}

void show_design_state()
{
	BView* preview = find_view("preview");
	if (preview == nullptr || preview->Window() == nullptr)
		return;
	std::string title = "tevra preview";
	std::string name = design_name();
	if (!name.empty())
		title += " \u2014 " + name;
	if (history.changed())
		title += " *";
	preview->Window()->SetTitle(title.c_str());
}

void tell(const std::string& text)
{
	BAlert* alert = new BAlert("", text.c_str(), "OK", nullptr, nullptr, B_WIDTH_AS_USUAL,
		B_WARNING_ALERT);
	alert->Go(nullptr);
}

void report_unread_files()
{
	if (unread_files.empty())
		return;
	std::string text = unread_files.size() == 1 ? "This file of the design could not be read:\n"
		: "These files of the design could not be read:\n";
	for (const std::string& line : unread_files)
		text += "\n" + line;
	text += "\n\nTheir names stay in the design.";
	unread_files.clear();
	tell(text);
}
