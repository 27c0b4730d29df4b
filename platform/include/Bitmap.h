#ifndef _BITMAP_H
#define _BITMAP_H

#include <GraphicsDefs.h>
#include <Rect.h>

class BView;
class QByteArray;
class QImage;
class QRect;
class QSize;
struct encoded_picture;

// An off-screen picture, 32 bits a pixel in Haiku's byte order (blue, green, red, alpha).
class BBitmap {
public:
	BBitmap(BRect bounds, color_space colorSpace, bool acceptsViews = false,
		bool needsContiguous = false);
	BBitmap(const BBitmap* source, bool acceptsViews = false, bool needsContiguous = false);
	virtual ~BBitmap();

	status_t InitCheck() const;
	bool IsValid() const { return InitCheck() == B_OK; }
	BRect Bounds() const { return fBounds; }
	color_space ColorSpace() const { return fColorSpace; }

	void* Bits() const;
	int32 BitsLength() const;
	int32 BytesPerRow() const;

	bool Lock() { fLocked++; return true; }
	void Unlock() { if (fLocked > 0) fLocked--; }
	bool IsLocked() const { return fLocked > 0; }

	void AddChild(BView* view);
	bool RemoveChild(BView* view);
	BView* ChildAt(int32 index) const { return index == 0 ? fChild : nullptr; }

	// The layer's own: the pixels as Qt sees them (decoded on first use).
	QImage* _Image() const;
	// The layer's own: a bitmap over pixels already decoded, taken as they are.
	BBitmap(QImage* adopted);
	// The layer's own: a bitmap whose pixels stay encoded until they are needed, so a large
	// photograph drawn small is decoded straight to the size it is drawn at.
	// reduced is the picture already decoded at a fraction of its size, taken over.
	BBitmap(const QByteArray& encoded, const QByteArray& format, BRect bounds,
		color_space colorSpace, QImage* reduced);
	// The whole picture scaled to a size, kept until another size is asked for.
	const QImage* _Scaled(const QSize& size) const;
	// The layer's own: a part of a picture still kept encoded (rect in the picture's own
	// coordinates), decoded alone and kept until another part is asked for; null when the
	// picture is decoded already or the part cannot be cut out while decoding.
	const QImage* _Part(const QRect& rect) const;

private:
	BBitmap(const BBitmap&);
	BBitmap& operator=(const BBitmap&);

	BRect fBounds;
	color_space fColorSpace;
	mutable QImage* fImage;
	mutable encoded_picture* fEncoded;
	QImage* fReduced;
	mutable QImage* fScaled;
	BView* fChild;
	int32 fLocked;
};

#endif
