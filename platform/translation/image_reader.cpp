#include "image_reader.h"

#include <map>
#include <mutex>

#include <QCoreApplication>
#include <QImageIOPlugin>
#include <QImageReader>
#include <QImageWriter>
#include <QPluginLoader>
#include <QStringList>
#include <QTransform>

#include "plugin_formats.h"
#include "qt_translator.h"

namespace {

// The plugin serving a format, opened once a run; null for a format without one.
QImageIOPlugin* format_plugin(const QByteArray& format)
{
	static std::mutex lock;
	static std::map<QByteArray, QImageIOPlugin*> opened;
	std::lock_guard<std::mutex> hold(lock);
	auto known = opened.find(format);
	if (known != opened.end())
		return known->second;
	const plugin_formats& installed = installed_plugin_formats();
	auto file = installed.plugins.find(format);
	QImageIOPlugin* plugin = nullptr;
	if (file != installed.plugins.end())
		plugin = qobject_cast<QImageIOPlugin*>(QPluginLoader(file->second).instance());
	opened[format] = plugin;
	return plugin;
}

// A handler from the format's plugin for the device, as Qt's reader and writer make one.
QImageIOHandler* plugin_handler(QIODevice* device, const QByteArray& format,
	QImageIOPlugin::Capability need)
{
	QImageIOPlugin* plugin = format_plugin(format);
	if (plugin == nullptr || !(plugin->capabilities(device, format) & need))
		return nullptr;
	QImageIOHandler* handler = plugin->create(device, format);
	if (handler == nullptr)
		return nullptr;
	handler->setDevice(device);
	handler->setFormat(format);
	return handler;
}

// A format Qt writes with a handler of its own, which no plugin serves.
bool built_in_format(const QByteArray& format)
{
	const plugin_formats& known = installed_plugin_formats();
	return known.writable.contains(format) && known.plugins.count(format) == 0;
}

// The turn a picture's own settings ask for, as Qt's reader applies it.
void apply_transformation(QImage* image, QImageIOHandler::Transformations turn)
{
	if (turn == QImageIOHandler::TransformationNone)
		return;
	if (turn == QImageIOHandler::TransformationRotate270) {
		*image = image->transformed(QTransform().rotate(270));
		return;
	}
	*image = std::move(*image).mirrored(turn & QImageIOHandler::TransformationMirror,
		turn & QImageIOHandler::TransformationFlip);
	if (turn & QImageIOHandler::TransformationRotate90)
		*image = image->transformed(QTransform().rotate(90));
}

}

ImageReader::ImageReader(QIODevice* device, const QByteArray& format)
	: fHandler(plugin_handler(device, format, QImageIOPlugin::CanRead))
{
	QImageReader::setAllocationLimit(kDecodeLimitMegabytes);
	if (fHandler == nullptr) {
		fReader.reset(new QImageReader(device, format));
		fReader->setAutoTransform(true);
	}
}

ImageReader::~ImageReader()
{
}

QSize ImageReader::size()
{
	if (fReader != nullptr)
		return fReader->size();
	return fHandler->supportsOption(QImageIOHandler::Size)
		? fHandler->option(QImageIOHandler::Size).toSize() : QSize();
}

QImageIOHandler::Transformations ImageReader::transformation()
{
	if (fReader != nullptr)
		return fReader->transformation();
	return fHandler->supportsOption(QImageIOHandler::ImageTransformation)
		? QImageIOHandler::Transformations(
			fHandler->option(QImageIOHandler::ImageTransformation).toInt())
		: QImageIOHandler::TransformationNone;
}

bool ImageReader::supportsOption(QImageIOHandler::ImageOption option)
{
	return fReader != nullptr ? fReader->supportsOption(option)
		: fHandler->supportsOption(option);
}

void ImageReader::setScaledSize(const QSize& size)
{
	fScaledSize = size;
	if (fReader != nullptr)
		fReader->setScaledSize(size);
}

void ImageReader::setClipRect(const QRect& rect)
{
	fClipRect = rect;
	if (fReader != nullptr)
		fReader->setClipRect(rect);
}

bool ImageReader::read(QImage* image)
{
	if (fReader != nullptr)
		return fReader->read(image);
	// The settings Qt's reader hands its handler, the default quality included: the JPEG
	// decoder picks its slower, finer method by it.
	bool scales = fHandler->supportsOption(QImageIOHandler::ScaledSize);
	bool clips = fHandler->supportsOption(QImageIOHandler::ClipRect);
	if (scales && fScaledSize.isValid() && (fClipRect.isNull() || clips))
		fHandler->setOption(QImageIOHandler::ScaledSize, fScaledSize);
	if (clips && !fClipRect.isNull())
		fHandler->setOption(QImageIOHandler::ClipRect, fClipRect);
	if (fHandler->supportsOption(QImageIOHandler::Quality))
		fHandler->setOption(QImageIOHandler::Quality, QImageReader().quality());
	if (!fHandler->read(image))
		return false;
	if (!clips && fClipRect.isValid())
		*image = image->copy(fClipRect);
	if (fScaledSize.isValid() && (!scales || (!clips && !fClipRect.isNull())))
		*image = image->scaled(fScaledSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
	apply_transformation(image, transformation());
	return true;
}

bool write_image(QIODevice* device, const QByteArray& format, const QImage& image, int quality)
{
	std::unique_ptr<QImageIOHandler> handler(
		image.isNull() ? nullptr : plugin_handler(device, format, QImageIOPlugin::CanWrite));
	QImageWriter writer(device, format);
	writer.setQuality(quality);
	if (handler == nullptr && built_in_format(format)) {
		// Qt's writer lets every plugin claim even a format it writes itself, loading them all
		// to ask; with no plugin folder to look in it keeps its own handler. No plugin serves
		// the format, so the bytes are the same.
		QStringList paths = QCoreApplication::libraryPaths();
		QCoreApplication::setLibraryPaths({});
		bool written = writer.write(image);
		QCoreApplication::setLibraryPaths(paths);
		return written;
	}
	if (handler == nullptr)
		return writer.write(image);
	// Qt's writer's settings, taken from a writer that was never used, so they stay its own.
	if (handler->supportsOption(QImageIOHandler::Quality))
		handler->setOption(QImageIOHandler::Quality, writer.quality());
	if (handler->supportsOption(QImageIOHandler::CompressionRatio))
		handler->setOption(QImageIOHandler::CompressionRatio, writer.compression());
	if (handler->supportsOption(QImageIOHandler::OptimizedWrite))
		handler->setOption(QImageIOHandler::OptimizedWrite, writer.optimizedWrite());
	if (handler->supportsOption(QImageIOHandler::ProgressiveScanWrite))
		handler->setOption(QImageIOHandler::ProgressiveScanWrite, writer.progressiveScanWrite());
	if (handler->supportsOption(QImageIOHandler::ImageTransformation))
		handler->setOption(QImageIOHandler::ImageTransformation, int(writer.transformation()));
	return handler->write(image);
}
