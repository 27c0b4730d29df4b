#include "qt_translator.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <endian.h>
#include <fcntl.h>
#include <map>
#include <unistd.h>
#include <vector>

#include <QBuffer>
#include <QImage>
#include <QImageIOHandler>

#include <Bitmap.h>
#include <Screen.h>
#include <BitmapStream.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include "../interface/BitmapPrivate.h"
#include "BitmapStreamPrivate.h"
#include "image_reader.h"
#include "plugin_formats.h"
#include "png_writer.h"
#include "position_io_device.h"

namespace {

struct known_type {
	const char* format;
	uint32 type;
	const char* name;
};

// Haiku's customary type codes for the common image types.
const known_type kKnownTypes[] = {
	{"bmp", B_BMP_FORMAT, "BMP image"},
	{"gif", B_GIF_FORMAT, "GIF image"},
	{"jpeg", B_JPEG_FORMAT, "JPEG image"},
	{"jpg", B_JPEG_FORMAT, "JPEG image"},
	{"png", B_PNG_FORMAT, "PNG image"},
	{"ppm", B_PPM_FORMAT, "PPM image"},
	{"pgm", 'PGM ', "PGM image"},
	{"pbm", 'PBM ', "PBM image"},
	{"tga", B_TGA_FORMAT, "Targa image"},
	{"tif", B_TIFF_FORMAT, "TIFF image"},
	{"tiff", B_TIFF_FORMAT, "TIFF image"},
	{"webp", B_WEBP_FORMAT, "WebP image"},
	{"ico", 'ICO ', "Windows icon"},
	{"icns", 'ICNS', "Apple icon image"},
	{"svg", 'SVG ', "SVG image"},
	{"xbm", 'XBM ', "X bitmap"},
	{"xpm", 'XPM ', "X pixmap"},
	{"wbmp", 'WBMP', "WAP bitmap"},
};

// Not offered for writing: icon formats hold at most a few hundred pixels a side, and Qt's
// WBMP writer drops a zero byte from widths that are multiples of 128 (1920, 2560).
const char* const kNotWritable[] = {"ico", "cur", "icns", "wbmp"};

const known_type* find_known(const QByteArray& format)
{
	for (const known_type& known : kKnownTypes) {
		if (format == known.format)
			return &known;
	}
	return nullptr;
}

uint32 type_code_for(const QByteArray& format)
{
	if (const known_type* known = find_known(format))
		return known->type;
	char code[4] = {' ', ' ', ' ', ' '};
	for (int i = 0; i < 4 && i < format.size(); i++)
		code[i] = toupper((unsigned char)format[i]);
	return (uint32)(uchar)code[0] << 24 | (uint32)(uchar)code[1] << 16
		| (uint32)(uchar)code[2] << 8 | (uchar)code[3];
}


// Whether a JPEG runs whole to its end-of-image marker. libjpeg makes up the rest of a file
// cut short (grey rows) and Qt calls that a success; a picture half missing is no picture.
// Walks the segments by their lengths (so bytes inside them, an embedded thumbnail's markers
// included, are not taken for markers) and each scan's data to the marker that ends it;
// stray bytes between segments are stepped over, as libjpeg does.
bool jpeg_whole(const uchar* data, size_t size)
{
	if (size < 4 || data[0] != 0xff || data[1] != 0xd8)
		return false;
	size_t i = 2;
	bool scanned = false;
	for (;;) {
		const void* next = i < size ? memchr(data + i, 0xff, size - i) : nullptr;
		if (next == nullptr)
			return false;
		i = (const uchar*)next - data;
		while (i < size && data[i] == 0xff)
			i++;
		if (i >= size)
			return false;
		uchar marker = data[i++];
		if (marker == 0xd9)
			return scanned;
		// Markers without a length: restarts and TEM; a zero is a stuffed byte, not one.
		if (marker == 0x00 || marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7))
			continue;
		if (size - i < 2)
			return false;
		size_t length = (size_t)data[i] << 8 | data[i + 1];
		if (length < 2 || size - i < length)
			return false;
		i += length;
		if (marker != 0xda)
			continue;
		// Entropy-coded data: 0xff is followed by a stuffed zero or a restart within it.
		scanned = true;
		for (;;) {
			next = i < size ? memchr(data + i, 0xff, size - i) : nullptr;
			if (next == nullptr)
				return false;
			i = (const uchar*)next - data;
			if (size - i < 2)
				return false;
			uchar after = data[i + 1];
			if (after == 0x00 || (after >= 0xd0 && after <= 0xd7))
				i += 2;
			else if (after == 0xff)
				i++;
			else
				break;
		}
	}
}

