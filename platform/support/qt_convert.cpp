#include "qt_convert.h"

#include <algorithm>
#include <cmath>

namespace {

// The whole pixel at or left of v, within 2^24 either way: far past any picture, so clamping
// changes nothing drawn, and near enough that neither the conversion nor Qt's sums over the
// rectangle overflow (a design may place a calendar at 2^31).
int pixel_at(float v)
{
	const double kLimit = 1 << 24;
	return v != v ? 0 : (int)std::clamp(std::floor((double)v), -kLimit, kLimit);
}

}

QRect fill_rect(BRect r)
{
	int left = pixel_at(r.left);
	int top = pixel_at(r.top);
	int right = pixel_at(r.right);
	int bottom = pixel_at(r.bottom);
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

QKeySequence key_sequence(uint32 key, uint32 modifiers)
{
	int qtKey;
	switch (key) {
		case B_BACKSPACE: qtKey = Qt::Key_Backspace; break;
		case B_TAB: qtKey = Qt::Key_Tab; break;
		case B_ENTER: qtKey = Qt::Key_Return; break;
		case B_ESCAPE: qtKey = Qt::Key_Escape; break;
		case B_LEFT_ARROW: qtKey = Qt::Key_Left; break;
		case B_RIGHT_ARROW: qtKey = Qt::Key_Right; break;
		case B_UP_ARROW: qtKey = Qt::Key_Up; break;
		case B_DOWN_ARROW: qtKey = Qt::Key_Down; break;
		case B_DELETE: qtKey = Qt::Key_Delete; break;
		default:
			// Letters name their key whatever their case; Shift is a modifier of its own.
			qtKey = key >= 'a' && key <= 'z' ? (int)(key - 'a' + 'A') : (int)key;
			break;
	}
	int qtModifiers = 0;
	if (modifiers & B_SHIFT_KEY)
		qtModifiers |= Qt::SHIFT;
	if (modifiers & B_COMMAND_KEY)
		qtModifiers |= Qt::CTRL;
	if (modifiers & B_CONTROL_KEY)
		qtModifiers |= Qt::META;
	if (modifiers & B_OPTION_KEY)
		qtModifiers |= Qt::ALT;
	return QKeySequence(qtKey | qtModifiers);
}

uint32 qt_modifiers(Qt::KeyboardModifiers modifiers)
{
	uint32 result = 0;
	if (modifiers & Qt::ShiftModifier)
		result |= B_SHIFT_KEY;
	if (modifiers & Qt::ControlModifier)
		result |= B_COMMAND_KEY;
	if (modifiers & Qt::MetaModifier)
		result |= B_CONTROL_KEY;
	if (modifiers & Qt::AltModifier)
		result |= B_OPTION_KEY;
	return result;
}

uint32 haiku_key(int qtKey)
{
	switch (qtKey) {
		case Qt::Key_Backspace: return B_BACKSPACE;
		// Shift+Tab arrives from the keyboard as a key of its own.
		case Qt::Key_Tab:
		case Qt::Key_Backtab: return B_TAB;
		case Qt::Key_Return:
		case Qt::Key_Enter: return B_ENTER;
		case Qt::Key_Escape: return B_ESCAPE;
		case Qt::Key_Left: return B_LEFT_ARROW;
		case Qt::Key_Right: return B_RIGHT_ARROW;
		case Qt::Key_Up: return B_UP_ARROW;
		case Qt::Key_Down: return B_DOWN_ARROW;
		case Qt::Key_Delete: return B_DELETE;
		default: return 0;
	}
}
