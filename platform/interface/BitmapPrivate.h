#ifndef _BITMAP_PRIVATE_H
#define _BITMAP_PRIVATE_H

#include <Bitmap.h>

class QByteArray;
class QImage;
class QRect;
class QSize;
struct encoded_picture;

struct BBitmap::Data {
	// The pixels once decoded; null while the picture is kept encoded.
	QImage* image = nullptr;
	encoded_picture* encoded = nullptr;
	// The picture already decoded at a fraction of its size.
	QImage* reduced = nullptr;
	// The whole picture scaled to the size last asked for.
	QImage* scaled = nullptr;

	~Data();
};

// The layer's way into a bitmap, and its tests'.
class BBitmap::Private {
public:
	// The pixels as Qt sees them, decoded on first use.
	static QImage* Image(const BBitmap* bitmap);
	// A bitmap over pixels already decoded, taken as they are.
	static BBitmap* Adopt(QImage* image);
	// A bitmap whose pixels stay encoded until they are needed, so a large photograph drawn
	// small is decoded straight to the size it is drawn at. reduced is the picture already
	// decoded at a fraction of its size, taken over.
	static BBitmap* Encoded(const QByteArray& encoded, const QByteArray& format, BRect bounds,
		color_space colorSpace, QImage* reduced);
	// The whole picture scaled to a size, kept until another size is asked for.
	static const QImage* Scaled(const BBitmap* bitmap, const QSize& size);
	// A part of a picture still kept encoded (rect in the picture's own coordinates), decoded
	// alone and kept until another part is asked for; null when the picture is decoded
	// already or the part cannot be cut out while decoding.
	static const QImage* Part(const BBitmap* bitmap, const QRect& rect);
};

#endif
