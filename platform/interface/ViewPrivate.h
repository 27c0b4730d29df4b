#ifndef _VIEW_PRIVATE_H
#define _VIEW_PRIVATE_H

#include <View.h>

#include <QString>

class QImage;
class QPainter;
class QPainterPath;
class QRect;
class QRectF;
class QSize;
class QWidget;

// How one kind of view shows in a window: a plain view draws on a canvas widget, a control
// makes its own Qt control. Its constructor picks the kind.
struct view_kind {
	QWidget* (*createWidget)(BView* view, QWidget* parent);
	// Brings the Qt control in line with the view's state; null where there is nothing to do.
	void (*syncWidget)(BView* view);
};

struct BView::Data {
	const view_kind* kind;
	QPainter* painter;
	QWidget* widget;
	QImage* canvas;
	QString toolTip;
	// Set by BView::KeyDown: the key was left to the window system.
	bool keyPassed = false;
};

// The layer's way into a view, and its tests'.
class BView::Private {
public:
	static QWidget* Widget(const BView* view) { return view->fData->widget; }
	// A plain view's widget: a canvas that shows what the view draws.
	static QWidget* CreateCanvas(BView* view, QWidget* parent);
	static void SetKind(BView* view, const view_kind* kind) { view->fData->kind = kind; }
	// Brings the view's Qt control in line with its state, once it has one.
	static void SyncWidget(BView* view);

	// Attaches the view to a bitmap's pixels, or takes it off them.
	static void AttachToBitmap(BView* view, BBitmap* bitmap);
	static void DetachFromBitmap(BView* view);

	// Puts the view and its children in a window, inside parentWidget.
	static void AttachToWindow(BView* view, BWindow* window, QWidget* parentWidget);
	// What the window system asks of a view's widget.
	static void Paint(const BView* view, QPainter* painter, const QRect& area);
	static void CanvasResized(BView* view) { view->_CanvasResized(); }
	static void MouseEvent(BView* view, int kind, BPoint where, uint32 buttons);
	// Hands a key to KeyDown with those modifiers held; false when the view left it alone.
	static bool KeyEvent(BView* view, const char* bytes, int32 numBytes, uint32 modifiers);
	// A message dropped on the view, as Haiku delivers it: queued for its MessageReceived.
	static void Dropped(BView* view, BMessage* message, BPoint where);
	// Where the pointer is and which buttons are down, as GetMouse reports them.
	static void SetMouseState(BView* view, BPoint where, uint32 buttons);

	// Drawing: the painter on the view's target, opened on first use.
	static QPainter* BeginDrawing(BView* view);
	static void FillPath(BView* view, const QPainterPath& path);
	static QImage* Target(const BView* view);
	static QRect DeviceClip(const BView* view, QPainter* painter);
	// Draws a whole bitmap scaled to size over all of the view's bitmap, when it covers it
	// opaquely, by making it the bitmap's pixels; false when it does not.
	// Draws source of bitmap to destination when they meet pixel for pixel on a canvas of a
	// scaled screen; false when they do not.
	static bool DrawDevicePixels(BView* view, const BBitmap* bitmap, BRect source,
		BRect destination);
	static bool DrawCovering(BView* view, const BBitmap* bitmap, const QRectF& target,
		const QSize& size);
};

#endif
