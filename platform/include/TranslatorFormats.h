#ifndef _TRANSLATOR_FORMATS_H
#define _TRANSLATOR_FORMATS_H

#include <GraphicsDefs.h>
#include <Rect.h>

enum {
	B_TRANSLATOR_BITMAP = 'bits',
	B_TRANSLATOR_PICTURE = 'pict',
	B_TRANSLATOR_TEXT = 'TEXT',
	B_TRANSLATOR_ANY_TYPE = 0,
};

enum {
	B_BMP_FORMAT = 'BMP ',
	B_GIF_FORMAT = 'GIF ',
	B_JPEG_FORMAT = 'JPEG',
	B_PNG_FORMAT = 'PNG ',
	B_PPM_FORMAT = 'PPM ',
	B_TGA_FORMAT = 'TGA ',
	B_TIFF_FORMAT = 'TIFF',
	B_WEBP_FORMAT = 'WEBP',
};

// The header of Haiku's bitmap interchange format, stored big-endian before the pixels.
struct TranslatorBitmap {
	uint32 magic;
	BRect bounds;
	uint32 rowBytes;
	color_space colors;
	uint32 dataSize;
};

#endif
