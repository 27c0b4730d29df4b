#ifndef TEVRA_IMAGE_READER_H
#define TEVRA_IMAGE_READER_H

#include <memory>

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>
#include <QRect>
#include <QSize>

class QIODevice;
class QImageReader;

// Reads an image through the one plugin that serves its format, opened by its file. Qt's own
// reader, even when told the format, loads every image plugin and the libraries they bring
// (libtiff, libwebp, ...) to find it. Formats without a plugin of their own (Qt's built-in
// ones), and a plugin that cannot be opened, go through Qt's reader. Reads as Qt's reader does
// with the same settings, turned as the picture says.
class ImageReader {
public:
	ImageReader(QIODevice* device, const QByteArray& format);
	~ImageReader();

	QSize size();
	QImageIOHandler::Transformations transformation();
	bool supportsOption(QImageIOHandler::ImageOption option);
	void setScaledSize(const QSize& size);
	void setClipRect(const QRect& rect);
	bool read(QImage* image);

	// Whether the format's own plugin was opened, rather than Qt's reader taken.
	bool usesPlugin() const { return fHandler != nullptr; }

private:
	std::unique_ptr<QImageIOHandler> fHandler;
	std::unique_ptr<QImageReader> fReader;
	QSize fScaledSize;
	QRect fClipRect;
};

// Writes an image through the format's own plugin as Qt's writer does with the same quality
// (-1: the format's default), or through Qt's writer for formats without one.
bool write_image(QIODevice* device, const QByteArray& format, const QImage& image, int quality);

#endif
