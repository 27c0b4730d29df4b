#include <Bitmap.h>

#include <QBuffer>
#include <QImage>
#include <QImageIOHandler>
#include <QImageReader>
#include <QRect>

#include <View.h>

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

BBitmap::BBitmap(BRect bounds, color_space colorSpace, bool, bool)
	: fBounds(bounds), fColorSpace(colorSpace), fImage(make_image(bounds, colorSpace)),
	fEncoded(nullptr), fReduced(nullptr), fScaled(nullptr), fChild(nullptr), fLocked(0)
{
}

BBitmap::BBitmap(const BBitmap* source, bool, bool)
	: fBounds(), fColorSpace(B_NO_COLOR_SPACE), fImage(nullptr), fEncoded(nullptr),
	fReduced(nullptr), fScaled(nullptr), fChild(nullptr), fLocked(0)
{
	if (source != nullptr && source->_Image() != nullptr) {
		fBounds = source->fBounds;
		fColorSpace = source->fColorSpace;
		fImage = new QImage(source->fImage->copy());
	}
}

BBitmap::BBitmap(QImage* adopted)
	: fBounds(0, 0, adopted->width() - 1, adopted->height() - 1),
	fColorSpace(adopted->hasAlphaChannel() ? B_RGBA32 : B_RGB32), fImage(adopted),
	fEncoded(nullptr), fReduced(nullptr), fScaled(nullptr), fChild(nullptr), fLocked(0)
{
	fImage->setDotsPerMeterX(kDotsPerMeter72);
	fImage->setDotsPerMeterY(kDotsPerMeter72);
}

BBitmap::BBitmap(const QByteArray& encoded, const QByteArray& format, BRect bounds,
	color_space colorSpace, QImage* reduced)
	: fBounds(bounds), fColorSpace(colorSpace), fImage(nullptr),
	fEncoded(new encoded_picture{encoded, format, nullptr, QRect()}), fReduced(reduced), fScaled(nullptr),
	fChild(nullptr), fLocked(0)
{
}

BBitmap::~BBitmap()
{
	if (fChild != nullptr)
		RemoveChild(fChild);
	delete fImage;
	delete fEncoded;
	delete fReduced;
	delete fScaled;
}

// Decodes the kept bytes at full size; a picture that then fails to decode stays empty.
QImage* BBitmap::_Image() const
{
	if (fImage != nullptr || fEncoded == nullptr)
		return fImage;
	QBuffer buffer(&fEncoded->data);
	buffer.open(QIODevice::ReadOnly);
	QImageReader reader(&buffer, fEncoded->format);
	reader.setAutoTransform(true);
	reader.setAllocationLimit(1024);
	QImage image;
	QImage::Format wanted = fColorSpace == B_RGBA32 ? QImage::Format_ARGB32
		: QImage::Format_RGB32;
	if (reader.read(&image) && !image.isNull()) {
		image = image.convertToFormat(wanted);
		if (image.width() == fBounds.IntegerWidth() + 1
			&& image.height() == fBounds.IntegerHeight() + 1) {
			fImage = new QImage(image);
			fImage->setDotsPerMeterX(kDotsPerMeter72);
			fImage->setDotsPerMeterY(kDotsPerMeter72);
		}
	}
	if (fImage == nullptr)
		fImage = make_image(fBounds, fColorSpace);
	delete fEncoded;
	fEncoded = nullptr;
	return fImage;
}

// Only the rows and columns of the part are decoded into memory, so a picture far larger
// than the screen, drawn at its own size, costs what the screen shows of it.
const QImage* BBitmap::_Part(const QRect& rect) const
{
	if (fImage != nullptr || fEncoded == nullptr || rect.isEmpty())
		return nullptr;
	if (fEncoded->part != nullptr && fEncoded->partRect == rect)
		return fEncoded->part;
	delete fEncoded->part;
	fEncoded->part = nullptr;
	QBuffer buffer(&fEncoded->data);
	buffer.open(QIODevice::ReadOnly);
	QImageReader reader(&buffer, fEncoded->format);
	reader.setAutoTransform(true);
	reader.setAllocationLimit(1024);
	// The part is cut from the picture as stored; one shown turned is decoded whole instead.
	if (!reader.supportsOption(QImageIOHandler::ClipRect)
		|| reader.transformation() != QImageIOHandler::TransformationNone)
		return nullptr;
	reader.setClipRect(rect);
	QImage image;
	if (!reader.read(&image) || image.size() != rect.size())
		return nullptr;
	fEncoded->part = new QImage(image.convertToFormat(fColorSpace == B_RGBA32
		? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32));
	fEncoded->partRect = rect;
	return fEncoded->part;
}

const QImage* BBitmap::_Scaled(const QSize& size) const
{
	if (fScaled != nullptr && fScaled->size() == size)
		return fScaled;
	delete fScaled;
	fScaled = nullptr;
	// The reduced decode serves any size it covers; a larger one needs the whole picture.
	const QImage* from = fImage;
	if (from == nullptr && fReduced != nullptr && fReduced->width() >= size.width()
		&& fReduced->height() >= size.height())
		from = fReduced;
	if (from == nullptr)
		from = _Image();
	if (from == nullptr)
		return nullptr;
	QImage scaled = from->size() == size ? *from
		: from->scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
	if (scaled.isNull())
		return nullptr;
	fScaled = new QImage(scaled.convertToFormat(fColorSpace == B_RGBA32
		? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32));
	return fScaled;
}

status_t BBitmap::InitCheck() const
{
	return fImage != nullptr || fEncoded != nullptr ? B_OK : B_NO_MEMORY;
}

void* BBitmap::Bits() const
{
	// Whoever writes the pixels makes any scaled copy stale.
	delete fScaled;
	fScaled = nullptr;
	return _Image() != nullptr ? fImage->bits() : nullptr;
}

// Both are known from the bounds, so asking does not decode a picture still kept encoded.
int32 BBitmap::BitsLength() const
{
	if (fImage == nullptr && fEncoded != nullptr)
		return BytesPerRow() * (fBounds.IntegerHeight() + 1);
	return fImage != nullptr ? (int32)fImage->sizeInBytes() : 0;
}

int32 BBitmap::BytesPerRow() const
{
	if (fImage == nullptr && fEncoded != nullptr)
		return (fBounds.IntegerWidth() + 1) * 4;
	return fImage != nullptr ? fImage->bytesPerLine() : 0;
}

void BBitmap::AddChild(BView* view)
{
	if (view == nullptr || _Image() == nullptr)
		return;
	delete fScaled;
	fScaled = nullptr;
	if (fChild != nullptr)
		RemoveChild(fChild);
	fChild = view;
	view->_AttachToBitmap(this);
}

bool BBitmap::RemoveChild(BView* view)
{
	if (view == nullptr || view != fChild)
		return false;
	view->_DetachFromBitmap();
	fChild = nullptr;
	return true;
}
