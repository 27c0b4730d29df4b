#include <View.h>

#include <cmath>
#include <cstring>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <Bitmap.h>
#include <Message.h>

#include "../support/qt_convert.h"
#include "font_catalogue.h"

namespace {

// Inverting twice must give back the exact picture, so it works on the bytes, not through
// Qt's blending: every pixel the shape covers by at least half has its colour bits flipped.
void invert_path(QImage* image, const QPainterPath& path)
{
	QRect area = path.boundingRect().toAlignedRect() & image->rect();
	if (area.isEmpty())
		return;
	QImage mask(area.size(), QImage::Format_Alpha8);
	mask.fill(0);
	{
		QPainter painter(&mask);
		painter.setRenderHint(QPainter::Antialiasing);
		painter.translate(-area.topLeft());
		painter.fillPath(path, Qt::black);
	}
	for (int y = 0; y < area.height(); y++) {
		const uchar* coverage = mask.constScanLine(y);
		uint32* row = (uint32*)image->scanLine(area.top() + y) + area.left();
		for (int x = 0; x < area.width(); x++) {
			if (coverage[x] >= 128)
				row[x] ^= 0x00ffffff;
		}
	}
}

void invert_rect(QImage* image, const QRect& rect)
{
	QRect area = rect & image->rect();
	for (int y = area.top(); y <= area.bottom(); y++) {
		uint32* row = (uint32*)image->scanLine(y);
		for (int x = area.left(); x <= area.right(); x++)
			row[x] ^= 0x00ffffff;
	}
}

}

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
	: BHandler(name), fFrame(frame), fResizingMode(resizingMode), fFlags(flags),
	fHighColor(make_color(0, 0, 0)), fLowColor(make_color(255, 255, 255)),
	fViewColor(make_color(255, 255, 255)), fDrawingMode(B_OP_COPY), fPenSize(1.0f),
	fFont(be_plain_font), fParent(nullptr), fWindow(nullptr), fBitmap(nullptr),
	fPainter(nullptr)
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

void BView::MessageReceived(BMessage* message)
{
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
}

void BView::SetFontSize(float size)
{
	fFont.SetSize(size);
}

QPainter* BView::_BeginDrawing()
{
	if (fPainter != nullptr)
		return fPainter;
	if (fBitmap == nullptr || fBitmap->_Image() == nullptr)
		return nullptr;
	fPainter = new QPainter(fBitmap->_Image());
	fPainter->setRenderHint(QPainter::Antialiasing);
	fPainter->setRenderHint(QPainter::TextAntialiasing);
	fPainter->setRenderHint(QPainter::SmoothPixmapTransform);
	BRect bounds = fBitmap->Bounds();
	fPainter->translate(-bounds.left, -bounds.top);
	return fPainter;
}

void BView::_EndDrawing()
{
	if (fPainter == nullptr)
		return;
	fPainter->end();
	delete fPainter;
	fPainter = nullptr;
}

static QColor paint_color(rgb_color color, drawing_mode mode)
{
	// Only the alpha mode blends; the others draw the colour opaque.
	if (mode != B_OP_ALPHA)
		color.alpha = 255;
	return to_qcolor(color);
}

void BView::_FillPath(const QPainterPath& path)
{
	QPainter* painter = _BeginDrawing();
	if (painter == nullptr)
		return;
	if (fDrawingMode == B_OP_INVERT) {
		invert_path(fBitmap->_Image(), painter->transform().map(path));
		return;
	}
	painter->fillPath(path, paint_color(fHighColor, fDrawingMode));
}

void BView::FillRect(BRect rect, pattern p)
{
	QPainter* painter = _BeginDrawing();
	if (painter == nullptr)
		return;
	QRect area = fill_rect(rect);
	if (area.isEmpty())
		return;
	if (fDrawingMode == B_OP_INVERT) {
		invert_rect(fBitmap->_Image(), painter->transform().mapRect(area));
		return;
	}
	rgb_color color = memcmp(&p, &B_SOLID_LOW, sizeof(p)) == 0 ? fLowColor : fHighColor;
	painter->fillRect(area, paint_color(color, fDrawingMode));
}

