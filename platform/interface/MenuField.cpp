#include <MenuField.h>

#include <cmath>
#include <cstdint>

#include <Menu.h>
#include <MenuItem.h>

#include "control_widgets.h"

namespace {

// The menu tells its field of marks and labels through the field's token, so a field that
// has gone is never called.
void menu_label_changed(BMenu*, void* cookie)
{
	int32 token = (int32)(intptr_t)cookie;
	if (BMenuField* field = dynamic_cast<BMenuField*>(BHandler::HandlerForToken(token)))
		field->_SyncWidget();
}

}

BMenuField::BMenuField(BRect frame, const char* name, const char* label, BMenu* menu,
	uint32 resizingMode, uint32 flags)
	: BView(frame, name, resizingMode, flags), fLabel(label != nullptr ? label : ""),
	fMenu(menu),
	// Haiku's default: with a label, the menu takes the right half.
	fDivider(label != nullptr ? std::floor(frame.Width() / 2) : 0), fEnabled(true)
{
	if (fMenu != nullptr)
		fMenu->_SetLabelListener(&menu_label_changed, (void*)(intptr_t)Token());
}

BMenuField::~BMenuField()
{
	if (fMenu != nullptr) {
		fMenu->_SetLabelListener(nullptr, nullptr);
		delete fMenu;
	}
}

void BMenuField::SetDivider(float position)
{
	fDivider = position;
	_SyncWidget();
}

void BMenuField::SetEnabled(bool enabled)
{
	fEnabled = enabled;
	_SyncWidget();
}

QWidget* BMenuField::_CreateWidget(QWidget* parent)
{
	MenuButton* button = new MenuButton(nullptr);
	DividedWidget* widget = new DividedWidget(parent, button);
	if (fMenu != nullptr)
		button->setMenu(fMenu->_QMenu());
	return widget;
}

void BMenuField::_WidgetCreated()
{
	BView::_WidgetCreated();
	_SyncWidget();
}

void BMenuField::_SyncWidget()
{
	DividedWidget* widget = static_cast<DividedWidget*>(_Widget());
	if (widget == nullptr)
		return;
	widget->setEnabled(fEnabled);
	widget->label()->setCaption(QString::fromUtf8(fLabel.c_str()));
	widget->setDivider((int)fDivider);
	// The button shows the marked item when the menu takes its label from it, else the
	// menu's name.
	const char* shown = "";
	if (fMenu != nullptr) {
		BMenuItem* marked = fMenu->IsLabelFromMarked() ? fMenu->FindMarked() : nullptr;
		shown = marked != nullptr ? marked->Label() : fMenu->Name();
	}
	static_cast<MenuButton*>(widget->field())->setCaption(QString::fromUtf8(shown));
}
