#ifndef _MENU_BAR_H
#define _MENU_BAR_H

#include <Menu.h>

class BMenuBar : public BMenu {
public:
	BMenuBar(BRect frame, const char* name,
		uint32 resizingMode = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
		menu_layout layout = B_ITEMS_IN_ROW, bool resizeToFit = true);
	~BMenuBar() override;

	void AttachedToWindow() override;

private:
	bool fResizeToFit;
};

#endif
