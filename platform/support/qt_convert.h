#ifndef TEVRA_QT_CONVERT_H
#define TEVRA_QT_CONVERT_H

#include <QColor>
#include <QKeySequence>
#include <QPointF>
#include <QRect>
#include <QRectF>

#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Rect.h>

// Haiku's rectangles include their right and bottom edges and have pixel centres on whole
// numbers; Qt's have pixel centres on halves. Every conversion between them is here.

// The pixels a Haiku fill of r covers: columns floor(left) .. floor(right), likewise rows.
QRect fill_rect(BRect r);
// The area of a shape inscribed in r, for anti-aliased shapes (ellipses, round rectangles).
QRectF shape_rect(BRect r);
// The path along which a pen strokes the outline of r: through the centres of its edge pixels.
QRectF stroke_rect(BRect r);
// A Haiku point as a Qt position for text baselines: both put the origin at the same place.
QPointF to_qpoint(BPoint p);
// A whole-pixel rectangle (from a widget or screen) as Haiku writes it.
BRect to_brect(const QRect& r);

// A Haiku shortcut (a character or one of the B_ key codes, with B_ modifier bits) as Qt's
// key sequence; B_COMMAND_KEY is Ctrl.
QKeySequence key_sequence(uint32 key, uint32 modifiers);

// Qt's modifier keys as Haiku's B_ bits, the inverse of key_sequence's.
uint32 qt_modifiers(Qt::KeyboardModifiers modifiers);
// The B_ key code for a Qt key that is no character; 0 for any other.
uint32 haiku_key(int qtKey);

QColor to_qcolor(rgb_color c);
rgb_color to_rgb_color(const QColor& c);

#endif
