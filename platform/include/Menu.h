#ifndef _MENU_H
#define _MENU_H

#include <string>

#include <List.h>
#include <View.h>

class BMenuItem;
class QAction;
class QMenu;

enum menu_layout {
	B_ITEMS_IN_ROW = 0,
	B_ITEMS_IN_COLUMN,
	B_ITEMS_IN_MATRIX,
};

// A list of items; it owns them.
class BMenu : public BView {
public:
	BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);
	~BMenu() override;

	bool AddItem(BMenuItem* item);
	bool AddItem(BMenuItem* item, int32 index);
	bool AddItem(BMenu* submenu);
	BMenuItem* RemoveItem(int32 index);
	BMenuItem* ItemAt(int32 index) const;
	int32 CountItems() const;
	int32 IndexOf(BMenuItem* item) const;
	BMenuItem* FindMarked() const;
	BMenuItem* FindItem(const char* label) const;
	void SetRadioMode(bool on);
	bool IsRadioMode() const { return fRadioMode; }
	void SetLabelFromMarked(bool on);
	bool IsLabelFromMarked() const { return fLabelFromMarked; }
	void SetTargetForItems(BHandler* target);
	menu_layout Layout() const { return fLayout; }
	BMenuItem* Superitem() const { return fSuperitem; }

	// The layer's own: the menu as Qt shows it, built on demand, and notices from items.
	QMenu* _QMenu();
	void _ItemMarked(BMenuItem* item);
	void _ItemChanged(BMenuItem* item);
	void _SetSuperitem(BMenuItem* item) { fSuperitem = item; }
	// Whoever shows this menu's marked label (a menu field) hears of changes here.
	void _SetLabelListener(void (*listener)(BMenu* menu, void* cookie), void* cookie);
	// The Qt widget that holds the items' actions once it exists (the pop-up's QMenu, or a
	// menu bar's QMenuBar), and what comes back from it.
	virtual QWidget* _ActionHost() const;
	void _InsertAction(BMenuItem* item, int32 index, QWidget* host);
	void _ActionTriggered(QAction* action);
	void _ActionGone(QAction* action);
	void _FontChanged() override;

private:
	void _SyncAction(BMenuItem* item);
	void _LabelChanged();

	BList fItems;
	menu_layout fLayout;
	bool fRadioMode;
	bool fLabelFromMarked;
	QMenu* fQMenu;
	BMenuItem* fSuperitem;
	void (*fListener)(BMenu*, void*);
	void* fListenerCookie;
};

#endif
