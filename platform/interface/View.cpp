#include <View.h>

#include <cmath>
#include <cstring>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QMetaObject>

#include <Bitmap.h>
#include <Message.h>
#include <Window.h>

#include "../support/qt_convert.h"
#include "BitmapPrivate.h"
#include "ViewPrivate.h"
#include "font_catalogue.h"
#include "view_widget.h"

namespace {

const view_kind kCanvasKind = {BView::Private::CreateCanvas, nullptr};

}

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
	: BHandler(name), fFrame(frame), fResizingMode(resizingMode), fFlags(flags),
	fHighColor(make_color(0, 0, 0)), fLowColor(make_color(255, 255, 255)),
	fViewColor(make_color(255, 255, 255)), fDrawingMode(B_OP_COPY), fPenSize(1.0f),
	fFont(be_plain_font), fParent(nullptr), fWindow(nullptr), fBitmap(nullptr),
	fData(new Data{&kCanvasKind, nullptr, nullptr, nullptr, QString()}), fClipping(false),
	fHidden(false), fInvalidPending(false), fMouseButtons(0)
{
}

BView::~BView()
{
	if (fBitmap != nullptr)
		fBitmap->RemoveChild(this);
	if (fParent != nullptr)
		fParent->RemoveChild(this);
	while (CountChildren() > 0) {
		BView* child = ChildAt(0);
		RemoveChild(child);
		delete child;
	}
	_EndDrawing();
	if (fWindow != nullptr)
		_DetachFromWindow();
	delete fData;
}

void BView::AttachedToWindow()
{
}

void BView::DetachedFromWindow()
{
}

void BView::Draw(BRect)
{
}

void BView::MouseDown(BPoint)
{
}

void BView::MouseUp(BPoint)
{
}

void BView::MouseMoved(BPoint, uint32, const BMessage*)
{
}

void BView::FrameResized(float, float)
{
}

void BView::KeyDown(const char*, int32)
{
	fData->keyPassed = true;
}

void BView::MessageReceived(BMessage* message)
{
	// A drop a view does not take goes to the view around it, as Haiku's next handler.
	if (message->WasDropped() && fParent != nullptr) {
		fParent->MessageReceived(message);
		return;
	}
	BHandler::MessageReceived(message);
}

void BView::SetHighColor(rgb_color color)
{
	fHighColor = color;
}

void BView::SetHighColor(uchar r, uchar g, uchar b, uchar a)
{
	SetHighColor(make_color(r, g, b, a));
}

void BView::SetLowColor(rgb_color color)
{
	fLowColor = color;
}

void BView::SetLowColor(uchar r, uchar g, uchar b, uchar a)
{
	SetLowColor(make_color(r, g, b, a));
}

void BView::SetViewColor(rgb_color color)
{
	fViewColor = color;
}

void BView::SetViewColor(uchar r, uchar g, uchar b, uchar a)
{
	SetViewColor(make_color(r, g, b, a));
}

void BView::SetFont(const BFont* font, uint32 mask)
{
	if (font == nullptr)
		return;
	if (mask & B_FONT_FAMILY_AND_STYLE) {
		font_family family;
		font_style style;
		font->GetFamilyAndStyle(&family, &style);
		fFont.SetFamilyAndStyle(family, style);
	}
	if (mask & B_FONT_SIZE)
		fFont.SetSize(font->Size());
	_FontChanged();
}

void BView::SetToolTip(const char* text)
{
	fData->toolTip = QString::fromUtf8(text != nullptr ? text : "");
	if (fData->widget != nullptr)
		fData->widget->setToolTip(fData->toolTip);
}

void BView::SetFontSize(float size)
{
	BFont font;
	font.SetSize(size);
	SetFont(&font, B_FONT_SIZE);
}

void BView::_FontChanged()
{
	// A canvas draws text itself with the view's font; a Qt control must be told.
	QWidget* widget = fData->widget;
	if (widget != nullptr && dynamic_cast<ViewWidget*>(widget) == nullptr)
		widget->setFont(control_qfont(fFont, widget));
}

QWidget* BView::Private::CreateCanvas(BView* view, QWidget* parent)
{
	return new ViewWidget(view, parent);
}

void BView::Private::SyncWidget(BView* view)
{
	if (view->fData->widget != nullptr && view->fData->kind->syncWidget != nullptr)
		view->fData->kind->syncWidget(view);
}

BRect BView::Bounds() const
{
	return BRect(fOrigin.x, fOrigin.y, fOrigin.x + fFrame.Width(),
		fOrigin.y + fFrame.Height());
}

void BView::AddChild(BView* child, BView* before)
{
	if (child == nullptr || child->fParent != nullptr || child == this)
		return;
	int32 index = before != nullptr ? fChildren.IndexOf(before) : -1;
	if (index < 0)
		fChildren.AddItem(child);
	else
		fChildren.AddItem(child, index);
	child->fParent = this;
	// A view added to a view already in a window is at once in that window.
	if (fWindow != nullptr)
		Private::AttachToWindow(child, fWindow, fData->widget);
}

