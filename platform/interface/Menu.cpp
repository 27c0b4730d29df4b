#include <Menu.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QWheelEvent>

#include <MenuBar.h>
#include <MenuItem.h>

#include "../support/qt_convert.h"
#include "MenuItemPrivate.h"
#include "MenuPrivate.h"
#include "ViewPrivate.h"
#include "control_widgets.h"
#include "font_catalogue.h"
#include "view_widget.h"

namespace {

QString action_text(const char* label)
{
	return literal_text(QString::fromUtf8(label));
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

// A menu that scrolls, as long font menus need: it opens at its checked item, keeps the item
// chosen with the keys in view (Qt leaves it out of sight when Up wraps from the top to the
// end), jumps to the item whose label starts with the letters typed, takes the page keys at
// once and moves three items a wheel notch.
class scrolling_menu : public QMenu {
public:
	explicit scrolling_menu(const QString& title)
		: QMenu(title)
	{
		setStyle(menu_style());
	}

protected:
	void showEvent(QShowEvent* event) override
	{
		QMenu::showEvent(event);
		fTyped.clear();
		fWheel = 0;
		for (QAction* action : actions()) {
			if (action->isChecked() && action->isVisible()) {
				setActiveAction(action);
				break;
			}
		}
	}

	void keyPressEvent(QKeyEvent* event) override
	{
		if (_PageKey(event) || _TypeAhead(event))
			return;
		QMenu::keyPressEvent(event);
		QAction* active = activeAction();
		if (isVisible() && active != nullptr && active->menu() == nullptr && !_Shown(active))
			setActiveAction(active);
	}

	void wheelEvent(QWheelEvent* event) override
	{
		// Qt scrolls one item for each event, whatever its size.
		fWheel += event->angleDelta().y();
		const int kPerItem = 120 / 3;
		while (std::abs(fWheel) >= kPerItem) {
			int step = fWheel > 0 ? 120 : -120;
			QWheelEvent one(event->position(), event->globalPosition(), QPoint(),
				QPoint(0, step), event->buttons(), event->modifiers(), event->phase(), false);
			QMenu::wheelEvent(&one);
			fWheel -= fWheel > 0 ? kPerItem : -kPerItem;
		}
		event->accept();
	}

private:
	bool _Shown(QAction* action) const
	{
		int arrows = style()->pixelMetric(QStyle::PM_MenuScrollerHeight, nullptr, this);
		return rect().adjusted(0, arrows, 0, -arrows).contains(actionGeometry(action));
	}

	static bool _Choosable(QAction* action)
	{
		return action->isVisible() && action->isEnabled() && !action->isSeparator();
	}

	// The choosable item nearest to index, looking first in the direction of travel.
	QAction* _Nearest(int index, int direction) const
	{
		QList<QAction*> list = actions();
		index = std::clamp(index, 0, (int)list.size() - 1);
		for (int i = index; i >= 0 && i < list.size(); i += direction) {
			if (_Choosable(list[i]))
				return list[i];
		}
		for (int i = index; i >= 0 && i < list.size(); i -= direction) {
			if (_Choosable(list[i]))
				return list[i];
		}
		return nullptr;
	}

	bool _PageKey(QKeyEvent* event)
	{
		QList<QAction*> list = actions();
		if (list.isEmpty())
			return false;
		int key = event->key();
		if (key != Qt::Key_PageUp && key != Qt::Key_PageDown && key != Qt::Key_Home
			&& key != Qt::Key_End)
			return false;
		// With nothing chosen yet, a page starts from the items in view.
		int first = -1, last = -1;
		for (int i = 0; i < list.size(); i++) {
			if (_Shown(list[i])) {
				first = first < 0 ? i : first;
				last = i;
			}
		}
		int page = std::max(1, last - first);
		int current = list.indexOf(activeAction());
		QAction* target = nullptr;
		if (key == Qt::Key_Home)
			target = _Nearest(0, 1);
		else if (key == Qt::Key_End)
			target = _Nearest(list.size() - 1, -1);
		else if (key == Qt::Key_PageDown)
			target = _Nearest((current < 0 ? std::max(first, 0) : current) + page, 1);
		else
			target = _Nearest((current < 0 ? std::max(last, 0) : current) - page, -1);
		if (target != nullptr)
			setActiveAction(target);
		return true;
	}

	// Letters typed within a second of each other add up; the first item whose label starts
	// with them is chosen, or failing that the first that starts with the last letter.
	bool _TypeAhead(QKeyEvent* event)
	{
		QString text = event->text();
		if (text.isEmpty() || !text[0].isPrint()
			|| (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
			return false;
		if (!fTypedClock.isValid() || fTypedClock.elapsed() > 1000)
			fTyped.clear();
		// A space inside a name ("Noto Sans") is typed; on its own it chooses, as Qt has it.
		if (text[0].isSpace() && fTyped.isEmpty())
			return false;
		fTypedClock.restart();
		fTyped += text;
		QAction* found = _StartingWith(fTyped);
		if (found == nullptr && fTyped.size() > text.size()) {
			fTyped = text;
			found = _StartingWith(fTyped);
		}
		if (found != nullptr)
			setActiveAction(found);
		return true;
	}

	QAction* _StartingWith(const QString& typed) const
	{
		for (QAction* action : actions()) {
			QString label = action->text().replace("&&", "&");
			if (_Choosable(action) && label.startsWith(typed, Qt::CaseInsensitive))
				return action;
		}
		return nullptr;
	}

	QString fTyped;
	QElapsedTimer fTypedClock;
	int fWheel = 0;
};
}

BMenu::BMenu(const char* name, menu_layout)
	: BView(BRect(0, 0, 0, 0), name, B_FOLLOW_NONE, B_WILL_DRAW),
	fRadioMode(false), fLabelFromMarked(false), fData(new Data{nullptr}),
	fListener(nullptr), fListenerCookie(nullptr)
{
}

BMenu::~BMenu()
{
	fListener = nullptr;
	for (int32 i = 0; i < fItems.CountItems(); i++) {
		BMenuItem* item = (BMenuItem*)fItems.ItemAt(i);
		item->fMenu = nullptr;
		delete item;
	}
	fItems.MakeEmpty();
	retire_widget(fData->menu);
	delete fData;
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
	item->fMenu = this;
	if (QWidget* host = Private::ActionHost(this))
		Private::InsertAction(this, item, index, host);
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
	item->fMenu = nullptr;
	if (QAction* action = BMenuItem::Private::Action(item)) {
		if (QWidget* host = Private::ActionHost(this))
			host->removeAction(action);
		// A submenu's action belongs to the submenu's QMenu, which the submenu keeps.
		if (item->Submenu() == nullptr)
			action->deleteLater();
		BMenuItem::Private::SetAction(item, nullptr);
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

static void set_menu_font(BMenu* menu, QMenu* qmenu)
{
	BFont font;
	menu->GetFont(&font);
	qmenu->setFont(control_qfont(font, qmenu));
}

QMenu* BMenu::Private::Menu(BMenu* menu)
{
	QMenu*& qmenu = menu->fData->menu;
	if (qmenu == nullptr) {
		qmenu = new scrolling_menu(QString::fromUtf8(menu->Name()));
		set_menu_font(menu, qmenu);
		for (int32 i = 0; i < menu->CountItems(); i++)
			InsertAction(menu, menu->ItemAt(i), i, qmenu);
	}
	return qmenu;
}

// A menu bar holds its actions in its own widget.
QWidget* BMenu::Private::ActionHost(const BMenu* menu)
{
	if (dynamic_cast<const BMenuBar*>(menu) != nullptr)
		return BView::Private::Widget(menu);
	return menu->fData->menu;
}

void BMenu::SetFont(const BFont* font, uint32 mask)
{
	BView::SetFont(font, mask);
	if (fData->menu != nullptr)
		set_menu_font(this, fData->menu);
}

void BMenu::Private::InsertAction(BMenu* menu, BMenuItem* item, int32 index, QWidget* host)
{
	QAction* action;
	if (BMenu* submenu = item->Submenu()) {
		action = Menu(submenu)->menuAction();
	} else {
		action = new QAction(host);
		int32 token = menu->Token();
		QObject::connect(action, &QAction::triggered, action, [token, action]() {
			if (BMenu* menu = dynamic_cast<BMenu*>(BHandler::HandlerForToken(token)))
				ActionTriggered(menu, action);
		});
		// The host may go first (a menu bar leaving its window) and take its actions along.
		QObject::connect(action, &QObject::destroyed, [token, action]() {
			if (BMenu* menu = dynamic_cast<BMenu*>(BHandler::HandlerForToken(token)))
				ActionGone(menu, action);
		});
	}
	BMenuItem::Private::SetAction(item, action);
	menu->_SyncAction(item);
	QList<QAction*> actions = host->actions();
	host->insertAction(index < actions.size() ? actions[index] : nullptr, action);
}

void BMenu::_SyncAction(BMenuItem* item)
{
	QAction* action = BMenuItem::Private::Action(item);
	if (action == nullptr)
		return;
	action->setText(action_text(item->Label()));
	action->setEnabled(item->IsEnabled());
	if (item->Submenu() != nullptr) {
		Private::Menu(item->Submenu())->setTitle(action->text());
		return;
	}
	// Haiku's shortcuts always hold the command key.
	uint32 modifiers = 0;
	if (char key = item->Shortcut(&modifiers))
		action->setShortcut(key_sequence((uchar)key, modifiers | B_COMMAND_KEY));
	// Only a marked item shows a mark: an unmarked checkable action shows an empty box.
	action->setCheckable(item->IsMarked());
	action->setChecked(item->IsMarked());
}

void BMenu::Private::ActionTriggered(BMenu* menu, QAction* action)
{
	for (int32 i = 0; i < menu->CountItems(); i++) {
		BMenuItem* item = menu->ItemAt(i);
		if (BMenuItem::Private::Action(item) != action)
			continue;
		if (!item->IsEnabled())
			return;
		// Qt has toggled the check mark; the item's mark is what counts.
		if (menu->fRadioMode)
			item->SetMarked(true);
		else
			menu->_SyncAction(item);
		item->Invoke();
		return;
	}
}

void BMenu::Private::ActionGone(BMenu* menu, QAction* action)
{
	for (int32 i = 0; i < menu->CountItems(); i++) {
		if (BMenuItem::Private::Action(menu->ItemAt(i)) == action)
			BMenuItem::Private::SetAction(menu->ItemAt(i), nullptr);
	}
}

void BMenu::_ItemMarked(BMenuItem* item)
{
	if (item->IsMarked() && fRadioMode) {
		for (int32 i = 0; i < CountItems(); i++) {
			BMenuItem* other = ItemAt(i);
			if (other != item && other->IsMarked()) {
				other->fMarked = false;
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

void BMenu::Private::SetLabelListener(BMenu* menu, void (*listener)(BMenu*, void*),
	void* cookie)
{
	menu->fListener = listener;
	menu->fListenerCookie = cookie;
}

void BMenu::_LabelChanged()
{
	if (fListener != nullptr)
		fListener(this, fListenerCookie);
}
