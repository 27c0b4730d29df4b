#include <Font.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QString>

#include <UTF8.h>

#include "font_catalogue.h"

namespace {

// One family as Haiku lists it: every style the installed foundries make, the regular
// style first.
struct family_entry {
	QString name;
	std::vector<QString> styles;
};

std::vector<family_entry> catalogue;
BFont plain_font;
BFont bold_font;
QImage* reference_device = nullptr;

// Qt names a family that several foundries make "Name [foundry]"; Haiku knows one family.
QString without_foundry(const QString& family)
{
	int open = family.lastIndexOf(" [");
	if (open > 0 && family.endsWith(']'))
		return family.left(open);
	return family;
}

bool contains_any(const QString& text, std::initializer_list<const char*> words)
{
	for (const char* word : words) {
		if (text.contains(QLatin1String(word), Qt::CaseInsensitive))
			return true;
	}
	return false;
}

// The names that all mean a family's upright face of normal weight.
bool is_regular_name(const QString& style)
{
	for (const char* name : {"Regular", "Roman", "Book", "Normal"}) {
		if (style.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
			return true;
	}
	return false;
}

// How far a style is from the face wanted: slant and width outweigh any weight.
int face_distance(const QString& family, const QString& style, int weight)
{
	bool slanted = QFontDatabase::italic(family, style)
		|| contains_any(style, {"Italic", "Oblique", "Slanted", "Inclined"});
	bool stretched = contains_any(style,
		{"Condensed", "Narrow", "Compressed", "Expanded", "Extended", "Wide"});
	return (slanted ? 4000 : 0) + (stretched ? 2000 : 0)
		+ std::abs(QFontDatabase::weight(family, style) - weight);
}

// The style nearest an upright face of the weight, preferring one named as regular.
size_t nearest_style(const family_entry& entry, int weight)
{
	size_t best = 0;
	int bestDistance = 1 << 30;
	for (size_t i = 0; i < entry.styles.size(); i++) {
		if (weight == QFont::Normal && is_regular_name(entry.styles[i]))
			return i;
		int distance = face_distance(entry.name, entry.styles[i], weight);
		if (distance < bestDistance) {
			bestDistance = distance;
			best = i;
		}
	}
	return best;
}

bool same_cut_name(const QString& name, const char* cut, size_t size)
{
	char copy[B_FONT_FAMILY_LENGTH + 1];
	copy_utf8(copy, name.toUtf8().constData(), std::min(size, sizeof(copy)));
	return strcmp(copy, cut) == 0;
}

// Matches a family by its full name or by the name as cut to fit a font_family; a name
// that still carries Qt's foundry tag finds its family too.
const family_entry* find_family(const char* family)
{
	if (family == nullptr || family[0] == '\0')
		return nullptr;
	QString name = QString::fromUtf8(family);
	for (QString wanted : {name, without_foundry(name)}) {
		for (const family_entry& entry : catalogue) {
			if (entry.name == wanted)
				return &entry;
		}
	}
	for (const family_entry& entry : catalogue) {
		if (same_cut_name(entry.name, family, sizeof(font_family)))
			return &entry;
	}
	return nullptr;
}

const QString* find_style_named(const family_entry& entry, const QString& name)
{
	for (const QString& style : entry.styles) {
		if (style.compare(name, Qt::CaseInsensitive) == 0)
			return &style;
	}
	return nullptr;
}

// As Haiku: the style by name; Regular, Roman, Book and Normal all name the regular style,
// Italic and Oblique stand for each other; an empty or unknown style is the regular one.
const QString& find_style(const family_entry& entry, const char* style)
{
	QString wanted = QString::fromUtf8(style != nullptr ? style : "");
	if (wanted.isEmpty())
		return entry.styles[0];
	for (const QString& exact : entry.styles) {
		if (exact == wanted)
			return exact;
	}
	if (is_regular_name(wanted))
		return entry.styles[0];
	if (const QString* found = find_style_named(entry, wanted))
		return *found;
	for (const QString& cut : entry.styles) {
		if (same_cut_name(cut, style, sizeof(font_style)))
			return cut;
	}
	QString other = wanted;
	if (other.contains("Italic", Qt::CaseInsensitive))
		other.replace("Italic", "Oblique", Qt::CaseInsensitive);
	else
		other.replace("Oblique", "Italic", Qt::CaseInsensitive);
	if (const QString* found = find_style_named(entry, other))
		return *found;
	return entry.styles[0];
}

// A catalogue font for the system's general font, in its regular or its bold face.
void resolve_system_font(const QFont& general, int weight, BFont* result)
{
	const family_entry* entry = find_family(QFontInfo(general).family().toUtf8().constData());
	if (entry == nullptr && !catalogue.empty())
		entry = &catalogue[0];
	if (entry == nullptr)
		return;
	const QString& style = entry->styles[nearest_style(*entry, weight)];
	result->SetFamilyAndStyle(entry->name.toUtf8().constData(), style.toUtf8().constData());
	result->SetSize(12);
}

}

const BFont* be_plain_font = &plain_font;
const BFont* be_bold_font = &bold_font;

void init_font_catalogue()
{
	catalogue.clear();
	for (const QString& qtFamily : QFontDatabase::families()) {
		QString name = without_foundry(qtFamily);
		auto entry = std::find_if(catalogue.begin(), catalogue.end(),
			[&name](const family_entry& known) { return known.name == name; });
		if (entry == catalogue.end()) {
			catalogue.push_back(family_entry{name, {}});
			entry = catalogue.end() - 1;
		}
		for (const QString& style : QFontDatabase::styles(qtFamily)) {
			if (std::find(entry->styles.begin(), entry->styles.end(), style)
				== entry->styles.end())
				entry->styles.push_back(style);
		}
	}
	catalogue.erase(std::remove_if(catalogue.begin(), catalogue.end(),
		[](const family_entry& entry) { return entry.styles.empty(); }), catalogue.end());
	for (family_entry& entry : catalogue) {
		size_t regular = nearest_style(entry, QFont::Normal);
		std::rotate(entry.styles.begin(), entry.styles.begin() + regular,
			entry.styles.begin() + regular + 1);
	}
	if (reference_device == nullptr) {
		reference_device = new QImage(1, 1, QImage::Format_RGB32);
		reference_device->setDotsPerMeterX(kDotsPerMeter72);
		reference_device->setDotsPerMeterY(kDotsPerMeter72);
	}

	QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
	resolve_system_font(general, QFont::Normal, &plain_font);
	resolve_system_font(general, QFont::Bold, &bold_font);
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
	// The real names: a BFont holds them cut to fit, and Qt picks its own face for a style
	// it does not know.
	QString qtFamily = QString::fromUtf8(family);
	QString qtStyle = QString::fromUtf8(style);
	if (const family_entry* entry = find_family(family)) {
		qtFamily = entry->name;
		qtStyle = find_style(*entry, style);
	}
	QFont qfont = QFontDatabase::font(qtFamily, qtStyle, 12);
	int dpi = device != nullptr ? device->logicalDpiY() : 72;
	if (dpi <= 0)
		dpi = 72;
	qfont.setPointSizeF(std::max(font.Size(), 0.01f) * 72.0 / dpi);
	// Unhinted outlines keep widths and heights proportional to the size.
	qfont.setHintingPreference(QFont::PreferNoHinting);
	return qfont;
}

QFont control_qfont(const BFont& font, const QPaintDevice* device)
{
	static const char kSystemFamily[] = "Noto Sans";
	font_family family, plainFamily;
	font_style style;
	font.GetFamilyAndStyle(&family, &style);
	be_plain_font->GetFamilyAndStyle(&plainFamily, nullptr);
	const family_entry* system = find_family(kSystemFamily);
	if (system == nullptr || strcmp(family, plainFamily) != 0)
		return to_qfont(font, device);
	BFont shown(font);
	shown.SetFamilyAndStyle(kSystemFamily, find_style(*system, style).toUtf8().constData());
	return to_qfont(shown, device);
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
	copy_utf8(fFamily, entry->name.toUtf8().constData(), sizeof(fFamily));
	copy_utf8(fStyle, find_style(*entry, style).toUtf8().constData(), sizeof(fStyle));
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
