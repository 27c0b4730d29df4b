#include "plugin_formats.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>

#include "position_io_device.h"

namespace {

const char kCacheHeader[] = "tevra image formats 2";

// What the kept answer depends on: Qt's version and every file in the plugin folders, by
// name, size and time of change.
std::string plugin_folders_state()
{
	std::string state = std::string("V\t") + qVersion() + "\n";
	for (const QString& path : QCoreApplication::libraryPaths()) {
		QDir folder(path + "/imageformats");
		for (const QFileInfo& file : folder.entryInfoList(QDir::Files, QDir::Name)) {
			state += "K\t" + file.absoluteFilePath().toStdString() + "\t"
				+ std::to_string(file.size()) + "\t"
				+ std::to_string(file.lastModified().toMSecsSinceEpoch()) + "\n";
		}
	}
	return state;
}

// Which plugin file serves each format, from the description every plugin carries; read
// without loading the plugin. The first folder Qt searches wins, as it does for Qt.
void find_plugin_files(plugin_formats* formats)
{
	for (const QString& path : QCoreApplication::libraryPaths()) {
		QDir folder(path + "/imageformats");
		for (const QFileInfo& file : folder.entryInfoList(QDir::Files, QDir::Name)) {
			QJsonObject about = QPluginLoader(file.absoluteFilePath()).metaData();
			if (about.value("IID").toString() != "org.qt-project.Qt.QImageIOHandlerFactoryInterface")
				continue;
			const QJsonArray keys = about.value("MetaData").toObject().value("Keys").toArray();
			for (const QJsonValue& key : keys) {
				QByteArray format = key.toString().toLatin1();
				if (!format.isEmpty() && formats->plugins.count(format) == 0)
					formats->plugins[format] = file.absoluteFilePath();
			}
		}
	}
}

plugin_formats ask_plugins()
{
	plugin_formats formats;
	find_plugin_files(&formats);
	formats.readable = QImageReader::supportedImageFormats();
	formats.writable = QImageWriter::supportedImageFormats();
	for (const QByteArray& mime : QImageReader::supportedMimeTypes())
		formats.readMimes[mime] = QImageReader::imageFormatsForMimeType(mime);
	for (const QByteArray& mime : QImageWriter::supportedMimeTypes())
		formats.writeMimes[mime] = QImageWriter::imageFormatsForMimeType(mime);
	return formats;
}

std::string join(const QList<QByteArray>& names)
{
	std::string text;
	for (const QByteArray& name : names)
		text += (text.empty() ? "" : ",") + name.toStdString();
	return text;
}

std::string describe(const plugin_formats& formats)
{
	std::string text;
	for (const QByteArray& name : formats.readable)
		text += "R\t" + name.toStdString() + "\n";
	for (const QByteArray& name : formats.writable)
		text += "W\t" + name.toStdString() + "\n";
	for (const auto& [mime, names] : formats.readMimes)
		text += "r\t" + mime.toStdString() + "\t" + join(names) + "\n";
	for (const auto& [mime, names] : formats.writeMimes)
		text += "w\t" + mime.toStdString() + "\t" + join(names) + "\n";
	for (const auto& [format, file] : formats.plugins)
		text += "P\t" + format.toStdString() + "\t" + file.toStdString() + "\n";
	return text;
}

// Reads the kept answer; false when there is none or it was taken from other plugins.
bool read_kept(const std::string& path, const std::string& state, plugin_formats* formats)
{
	FILE* file = fopen(path.c_str(), "r");
	if (file == nullptr)
		return false;
	std::string text;
	char buffer[4096];
	for (size_t got; (got = fread(buffer, 1, sizeof(buffer), file)) > 0;)
		text.append(buffer, got);
	fclose(file);
	std::string kept = std::string(kCacheHeader) + "\n" + state;
	if (text.compare(0, kept.size(), kept) != 0)
		return false;
	QList<QByteArray> lines = QByteArray::fromStdString(text.substr(kept.size())).split('\n');
	for (const QByteArray& line : lines) {
		QList<QByteArray> fields = line.split('\t');
		if (fields.size() == 2 && fields[0] == "R")
			formats->readable.append(fields[1]);
		else if (fields.size() == 2 && fields[0] == "W")
			formats->writable.append(fields[1]);
		else if (fields.size() == 3 && fields[0] == "r")
			formats->readMimes[fields[1]] = fields[2].split(',');
		else if (fields.size() == 3 && fields[0] == "w")
			formats->writeMimes[fields[1]] = fields[2].split(',');
		else if (fields.size() == 3 && fields[0] == "P")
			formats->plugins[fields[1]] = QString::fromUtf8(fields[2]);
		else if (!line.isEmpty())
			return false;
	}
	return true;
}

void make_folders(const std::string& folder)
{
	for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
		mkdir(folder.substr(0, slash).c_str(), 0700);
		if (slash == std::string::npos)
			break;
	}
}

