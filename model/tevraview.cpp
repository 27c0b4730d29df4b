#include "model/tevraview.h"

#include <Bitmap.h>

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

void tevraview::clr_obj()
{
	for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++)
		delete item;
	obl.MakeEmpty();

	sel_now.shown = false;
	sel_no = -1;

	delete baseimg;
	baseimg = nullptr;

	for (size_t k = 0; k < kDesignKeyCount; k++) {
		if (kDesignKeys[k].global != nullptr)
			set_key_default(kDesignKeys[k], nullptr);
	}
}
