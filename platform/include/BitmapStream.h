#ifndef _BITMAP_STREAM_H
#define _BITMAP_STREAM_H

#include <DataIO.h>
#include <TranslatorFormats.h>

class BBitmap;

// A bitmap seen as a stream in the bitmap interchange format: a TranslatorBitmap header,
// then the pixels. The stream owns its bitmap until DetachBitmap hands it on.
class BBitmapStream : public BPositionIO {
public:
	BBitmapStream(BBitmap* bitmap = nullptr);
	~BBitmapStream() override;

	ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;
	off_t Seek(off_t position, uint32 seekMode) override;
	off_t Position() const override { return fPosition; }
	off_t Size() const;
	status_t SetSize(off_t size) override;

	status_t DetachBitmap(BBitmap** bitmap);

	// The layer's own way in, for its translators, which read and fill the bitmap directly.
	class Private;

private:
	friend class Private;

	void _SetBitmap(BBitmap* bitmap);
	void _MakeHeader();

	BBitmap* fBitmap;
	TranslatorBitmap fHeader;
	off_t fPosition;
	bool fDetached;
};

#endif
