#ifndef _POINT_H
#define _POINT_H

#include <SupportDefs.h>

class BPoint {
public:
	float x;
	float y;

	BPoint() : x(0), y(0) {}
	BPoint(float x, float y) : x(x), y(y) {}

	void Set(float nx, float ny) { x = nx; y = ny; }

	BPoint operator+(const BPoint& p) const { return BPoint(x + p.x, y + p.y); }
	BPoint operator-(const BPoint& p) const { return BPoint(x - p.x, y - p.y); }
	bool operator==(const BPoint& p) const { return x == p.x && y == p.y; }
	bool operator!=(const BPoint& p) const { return !(*this == p); }
};

extern const BPoint B_ORIGIN;

#endif
