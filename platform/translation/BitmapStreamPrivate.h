#ifndef _BITMAP_STREAM_PRIVATE_H
#define _BITMAP_STREAM_PRIVATE_H

#include <BitmapStream.h>

// The layer's translators' way into a bitmap stream: they read and fill the bitmap directly.
class BBitmapStream::Private {
public:
	static BBitmap* Bitmap(const BBitmapStream* stream) { return stream->fBitmap; }
	// Takes the bitmap over, dropping the one the stream held.
	static void SetBitmap(BBitmapStream* stream, BBitmap* bitmap) { stream->_SetBitmap(bitmap); }
};

#endif
