#ifndef _BITMAP_H
#define _BITMAP_H

#include <GraphicsDefs.h>
#include <Rect.h>

class BView;

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

	void AddChild(BView* view);
	bool RemoveChild(BView* view);
	BView* ChildAt(int32 index) const { return index == 0 ? fChild : nullptr; }

	// The layer's own way in, for its other classes and its tests.
	class Private;

private:
	friend class Private;
	// What the bitmap holds of Qt: its pixels, decoded or still encoded.
	struct Data;

	BBitmap(Data* data, BRect bounds, color_space colorSpace);
	BBitmap(const BBitmap&);
	BBitmap& operator=(const BBitmap&);

	BRect fBounds;
	color_space fColorSpace;
	Data* fData;
	BView* fChild;
	int32 fLocked;
};

#endif
