#ifndef _MENU_H
#define _MENU_H

#include <string>

#include <List.h>
#include <View.h>

class BMenuItem;

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
	void SetFont(const BFont* font, uint32 mask = B_FONT_ALL) override;

	// The layer's own way in, for its other classes and its tests.
	class Private;

private:
	friend class Private;
	friend class BMenuItem;
	// What the menu holds of Qt: the pop-up menu, built on demand.
	struct Data;

	// Notices from the menu's items.
	void _ItemMarked(BMenuItem* item);
	void _ItemChanged(BMenuItem* item);
	void _SyncAction(BMenuItem* item);
	void _LabelChanged();

	BList fItems;
	bool fRadioMode;
	bool fLabelFromMarked;
	Data* fData;
	void (*fListener)(BMenu*, void*);
	void* fListenerCookie;
};

#endif
