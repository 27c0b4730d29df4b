#include "preview_ui/prevwindow.h"

#include <algorithm>

#include <Application.h>
#include <ScrollBar.h>

#include "config_ui/design_state.h"
#include "config_ui/messages.h"
#include "model/globals.h"
#include "preview_ui/preview.h"

prevwindow::prevwindow(BRect frame)
	: BWindow(frame, "tevra preview", B_DOCUMENT_WINDOW, 0, B_CURRENT_WORKSPACE)
{
	float FW = frame.Width(), FH = frame.Height();
	preview_view = new preview(BRect(0, 0, FW - kScrollBarSize, FH - kScrollBarSize));
	AddChild(preview_view);

	BRect vertical(0, 0, kScrollBarSize, FH - kScrollBarSize + 1);
	vertical.OffsetTo(FW - kScrollBarSize + 1, 0);
	scroll_v = new BScrollBar(vertical, "scrollv", preview_view, 0, 0, B_VERTICAL);
	AddChild(scroll_v);

	BRect horizontal(0, 0, FW - kScrollBarSize + 1, kScrollBarSize);
	horizontal.OffsetTo(0, FH - kScrollBarSize + 1);
	scroll_h = new BScrollBar(horizontal, "scrollh", preview_view, 0, 0, B_HORIZONTAL);
	AddChild(scroll_h);

	SetSizeLimits(199, scrn.Width() + kScrollBarSize, 119, scrn.Height() + kScrollBarSize);
	// The keys of the panel's menus work here too; the preview passes them on to the panel.
	const struct {
		char key;
		uint32 modifiers;
		uint32 code;
	} shortcuts[] = {
		{'N', 0, kMsgFileNew},
		{'O', 0, kMsgFileOpen},
		{'S', 0, kMsgFileSaveNow},
		{'S', B_SHIFT_KEY, kMsgFileSave},
		{'Z', 0, kMsgUndo},
		{'Z', B_SHIFT_KEY, kMsgRedo},
		{'Y', 0, kMsgRedo},
	};
	for (const auto& shortcut : shortcuts)
		AddShortcut(shortcut.key, shortcut.modifiers, new BMessage(shortcut.code), preview_view);
	AddShortcut('Q', 0, new BMessage(B_QUIT_REQUESTED), be_app);
	FrameResized(FW, FH);
	Show();
}

bool prevwindow::QuitRequested()
{
	// Closing the preview ends the whole program; the application first settles unsaved
	// changes, and closes the windows once they are settled.
	if (quit_confirmed)
		return true;
	BMessenger(be_app).SendMessage(B_QUIT_REQUESTED);
	return false;
}

void prevwindow::FrameResized(float, float)
{
	float SW = scrn.Width(), SH = scrn.Height();
	float V = scroll_v->Bounds().Height();
	scroll_v->SetRange(0, std::max(0.0f, SH - V + 1));
	scroll_v->SetProportion(V / SH);
	scroll_v->SetSteps(5, V);

	float U = scroll_h->Bounds().Width();
	scroll_h->SetRange(0, std::max(0.0f, SW - U + 1));
	scroll_h->SetProportion(U / SW);
	scroll_h->SetSteps(5, U);
}

void prevwindow::Zoom(BPoint, float, float)
{
	float SW = scrn.Width(), SH = scrn.Height();
	BRect full(0, 0, SW + kScrollBarSize, SH + kScrollBarSize);
	if (Bounds() == full) {
		ResizeTo(saved_frame.Width(), saved_frame.Height());
		MoveTo(saved_frame.LeftTop());
	} else {
		saved_frame = Frame();
		MoveTo(0, 0);
		ResizeTo(SW + kScrollBarSize, SH + kScrollBarSize);
	}
}
