#include "model/tevraview.h"

#include <cstring>

#include <Bitmap.h>
#include <Screen.h>

#include "model/catalogue_items.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/holidays.h"
#include "model/object.h"

tevraview::tevraview(BRect frame)
	: BView(frame, "tevraview", B_FOLLOW_ALL_SIDES, B_WILL_DRAW), wallbmp(nullptr),
	baseimg(nullptr)
{
	clr_obj();
	// The picture always has the screen's size, whatever frame the view was given.
	wallbmp = new BBitmap(scrn, B_RGB32, true, false);
}

tevraview::~tevraview()
{
	clr_obj();
	delete baseimg;
	delete wallbmp;
}

void tevraview::fit_screens()
{
	std::vector<screen_frame> frames = get_screen_frames();
	BRect picture = BScreen(B_MAIN_SCREEN_ID).Frame();
	scrns.clear();
	if (screens == kScreensAll && !frames.empty()) {
		// One picture over the box around every screen; what no screen shows stays the base
		// colour.
		picture = screens_bounds(frames);
		for (const screen_frame& frame : frames)
			scrns.push_back(frame.frame);
	} else if (picture.IsValid()) {
		scrns.push_back(picture);
	}
	if (!picture.IsValid() || (picture == scrn && wallbmp != nullptr))
		return;
	scrn = picture;
	delete wallbmp;
	wallbmp = new BBitmap(scrn, B_RGB32, true, false);
}

void tevraview::clr_obj()
{
	for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++)
		delete item;
	obl.MakeEmpty();

	sel_now.shown = false;
	sel_no = -1;

	delete baseimg;
	baseimg = nullptr;
	baseimgpath[0] = '\0';

	base_mode = kBaseFitScreen;
	base_color = 0x336699;
	bg_bounds = scrn;
	autoset = false;
	textback = true;
	scrn_color = 0x336699;
	screens = kScreensMain;
	holiday_rules = 0;
	event_sources.clear();

	outfmt = 0;
	for (int32 i = 0; i < trc; i++) {
		format_item* format = (format_item*)xlt.ItemAt(i);
		if (format != nullptr && strstr(format->mime, "png") != nullptr) {
			outfmt = i;
			break;
		}
	}
}
