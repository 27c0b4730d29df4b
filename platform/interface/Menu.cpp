#include <Menu.h>

#include <cstring>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>

#include <MenuItem.h>

#include "font_catalogue.h"
#include "view_widget.h"

namespace {

QString action_text(const char* label)
{
	// Qt would read '&' as a shortcut mark.
	return QString::fromUtf8(label).replace('&', "&&");
}

// Qt's styles lay a menu taller than the screen out in columns wider than the screen; Haiku
// shows one column that scrolls.
class scrolling_menu_style : public QProxyStyle {
public:
	using QProxyStyle::QProxyStyle;

	int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
		QStyleHintReturn* returnData) const override
	{
		if (hint == SH_Menu_Scrollable)
			return 1;
		return QProxyStyle::styleHint(hint, option, widget, returnData);
	}
};

// One for all menus, over the application's own style; it goes with the application.
QStyle* menu_style()
{
	static QPointer<QStyle> style;
	if (style.isNull()) {
		style = new scrolling_menu_style(QStyleFactory::create(QApplication::style()->name()));
		style->setParent(QApplication::instance());
	}
	return style;
}

// A menu that scrolls and keeps the item chosen with the keys in view: Qt leaves it out of
// sight when Up wraps from the top to the end.
class scrolling_menu : public QMenu {
public:
	explicit scrolling_menu(const QString& title)
		: QMenu(title)
	{
		setStyle(menu_style());
	}

protected:
	void keyPressEvent(QKeyEvent* event) override
	{
		QMenu::keyPressEvent(event);
		QAction* active = activeAction();
		if (!isVisible() || active == nullptr || active->menu() != nullptr)
			return;
		int arrows = style()->pixelMetric(QStyle::PM_MenuScrollerHeight, nullptr, this);
		if (!rect().adjusted(0, arrows, 0, -arrows).contains(actionGeometry(active)))
			setActiveAction(active);
	}
};

}

BMenu::BMenu(const char* name, menu_layout layout)
	: BView(BRect(0, 0, 0, 0), name, B_FOLLOW_NONE, B_WILL_DRAW), fLayout(layout),
	fRadioMode(false), fLabelFromMarked(false), fQMenu(nullptr), fSuperitem(nullptr),
	fListener(nullptr), fListenerCookie(nullptr)
{
}

BMenu::~BMenu()
{
	fListener = nullptr;
	for (int32 i = 0; i < fItems.CountItems(); i++) {
		BMenuItem* item = (BMenuItem*)fItems.ItemAt(i);
		item->_SetMenu(nullptr);
		delete item;
	}
	fItems.MakeEmpty();
	retire_widget(fQMenu);
	fQMenu = nullptr;
}

bool BMenu::AddItem(BMenuItem* item)
{
	return AddItem(item, CountItems());
}

bool BMenu::AddItem(BMenuItem* item, int32 index)
{
	if (item == nullptr || item->Menu() != nullptr || index < 0 || index > CountItems())
		return false;
	fItems.AddItem(item, index);
	item->_SetMenu(this);
	if (QWidget* host = _ActionHost())
		_InsertAction(item, index, host);
	if (item->IsMarked())
		_ItemMarked(item);
	return true;
}

bool BMenu::AddItem(BMenu* submenu)
{
	if (submenu == nullptr)
		return false;
	BMenuItem* item = new BMenuItem(submenu);
	if (!AddItem(item)) {
		delete item;
		return false;
	}
	return true;
}

BMenuItem* BMenu::RemoveItem(int32 index)
{
	BMenuItem* item = (BMenuItem*)fItems.RemoveItem(index);
	if (item == nullptr)
		return nullptr;
	item->_SetMenu(nullptr);
	if (QAction* action = item->_Action()) {
		if (QWidget* host = _ActionHost())
			host->removeAction(action);
		// A submenu's action belongs to the submenu's QMenu, which the submenu keeps.
		if (item->Submenu() == nullptr)
			action->deleteLater();
		item->_SetAction(nullptr);
	}
	if (item->IsMarked())
		_LabelChanged();
	return item;
}

BMenuItem* BMenu::ItemAt(int32 index) const
{
	return (BMenuItem*)fItems.ItemAt(index);
}

int32 BMenu::CountItems() const
{
	return fItems.CountItems();
}

int32 BMenu::IndexOf(BMenuItem* item) const
{
	return fItems.IndexOf(item);
}

BMenuItem* BMenu::FindMarked() const
{
	for (int32 i = 0; i < CountItems(); i++) {
		if (ItemAt(i)->IsMarked())
			return ItemAt(i);
	}
	return nullptr;
}

