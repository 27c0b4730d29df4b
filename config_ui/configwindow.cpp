#include "config_ui/configwindow.h"

#include <cstring>
#include <string>

#include <Application.h>
#include <Entry.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>

#include "app/version.h"
#include "config_ui/configview.h"
#include "config_ui/daily.h"
#include "shared_ui/design_state.h"
#include "shared_ui/messages.h"

configwindow::configwindow(BRect frame)
	: BWindow(frame, TEVRA_NAME_VERSION, B_TITLED_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE,
		B_CURRENT_WORKSPACE), fDailyItem(nullptr)
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
	struct menu_entry {
		const char* label;
		uint32 code;
		char shortcut;
		uint32 modifiers;
		bool toApplication;
	};
	const menu_entry fileItems[] = {
		{"New", kMsgFileNew, 'N', 0, false},
		{"Open", kMsgFileOpen, 'O', 0, false},
		{"Save", kMsgFileSaveNow, 'S', 0, false},
		{"Save as", kMsgFileSave, 'S', B_SHIFT_KEY, false},
		{"Set as wallpaper", kMsgSetWallpaper, 0, 0, false},
		{"Redraw every day", kMsgRedrawDaily, 0, 0, false},
		{"About", B_ABOUT_REQUESTED, 0, 0, true},
		{"Quit", B_QUIT_REQUESTED, 'Q', 0, true},
	};
	const menu_entry editItems[] = {
		{"Undo", kMsgUndo, 'Z', 0, false},
		{"Redo", kMsgRedo, 'Z', B_SHIFT_KEY, false},
	};

	BMenuBar* bar = new BMenuBar(BRect(0, 0, 20, 20), "menubar",
		B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_ITEMS_IN_ROW, true);
	auto fill = [this, bar](const char* name, const menu_entry* entries, size_t count) {
		BMenu* menu = new BMenu(name, B_ITEMS_IN_COLUMN);
		for (size_t i = 0; i < count; i++) {
			const menu_entry& entry = entries[i];
			BMenuItem* item = new BMenuItem(entry.label, new BMessage(entry.code),
				entry.shortcut, entry.modifiers);
			item->SetTarget(entry.toApplication ? (BHandler*)be_app : (BHandler*)panel,
				nullptr);
			menu->AddItem(item);
		}
		bar->AddItem(menu);
	};
	fill("File", fileItems, sizeof(fileItems) / sizeof(fileItems[0]));
	fill("Edit", editItems, sizeof(editItems) / sizeof(editItems[0]));
	BMenu* file = bar->ItemAt(0)->Submenu();
	file->AddItem(_ExamplesMenu(), 2);
	fDailyItem = file->FindItem("Redraw every day");
	AddChild(bar);
	// The other key that redoes, as editors have it.
	AddShortcut('Y', 0, new BMessage(kMsgRedo), panel);
}

// The bundled designs, each opened as an untitled copy.
BMenuItem* configwindow::_ExamplesMenu()
{
	BMenu* examples = new BMenu("Examples", B_ITEMS_IN_COLUMN);
	for (const std::string& path : example_designs()) {
		std::string name = path.substr(path.rfind('/') + 1);
		name.resize(name.size() - strlen(".tevra"));
		BMessage* open = new BMessage(kMsgOpenExample);
		entry_ref ref(path.c_str());
		open->AddRef("refs", &ref);
		BMenuItem* item = new BMenuItem(name.c_str(), open);
		item->SetTarget(panel, nullptr);
		examples->AddItem(item);
	}
	if (examples->CountItems() == 0) {
		BMenuItem* none = new BMenuItem("none installed", nullptr);
		none->SetEnabled(false);
		examples->AddItem(none);
	}
	return new BMenuItem(examples);
}

// The check mark shows what the service manager does now, whoever changed it.
void configwindow::MenusBeginning()
{
	if (fDailyItem != nullptr)
		fDailyItem->SetMarked(daily_redraw_on());
}

bool configwindow::QuitRequested()
{
	// Closing the panel ends the whole program; the application first settles unsaved
	// changes, and closes the windows once they are settled.
	if (quit_confirmed)
		return true;
	BMessenger(be_app).SendMessage(B_QUIT_REQUESTED);
	return false;
}
