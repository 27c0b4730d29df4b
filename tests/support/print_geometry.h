#ifndef TEVRA_TEST_PRINT_GEOMETRY_H
#define TEVRA_TEST_PRINT_GEOMETRY_H

#include <ostream>

#include <Point.h>
#include <Rect.h>

// Failures print rectangles and points as numbers; the types live in the global namespace.
inline std::ostream& operator<<(std::ostream& out, const BRect& r)
{
	return out << "BRect(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom
		<< ")";
}

inline std::ostream& operator<<(std::ostream& out, const BPoint& p)
{
	return out << "BPoint(" << p.x << ", " << p.y << ")";
}

#endif
