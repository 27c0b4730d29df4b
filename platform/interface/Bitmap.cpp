#include <Bitmap.h>

#include <QBuffer>
#include <QImage>
#include <QImageIOHandler>
#include <QRect>

#include <View.h>

#include "BitmapPrivate.h"
#include "ViewPrivate.h"
#include "../translation/image_reader.h"
#include "font_catalogue.h"

namespace {

QImage::Format qt_format(color_space space)
{
	return space == B_RGBA32 ? QImage::Format_ARGB32 : QImage::Format_RGB32;
}

QImage* make_image(BRect bounds, color_space space)
{
	if (!bounds.IsValid() || (space != B_RGB32 && space != B_RGBA32))
		return nullptr;
	int64 width = (int64)bounds.IntegerWidth() + 1;
	int64 height = (int64)bounds.IntegerHeight() + 1;
	// Qt refuses images whose byte count overflows; this keeps the refusal quiet.
	if (width <= 0 || height <= 0 || width > 65535 || height > 65535
		|| width * height > (int64)1 << 30)
		return nullptr;
	QImage* image = new QImage(width, height, qt_format(space));
	if (image->isNull()) {
		delete image;
		return nullptr;
	}
	image->setDotsPerMeterX(kDotsPerMeter72);
	image->setDotsPerMeterY(kDotsPerMeter72);
	image->fill(space == B_RGBA32 ? 0x00000000 : 0xff000000);
	return image;
}

}

struct encoded_picture {
	QByteArray data;
	QByteArray format;
	// The part last decoded alone, and where it lies.
	QImage* part = nullptr;
	QRect partRect;

	~encoded_picture() { delete part; }
};

BBitmap::Data::~Data()
{
	delete image;
	delete encoded;
	delete reduced;
	delete scaled;
}

BBitmap::BBitmap(BRect bounds, color_space colorSpace, bool, bool)
	: fBounds(bounds), fColorSpace(colorSpace), fData(new Data{make_image(bounds, colorSpace)}),
	fChild(nullptr), fLocked(0)
{
}

BBitmap::BBitmap(const BBitmap* source, bool, bool)
	: fBounds(), fColorSpace(B_NO_COLOR_SPACE), fData(new Data), fChild(nullptr), fLocked(0)
{
	if (source != nullptr && Private::Image(source) != nullptr) {
		fBounds = source->fBounds;
		fColorSpace = source->fColorSpace;
		fData->image = new QImage(source->fData->image->copy());
	}
}

BBitmap::BBitmap(Data* data, BRect bounds, color_space colorSpace)
	: fBounds(bounds), fColorSpace(colorSpace), fData(data), fChild(nullptr), fLocked(0)
{
}

BBitmap* BBitmap::Private::Adopt(QImage* image)
{
	image->setDotsPerMeterX(kDotsPerMeter72);
	image->setDotsPerMeterY(kDotsPerMeter72);
	return new BBitmap(new Data{image}, BRect(0, 0, image->width() - 1, image->height() - 1),
		image->hasAlphaChannel() ? B_RGBA32 : B_RGB32);
}

BBitmap* BBitmap::Private::Encoded(const QByteArray& encoded, const QByteArray& format,
	BRect bounds, color_space colorSpace, QImage* reduced)
{
	Data* data = new Data;
	data->encoded = new encoded_picture{encoded, format, nullptr, QRect()};
	data->reduced = reduced;
	return new BBitmap(data, bounds, colorSpace);
}

BBitmap::~BBitmap()
{
	if (fChild != nullptr)
		RemoveChild(fChild);
	delete fData;
}

// Decodes the kept bytes at full size; a picture that then fails to decode stays empty.
QImage* BBitmap::Private::Image(const BBitmap* bitmap)
{
	Data* d = bitmap->fData;
	if (d->image != nullptr || d->encoded == nullptr)
		return d->image;
	QBuffer buffer(&d->encoded->data);
	buffer.open(QIODevice::ReadOnly);
	ImageReader reader(&buffer, d->encoded->format);
	QImage image;
	QImage::Format wanted = bitmap->fColorSpace == B_RGBA32 ? QImage::Format_ARGB32
		: QImage::Format_RGB32;
	if (reader.read(&image) && !image.isNull()) {
		image = image.convertToFormat(wanted);
		if (image.width() == bitmap->fBounds.IntegerWidth() + 1
			&& image.height() == bitmap->fBounds.IntegerHeight() + 1) {
			d->image = new QImage(image);
			d->image->setDotsPerMeterX(kDotsPerMeter72);
			d->image->setDotsPerMeterY(kDotsPerMeter72);
		}
	}
	if (d->image == nullptr)
		d->image = make_image(bitmap->fBounds, bitmap->fColorSpace);
	delete d->encoded;
	d->encoded = nullptr;
	return d->image;
}

