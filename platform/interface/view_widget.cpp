#include "view_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

#include <View.h>

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
}

void ViewWidget::paintEvent(QPaintEvent* event)
{
	if (fView == nullptr)
		return;
	QPainter painter(this);
	fView->_Paint(&painter, event->rect());
}

void ViewWidget::resizeEvent(QResizeEvent*)
{
	if (fView != nullptr)
		fView->_CanvasResized();
}

static BPoint view_point(BView* view, const QPointF& position)
{
	BRect bounds = view->Bounds();
	return BPoint(std::floor(position.x()) + bounds.left, std::floor(position.y()) + bounds.top);
}

void ViewWidget::mousePressEvent(QMouseEvent* event)
{
	if (fView != nullptr)
		fView->_MouseEvent(kMouseDown, view_point(fView, event->position()),
			qt_buttons(event->buttons()));
}

void ViewWidget::mouseMoveEvent(QMouseEvent* event)
{
	if (fView != nullptr)
		fView->_MouseEvent(kMouseMoved, view_point(fView, event->position()),
			qt_buttons(event->buttons()));
}

void ViewWidget::mouseReleaseEvent(QMouseEvent* event)
{
	if (fView != nullptr)
		fView->_MouseEvent(kMouseUp, view_point(fView, event->position()),
			qt_buttons(event->buttons()));
}

void ViewWidget::leaveEvent(QEvent*)
{
}
