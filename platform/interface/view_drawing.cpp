#include <View.h>

#include <cmath>
#include <cstring>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <Bitmap.h>
#include <Window.h>

#include "../support/qt_convert.h"
#include "BitmapPrivate.h"
#include "ViewPrivate.h"
#include "font_catalogue.h"
#include "view_widget.h"

// A view's drawing: onto its window's canvas or the bitmap it is attached to.

namespace {

// Inverting twice must give back the exact picture, so it works on the bytes, not through
// Qt's blending: every pixel the shape covers by at least half has its colour bits flipped.
void invert_path(QImage* image, const QPainterPath& path, const QRect& clip)
{
	QRect area = path.boundingRect().toAlignedRect() & clip;
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

void invert_rect(QImage* image, const QRect& area)
{
	for (int y = area.top(); y <= area.bottom(); y++) {
		uint32* row = (uint32*)image->scanLine(y);
		for (int x = area.left(); x <= area.right(); x++)
			row[x] ^= 0x00ffffff;
	}
}

}

QImage* BView::Private::Target(const BView* view)
{
	if (view->fBitmap != nullptr)
		return BBitmap::Private::Image(view->fBitmap);
	return view->fData->canvas;
}

QPainter* BView::Private::BeginDrawing(BView* view)
{
	Data* data = view->fData;
	if (data->painter != nullptr)
		return data->painter;
	QImage* target = Target(view);
	if (target == nullptr || target->isNull())
		return nullptr;
	QPainter* painter = new QPainter(target);
	data->painter = painter;
	painter->setRenderHint(QPainter::Antialiasing);
	painter->setRenderHint(QPainter::TextAntialiasing);
	painter->setRenderHint(QPainter::SmoothPixmapTransform);
	if (view->fBitmap != nullptr) {
		BRect bounds = view->fBitmap->Bounds();
		painter->translate(-bounds.left, -bounds.top);
	} else {
		painter->translate(-view->fOrigin.x, -view->fOrigin.y);
	}
	if (view->fClipping)
		painter->setClipRect(fill_rect(view->fClip));
	return painter;
}

// Drawing in a window shows at once: the canvas is handed to the screen after every call.
void BView::_Drawn()
{
	if (fBitmap != nullptr || fData->widget == nullptr)
		return;
	_EndDrawing();
	fData->widget->update();
}

void BView::_EndDrawing()
{
	if (fData->painter == nullptr)
		return;
	fData->painter->end();
	delete fData->painter;
	fData->painter = nullptr;
}

QRect BView::Private::DeviceClip(const BView* view, QPainter* painter)
{
	QRect all = Target(view)->rect();
	if (!view->fClipping)
		return all;
	return painter->deviceTransform().mapRect(fill_rect(view->fClip)) & all;
}

static QColor paint_color(rgb_color color, drawing_mode mode)
{
	// Only the alpha mode blends; the others draw the colour opaque.
	if (mode != B_OP_ALPHA)
		color.alpha = 255;
	return to_qcolor(color);
}

void BView::Private::FillPath(BView* view, const QPainterPath& path)
{
	QPainter* painter = BeginDrawing(view);
	if (painter == nullptr)
		return;
	if (view->fDrawingMode == B_OP_INVERT) {
		invert_path(Target(view), painter->deviceTransform().map(path),
			DeviceClip(view, painter));
	} else {
		painter->fillPath(path, paint_color(view->fHighColor, view->fDrawingMode));
	}
	view->_Drawn();
}

void BView::FillRect(BRect rect, pattern p)
{
	QPainter* painter = Private::BeginDrawing(this);
	if (painter == nullptr)
		return;
	QRect area = fill_rect(rect);
	if (area.isEmpty())
		return;
	if (fDrawingMode == B_OP_INVERT) {
		invert_rect(Private::Target(this),
			painter->deviceTransform().mapRect(area) & Private::DeviceClip(this, painter));
	} else {
		rgb_color color = memcmp(&p, &B_SOLID_LOW, sizeof(p)) == 0 ? fLowColor : fHighColor;
		painter->fillRect(area, paint_color(color, fDrawingMode));
	}
	_Drawn();
}

void BView::FillRoundRect(BRect rect, float xRadius, float yRadius, pattern)
{
	if (!rect.IsValid())
		return;
	QPainterPath path;
	path.addRoundedRect(shape_rect(rect), std::max(xRadius, 0.0f), std::max(yRadius, 0.0f));
	Private::FillPath(this, path);
}

void BView::FillEllipse(BRect rect, pattern)
{
	if (!rect.IsValid())
		return;
	QPainterPath path;
	path.addEllipse(shape_rect(rect));
	Private::FillPath(this, path);
}

void BView::StrokeEllipse(BRect rect, pattern)
{
	if (!rect.IsValid())
		return;
	QPainterPath outline;
	outline.addEllipse(stroke_rect(rect));
	QPainterPathStroker stroker;
	stroker.setWidth(fPenSize);
	Private::FillPath(this, stroker.createStroke(outline));
}

void BView::DrawString(const char* string, BPoint where)
{
	QPainter* painter = Private::BeginDrawing(this);
	if (painter == nullptr || string == nullptr || string[0] == '\0')
		return;
	QFont font = to_qfont(fFont, Private::Target(this));
	QString text = QString::fromUtf8(string);
	QPointF at = to_qpoint(where);
	if (fDrawingMode == B_OP_INVERT) {
		QPainterPath path;
		path.addText(at, font, text);
		Private::FillPath(this, path);
		return;
	}
	// A picture drawn into a bitmap keeps unhinted outlines, whose proportions follow the size
	// exactly. On screen, text is fitted to whole pixels so that small digits read: hinted,
	// from a whole-pixel baseline, and below kAliasedBelow without grey edges, which at that
	// size leave strokes only a fraction of a pixel dark.
	const float kAliasedBelow = 10;
	if (fBitmap == nullptr) {
		font.setHintingPreference(QFont::PreferFullHinting);
		if (fFont.Size() < kAliasedBelow)
			font.setStyleStrategy(QFont::NoAntialias);
		QPointF device = painter->deviceTransform().map(at);
		at = painter->deviceTransform().inverted().map(
			QPointF(std::round(device.x()), std::round(device.y())));
	}
	painter->setFont(font);
	painter->setPen(paint_color(fHighColor, fDrawingMode));
	painter->drawText(at, text);
	_Drawn();
}

void BView::DrawBitmap(const BBitmap* bitmap, BRect destination)
{
	if (bitmap == nullptr)
		return;
	DrawBitmap(bitmap, bitmap->Bounds(), destination);
}

// An opaque picture scaled over the whole bitmap drawn on becomes its pixels: the bitmap's own
// go before the scaled copy is made, and the two then share one set, so a screen-sized
// picture is not held three times at once (the decoded image, the scaled copy, the bitmap's).
// Drawing on afterwards copies the pixels only while the scaled copy is still kept.
bool BView::Private::DrawCovering(BView* view, const BBitmap* bitmap, const QRectF& target,
	const QSize& size)
{
	QImage* device = view->fBitmap != nullptr && view->fBitmap != bitmap
		? BBitmap::Private::Image(view->fBitmap) : nullptr;
	QPainter* painter = device != nullptr ? BeginDrawing(view) : nullptr;
	if (painter == nullptr || bitmap->ColorSpace() != B_RGB32
		|| device->format() != QImage::Format_RGB32 || device->size() != size
		|| painter->transform().mapRect(target) != QRectF(device->rect())
		|| DeviceClip(view, painter) != device->rect() || painter->opacity() != 1.0
		|| painter->compositionMode() != QPainter::CompositionMode_SourceOver)
		return false;
	// What shows where the picture fails to scale (short of memory): what was there, as far
	// as one colour tells it; a composition fills the bitmap with its base colour first.
	QRgb before = device->pixel(0, 0);
	QImage::Format format = device->format();
	int dpmX = device->dotsPerMeterX(), dpmY = device->dotsPerMeterY();
	view->_EndDrawing();
	*device = QImage();
	const QImage* scaled = BBitmap::Private::Scaled(bitmap, size);
	if (scaled != nullptr && scaled->format() == format && scaled->size() == size) {
		*device = *scaled;
	} else {
		*device = QImage(size, format);
		if (!device->isNull())
			device->fill(before);
	}
	device->setDotsPerMeterX(dpmX);
	device->setDotsPerMeterY(dpmY);
	view->_Drawn();
	return true;
}

// On a screen of more device pixels than logical ones, a picture whose pixels meet the
// screen's one to one is copied to them as they are, not resampled; elsewhere it is drawn as
// anywhere else.
bool BView::Private::DrawDevicePixels(BView* view, const BBitmap* bitmap, BRect source,
	BRect destination)
{
	QImage* device = Target(view);
	QPainter* painter = BeginDrawing(view);
	if (view->fBitmap != nullptr || device == nullptr || painter == nullptr)
		return false;
	qreal ratio = device->devicePixelRatio();
	QRectF to = painter->deviceTransform().mapRect(shape_rect(destination));
	QRectF from = shape_rect(source).translated(-bitmap->Bounds().left, -bitmap->Bounds().top);
	if (ratio == 1 || std::abs(to.width() - from.width()) > 0.01
		|| std::abs(to.height() - from.height()) > 0.01)
		return false;
	const QImage* image = BBitmap::Private::Image(bitmap);
	if (image == nullptr)
		return true;
	painter->save();
	painter->setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
	painter->drawImage(QPointF(std::round(to.left()), std::round(to.top())), *image, from);
	painter->restore();
	view->_Drawn();
	return true;
}

void BView::DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination)
{
	if (bitmap == nullptr || !bitmap->IsValid() || !destination.IsValid() || !source.IsValid())
		return;
	QPainter* painter = Private::BeginDrawing(this);
	if (painter == nullptr)
		return;
	if (Private::DrawDevicePixels(this, bitmap, source, destination))
		return;
	BRect bounds = bitmap->Bounds();
	QRectF target = shape_rect(destination);
	// A whole picture drawn at another size (a base image) is scaled once and kept: the
	// next picture composed with it only copies. Not past a limit, which a size too large
	// for an int (a rectangle of a design's making) is past as well.
	const qint64 kCacheLimit = 64 << 20;
	bool cacheable = target.width() * target.height() <= kCacheLimit;
	QSize size = cacheable ? QSize(qRound(target.width()), qRound(target.height())) : QSize();
	if (source == bounds && cacheable
		&& size != QSize(bounds.IntegerWidth() + 1, bounds.IntegerHeight() + 1)) {
		if (Private::DrawCovering(this, bitmap, target, size))
			return;
		if (const QImage* scaled = BBitmap::Private::Scaled(bitmap, size)) {
			painter->drawImage(target.topLeft(), *scaled);
			_Drawn();
			return;
		}
	}
	// Only what falls inside the picture drawn on is drawn. A whole picture still kept
	// encoded is decoded for that part alone (a margin more, so smoothing at its edges reads
	// the same pixels): a huge photograph drawn large, centred or into a big rectangle, costs
	// what the screen shows of it instead of all of it.
	if (source == bounds) {
		QRectF clip(Private::DeviceClip(this, painter));
		QRectF shown = painter->deviceTransform().inverted().mapRect(clip) & target;
		if (shown.isEmpty())
			return;
		QSize own(bounds.IntegerWidth() + 1, bounds.IntegerHeight() + 1);
		double sx = own.width() / target.width(), sy = own.height() / target.height();
		const int kMargin = 2;
		QRect part = QRectF((shown.left() - target.left()) * sx,
			(shown.top() - target.top()) * sy, shown.width() * sx, shown.height() * sy)
			.toAlignedRect().adjusted(-kMargin, -kMargin, kMargin, kMargin)
			& QRect(QPoint(0, 0), own);
		if (part.size() != own) {
			if (const QImage* cut = BBitmap::Private::Part(bitmap, part)) {
				QRectF to(target.left() + part.left() / sx, target.top() + part.top() / sy,
					part.width() / sx, part.height() / sy);
				painter->save();
				painter->setClipRect(shown, Qt::IntersectClip);
				painter->drawImage(to, *cut);
				painter->restore();
				_Drawn();
				return;
			}
		}
	}
	const QImage* image = BBitmap::Private::Image(bitmap);
	if (image == nullptr)
		return;
	QRectF from(source.left - bounds.left, source.top - bounds.top, source.Width() + 1,
		source.Height() + 1);
	painter->drawImage(target, *image, from);
	_Drawn();
}

void BView::Sync()
{
	_EndDrawing();
}

