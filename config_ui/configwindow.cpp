#include "config_ui/configwindow.h"

#include <Application.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>

#include "app/version.h"
#include "config_ui/configview.h"
#include "config_ui/messages.h"

configwindow::configwindow(BRect frame)
	: BWindow(frame, TEVRA_NAME_VERSION, B_TITLED_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE,
		B_CURRENT_WORKSPACE)
{
	panel = new configview(BRect(0, 0, 400, 400).OffsetToCopy(0, 20));
	AddChild(panel);
	setupmenus();
	Show();
}

configwindow::~configwindow()
{
}

void configwindow::setupmenus()
{
	struct {
		const char* label;
		uint32 code;
		bool toApplication;
	} const items[] = {
		{"New", kMsgFileNew, false},
		{"Open", kMsgFileOpen, false},
		{"Save as", kMsgFileSave, false},
		{"About", B_ABOUT_REQUESTED, true},
		{"Quit", B_QUIT_REQUESTED, true},
	};

	BMenuBar* bar = new BMenuBar(BRect(0, 0, 20, 20), "menubar",
		B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_ITEMS_IN_ROW, true);
	BMenu* file = new BMenu("File", B_ITEMS_IN_COLUMN);
	for (const auto& entry : items) {
		BMenuItem* item = new BMenuItem(entry.label, new BMessage(entry.code));
		item->SetTarget(entry.toApplication ? (BHandler*)be_app : (BHandler*)panel, nullptr);
		file->AddItem(item);
	}
	bar->AddItem(file);
	AddChild(bar);
}

bool configwindow::QuitRequested()
{
	// Closing the panel ends the whole program, without a question.
	BMessenger(be_app).SendMessage(B_QUIT_REQUESTED);
	return true;
}
