#ifndef _RECT_H
#define _RECT_H

#include <Point.h>

// Haiku's rectangles are inclusive: a rectangle from 0 to 9 covers ten pixels, and Width() is 9.
class BRect {
public:
	float left;
	float top;
	float right;
	float bottom;

	BRect() : left(0), top(0), right(-1), bottom(-1) {}
	BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
	BRect(BPoint leftTop, BPoint rightBottom)
		: left(leftTop.x), top(leftTop.y), right(rightBottom.x), bottom(rightBottom.y) {}

	void Set(float l, float t, float r, float b) { left = l; top = t; right = r; bottom = b; }

	float Width() const { return right - left; }
	float Height() const { return bottom - top; }
	int32 IntegerWidth() const;
	int32 IntegerHeight() const;
	bool IsValid() const { return left <= right && top <= bottom; }

	BPoint LeftTop() const { return BPoint(left, top); }
	BPoint RightBottom() const { return BPoint(right, bottom); }
	BPoint RightTop() const { return BPoint(right, top); }
	BPoint LeftBottom() const { return BPoint(left, bottom); }

	bool Contains(BPoint p) const;
	bool Contains(BRect r) const;

	BRect& OffsetBy(float dx, float dy);
	BRect& OffsetTo(float x, float y);
	BRect& InsetBy(float dx, float dy);
	BRect OffsetByCopy(float dx, float dy) const;
	BRect OffsetToCopy(float x, float y) const;
	BRect operator&(BRect r) const;
	BRect operator|(BRect r) const;

	bool operator==(const BRect& r) const;
	bool operator!=(const BRect& r) const { return !(*this == r); }
};

#endif
