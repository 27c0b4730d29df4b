#ifndef _MENU_ITEM_PRIVATE_H
#define _MENU_ITEM_PRIVATE_H

#include <MenuItem.h>

class QAction;

struct BMenuItem::Data {
	// Null until the item's menu is shown by Qt.
	QAction* action;
};

// The layer's way into a menu item, and its tests'.
class BMenuItem::Private {
public:
	static QAction* Action(const BMenuItem* item) { return item->fData->action; }
	static void SetAction(BMenuItem* item, QAction* action) { item->fData->action = action; }
};

#endif