bool BView::RemoveChild(BView* child)
{
	if (child == nullptr || child->fParent != this)
		return false;
	fChildren.RemoveItem(child);
	child->fParent = nullptr;
	if (child->fWindow != nullptr)
		child->_DetachFromWindow();
	return true;
}

BView* BView::FindView(const char* name) const
{
	if (name == nullptr)
		return nullptr;
	for (int32 i = 0; i < CountChildren(); i++) {
		BView* child = ChildAt(i);
		if (strcmp(child->Name(), name) == 0)
			return child;
		if (BView* found = child->FindView(name))
			return found;
	}
	return nullptr;
}

void BView::Private::AttachToBitmap(BView* view, BBitmap* bitmap)
{
	view->_EndDrawing();
	view->fBitmap = bitmap;
}

void BView::Private::DetachFromBitmap(BView* view)
{
	view->_EndDrawing();
	view->fBitmap = nullptr;
}

void BView::Invalidate()
{
	Invalidate(Bounds());
}

// Draw runs later, once for everything invalidated meanwhile, as the window system would.
void BView::Invalidate(BRect rect)
{
	if (fData->widget == nullptr || fData->canvas == nullptr || !rect.IsValid())
		return;
	fInvalid = fInvalidPending ? (fInvalid | rect) : rect;
	if (fInvalidPending)
		return;
	fInvalidPending = true;
	int32 token = Token();
	QMetaObject::invokeMethod(fData->widget, [token]() {
		BView* view = dynamic_cast<BView*>(BHandler::HandlerForToken(token));
		if (view != nullptr)
			view->_FlushInvalid();
	}, Qt::QueuedConnection);
}

void BView::_FlushInvalid()
{
	if (!fInvalidPending)
		return;
	fInvalidPending = false;
	_Redraw(fInvalid);
}

void BView::_Redraw(BRect area)
{
	if (fData->canvas == nullptr)
		return;
	area = area & Bounds();
	if (!area.IsValid())
		return;
	_EndDrawing();
	{
		QPainter painter(fData->canvas);
		painter.translate(-fOrigin.x, -fOrigin.y);
		painter.fillRect(fill_rect(area), to_qcolor(fViewColor));
	}
	fClip = area;
	fClipping = true;
	Draw(area);
	fClipping = false;
	_EndDrawing();
	if (fData->widget != nullptr)
		fData->widget->update();
}

void BView::_CanvasResized()
{
	QWidget* widget = fData->widget;
	if (widget == nullptr || dynamic_cast<ViewWidget*>(widget) == nullptr)
		return;
	_EndDrawing();
	// On a scaled screen the canvas has the device's pixels, so what is drawn is as sharp as
	// the screen can show it.
	qreal ratio = widget->devicePixelRatioF();
	QSize size = (QSizeF(widget->size()) * ratio).toSize().expandedTo(QSize(1, 1));
	QImage*& canvas = fData->canvas;
	if (canvas != nullptr && canvas->size() == size && canvas->devicePixelRatio() == ratio)
		return;
	delete canvas;
	canvas = new QImage(size, QImage::Format_RGB32);
	canvas->setDevicePixelRatio(ratio);
	canvas->setDotsPerMeterX(kDotsPerMeter72);
	canvas->setDotsPerMeterY(kDotsPerMeter72);
	canvas->fill(to_qcolor(fViewColor));
	Invalidate();
}

void BView::Private::Paint(const BView* view, QPainter* painter, const QRect& area)
{
	const QImage* canvas = view->fData->canvas;
	if (canvas == nullptr)
		return;
	qreal ratio = canvas->devicePixelRatio();
	painter->drawImage(QRectF(area), *canvas, QRectF(area.x() * ratio, area.y() * ratio,
		area.width() * ratio, area.height() * ratio));
}

void BView::Private::AttachToWindow(BView* view, BWindow* window, QWidget* parentWidget)
{
	view->fWindow = window;
	window->AddHandler(view);
	QWidget* widget = view->fData->kind->createWidget(view, parentWidget);
	view->fData->widget = widget;
	widget->setGeometry(fill_rect(view->fFrame));
	widget->setToolTip(view->fData->toolTip);
	widget->setVisible(!view->fHidden);
	view->_CanvasResized();
	view->_FontChanged();
	SyncWidget(view);
	view->AttachedToWindow();
	for (int32 i = 0; i < view->CountChildren(); i++) {
		BView* child = view->ChildAt(i);
		if (child->fWindow == nullptr)
			AttachToWindow(child, window, widget);
	}
}