void BView::StrokeRect(BRect rect, pattern)
{
	QPainterPath outline;
	outline.addRect(stroke_rect(rect));
	QPainterPathStroker stroker;
	stroker.setWidth(fPenSize);
	stroker.setJoinStyle(Qt::MiterJoin);
	_FillPath(stroker.createStroke(outline));
}

void BView::FillRoundRect(BRect rect, float xRadius, float yRadius, pattern)
{
	if (!rect.IsValid())
		return;
	QPainterPath path;
	path.addRoundedRect(shape_rect(rect), std::max(xRadius, 0.0f), std::max(yRadius, 0.0f));
	_FillPath(path);
}

void BView::FillEllipse(BRect rect, pattern)
{
	if (!rect.IsValid())
		return;
	QPainterPath path;
	path.addEllipse(shape_rect(rect));
	_FillPath(path);
}

void BView::StrokeEllipse(BRect rect, pattern)
{
	if (!rect.IsValid())
		return;
	QPainterPath outline;
	outline.addEllipse(stroke_rect(rect));
	QPainterPathStroker stroker;
	stroker.setWidth(fPenSize);
	_FillPath(stroker.createStroke(outline));
}

void BView::StrokeLine(BPoint start, BPoint end, pattern)
{
	QPainterPath line;
	line.moveTo(start.x + 0.5, start.y + 0.5);
	line.lineTo(end.x + 0.5, end.y + 0.5);
	QPainterPathStroker stroker;
	stroker.setWidth(fPenSize);
	stroker.setCapStyle(Qt::SquareCap);
	_FillPath(stroker.createStroke(line));
}

void BView::DrawString(const char* string, BPoint where)
{
	QPainter* painter = _BeginDrawing();
	if (painter == nullptr || string == nullptr || string[0] == '\0')
		return;
	QFont font = to_qfont(fFont, fBitmap->_Image());
	QString text = QString::fromUtf8(string);
	if (fDrawingMode == B_OP_INVERT) {
		QPainterPath path;
		path.addText(to_qpoint(where), font, text);
		_FillPath(path);
		return;
	}
	painter->setFont(font);
	painter->setPen(paint_color(fHighColor, fDrawingMode));
	painter->drawText(to_qpoint(where), text);
}

void BView::DrawBitmap(const BBitmap* bitmap, BRect destination)
{
	if (bitmap == nullptr)
		return;
	DrawBitmap(bitmap, bitmap->Bounds(), destination);
}

void BView::DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination)
{
	if (bitmap == nullptr || bitmap->_Image() == nullptr || !destination.IsValid()
		|| !source.IsValid())
		return;
	QPainter* painter = _BeginDrawing();
	if (painter == nullptr)
		return;
	BRect bounds = bitmap->Bounds();
	QRectF from(source.left - bounds.left, source.top - bounds.top, source.Width() + 1,
		source.Height() + 1);
	painter->drawImage(shape_rect(destination), *bitmap->_Image(), from);
}

void BView::Sync()
{
	_EndDrawing();
}

void BView::Invalidate()
{
	Invalidate(Bounds());
}

void BView::Invalidate(BRect)
{
}

BRect BView::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}

void BView::AddChild(BView* child, BView* before)
{
	if (child == nullptr || child->fParent != nullptr)
		return;
	int32 index = before != nullptr ? fChildren.IndexOf(before) : -1;
	if (index < 0)
		fChildren.AddItem(child);
	else
		fChildren.AddItem(child, index);
	child->fParent = this;
}

bool BView::RemoveChild(BView* child)
{
	if (child == nullptr || child->fParent != this)
		return false;
	fChildren.RemoveItem(child);
	child->fParent = nullptr;
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

bool BView::RemoveSelf()
{
	return fParent != nullptr && fParent->RemoveChild(this);
}

void BView::_AttachToBitmap(BBitmap* bitmap)
{
	_EndDrawing();
	fBitmap = bitmap;
}

void BView::_DetachFromBitmap()
{
	_EndDrawing();
	fBitmap = nullptr;
}
