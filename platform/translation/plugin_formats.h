#ifndef TEVRA_PLUGIN_FORMATS_H
#define TEVRA_PLUGIN_FORMATS_H

#include <map>
#include <string>

#include <QByteArray>
#include <QList>
#include <QString>

#include <DataIO.h>

// What Qt's image plugins read and write, by format name and by MIME type.
struct plugin_formats {
	QList<QByteArray> readable;
	QList<QByteArray> writable;
	std::map<QByteArray, QList<QByteArray>> readMimes;
	std::map<QByteArray, QList<QByteArray>> writeMimes;
	// The plugin file that serves each format; Qt's own formats have none.
	std::map<QByteArray, QString> plugins;
};

// Qt learns what its plugins do only by loading every one of them, and the libraries they
// bring (libtiff, libwebp, librsvg's kin...). The answer is kept in the cache folder
// (~/.cache/tevra/image-formats) and taken from there while the plugin folders and Qt stay as
// they were, so a run loads only the plugins of the formats it reads and writes. Learnt once a
// run.
const plugin_formats& installed_plugin_formats();
// Where the answer is kept.
std::string plugin_formats_cache();

// The format name of an image file, told from its first bytes for the common formats, so
// that only the plugin that reads it is loaded; other files are asked of every plugin.
QByteArray content_format(BPositionIO* source);

#endif
