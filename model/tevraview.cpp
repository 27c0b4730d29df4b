#include "model/tevraview.h"

#include <Bitmap.h>
#include <Screen.h>

#include "model/design_keys.h"
#include "model/globals.h"
#include "model/object.h"

tevraview::tevraview(BRect frame)
	: BView(frame, "tevraview", B_FOLLOW_ALL_SIDES, B_WILL_DRAW), wallbmp(nullptr),
	baseimg(nullptr), keep_base(true)
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
	BRect picture = scrn;
	std::vector<screen_frame> frames;
	if (screens == kScreensAll)
		frames = get_screen_frames();
	if (!frames.empty()) {
		// One picture over the box around every screen; what no screen shows stays the base
		// colour.
		picture = screens_bounds(frames);
		scrns.clear();
		for (const screen_frame& frame : frames)
			scrns.push_back(frame.frame);
	} else {
		// The main screen, as the program found it; back to it after every screen.
		if (scrns.size() > 1)
			picture = BScreen(B_MAIN_SCREEN_ID).Frame();
		scrns.assign(1, picture);
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

	sel_no = -1;

	delete baseimg;
	baseimg = nullptr;
	base_unread.clear();

	for (size_t k = 0; k < kDesignKeyCount; k++) {
		if (kDesignKeys[k].global != nullptr)
			set_key_default(kDesignKeys[k], nullptr);
	}
}
