#include "tests/support/panel_input.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <MenuField.h>
#include <MenuItem.h>
#include <TextControl.h>
#include <View.h>
#include <Window.h>

#include "platform/interface/MenuItemPrivate.h"
#include "platform/interface/MenuPrivate.h"
#include "platform/interface/ViewPrivate.h"
#include "platform/interface/WindowPrivate.h"
#include "tests/support/shown_alert.h"

namespace {

QLineEdit* line_edit(BTextControl* control)
{
	QWidget* widget = BView::Private::Widget(control);
	return widget != nullptr ? widget->findChild<QLineEdit*>() : nullptr;
}

// What Qt shows for a caption: '&&' is a literal '&'.
std::string unescaped(QString text)
{
	return text.replace("&&", "&").toStdString();
}

int button_room(QAbstractButton* button, QStyle::SubElement element)
{
	QStyleOptionButton option;
	option.initFrom(button);
	return button->style()->subElementRect(element, &option, button).width();
}

QFileDialog* the_shown_file_dialog()
{
	QFileDialog* found = nullptr;
	int count = 0;
	for (QWidget* widget : QApplication::topLevelWidgets()) {
		QFileDialog* dialog = qobject_cast<QFileDialog*>(widget);
		if (dialog != nullptr && dialog->isVisible()) {
			found = dialog;
			count++;
		}
	}
	return count == 1 ? found : nullptr;
}

}

bool visible_on_screen(BView* view)
{
	QWidget* widget = BView::Private::Widget(view);
	return widget != nullptr && widget->isVisible();
}

void type_text(BTextControl* control, const std::string& text, bool commit)
{
	QLineEdit* edit = line_edit(control);
	if (edit == nullptr)
		return;
	QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
	QTest::keyClick(edit, Qt::Key_Delete);
	QTest::keyClicks(edit, QString::fromStdString(text));
	if (commit)
		QTest::keyClick(edit, Qt::Key_Return);
}

std::string shown_text(BTextControl* control)
{
	QLineEdit* edit = line_edit(control);
	return edit != nullptr ? edit->text().toStdString() : std::string();
}

void click_in_window(BWindow* window, BPoint where)
{
	QWidget* top = BWindow::Private::Widget(window);
	QWidget* content = top;
	// The content area may sit below a frame of Qt's own; the window's frame is its content.
	BView* root = BWindow::Private::Root(window);
	if (root != nullptr && BView::Private::Widget(root) != nullptr)
		content = BView::Private::Widget(root);
	QPoint point = content->mapTo(top->window(), QPoint((int)where.x, (int)where.y));
	QTest::mouseClick(top->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
}

void click_control(BView* control)
{
	QWidget* widget = BView::Private::Widget(control);
	if (widget == nullptr)
		return;
	QPoint where = widget->rect().center();
	QStyleOptionButton option;
	option.initFrom(widget);
	if (qobject_cast<QRadioButton*>(widget) != nullptr) {
		where = widget->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option,
			widget).center();
	} else if (qobject_cast<QCheckBox*>(widget) != nullptr) {
		where = widget->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option,
			widget).center();
	}
	QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, where);
}

void choose_menu_item(BMenuItem* item)
{
	if (QAction* action = BMenuItem::Private::Action(item))
		action->trigger();
}

void open_and_close_menu(BMenu* menu)
{
	QMenu* shown = BMenu::Private::Menu(menu);
	shown->popup(QPoint(0, 0));
	QApplication::processEvents();
	shown->hide();
}

bool shown_menu_item_checked(BMenuItem* item)
{
	QAction* action = BMenuItem::Private::Action(item);
	return action != nullptr && action->isCheckable() && action->isChecked();
}

std::string shown_menu_label(BMenuField* field)
{
	QWidget* widget = BView::Private::Widget(field);
	QPushButton* button = widget != nullptr ? widget->findChild<QPushButton*>() : nullptr;
	if (button == nullptr)
		return std::string();
	// A label too long for the button shows cut, the whole one as its tool tip.
	return button->toolTip().isEmpty() ? unescaped(button->text())
		: button->toolTip().toStdString();
}

