#include "qt_convert.h"

#include <cmath>

QRect fill_rect(BRect r)
{
	int left = (int)std::floor(r.left);
	int top = (int)std::floor(r.top);
	int right = (int)std::floor(r.right);
	int bottom = (int)std::floor(r.bottom);
	if (right < left || bottom < top)
		return QRect();
	return QRect(QPoint(left, top), QPoint(right, bottom));
}

QRectF shape_rect(BRect r)
{
	return QRectF(r.left, r.top, r.Width() + 1, r.Height() + 1);
}

QRectF stroke_rect(BRect r)
{
	return QRectF(r.left + 0.5, r.top + 0.5, r.Width(), r.Height());
}

QPointF to_qpoint(BPoint p)
{
	return QPointF(p.x, p.y);
}

BRect to_brect(const QRect& r)
{
	return BRect(r.left(), r.top(), r.left() + r.width() - 1, r.top() + r.height() - 1);
}

QColor to_qcolor(rgb_color c)
{
	return QColor(c.red, c.green, c.blue, c.alpha);
}

rgb_color to_rgb_color(const QColor& c)
{
	return make_color(c.red(), c.green(), c.blue(), c.alpha());
}