uint32 le32(const uchar* p)
{
	return p[0] | p[1] << 8 | p[2] << 16 | (uint32)p[3] << 24;
}

// Whether a BMP holds every pixel row its header promises: Qt makes up the rows of a file
// cut short and calls that a success. A compressed one is measured by the size its header
// gives, when it gives one.
bool bmp_whole(BPositionIO* source)
{
	uchar h[54];
	off_t size = 0;
	if (source->GetSize(&size) != B_OK || source->ReadAt(0, h, sizeof(h)) < 26)
		return false;
	uint64 offset = le32(h + 10);
	uint64 width, height, bits, compression = 0, stored = 0;
	if (le32(h + 14) == 12) {
		width = h[18] | h[19] << 8;
		height = h[20] | h[21] << 8;
		bits = h[24] | h[25] << 8;
	} else {
		if (source->ReadAt(0, h, sizeof(h)) != (ssize_t)sizeof(h))
			return false;
		width = (uint64)std::abs((int64)(int32)le32(h + 18));
		height = (uint64)std::abs((int64)(int32)le32(h + 22));
		bits = h[28] | h[29] << 8;
		compression = le32(h + 30);
		stored = le32(h + 34);
	}
	uint64 need;
	if (compression == 0 || compression == 3 || compression == 6)
		need = offset + (width * bits + 31) / 32 * 4 * height;
	else if (compression == 1 || compression == 2)
		need = offset + stored;
	else
		return true;
	return (uint64)size >= need;
}

// Whether a GIF holds its first picture to the end of its data: Qt shows what a file cut
// short has of it and calls that a success. Walks the blocks by their lengths.
bool gif_whole(const uchar* d, size_t size)
{
	if (size < 13 || memcmp(d, "GIF", 3) != 0)
		return false;
	size_t i = 13;
	if (d[10] & 0x80)
		i += (size_t)3 << ((d[10] & 7) + 1);
	while (i < size) {
		uchar block = d[i++];
		if (block == 0x2c) {
			if (size - i < 10)
				return false;
			uchar flags = d[i + 8];
			i += 9;
			if (flags & 0x80)
				i += (size_t)3 << ((flags & 7) + 1);
			// The least code size of the picture's data.
			i++;
		} else if (block == 0x21) {
			// The extension's label.
			i++;
		} else {
			return false;
		}
		for (;;) {
			if (i >= size)
				return false;
			uchar length = d[i++];
			if (length == 0)
				break;
			i += length;
		}
		if (block == 0x2c)
			return true;
	}
	return false;
}

// Whether a file of a format whose decoder accepts a file cut short is whole.
bool whole(uint32 type, BPositionIO* source)
{
	if (type == B_BMP_FORMAT)
		return bmp_whole(source);
	if (type != B_GIF_FORMAT)
		return true;
	off_t size = 0;
	if (source->GetSize(&size) != B_OK || size <= 0
		|| size > ((off_t)kDecodeLimitMegabytes << 20))
		return false;
	std::vector<uchar> bytes(size);
	return source->ReadAt(0, bytes.data(), size) == size && gif_whole(bytes.data(), size);
}

