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
// The dots per metre that make a QImage 72 dpi, so a point is a pixel.
const int kDotsPerMeter72 = 2835;

#endif
