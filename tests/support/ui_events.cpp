#include "tests/support/ui_events.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImage>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <QMouseEvent>
#include <QTest>
#include <QScrollBar>
#include <QToolTip>
#include <QWidget>

#include <FilePanel.h>
#include <InterfaceDefs.h>
#include <ScrollBar.h>
#include <View.h>
#include <Window.h>

#include "platform/interface/ViewPrivate.h"
#include "platform/interface/WindowPrivate.h"
#include "platform/support/qt_convert.h"
#include "tests/support/shown_alert.h"

namespace {

Qt::MouseButton qt_button(uint32 button)
{
	switch (button) {
		case B_PRIMARY_MOUSE_BUTTON:
			return Qt::LeftButton;
		case B_SECONDARY_MOUSE_BUTTON:
			return Qt::RightButton;
		case B_TERTIARY_MOUSE_BUTTON:
			return Qt::MiddleButton;
		default:
			return Qt::NoButton;
	}
}

}

void send_mouse(BView* view, mouse_kind kind, BPoint where, uint32 button)
{
	QWidget* widget = BView::Private::Widget(view);
	if (widget == nullptr)
		return;
	BRect bounds = view->Bounds();
	QPointF local(where.x - bounds.left, where.y - bounds.top);
	QPointF global = widget->mapToGlobal(local);
	Qt::MouseButton changed = qt_button(button);
	QEvent::Type type = QEvent::MouseMove;
	Qt::MouseButtons held = changed;
	switch (kind) {
		case mouse_down:
			type = QEvent::MouseButtonPress;
			break;
		case mouse_moved:
			changed = Qt::NoButton;
			break;
		case mouse_up:
			type = QEvent::MouseButtonRelease;
			held = Qt::NoButton;
			break;
	}
	QMouseEvent event(type, local, global, changed, held, Qt::NoModifier);
	QCoreApplication::sendEvent(widget, &event);
}

void drag(BView* view, BPoint from, BPoint to, uint32 button)
{
	send_mouse(view, mouse_down, from, button);
	send_mouse(view, mouse_moved, to, button);
	send_mouse(view, mouse_up, to, button);
}

void click(BView* view, BPoint where, uint32 button)
{
	send_mouse(view, mouse_down, where, button);
	send_mouse(view, mouse_up, where, button);
}

void set_mouse_state(BView* view, BPoint where, uint32 buttons)
{
	BView::Private::SetMouseState(view, where, buttons);
}

void process_events(int ms)
{
	QElapsedTimer timer;
	timer.start();
	// A few rounds at least, so that a message posted while handling another gets its turn.
	for (int round = 0; round < 5 || timer.elapsed() < ms; round++) {
		QCoreApplication::sendPostedEvents();
		QCoreApplication::processEvents(QEventLoop::AllEvents);
		QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
	}
}

bool wait_until(const std::function<bool()>& done, int ms)
{
	for (int i = 0; i < ms / 10 && !done(); i++)
		process_events(10);
	return done();
}

std::string shown_tool_tip(BView* view, BPoint where)
{
	QWidget* widget = BView::Private::Widget(view);
	QPoint local((int)where.x, (int)where.y);
	QHelpEvent event(QEvent::ToolTip, local, widget->mapToGlobal(local));
	QApplication::sendEvent(widget, &event);
	process_events(0);
	std::string shown = QToolTip::isVisible() ? QToolTip::text().toStdString() : "";
	QToolTip::hideText();
	return shown;
}

shown_picture grab_view(BView* view)
{
	shown_picture shown;
	QWidget* widget = BView::Private::Widget(view);
	if (widget == nullptr)
		return shown;
	QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
	shown.area = view->Bounds();
	shown.width = image.width();
	shown.height = image.height();
	shown.pixels.resize((size_t)shown.width * shown.height);
	for (int y = 0; y < shown.height; y++) {
		const uint32* row = (const uint32*)image.constScanLine(y);
		for (int x = 0; x < shown.width; x++)
			shown.pixels[(size_t)y * shown.width + x] = row[x] & 0xffffff;
	}
	return shown;
}

void close_window(BWindow* window)
{
	BWindow::Private::Widget(window)->close();
}

bool activate_window(BWindow* window)
{
	QWidget* widget = BWindow::Private::Widget(window);
	widget->raise();
	widget->activateWindow();
	return QTest::qWaitForWindowActive(widget, 3000);
}

