#include <Bitmap.h>

#include <QImage>

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

BBitmap::BBitmap(BRect bounds, color_space colorSpace, bool, bool)
	: fBounds(bounds), fColorSpace(colorSpace), fImage(make_image(bounds, colorSpace)),
	fChild(nullptr), fLocked(0)
{
}

BBitmap::BBitmap(const BBitmap* source, bool, bool)
	: fBounds(), fColorSpace(B_NO_COLOR_SPACE), fImage(nullptr), fChild(nullptr), fLocked(0)
{
	if (source != nullptr && source->fImage != nullptr) {
		fBounds = source->fBounds;
		fColorSpace = source->fColorSpace;
		fImage = new QImage(source->fImage->copy());
	}
}

BBitmap::~BBitmap()
{
	if (fChild != nullptr)
		RemoveChild(fChild);
	delete fImage;
}

status_t BBitmap::InitCheck() const
{
	return fImage != nullptr ? B_OK : B_NO_MEMORY;
}

void* BBitmap::Bits() const
{
	return fImage != nullptr ? fImage->bits() : nullptr;
}

int32 BBitmap::BitsLength() const
{
	return fImage != nullptr ? (int32)fImage->sizeInBytes() : 0;
}

int32 BBitmap::BytesPerRow() const
{
	return fImage != nullptr ? fImage->bytesPerLine() : 0;
}

void BBitmap::AddChild(BView* view)
{
	if (view == nullptr || fImage == nullptr)
		return;
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
