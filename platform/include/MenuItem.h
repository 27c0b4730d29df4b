#ifndef _MENU_ITEM_H
#define _MENU_ITEM_H

#include <string>

#include <Invoker.h>

class BMenu;

class BMenuItem : public BInvoker {
public:
	BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
	BMenuItem(BMenu* submenu, BMessage* message = nullptr);
	~BMenuItem() override;

	void SetLabel(const char* label);
	const char* Label() const { return fLabel.c_str(); }
	// In a radio-mode menu, marking one item unmarks the others.
	void SetMarked(bool marked);
	bool IsMarked() const { return fMarked; }
	void SetEnabled(bool enabled);
	bool IsEnabled() const { return fEnabled; }
	BMenu* Menu() const { return fMenu; }
	// The key that chooses the item with B_COMMAND_KEY (and the other modifiers given).
	void SetShortcut(char shortcut, uint32 modifiers);
	char Shortcut(uint32* modifiers = nullptr) const;
	BMenu* Submenu() const { return fSubmenu; }
	status_t Invoke(BMessage* message = nullptr) override;

	// The layer's own way in, for its other classes and its tests.
	class Private;

private:
	friend class Private;
	friend class BMenu;
	// What the item holds of Qt: the action that shows it in its menu.
	struct Data;

	std::string fLabel;
	bool fMarked;
	bool fEnabled;
	char fShortcut;
	uint32 fModifiers;
	BMenu* fMenu;
	BMenu* fSubmenu;
	Data* fData;
};

#endif