// Only the rows and columns of the part are decoded into memory, so a picture far larger
// than the screen, drawn at its own size, costs what the screen shows of it.
const QImage* BBitmap::Private::Part(const BBitmap* bitmap, const QRect& rect)
{
	Data* d = bitmap->fData;
	if (d->image != nullptr || d->encoded == nullptr || rect.isEmpty())
		return nullptr;
	if (d->encoded->part != nullptr && d->encoded->partRect == rect)
		return d->encoded->part;
	delete d->encoded->part;
	d->encoded->part = nullptr;
	QBuffer buffer(&d->encoded->data);
	buffer.open(QIODevice::ReadOnly);
	ImageReader reader(&buffer, d->encoded->format);
	// The part is cut from the picture as stored; one shown turned is decoded whole instead.
	if (!reader.supportsOption(QImageIOHandler::ClipRect)
		|| reader.transformation() != QImageIOHandler::TransformationNone)
		return nullptr;
	reader.setClipRect(rect);
	QImage image;
	if (!reader.read(&image) || image.size() != rect.size())
		return nullptr;
	d->encoded->part = new QImage(image.convertToFormat(bitmap->fColorSpace == B_RGBA32
		? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32));
	d->encoded->partRect = rect;
	return d->encoded->part;
}

const QImage* BBitmap::Private::Scaled(const BBitmap* bitmap, const QSize& size)
{
	Data* d = bitmap->fData;
	if (d->scaled != nullptr && d->scaled->size() == size)
		return d->scaled;
	delete d->scaled;
	d->scaled = nullptr;
	// The reduced decode serves any size it covers; a larger one needs the whole picture.
	const QImage* from = d->image;
	if (from == nullptr && d->reduced != nullptr && d->reduced->width() >= size.width()
		&& d->reduced->height() >= size.height())
		from = d->reduced;
	if (from == nullptr)
		from = Image(bitmap);
	if (from == nullptr)
		return nullptr;
	QImage scaled = from->size() == size ? *from
		: from->scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
	if (scaled.isNull())
		return nullptr;
	d->scaled = new QImage(scaled.convertToFormat(bitmap->fColorSpace == B_RGBA32
		? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32));
	// A picture drawn over a whole bitmap may become its pixels (BView::DrawBitmap); it then
	// keeps the bitmap's resolution, which sizes the fonts drawn after it.
	d->scaled->setDotsPerMeterX(kDotsPerMeter72);
	d->scaled->setDotsPerMeterY(kDotsPerMeter72);
	return d->scaled;
}

status_t BBitmap::InitCheck() const
{
	return fData->image != nullptr || fData->encoded != nullptr ? B_OK : B_NO_MEMORY;
}

void* BBitmap::Bits() const
{
	// Whoever writes the pixels makes any scaled copy stale.
	delete fData->scaled;
	fData->scaled = nullptr;
	return Private::Image(this) != nullptr ? fData->image->bits() : nullptr;
}

// Both are known from the bounds, so asking does not decode a picture still kept encoded.
int32 BBitmap::BitsLength() const
{
	if (fData->image == nullptr && fData->encoded != nullptr)
		return BytesPerRow() * (fBounds.IntegerHeight() + 1);
	return fData->image != nullptr ? (int32)fData->image->sizeInBytes() : 0;
}

int32 BBitmap::BytesPerRow() const
{
	if (fData->image == nullptr && fData->encoded != nullptr)
		return (fBounds.IntegerWidth() + 1) * 4;
	return fData->image != nullptr ? fData->image->bytesPerLine() : 0;
}

void BBitmap::AddChild(BView* view)
{
	if (view == nullptr || Private::Image(this) == nullptr)
		return;
	delete fData->scaled;
	fData->scaled = nullptr;
	if (fChild != nullptr)
		RemoveChild(fChild);
	fChild = view;
	BView::Private::AttachToBitmap(view, this);
}

bool BBitmap::RemoveChild(BView* view)
{
	if (view == nullptr || view != fChild)
		return false;
	BView::Private::DetachFromBitmap(view);
	fChild = nullptr;
	return true;
}
