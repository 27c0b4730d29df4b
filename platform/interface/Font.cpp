#include <Font.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QString>

#include <UTF8.h>

#include "font_catalogue.h"

namespace {

struct family_entry {
	QString name;
	std::vector<QString> styles;
};

std::vector<family_entry> catalogue;
BFont plain_font;
BFont bold_font;
QImage* reference_device = nullptr;

// Matches a family by its full name or by the name as cut to fit a font_family.
const family_entry* find_family(const char* family)
{
	if (family == nullptr)
		return nullptr;
	QString name = QString::fromUtf8(family);
	for (const family_entry& entry : catalogue) {
		if (entry.name == name)
			return &entry;
	}
	for (const family_entry& entry : catalogue) {
		font_family cut;
		copy_utf8(cut, entry.name.toUtf8().constData(), sizeof(cut));
		if (strcmp(cut, family) == 0)
			return &entry;
	}
	return nullptr;
}

// The catalogue entry closest to a Qt font: its family, and the style with its weight.
void resolve_system_font(const QFont& font, BFont* result)
{
	QFontInfo info(font);
	const family_entry* entry = nullptr;
	for (const family_entry& candidate : catalogue) {
		if (candidate.name == info.family())
			entry = &candidate;
	}
	if (entry == nullptr && !catalogue.empty())
		entry = &catalogue[0];
	if (entry == nullptr || entry->styles.empty())
		return;
	QString wanted = QFontDatabase::styleString(info);
	QString style = entry->styles[0];
	int bestDistance = 1 << 30;
	for (const QString& candidate : entry->styles) {
		if (candidate == wanted) {
			style = candidate;
			break;
		}
		bool italic = QFontDatabase::italic(entry->name, candidate);
		int distance = std::abs(QFontDatabase::weight(entry->name, candidate) - font.weight())
			+ (italic != font.italic() ? 10000 : 0);
		if (distance < bestDistance) {
			bestDistance = distance;
			style = candidate;
		}
	}
	result->SetFamilyAndStyle(entry->name.toUtf8().constData(), style.toUtf8().constData());
}

}

const BFont* be_plain_font = &plain_font;
const BFont* be_bold_font = &bold_font;

void init_font_catalogue()
{
	catalogue.clear();
	for (const QString& family : QFontDatabase::families()) {
		family_entry entry;
		entry.name = family;
		for (const QString& style : QFontDatabase::styles(family))
			entry.styles.push_back(style);
		catalogue.push_back(entry);
	}
	if (reference_device == nullptr) {
		reference_device = new QImage(1, 1, QImage::Format_RGB32);
		reference_device->setDotsPerMeterX(kDotsPerMeter72);
		reference_device->setDotsPerMeterY(kDotsPerMeter72);
	}

	QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
	resolve_system_font(general, &plain_font);
	plain_font.SetSize(12);
	QFont bold = general;
	bold.setWeight(QFont::Bold);
	resolve_system_font(bold, &bold_font);
	bold_font.SetSize(12);
}

void free_font_catalogue()
{
	catalogue.clear();
	delete reference_device;
	reference_device = nullptr;
}

QFont to_qfont(const BFont& font, const QPaintDevice* device)
{
	font_family family;
	font_style style;
	font.GetFamilyAndStyle(&family, &style);
	QFont qfont = QFontDatabase::font(QString::fromUtf8(family), QString::fromUtf8(style), 12);
	int dpi = device != nullptr ? device->logicalDpiY() : 72;
	if (dpi <= 0)
		dpi = 72;
	qfont.setPointSizeF(std::max(font.Size(), 0.01f) * 72.0 / dpi);
	// Unhinted outlines keep widths and heights proportional to the size.
	qfont.setHintingPreference(QFont::PreferNoHinting);
	return qfont;
}

BFont::BFont()
	: fSize(12)
{
	fFamily[0] = '\0';
	fStyle[0] = '\0';
	if (be_plain_font != nullptr && be_plain_font != this)
		*this = *be_plain_font;
}

