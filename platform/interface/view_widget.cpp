#include "view_widget.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>
#include <utility>

#include <Entry.h>
#include <Message.h>
#include <ScrollBar.h>
#include <View.h>
#include <Window.h>

#include "../support/qt_convert.h"
#include "ViewPrivate.h"
#include "WindowPrivate.h"

unsigned qt_buttons(Qt::MouseButtons buttons)
{
	unsigned result = 0;
	if (buttons & Qt::LeftButton)
		result |= B_PRIMARY_MOUSE_BUTTON;
	if (buttons & Qt::RightButton)
		result |= B_SECONDARY_MOUSE_BUTTON;
	if (buttons & Qt::MiddleButton)
		result |= B_TERTIARY_MOUSE_BUTTON;
	return result;
}

void retire_widget(QWidget* widget)
{
	if (widget == nullptr)
		return;
	// The view is going; events already queued for its widget must find nothing to call.
	// ViewWidget has no meta-object of its own, so findChildren<ViewWidget*> would match every
	// QWidget (a scroll bar too); only a dynamic_cast tells them apart.
	for (QWidget* child : widget->findChildren<QWidget*>()) {
		if (ViewWidget* view = dynamic_cast<ViewWidget*>(child))
			view->Detach();
	}
	if (ViewWidget* own = dynamic_cast<ViewWidget*>(widget))
		own->Detach();
	for (QObject* child : widget->findChildren<QObject*>())
		child->blockSignals(true);
	widget->blockSignals(true);
	widget->hide();
	widget->deleteLater();
}

ViewWidget::ViewWidget(BView* view, QWidget* parent)
	: QWidget(parent), fView(view)
{
	setMouseTracking(true);
	setAttribute(Qt::WA_OpaquePaintEvent);
	// Haiku offers a drop to whatever view is under the pointer; the view decides.
	setAcceptDrops(true);
}

void ViewWidget::paintEvent(QPaintEvent* event)
{
	if (fView == nullptr)
		return;
	// Moved to a screen of another scale, the view draws anew at its pixels.
	BView::Private::CanvasResized(fView);
	QPainter painter(this);
	BView::Private::Paint(fView, &painter, event->rect());
}

void ViewWidget::resizeEvent(QResizeEvent*)
{
	if (fView != nullptr)
		BView::Private::CanvasResized(fView);
}

// The device pixel under the pointer: on a scaled screen a logical pixel holds several, and
// a view drawn at the device's pixels is pointed at as finely.
static BPoint view_point(BView* view, const QPointF& position, qreal ratio)
{
	BRect bounds = view->Bounds();
	return BPoint(std::floor(position.x() * ratio) / ratio + bounds.left,
		std::floor(position.y() * ratio) / ratio + bounds.top);
}

void ViewWidget::mousePressEvent(QMouseEvent* event)
{
	if (fView != nullptr)
		BView::Private::MouseEvent(fView, kMouseDown,
			view_point(fView, event->position(), devicePixelRatioF()),
			qt_buttons(event->buttons()));
}

void ViewWidget::mouseMoveEvent(QMouseEvent* event)
{
	if (fView != nullptr)
		BView::Private::MouseEvent(fView, kMouseMoved,
			view_point(fView, event->position(), devicePixelRatioF()),
			qt_buttons(event->buttons()));
}

void ViewWidget::mouseReleaseEvent(QMouseEvent* event)
{
	if (fView != nullptr)
		BView::Private::MouseEvent(fView, kMouseUp,
			view_point(fView, event->position(), devicePixelRatioF()),
			qt_buttons(event->buttons()));
}

void ViewWidget::leaveEvent(QEvent*)
{
}

// The bar of the window that scrolls view along direction, as Haiku's BView::ScrollBar finds it.
static BScrollBar* scroll_bar_of(BView* view, orientation direction, BView* within)
{
	for (int32 i = 0; within != nullptr && i < within->CountChildren(); i++) {
		BView* child = within->ChildAt(i);
		BScrollBar* bar = dynamic_cast<BScrollBar*>(child);
		if (bar != nullptr && bar->Target() == view && bar->Orientation() == direction)
			return bar;
		if (BScrollBar* inner = scroll_bar_of(view, direction, child))
			return inner;
	}
	return nullptr;
}

