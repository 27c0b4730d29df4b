#include <MenuItem.h>

#include <QAction>

#include <Menu.h>

#include "MenuItemPrivate.h"
#include "clock.h"

BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut, uint32 modifiers)
	: BInvoker(message, nullptr), fLabel(label != nullptr ? label : ""), fMarked(false),
	fEnabled(true), fShortcut(shortcut), fModifiers(modifiers), fMenu(nullptr),
	fSubmenu(nullptr), fData(new Data{nullptr})
{
}

BMenuItem::BMenuItem(BMenu* submenu, BMessage* message)
	: BInvoker(message, nullptr), fLabel(submenu != nullptr ? submenu->Name() : ""),
	fMarked(false), fEnabled(true), fShortcut(0), fModifiers(0), fMenu(nullptr),
	fSubmenu(submenu),
	fData(new Data{nullptr})
{
}

BMenuItem::~BMenuItem()
{
	if (fMenu != nullptr)
		fMenu->RemoveItem(fMenu->IndexOf(this));
	if (fData->action != nullptr && fSubmenu == nullptr)
		fData->action->deleteLater();
	delete fSubmenu;
	delete fData;
}

void BMenuItem::SetLabel(const char* label)
{
	fLabel = label != nullptr ? label : "";
	if (fMenu != nullptr)
		fMenu->_ItemChanged(this);
}

void BMenuItem::SetMarked(bool marked)
{
	fMarked = marked;
	if (fMenu != nullptr)
		fMenu->_ItemMarked(this);
}

void BMenuItem::SetShortcut(char shortcut, uint32 modifiers)
{
	fShortcut = shortcut;
	fModifiers = modifiers;
	if (fMenu != nullptr)
		fMenu->_ItemChanged(this);
}

char BMenuItem::Shortcut(uint32* modifiers) const
{
	if (modifiers != nullptr)
		*modifiers = fModifiers;
	return fShortcut;
}

void BMenuItem::SetEnabled(bool enabled)
{
	fEnabled = enabled;
	if (fMenu != nullptr)
		fMenu->_ItemChanged(this);
}

status_t BMenuItem::Invoke(BMessage* message)
{
	if (!fEnabled)
		return B_ERROR;
	if (message == nullptr)
		message = Message();
	if (message == nullptr)
		return B_BAD_VALUE;
	BMessage copy(*message);
	copy.AddInt32("index", fMenu != nullptr ? fMenu->IndexOf(this) : -1);
	copy.AddInt64("when", now_microseconds());
	copy.AddPointer("source", this);
	return BInvoker::Invoke(&copy);
}
