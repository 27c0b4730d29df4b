#ifndef TEVRA_VIEW_WIDGET_H
#define TEVRA_VIEW_WIDGET_H

#include <QWidget>

class BView;

enum {
	kMouseDown,
	kMouseMoved,
	kMouseUp,
};

// Shows a view's canvas and hands the mouse to the view's hooks.
class ViewWidget : public QWidget {
public:
	ViewWidget(BView* view, QWidget* parent);
	void Detach() { fView = nullptr; }

protected:
	void paintEvent(QPaintEvent* event) override;
	void resizeEvent(QResizeEvent* event) override;
	void mousePressEvent(QMouseEvent* event) override;
	void mouseMoveEvent(QMouseEvent* event) override;
	void mouseReleaseEvent(QMouseEvent* event) override;
	void leaveEvent(QEvent* event) override;
	void wheelEvent(QWheelEvent* event) override;
	bool event(QEvent* event) override;
	void keyPressEvent(QKeyEvent* event) override;
	void dragEnterEvent(QDragEnterEvent* event) override;
	void dragMoveEvent(QDragMoveEvent* event) override;
	void dropEvent(QDropEvent* event) override;

private:
	BView* fView;
};

// Haiku's button bits from Qt's buttons.
unsigned qt_buttons(Qt::MouseButtons buttons);

// Takes a view's widget (and everything in it) off the screen and deletes it once Qt is done
// with the event being handled.
void retire_widget(QWidget* widget);

#endif
