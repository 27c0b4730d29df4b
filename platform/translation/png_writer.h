#ifndef TEVRA_PNG_WRITER_H
#define TEVRA_PNG_WRITER_H

#include <QImage>

#include <DataIO.h>

// Writes a 32-bit picture as PNG, fast: every row filtered by its left neighbour, the picture
// cut into horizontal stripes deflated side by side at ISA-L's quickest level; stripes of flat
// colour, which that level codes poorly, are deflated again by zlib. A screen-sized photograph
// takes a fraction of what a general PNG writer needs, for a file a little larger. Pictures
// with an alpha channel keep it. Returns false when anything could not be written.
bool write_png(const QImage& image, BPositionIO* destination);

#endif
