#ifndef _MENU_PRIVATE_H
#define _MENU_PRIVATE_H

#include <Menu.h>

class QAction;
class QMenu;
class QWidget;

struct BMenu::Data {
	QMenu* menu;
};

// The layer's way into a menu, and its tests'.
class BMenu::Private {
public:
	// The menu as Qt shows it, built on demand.
	static QMenu* Menu(BMenu* menu);
	// Whoever shows the menu's marked label (a menu field) hears of changes here.
	static void SetLabelListener(BMenu* menu, void (*listener)(BMenu* menu, void* cookie),
		void* cookie);
	// The Qt widget that holds the items' actions once it exists (the pop-up's QMenu, or a
	// menu bar's QMenuBar), and what comes back from it.
	static QWidget* ActionHost(const BMenu* menu);
	static void InsertAction(BMenu* menu, BMenuItem* item, int32 index, QWidget* host);
	static void ActionTriggered(BMenu* menu, QAction* action);
	static void ActionGone(BMenu* menu, QAction* action);
};

#endif