BMenuItem* BMenu::FindItem(const char* label) const
{
	if (label == nullptr)
		return nullptr;
	for (int32 i = 0; i < CountItems(); i++) {
		BMenuItem* item = ItemAt(i);
		if (strcmp(item->Label(), label) == 0)
			return item;
		if (item->Submenu() != nullptr) {
			if (BMenuItem* found = item->Submenu()->FindItem(label))
				return found;
		}
	}
	return nullptr;
}

// As on Haiku: a menu that is not in radio mode cannot take its label from a marked item,
// and one that does is in radio mode.
void BMenu::SetRadioMode(bool on)
{
	fRadioMode = on;
	if (!on)
		SetLabelFromMarked(false);
	for (int32 i = 0; i < CountItems(); i++)
		_SyncAction(ItemAt(i));
}

void BMenu::SetLabelFromMarked(bool on)
{
	fLabelFromMarked = on;
	if (on && !fRadioMode)
		SetRadioMode(true);
	_LabelChanged();
}

void BMenu::SetTargetForItems(BHandler* target)
{
	for (int32 i = 0; i < CountItems(); i++)
		ItemAt(i)->SetTarget(target);
}

QMenu* BMenu::_QMenu()
{
	if (fQMenu == nullptr) {
		fQMenu = new scrolling_menu(QString::fromUtf8(Name()));
		_FontChanged();
		for (int32 i = 0; i < CountItems(); i++)
			_InsertAction(ItemAt(i), i, fQMenu);
	}
	return fQMenu;
}

QWidget* BMenu::_ActionHost() const
{
	return fQMenu;
}

void BMenu::_FontChanged()
{
	BView::_FontChanged();
	if (fQMenu != nullptr) {
		BFont font;
		GetFont(&font);
		fQMenu->setFont(to_qfont(font, fQMenu));
	}
}

void BMenu::_InsertAction(BMenuItem* item, int32 index, QWidget* host)
{
	QAction* action;
	if (BMenu* submenu = item->Submenu()) {
		action = submenu->_QMenu()->menuAction();
	} else {
		action = new QAction(host);
		int32 token = Token();
		QObject::connect(action, &QAction::triggered, action, [token, action]() {
			if (BMenu* menu = dynamic_cast<BMenu*>(BHandler::HandlerForToken(token)))
				menu->_ActionTriggered(action);
		});
		// The host may go first (a menu bar leaving its window) and take its actions along.
		QObject::connect(action, &QObject::destroyed, [token, action]() {
			if (BMenu* menu = dynamic_cast<BMenu*>(BHandler::HandlerForToken(token)))
				menu->_ActionGone(action);
		});
	}
	item->_SetAction(action);
	_SyncAction(item);
	QList<QAction*> actions = host->actions();
	host->insertAction(index < actions.size() ? actions[index] : nullptr, action);
}

void BMenu::_SyncAction(BMenuItem* item)
{
	QAction* action = item->_Action();
	if (action == nullptr)
		return;
	action->setText(action_text(item->Label()));
	action->setEnabled(item->IsEnabled());
	if (item->Submenu() != nullptr) {
		item->Submenu()->_QMenu()->setTitle(action->text());
		return;
	}
	// Only a marked item shows a mark: an unmarked checkable action shows an empty box.
	action->setCheckable(item->IsMarked());
	action->setChecked(item->IsMarked());
}

void BMenu::_ActionTriggered(QAction* action)
{
	for (int32 i = 0; i < CountItems(); i++) {
		BMenuItem* item = ItemAt(i);
		if (item->_Action() != action)
			continue;
		if (!item->IsEnabled())
			return;
		// Qt has toggled the check mark; the item's mark is what counts.
		if (fRadioMode)
			item->SetMarked(true);
		else
			_SyncAction(item);
		item->Invoke();
		return;
	}
}

void BMenu::_ActionGone(QAction* action)
{
	for (int32 i = 0; i < CountItems(); i++) {
		if (ItemAt(i)->_Action() == action)
			ItemAt(i)->_SetAction(nullptr);
	}
}

void BMenu::_ItemMarked(BMenuItem* item)
{
	if (item->IsMarked() && fRadioMode) {
		for (int32 i = 0; i < CountItems(); i++) {
			BMenuItem* other = ItemAt(i);
			if (other != item && other->IsMarked()) {
				other->_SetMarkedQuietly(false);
				_SyncAction(other);
			}
		}
	}
	_SyncAction(item);
	_LabelChanged();
}

void BMenu::_ItemChanged(BMenuItem* item)
{
	_SyncAction(item);
	if (item->IsMarked())
		_LabelChanged();
}

void BMenu::_SetLabelListener(void (*listener)(BMenu*, void*), void* cookie)
{
	fListener = listener;
	fListenerCookie = cookie;
}

void BMenu::_LabelChanged()
{
	if (fListener != nullptr)
		fListener(this, fListenerCookie);
}