// libpng and libtiff report a broken file on standard error themselves, past Qt; the
// program's own one-line reasons are all that a daily timer's log should carry.
class quiet_standard_error {
public:
	quiet_standard_error()
	{
		fflush(stderr);
		fSaved = dup(STDERR_FILENO);
		int none = open("/dev/null", O_WRONLY | O_CLOEXEC);
		if (fSaved >= 0 && none >= 0)
			dup2(none, STDERR_FILENO);
		if (none >= 0)
			close(none);
	}
	~quiet_standard_error()
	{
		fflush(stderr);
		if (fSaved >= 0) {
			dup2(fSaved, STDERR_FILENO);
			close(fSaved);
		}
	}

private:
	int fSaved;
};

bool is_bitmap_stream(BPositionIO* source)
{
	uint32 magic = 0;
	if (source->ReadAt(0, &magic, sizeof(magic)) != sizeof(magic))
		return false;
	return be32toh(magic) == B_TRANSLATOR_BITMAP;
}

// Passes everything on to a stream, keeping the status of the first write that failed: the
// writers only tell that something failed, and a full disk should be reported as one.
class write_status_io : public BPositionIO {
public:
	explicit write_status_io(BPositionIO* io) : fIO(io) {}

	ssize_t ReadAt(off_t position, void* buffer, size_t size) override
	{
		return fIO->ReadAt(position, buffer, size);
	}
	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override
	{
		ssize_t done = fIO->WriteAt(position, buffer, size);
		if (fStatus == B_OK && done != (ssize_t)size)
			fStatus = done < 0 ? (status_t)done : B_IO_ERROR;
		return done;
	}
	off_t Seek(off_t position, uint32 seekMode) override { return fIO->Seek(position, seekMode); }
	off_t Position() const override { return fIO->Position(); }
	status_t SetSize(off_t size) override { return fIO->SetSize(size); }
	status_t GetSize(off_t* size) const override { return fIO->GetSize(size); }

	// Why writing failed; B_IO_ERROR when no write did.
	status_t Failure() const { return fStatus != B_OK ? fStatus : B_IO_ERROR; }

private:
	BPositionIO* fIO;
	status_t fStatus = B_OK;
};

}

translation_format make_format(uint32 type, const char* mime, const char* name, float quality)
{
	translation_format format;
	memset(&format, 0, sizeof(format));
	format.type = type;
	format.group = B_TRANSLATOR_BITMAP;
	format.quality = quality;
	format.capability = quality;
	strncpy(format.MIME, mime, sizeof(format.MIME) - 1);
	strncpy(format.name, name, sizeof(format.name) - 1);
	return format;
}

QtImageTranslator::QtImageTranslator(const QByteArray& mime, const QList<QByteArray>& formats,
	bool readable, bool writable)
	: fFormats(formats), fType(type_code_for(formats.first()))
{
	const known_type* known = nullptr;
	for (const QByteArray& format : formats) {
		if (known == nullptr)
			known = find_known(format);
	}
	std::string label = known != nullptr ? known->name
		: formats.first().toUpper().toStdString() + " image";
	fName = label + " translator";
	fInfo = "Reads and writes " + label + "s through Qt's image plugins";
	translation_format own = make_format(fType, mime.constData(), label.c_str(), 0.8f);
	translation_format bits = make_format(B_TRANSLATOR_BITMAP, "image/x-be-bitmap",
		"Be Bitmap Format", 0.4f);
	if (readable)
		fInputs.push_back(own);
	if (writable) {
		fInputs.push_back(bits);
		fOutputs.push_back(own);
	}
	if (readable)
		fOutputs.push_back(bits);
}

const translation_format* QtImageTranslator::InputFormats(int32* count) const
{
	*count = fInputs.size();
	return fInputs.data();
}

const translation_format* QtImageTranslator::OutputFormats(int32* count) const
{
	*count = fOutputs.size();
	return fOutputs.data();
}

