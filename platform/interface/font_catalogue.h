#ifndef TEVRA_FONT_CATALOGUE_H
#define TEVRA_FONT_CATALOGUE_H

#include <QFont>

#include <Font.h>

class QPaintDevice;

// The installed families and styles, read once when the application starts.
void init_font_catalogue();
void free_font_catalogue();

// The Qt font for a BFont drawn on a device: sizes are pixels, whatever the device's dpi.
QFont to_qfont(const BFont& font, const QPaintDevice* device);
// The Qt font a control (its caption, its field, its menu) shows for a BFont. A control left
// in the plain font shows Noto Sans where it is installed, as Haiku's controls do and as the
// panel's frames were made for; be_plain_font itself stays what designs draw with.
QFont control_qfont(const BFont& font, const QPaintDevice* device);
// The dots per metre that make a QImage 72 dpi, so a point is a pixel.
const int kDotsPerMeter72 = 2835;

#endif
