#include "preview_ui/prevwindow.h"

#include <algorithm>
#include <cmath>

#include <Application.h>
#include <Screen.h>
#include <ScrollBar.h>

#include "model/globals.h"
#include "preview_ui/preview.h"
#include "shared_ui/design_state.h"
#include "shared_ui/messages.h"

prevwindow::prevwindow(BRect frame)
	: BWindow(frame, "tevra preview", B_DOCUMENT_WINDOW, 0, B_CURRENT_WORKSPACE),
	zoomed(false)
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
	picture_resized();
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

void prevwindow::picture_resized()
{
	if (zoomed) {
		fit();
		return;
	}
	set_limits();
}

void prevwindow::set_limits()
{
	BRect shown = preview_view->shown_bounds();
	SetSizeLimits(199, shown.Width() + kScrollBarSize, 119, shown.Height() + kScrollBarSize);
	FrameResized(Bounds().Width(), Bounds().Height());
}

void prevwindow::ScreenChanged(BRect, color_space)
{
	// Back to real size on the new screen rather than fitted again: placing the fitted window
	// on the new screen's work area could send it back to the old screen, and back again.
	zoomed = false;
	preview_view->set_scale(preview_view->real_scale());
	set_limits();
	// The offsets snap to the new screen's device pixels.
	BRect bounds = preview_view->Bounds();
	preview_view->ScrollTo(bounds.left, bounds.top);
}

void prevwindow::FrameResized(float, float)
{
	BRect shown = preview_view->shown_bounds();
	float SW = shown.Width(), SH = shown.Height();
	float V = scroll_v->Bounds().Height();
	scroll_v->SetRange(0, std::max(0.0f, SH - V + 1));
	scroll_v->SetProportion(V / SH);
	scroll_v->SetSteps(5, V);

	float U = scroll_h->Bounds().Width();
	scroll_h->SetRange(0, std::max(0.0f, SW - U + 1));
	scroll_h->SetProportion(U / SW);
	scroll_h->SetSteps(5, U);
}

// Between the real size and the whole picture in the screen's free area, where the window,
// border and all, stays; a picture that fits at real size is shown at real size.
void prevwindow::Zoom(BPoint, float, float)
{
	float real = preview_view->real_scale();
	BRect full(0, 0, std::round((scrn.Width() + 1) / real) - 1 + kScrollBarSize,
		std::round((scrn.Height() + 1) / real) - 1 + kScrollBarSize);
	if (zoomed || Bounds() == full) {
		zoomed = false;
		preview_view->set_scale(real);
		set_limits();
		ResizeTo(saved_frame.Width(), saved_frame.Height());
		MoveTo(saved_frame.LeftTop());
		return;
	}
	saved_frame = Frame();
	zoomed = true;
	fit();
}

void prevwindow::fit()
{
	float real = preview_view->real_scale();
	BRect work = BScreen(this).WorkArea();
	BRect outer = DecoratorFrame();
	BRect inner = Frame();
	float roomW = work.Width() + 1 - (outer.Width() - inner.Width()) - kScrollBarSize;
	float roomH = work.Height() + 1 - (outer.Height() - inner.Height()) - kScrollBarSize;
	float needed = std::max((scrn.Width() + 1) / std::max(roomW, 1.0f),
		(scrn.Height() + 1) / std::max(roomH, 1.0f));
	preview_view->set_scale(std::max(needed, real));
	set_limits();
	BRect shown = preview_view->shown_bounds();
	MoveTo(work.left + inner.left - outer.left, work.top + inner.top - outer.top);
	ResizeTo(shown.Width() + kScrollBarSize, shown.Height() + kScrollBarSize);
}
