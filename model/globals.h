#ifndef TEVRA_GLOBALS_H
#define TEVRA_GLOBALS_H

#include <climits>
#include <string>

#include <List.h>
#include <Rect.h>

#include "model/today.h"

class BFilePanel;
class BTranslatorRoster;

// The design and the catalogues, shared by every part of the program. Both windows of
// config mode work on these same settings; all of it is touched only on the GUI thread.
extern BList obl;
extern BList fontl;
extern BList xlt;
extern int32 trc;
extern int32 dfn;
extern BRect scrn;
extern BTranslatorRoster* tr;
extern BFilePanel* fp;

enum {
	kBaseColor = 0,
	kBaseFitScreen = 1,
	kBaseCenter = 2,
	kBaseFitRect = 3,
};

extern int32 base_mode;
extern uint32 base_color;
extern char baseimgpath[PATH_MAX];
extern BRect bg_bounds;
extern int32 outfmt;
extern bool autoset;
extern bool textback;
extern uint32 scrn_color;
// The language of month and weekday names ("de", "fr_CA"); empty for the user's own.
extern std::string design_language;

// The frame of the selected object as it should be shown (sel_now) and as its handles are
// drawn on the screen right now (sel_old).
struct selection_frame {
	bool shown;
	BRect rect;
};

extern int32 sel_no;
extern selection_frame sel_now;
extern selection_frame sel_old;

#endif
