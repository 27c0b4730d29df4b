#ifndef TEVRA_GLOBALS_H
#define TEVRA_GLOBALS_H

#include <climits>
#include <string>
#include <vector>

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

// Which screens the picture is for: the main one, or every one, each showing its own part.
enum {
	kScreensMain = 0,
	kScreensAll = 1,
};
extern int32 screens;
// Each screen's frame within the picture, the main one first: read with the layout of the
// screens at each run.
extern std::vector<BRect> scrns;

// The calendar selected in config mode, -1 for none.
extern int32 sel_no;

#endif
