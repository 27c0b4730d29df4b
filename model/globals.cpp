#include "model/globals.h"

BList obl(20);
BList fontl(20);
BList xlt(20);
int32 trc = 0;
int32 dfn = 0;
BRect scrn;
BTranslatorRoster* tr = nullptr;

int32 base_mode = 0;
uint32 base_color = 0;
char baseimgpath[PATH_MAX] = "";
BRect bg_bounds;
int32 outfmt = 0;
bool autoset = false;
bool textback = false;
uint32 scrn_color = 0;
int32 screens = kScreensMain;
std::vector<BRect> scrns;
std::string design_language;

int32 sel_no = -1;
