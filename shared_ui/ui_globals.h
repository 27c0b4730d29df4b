#ifndef TEVRA_UI_GLOBALS_H
#define TEVRA_UI_GLOBALS_H

#include <Rect.h>

class BFilePanel;

// What both windows of config mode share besides the design: the one file panel that may be
// open, whichever window opened it (the other answers it), and the selection's handles.
extern BFilePanel* fp;

// The frame of the selected object as it should be shown (sel_now) and as its handles are
// drawn on the screen right now (sel_old).
struct selection_frame {
	bool shown;
	BRect rect;
};

extern selection_frame sel_now;
extern selection_frame sel_old;

// The design's calendar files and feeds read again, feeds in the background: the preview
// composes anew when they arrive. Every change of the design's sources asks here.
void reload_events();
// Where arrived feeds are told: the preview, once it shows.
void set_events_target(const class BMessenger& target);

#endif
