#ifndef TEVRA_PNG_WRITER_H
#define TEVRA_PNG_WRITER_H

#include <QImage>

#include <DataIO.h>

// Writes a 32-bit picture as PNG, fast: the picture cut into horizontal stripes deflated side
// by side, a photograph's stripes filtered by their left neighbour at ISA-L's quickest level,
// stripes of flat colour by zlib with rows that repeat coded as runs, which makes them far
// smaller. Each stripe is written as soon as it may be. A screen-sized photograph takes a
// fraction of what a general PNG writer needs, for a file a little larger. Pictures with an
// alpha channel keep it. Returns false when anything could not be written.
bool write_png(const QImage& image, BPositionIO* destination);

#endif