BFont::BFont(const BFont& font)
{
	*this = font;
}

BFont::BFont(const BFont* font)
	: BFont()
{
	if (font != nullptr)
		*this = *font;
}

BFont& BFont::operator=(const BFont& font)
{
	memcpy(fFamily, font.fFamily, sizeof(fFamily));
	memcpy(fStyle, font.fStyle, sizeof(fStyle));
	fSize = font.fSize;
	return *this;
}

status_t BFont::SetFamilyAndStyle(const char* family, const char* style)
{
	if (family == nullptr)
		return B_BAD_VALUE;
	const family_entry* entry = find_family(family);
	if (entry == nullptr)
		return B_NAME_NOT_FOUND;
	copy_utf8(fFamily, family, sizeof(fFamily));
	QString wanted = QString::fromUtf8(style != nullptr ? style : "");
	QString chosen = entry->styles.empty() ? QString() : entry->styles[0];
	for (const QString& candidate : entry->styles) {
		if (candidate == wanted)
			chosen = candidate;
	}
	copy_utf8(fStyle, chosen.toUtf8().constData(), sizeof(fStyle));
	return B_OK;
}

void BFont::GetFamilyAndStyle(font_family* family, font_style* style) const
{
	if (family != nullptr)
		memcpy(*family, fFamily, sizeof(fFamily));
	if (style != nullptr)
		memcpy(*style, fStyle, sizeof(fStyle));
}

void BFont::SetSize(float size)
{
	fSize = std::min(std::max(size, 0.0f), 10000.0f);
}

void BFont::GetHeight(font_height* height) const
{
	QFontMetricsF metrics(to_qfont(*this, reference_device), reference_device);
	height->ascent = metrics.ascent();
	height->descent = metrics.descent();
	height->leading = metrics.leading();
}

float BFont::StringWidth(const char* string) const
{
	if (string == nullptr)
		return 0;
	return StringWidth(string, strlen(string));
}

float BFont::StringWidth(const char* string, int32 length) const
{
	if (string == nullptr || length <= 0)
		return 0;
	QFontMetricsF metrics(to_qfont(*this, reference_device), reference_device);
	return metrics.horizontalAdvance(QString::fromUtf8(string, length));
}

bool BFont::operator==(const BFont& font) const
{
	return strcmp(fFamily, font.fFamily) == 0 && strcmp(fStyle, font.fStyle) == 0
		&& fSize == font.fSize;
}

int32 count_font_families()
{
	return catalogue.size();
}

status_t get_font_family(int32 index, font_family* family, uint32* flags)
{
	if (index < 0 || (size_t)index >= catalogue.size() || family == nullptr)
		return B_BAD_VALUE;
	copy_utf8(*family, catalogue[index].name.toUtf8().constData(), sizeof(font_family));
	if (flags != nullptr)
		*flags = 0;
	return B_OK;
}

int32 count_font_styles(const char* family)
{
	const family_entry* entry = find_family(family);
	return entry != nullptr ? entry->styles.size() : 0;
}

int32 count_font_styles(font_family family)
{
	return count_font_styles((const char*)family);
}

status_t get_font_style(const char* family, int32 index, font_style* style, uint32* flags)
{
	if (style == nullptr || index < 0)
		return B_BAD_VALUE;
	const family_entry* entry = find_family(family);
	if (entry == nullptr)
		return B_NAME_NOT_FOUND;
	if ((size_t)index >= entry->styles.size())
		return B_BAD_VALUE;
	copy_utf8(*style, entry->styles[index].toUtf8().constData(), sizeof(font_style));
	if (flags != nullptr)
		*flags = 0;
	return B_OK;
}

status_t get_font_style(font_family family, int32 index, font_style* style, uint32* flags)
{
	return get_font_style((const char*)family, index, style, flags);
}
