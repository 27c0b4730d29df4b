#include <MenuField.h>

#include <cmath>
#include <cstdint>

#include <Menu.h>
#include <MenuItem.h>

#include "MenuPrivate.h"
#include "ViewPrivate.h"
#include "control_widgets.h"

namespace {

// The menu tells its field of marks and labels through the field's token, so a field that
// has gone is never called.
void menu_label_changed(BMenu*, void* cookie)
{
	int32 token = (int32)(intptr_t)cookie;
	if (BMenuField* field = dynamic_cast<BMenuField*>(BHandler::HandlerForToken(token)))
		BView::Private::SyncWidget(field);
}

QWidget* create_menu_field(BView* view, QWidget* parent)
{
	BMenu* menu = static_cast<BMenuField*>(view)->Menu();
	MenuButton* button = new MenuButton(nullptr);
	DividedWidget* widget = new DividedWidget(parent, button);
	if (menu != nullptr)
		button->setMenu(BMenu::Private::Menu(menu));
	return widget;
}

void sync_menu_field(BView* view)
{
	BMenuField* field = static_cast<BMenuField*>(view);
	BMenu* menu = field->Menu();
	DividedWidget* widget = static_cast<DividedWidget*>(BView::Private::Widget(view));
	widget->setEnabled(field->IsEnabled());
	widget->label()->setCaption(QString::fromUtf8(field->Label()));
	widget->setDivider((int)field->Divider());
	// The button shows the marked item when the menu takes its label from it, else the
	// menu's name.
	const char* shown = "";
	if (menu != nullptr) {
		BMenuItem* marked = menu->IsLabelFromMarked() ? menu->FindMarked() : nullptr;
		shown = marked != nullptr ? marked->Label() : menu->Name();
	}
	static_cast<MenuButton*>(widget->field())->setCaption(QString::fromUtf8(shown));
}

const view_kind kMenuFieldKind = {create_menu_field, sync_menu_field};

}

BMenuField::BMenuField(BRect frame, const char* name, const char* label, BMenu* menu,
	uint32 resizingMode, uint32 flags)
	: BView(frame, name, resizingMode, flags), fLabel(label != nullptr ? label : ""),
	fMenu(menu),
	// Haiku's default: with a label, the menu takes the right half.
	fDivider(label != nullptr ? std::floor(frame.Width() / 2) : 0), fEnabled(true)
{
	BView::Private::SetKind(this, &kMenuFieldKind);
	if (fMenu != nullptr)
		BMenu::Private::SetLabelListener(fMenu, &menu_label_changed, (void*)(intptr_t)Token());
}

BMenuField::~BMenuField()
{
	if (fMenu != nullptr) {
		BMenu::Private::SetLabelListener(fMenu, nullptr, nullptr);
		delete fMenu;
	}
}

void BMenuField::SetDivider(float position)
{
	fDivider = position;
	BView::Private::SyncWidget(this);
}

void BMenuField::SetEnabled(bool enabled)
{
	fEnabled = enabled;
	BView::Private::SyncWidget(this);
}