// Haiku scrolls a view's bars by three small steps a notch; Shift turns the vertical wheel
// into the horizontal one, as on other desktops.
void ViewWidget::wheelEvent(QWheelEvent* event)
{
	BWindow* window = fView != nullptr ? fView->Window() : nullptr;
	BView* root = window != nullptr ? BWindow::Private::Root(window) : nullptr;
	BScrollBar* horizontal = scroll_bar_of(fView, B_HORIZONTAL, root);
	BScrollBar* vertical = scroll_bar_of(fView, B_VERTICAL, root);
	if (horizontal == nullptr && vertical == nullptr) {
		event->ignore();
		return;
	}
	// A notch is 120; Qt counts away from the user as positive, Haiku as negative.
	float dx = -event->angleDelta().x() / 120.0f;
	float dy = -event->angleDelta().y() / 120.0f;
	if (event->modifiers() & Qt::ShiftModifier)
		std::swap(dx, dy);
	for (auto [bar, delta] : {std::make_pair(horizontal, dx), std::make_pair(vertical, dy)}) {
		if (bar == nullptr || delta == 0)
			continue;
		float smallStep, largeStep;
		bar->GetSteps(&smallStep, &largeStep);
		bar->SetValue(bar->Value() + delta * smallStep * 3);
	}
	event->accept();
}

// Tab goes to the view first, as on Haiku; only a view that leaves it moves the focus.
bool ViewWidget::event(QEvent* event)
{
	if (event->type() == QEvent::KeyPress && fView != nullptr) {
		QKeyEvent* key = static_cast<QKeyEvent*>(event);
		if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
			keyPressEvent(key);
			if (key->isAccepted())
				return true;
		}
	}
	return QWidget::event(event);
}

void ViewWidget::keyPressEvent(QKeyEvent* event)
{
	event->ignore();
	if (fView == nullptr)
		return;
	QByteArray bytes;
	if (uint32 code = haiku_key(event->key()))
		bytes.append((char)code);
	else
		bytes = event->text().toUtf8();
	if (bytes.isEmpty())
		return;
	if (BView::Private::KeyEvent(fView, bytes.constData(), bytes.size(),
			qt_modifiers(event->modifiers())))
		event->accept();
}

namespace {

// The local files a drag carries; the window system's other payloads are no files here.
std::vector<std::string> dragged_files(const QMimeData* data)
{
	std::vector<std::string> files;
	if (data == nullptr)
		return files;
	for (const QUrl& url : data->urls()) {
		if (url.isLocalFile() && !url.toLocalFile().isEmpty())
			files.push_back(url.toLocalFile().toStdString());
	}
	return files;
}

}

// A window's top view has no view around it to take a drop, so the pointer says no there
// (over a menu bar, say) rather than take it for nothing.
static bool takes_drop(BView* view, const QMimeData* data)
{
	return view != nullptr && view->Parent() != nullptr && !dragged_files(data).empty();
}

void ViewWidget::dragEnterEvent(QDragEnterEvent* event)
{
	if (takes_drop(fView, event->mimeData()))
		event->acceptProposedAction();
	else
		event->ignore();
}

void ViewWidget::dragMoveEvent(QDragMoveEvent* event)
{
	if (takes_drop(fView, event->mimeData()))
		event->acceptProposedAction();
	else
		event->ignore();
}

void ViewWidget::dropEvent(QDropEvent* event)
{
	std::vector<std::string> files = dragged_files(event->mimeData());
	if (!takes_drop(fView, event->mimeData())) {
		event->ignore();
		return;
	}
	BMessage message(B_SIMPLE_DATA);
	for (const std::string& file : files) {
		entry_ref ref(file.c_str());
		message.AddRef("refs", &ref);
	}
	QPoint screen = mapToGlobal(event->position().toPoint());
	BView::Private::Dropped(fView, &message, BPoint(screen.x(), screen.y()));
	event->acceptProposedAction();
}