namespace {

void press_key_on(QWidget* widget, uint32 key, uint32 modifiers)
{
	QKeySequence sequence = key_sequence(key, modifiers);
	QKeyCombination combination = sequence[0];
	// The keyboard gives Shift+Tab a key of its own.
	Qt::Key qtKey = combination.key();
	if (qtKey == Qt::Key_Tab && (combination.keyboardModifiers() & Qt::ShiftModifier))
		qtKey = Qt::Key_Backtab;
	QTest::keyClick(widget, qtKey, combination.keyboardModifiers());
}

}

void press_key(BWindow* window, uint32 key, uint32 modifiers)
{
	QWidget* top = BWindow::Private::Widget(window);
	QWidget* focus = top->focusWidget() != nullptr ? top->focusWidget() : top;
	press_key_on(focus, key, modifiers);
}

void switch_and_press_keys(BWindow* window,
	const std::vector<std::pair<uint32, uint32>>& keys)
{
	// What Qt does itself when the window system's focus moves.
	QApplication::setActiveWindow(BWindow::Private::Widget(window));
	for (auto [key, modifiers] : keys)
		press_key(window, key, modifiers);
}

bool press_key_in_alert(uint32 key)
{
	QMessageBox* box = shown_alert();
	if (box == nullptr)
		return false;
	press_key_on(box, key, 0);
	return true;
}

bool drop_files(BWindow* window, BPoint where, const std::vector<std::string>& paths)
{
	QWidget* top = BWindow::Private::Widget(window);
	QPoint point((int)where.x, (int)where.y);
	QWidget* target = top->childAt(point);
	if (target == nullptr)
		target = top;
	while (target != nullptr && !target->acceptDrops() && target != top)
		target = target->parentWidget();
	if (target == nullptr || !target->acceptDrops())
		return false;
	QMimeData data;
	QList<QUrl> urls;
	QString text;
	for (const std::string& path : paths) {
		urls.append(QUrl::fromLocalFile(QString::fromStdString(path)));
		text += QString::fromStdString(path) + "\n";
	}
	data.setUrls(urls);
	data.setText(text);
	QPoint local = target->mapFrom(top, point);
	QDragEnterEvent enter(local, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
		Qt::NoModifier);
	QApplication::sendEvent(target, &enter);
	if (!enter.isAccepted())
		return false;
	QDropEvent drop(QPointF(local), enter.dropAction(), &data, Qt::LeftButton, Qt::NoModifier);
	QApplication::sendEvent(target, &drop);
	return drop.isAccepted();
}

void maximise_window(BWindow* window)
{
	QWidget* widget = BWindow::Private::Widget(window);
	widget->setWindowState(widget->windowState() | Qt::WindowMaximized);
}

void move_scroll_knob(BScrollBar* bar, int value)
{
	if (QScrollBar* shown = dynamic_cast<QScrollBar*>(BView::Private::Widget(bar)))
		shown->setSliderPosition(value);
}

void click_scroll_arrow(BScrollBar* bar, bool forward)
{
	if (QScrollBar* shown = dynamic_cast<QScrollBar*>(BView::Private::Widget(bar)))
		shown->triggerAction(forward ? QAbstractSlider::SliderSingleStepAdd
			: QAbstractSlider::SliderSingleStepSub);
}

void shown_scroll_range(BScrollBar* bar, int* min, int* max, int* singleStep)
{
	QScrollBar* shown = dynamic_cast<QScrollBar*>(BView::Private::Widget(bar));
	*min = shown != nullptr ? shown->minimum() : -1;
	*max = shown != nullptr ? shown->maximum() : -1;
	*singleStep = shown != nullptr ? shown->singleStep() : -1;
}

bool choose_in_file_panel(BFilePanel* panel, const std::string& path)
{
	QFileDialog* dialog
		= dynamic_cast<QFileDialog*>(BWindow::Private::Widget(panel->Window()));
	if (dialog == nullptr)
		return false;
	dialog->selectFile(QString::fromStdString(path));
	// What the dialog's Open or Save button does.
	static_cast<QDialog*>(dialog)->accept();
	return dialog->result() == QDialog::Accepted;
}

void cancel_file_panel(BFilePanel* panel)
{
	QWidget* widget = BWindow::Private::Widget(panel->Window());
	if (QFileDialog* dialog = dynamic_cast<QFileDialog*>(widget))
		dialog->reject();
}