status_t QtImageTranslator::Identify(BPositionIO* source, const translation_format*,
	BMessage*, translator_info* info, uint32 outType)
{
	bool readable = false;
	bool writable = false;
	for (const translation_format& format : fInputs) {
		readable |= format.type == fType;
		writable |= format.type == B_TRANSLATOR_BITMAP;
	}

	const translation_format* matched = nullptr;
	if (is_bitmap_stream(source)) {
		if (writable && (outType == 0 || outType == fType))
			matched = &fInputs.back();
	} else if (readable && (outType == 0 || outType == B_TRANSLATOR_BITMAP)) {
		if (fFormats.contains(content_format(source)))
			matched = &fInputs.front();
	}
	if (matched == nullptr)
		return B_NO_TRANSLATOR;

	info->type = matched->type;
	info->group = matched->group;
	info->quality = matched->quality;
	info->capability = matched->capability;
	strcpy(info->name, matched->name);
	strcpy(info->MIME, matched->MIME);
	return B_OK;
}

status_t QtImageTranslator::Translate(BPositionIO* source, const translator_info*, BMessage*,
	uint32 outType, BPositionIO* destination)
{
	if (is_bitmap_stream(source)) {
		if (outType != fType)
			return B_NO_TRANSLATOR;
		return _Encode(source, destination);
	}
	if (outType != B_TRANSLATOR_BITMAP && outType != 0)
		return B_NO_TRANSLATOR;
	return _Decode(source, destination);
}

status_t QtImageTranslator::_Decode(BPositionIO* source, BPositionIO* destination)
{
	BBitmapStream* stream = dynamic_cast<BBitmapStream*>(destination);
	if (stream == nullptr)
		return B_NOT_SUPPORTED;
	if (fType == B_JPEG_FORMAT)
		return _DecodeLater(source, stream);
	if (!whole(fType, source))
		return B_NO_TRANSLATOR;

	// Named by its content, so that Qt opens that format's plugin alone.
	QByteArray format = content_format(source);
	if (!fFormats.contains(format))
		return B_NO_TRANSLATOR;
	PositionIODevice device(source);
	device.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
	ImageReader reader(&device, format);
	QImage image;
	bool read;
	{
		quiet_standard_error quiet;
		read = reader.read(&image);
	}
	if (!read || image.isNull())
		return B_NO_TRANSLATOR;

	bool alpha = image.hasAlphaChannel();
	QImage* pixels = new QImage(image.convertToFormat(
		alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32));
	if (pixels->isNull()) {
		delete pixels;
		return B_NO_MEMORY;
	}
	BBitmapStream::Private::SetBitmap(stream, BBitmap::Private::Adopt(pixels));
	return B_OK;
}