// Written beside its place and renamed over it, so no run reads half an answer. A cache that
// cannot be written costs only the time of asking again.
void keep(const std::string& path, const std::string& text)
{
	make_folders(path.substr(0, path.rfind('/')));
	std::string temporary = path + "." + std::to_string(getpid());
	FILE* file = fopen(temporary.c_str(), "w");
	if (file == nullptr)
		return;
	bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
	written = fclose(file) == 0 && written;
	if (!written || rename(temporary.c_str(), path.c_str()) != 0)
		unlink(temporary.c_str());
}

struct magic {
	const char* format;
	size_t offset;
	const char* bytes;
	size_t length;
};

const magic kMagic[] = {
	{"jpeg", 0, "\xff\xd8\xff", 3},
	{"png", 0, "\x89PNG\r\n\x1a\n", 8},
	{"gif", 0, "GIF87a", 6},
	{"gif", 0, "GIF89a", 6},
	{"bmp", 0, "BM", 2},
	{"webp", 8, "WEBP", 4},
	{"tiff", 0, "II*\0", 4},
	{"tiff", 0, "MM\0*", 4},
	{"icns", 0, "icns", 4},
	{"ico", 0, "\0\0\1\0", 4},
	{"cur", 0, "\0\0\2\0", 4},
};

}

std::string plugin_formats_cache()
{
	const char* cache = getenv("XDG_CACHE_HOME");
	if (cache != nullptr && cache[0] == '/')
		return std::string(cache) + "/tevra/image-formats";
	const char* home = getenv("HOME");
	return std::string(home != nullptr ? home : "") + "/.cache/tevra/image-formats";
}

namespace {

plugin_formats learn_plugin_formats()
{
	std::string state = plugin_folders_state();
	std::string path = plugin_formats_cache();
	plugin_formats formats;
	if (read_kept(path, state, &formats))
		return formats;
	formats = ask_plugins();
	keep(path, std::string(kCacheHeader) + "\n" + state + describe(formats));
	return formats;
}

}

const plugin_formats& installed_plugin_formats()
{
	static const plugin_formats formats = learn_plugin_formats();
	return formats;
}

QByteArray content_format(BPositionIO* source)
{
	unsigned char head[16] = {};
	ssize_t got = source->ReadAt(0, head, sizeof(head));
	for (const magic& m : kMagic) {
		if (got >= (ssize_t)(m.offset + m.length)
			&& memcmp(head + m.offset, m.bytes, m.length) == 0
			&& (strcmp(m.format, "webp") != 0 || memcmp(head, "RIFF", 4) == 0))
			return m.format;
	}
	// Netpbm: P1 to P6 and a blank.
	if (got >= 3 && head[0] == 'P' && head[1] >= '1' && head[1] <= '6' && isspace(head[2]))
		return (head[1] - '1') % 3 == 0 ? "pbm" : (head[1] - '1') % 3 == 1 ? "pgm" : "ppm";
	PositionIODevice device(source);
	device.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
	return QImageReader::imageFormat(&device);
}
