#ifndef _FILE_PANEL_H
#define _FILE_PANEL_H

#include <string>
#include <vector>

#include <Entry.h>
#include <Message.h>
#include <Messenger.h>

class BWindow;

enum file_panel_mode {
	B_OPEN_PANEL,
	B_SAVE_PANEL,
};

class BRefFilter;

// A file chooser that does not block: the choice arrives at the target as the panel's
// message, with "refs" (open) or "directory" and "name" (save); closing it without a
// choice sends B_CANCEL.
class BFilePanel {
public:
	BFilePanel(file_panel_mode mode = B_OPEN_PANEL, BMessenger* target = nullptr,
		const entry_ref* directory = nullptr, uint32 nodeFlavors = 0,
		bool allowMultipleSelection = true, BMessage* message = nullptr,
		BRefFilter* filter = nullptr, bool modal = false, bool hideWhenDone = true);
	virtual ~BFilePanel();

	void Show();
	void Hide();
	BWindow* Window() const { return fWindow; }
	file_panel_mode PanelMode() const { return fMode; }
	void SetTarget(BMessenger target) { fTarget = target; }
	void SetMessage(BMessage* message);

private:
	// The Qt dialog the panel shows.
	class Dialog;

	// What the dialog reports.
	void _Chosen(const std::vector<std::string>& paths);
	void _Cancelled();

	file_panel_mode fMode;
	BMessenger fTarget;
	BMessage fMessage;
	bool fHideWhenDone;
	Dialog* fDialog;
	BWindow* fWindow;
};

#endif