shown_caption_info shown_caption(BView* control)
{
	shown_caption_info info;
	QWidget* widget = BView::Private::Widget(control);
	if (widget == nullptr)
		return info;
	QString text;
	int room = 0;
	QWidget* holder = widget;
	if (QRadioButton* radio = qobject_cast<QRadioButton*>(widget)) {
		text = radio->text();
		room = button_room(radio, QStyle::SE_RadioButtonContents);
	} else if (QCheckBox* check = qobject_cast<QCheckBox*>(widget)) {
		text = check->text();
		room = button_room(check, QStyle::SE_CheckBoxContents);
	} else if (QPushButton* push = qobject_cast<QPushButton*>(widget)) {
		text = push->text();
		room = button_room(push, QStyle::SE_PushButtonContents);
	} else {
		QLabel* label = qobject_cast<QLabel*>(widget);
		if (label == nullptr)
			label = widget->findChild<QLabel*>();
		if (label == nullptr)
			return info;
		holder = label;
		text = label->text();
		room = label->isVisible() || !label->isHidden() ? label->contentsRect().width() : 0;
	}
	info.found = true;
	info.text = unescaped(text);
	info.tip = holder->toolTip().toStdString();
	QString plain = QString::fromStdString(info.text);
	info.fits = holder->fontMetrics().horizontalAdvance(plain) <= room;
	return info;
}

std::vector<std::string> shown_file_dialogs()
{
	std::vector<std::string> titles;
	for (QWidget* widget : QApplication::topLevelWidgets()) {
		QFileDialog* dialog = qobject_cast<QFileDialog*>(widget);
		if (dialog != nullptr && dialog->isVisible())
			titles.push_back(dialog->windowTitle().toStdString());
	}
	return titles;
}

bool accept_shown_file_dialog(const std::string& path)
{
	QFileDialog* dialog = the_shown_file_dialog();
	if (dialog == nullptr)
		return false;
	dialog->selectFile(QString::fromStdString(path));
	// A shown dialog whose name field has the focus leaves the field to the user: type it.
	if (QLineEdit* name = dialog->findChild<QLineEdit*>("fileNameEdit"))
		name->setText(QString::fromStdString(path));
	// What the dialog's Open or Save button does.
	static_cast<QDialog*>(dialog)->accept();
	return dialog->result() == QDialog::Accepted;
}

bool cancel_shown_file_dialog()
{
	QFileDialog* dialog = the_shown_file_dialog();
	if (dialog == nullptr)
		return false;
	dialog->reject();
	return true;
}

namespace {

// Clicks press (or the last button) on box, noting what it showed.
void answer_box(QMessageBox* box, alert_seen* seen, const std::string& press)
{
	seen->shown = true;
	seen->text = box->text().toStdString();
	QList<QAbstractButton*> buttons = box->buttons();
	std::sort(buttons.begin(), buttons.end(), [](QAbstractButton* a, QAbstractButton* b) {
		return a->x() < b->x();
	});
	seen->buttons.clear();
	QAbstractButton* chosen = buttons.last();
	for (QAbstractButton* button : buttons) {
		seen->buttons.push_back(unescaped(button->text()));
		if (seen->buttons.back() == press)
			chosen = button;
	}
	chosen->click();
}

// The case running now. An answer armed by one case must not outlive it: the next case's
// alert is not its own, and what it writes to is gone.
const testing::TestInfo* running_case()
{
	return testing::UnitTest::GetInstance()->current_test_info();
}

void answer_alert(alert_seen* seen, std::string press, int triesLeft,
	const testing::TestInfo* armedBy)
{
	QTimer::singleShot(10, [seen, press, triesLeft, armedBy]() {
		if (running_case() != armedBy)
			return;
		QMessageBox* box = shown_alert();
		if (box == nullptr) {
			// Bounded, so a test whose alert never shows leaves nothing armed for long.
			if (triesLeft > 0)
				answer_alert(seen, press, triesLeft - 1, armedBy);
			return;
		}
		answer_box(box, seen, press);
	});
}

void when_alert_shows_within(std::function<void()> then, int* shown, int triesLeft,
	const testing::TestInfo* armedBy)
{
	QTimer::singleShot(10, [then, shown, triesLeft, armedBy]() {
		if (running_case() != armedBy)
			return;
		if (shown_alert() == nullptr) {
			if (triesLeft > 0)
				when_alert_shows_within(then, shown, triesLeft - 1, armedBy);
			return;
		}
		// Armed first: then may itself wait in the loop of another alert.
		QTimer::singleShot(100, [shown, armedBy]() {
			if (running_case() != armedBy)
				return;
			*shown = 0;
			alert_seen seen;
			while (QMessageBox* box = shown_alert()) {
				answer_box(box, &seen, "");
				(*shown)++;
				// A box whose button did not close it would be counted for ever.
				if (box->isVisible())
					break;
			}
		});
		then();
	});
}

}

void when_alert_shows(std::function<void()> then, int* shown)
{
	when_alert_shows_within(std::move(then), shown, 300, running_case());
}

bool answer_shown_alert(alert_seen* seen, const char* press)
{
	QMessageBox* box = shown_alert();
	if (box == nullptr)
		return false;
	answer_box(box, seen, press != nullptr ? press : "");
	return true;
}

void answer_next_alert(alert_seen* seen, const char* press)
{
	answer_alert(seen, press != nullptr ? press : "", 300, running_case());
}