void BView::_DetachFromWindow()
{
	for (int32 i = 0; i < CountChildren(); i++) {
		if (ChildAt(i)->fWindow != nullptr)
			ChildAt(i)->_DetachFromWindow();
	}
	DetachedFromWindow();
	_EndDrawing();
	if (fWindow != nullptr)
		fWindow->RemoveHandler(this);
	fWindow = nullptr;
	retire_widget(fData->widget);
	fData->widget = nullptr;
	delete fData->canvas;
	fData->canvas = nullptr;
	fInvalidPending = false;
}

void BView::_ParentResized(float dw, float dh)
{
	// Each edge follows the parent's near edge (1), far edge (2) or centre (3).
	auto shift = [](uint32 rule, float delta) {
		return rule == 2 ? delta : rule == 3 ? delta / 2 : 0.0f;
	};
	BRect frame = fFrame;
	frame.left += shift((fResizingMode >> 12) & 0xf, dw);
	frame.top += shift((fResizingMode >> 8) & 0xf, dh);
	frame.right += shift((fResizingMode >> 4) & 0xf, dw);
	frame.bottom += shift(fResizingMode & 0xf, dh);
	if (frame == fFrame)
		return;
	MoveTo(frame.left, frame.top);
	ResizeTo(frame.Width(), frame.Height());
}

void BView::MoveTo(float x, float y)
{
	fFrame.OffsetTo(x, y);
	if (fData->widget != nullptr)
		fData->widget->setGeometry(fill_rect(fFrame));
}

void BView::ResizeTo(float width, float height)
{
	float dw = width - fFrame.Width();
	float dh = height - fFrame.Height();
	if (dw == 0 && dh == 0)
		return;
	fFrame.right = fFrame.left + width;
	fFrame.bottom = fFrame.top + height;
	for (int32 i = 0; i < CountChildren(); i++)
		ChildAt(i)->_ParentResized(dw, dh);
	if (fData->widget != nullptr) {
		fData->widget->setGeometry(fill_rect(fFrame));
		_CanvasResized();
	}
	if (fFlags & B_FRAME_EVENTS)
		FrameResized(width, height);
}

void BView::ScrollTo(float x, float y)
{
	// A canvas scrolls by whole device pixels, so that at a fractional pixel ratio what it
	// shows stays on the device's grid.
	if (fData->widget != nullptr && dynamic_cast<ViewWidget*>(fData->widget) != nullptr) {
		qreal ratio = fData->widget->devicePixelRatioF();
		x = std::round(x * ratio) / ratio;
		y = std::round(y * ratio) / ratio;
	}
	if (x == fOrigin.x && y == fOrigin.y)
		return;
	fOrigin.Set(x, y);
	// The whole view shows new parts of its content; Draw paints them at once.
	_Redraw(Bounds());
}

void BView::GetMouse(BPoint* location, uint32* buttons, bool)
{
	if (location != nullptr)
		*location = fMouseWhere;
	if (buttons != nullptr)
		*buttons = fMouseButtons;
}

void BView::Private::SetMouseState(BView* view, BPoint where, uint32 buttons)
{
	view->fMouseWhere = where;
	view->fMouseButtons = buttons;
}

void BView::Private::MouseEvent(BView* view, int kind, BPoint where, uint32 buttons)
{
	SetMouseState(view, where, buttons);
	switch (kind) {
		case kMouseDown:
			view->MouseDown(where);
			break;
		case kMouseMoved:
			view->MouseMoved(where,
				view->Bounds().Contains(where) ? B_INSIDE_VIEW : B_OUTSIDE_VIEW, nullptr);
			break;
		case kMouseUp:
			view->MouseUp(where);
			break;
	}
}

namespace {

// The modifiers of the key being handed to KeyDown, while it is.
uint32 key_modifiers = 0;
bool in_key_down = false;

}

uint32 modifiers()
{
	if (in_key_down)
		return key_modifiers;
	return qt_modifiers(QGuiApplication::queryKeyboardModifiers());
}

bool BView::Private::KeyEvent(BView* view, const char* bytes, int32 numBytes, uint32 modifiers)
{
	view->fData->keyPassed = false;
	bool outer = in_key_down;
	uint32 outerModifiers = key_modifiers;
	in_key_down = true;
	key_modifiers = modifiers;
	view->KeyDown(bytes, numBytes);
	in_key_down = outer;
	key_modifiers = outerModifiers;
	return !view->fData->keyPassed;
}

void BView::Private::Dropped(BView* view, BMessage* message, BPoint where)
{
	BMessage::Private::SetDropped(message, where);
	if (BLooper* looper = view->Looper())
		looper->PostMessage(message, view);
}

void BView::Hide()
{
	fHidden = true;
	if (fData->widget != nullptr)
		fData->widget->hide();
}

void BView::Show()
{
	fHidden = false;
	if (fData->widget != nullptr)
		fData->widget->show();
}

bool BView::IsHidden() const
{
	return fHidden;
}

void BView::MakeFocus(bool focus)
{
	if (fData->widget == nullptr)
		return;
	if (focus)
		fData->widget->setFocus(Qt::OtherFocusReason);
	else
		fData->widget->clearFocus();
}