// A photograph is usually drawn much smaller than it is. Its bytes are kept, and it is
// decoded now only at the smallest fraction (a half, a quarter, an eighth, which the JPEG
// decoder makes almost for free) that still covers the screen; that also proves the file
// whole. The full size is decoded only if something asks for it.
status_t QtImageTranslator::_DecodeLater(BPositionIO* source, BBitmapStream* stream)
{
	off_t size = 0;
	if (source->GetSize(&size) != B_OK || size <= 0
		|| size > ((off_t)kDecodeLimitMegabytes << 20))
		return B_NO_TRANSLATOR;
	QByteArray encoded;
	encoded.resize(size);
	if (source->ReadAt(0, encoded.data(), size) != size
		|| !jpeg_whole((const uchar*)encoded.constData(), encoded.size()))
		return B_NO_TRANSLATOR;

	QBuffer buffer(&encoded);
	buffer.open(QIODevice::ReadOnly);
	ImageReader reader(&buffer, "jpeg");
	QSize full = reader.size();
	QSize stored = full;
	if (reader.transformation() & QImageIOHandler::TransformationRotate90)
		full.transpose();
	if (full.isEmpty()
		|| (int64)full.width() * full.height() > ((int64)kDecodeLimitMegabytes << 18))
		return B_NO_TRANSLATOR;

	BRect screen = BScreen().Frame();
	int fraction = 1;
	while (fraction < 8 && full.width() / (fraction * 2) >= screen.IntegerWidth() + 1
		&& full.height() / (fraction * 2) >= screen.IntegerHeight() + 1)
		fraction *= 2;
	if (fraction > 1)
		reader.setScaledSize(QSize(stored.width() / fraction, stored.height() / fraction));
	QImage decoded;
	if (!reader.read(&decoded) || decoded.isNull())
		return B_NO_TRANSLATOR;
	QImage* reduced = new QImage(decoded.convertToFormat(QImage::Format_RGB32));
	BRect bounds(0, 0, full.width() - 1, full.height() - 1);
	if (fraction == 1) {
		delete reduced;
		BBitmapStream::Private::SetBitmap(stream, BBitmap::Private::Adopt(
			new QImage(decoded.convertToFormat(QImage::Format_RGB32))));
		return B_OK;
	}
	BBitmapStream::Private::SetBitmap(stream,
		BBitmap::Private::Encoded(encoded, "jpeg", bounds, B_RGB32, reduced));
	return B_OK;
}
status_t QtImageTranslator::_Encode(BPositionIO* source, BPositionIO* destination)
{
	BBitmapStream* stream = dynamic_cast<BBitmapStream*>(source);
	BBitmap* bitmap = stream != nullptr ? BBitmapStream::Private::Bitmap(stream) : nullptr;
	if (bitmap == nullptr || !bitmap->IsValid())
		return B_BAD_VALUE;
	BRect bounds = bitmap->Bounds();
	QImage image((const uchar*)bitmap->Bits(), bounds.IntegerWidth() + 1,
		bounds.IntegerHeight() + 1, bitmap->BytesPerRow(),
		bitmap->ColorSpace() == B_RGBA32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);

	write_status_io output(destination);
	if (fType == B_PNG_FORMAT)
		return write_png(image, &output) ? B_OK : output.Failure();

	PositionIODevice device(&output);
	device.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
	int quality = fType == B_JPEG_FORMAT || fType == B_WEBP_FORMAT ? 92 : -1;
	if (!write_image(&device, fFormats.first(), image, quality) || device.failed())
		return output.Failure();
	return B_OK;
}

void add_qt_translators(BTranslatorRoster* roster)
{
	const plugin_formats& installed = installed_plugin_formats();
	const QList<QByteArray>& readable = installed.readable;
	const QList<QByteArray>& writable = installed.writable;
	std::map<QByteArray, QList<QByteArray>> byMime = installed.readMimes;
	for (const auto& [mime, formats] : installed.writeMimes) {
		for (const QByteArray& format : formats) {
			if (!byMime[mime].contains(format))
				byMime[mime].append(format);
		}
	}

	// One translator per image type, ordered by the type's short name as Haiku lists its
	// translators by name.
	std::map<QByteArray, QtImageTranslator*> ordered;
	for (auto& [mime, formats] : byMime) {
		if (formats.isEmpty())
			continue;
		std::sort(formats.begin(), formats.end());
		// The customary name first: "jpeg" over "jpg", "tiff" over "tif".
		std::stable_sort(formats.begin(), formats.end(),
			[](const QByteArray& a, const QByteArray& b) { return a.size() > b.size(); });
		bool canRead = false;
		bool canWrite = false;
		for (const QByteArray& format : formats) {
			canRead |= readable.contains(format);
			canWrite |= writable.contains(format);
		}
		for (const char* unfit : kNotWritable)
			canWrite &= !formats.contains(unfit);
		if (!canRead && !canWrite)
			continue;
		if (ordered.count(formats.first()) != 0)
			continue;
		// Targa files have a reader of their own (tga_translator.h).
		if (formats.contains("tga"))
			continue;
		ordered[formats.first()] = new QtImageTranslator(mime, formats, canRead, canWrite);
	}
	for (auto& [name, translator] : ordered)
		roster->AddTranslator(translator);
}
