#include "model/design_keys.h"
#include "model/design_paths.h"

#include <algorithm>
#include <cstdarg>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <Entry.h>
#include <Font.h>

#include "model/catalogue_items.h"
#include "model/globals.h"
#include "model/object.h"
#include "model/scan.h"
#include "model/tevraview.h"

namespace {

// The value up to its first control byte.
std::string text_value(const char* value)
{
	const char* end = value;
	while ((uchar)*end >= 0x20)
		end++;
	return std::string(value, end - value);
}

void read_font(const char* value, font_name name, int32* number)
{
	std::string text = text_value(value);
	size_t comma = text.find(',');
	std::string family = text.substr(0, comma);
	std::string style = comma == std::string::npos ? "" : text.substr(comma + 1);
	set_font_name(name, family.c_str(), style.c_str());
	for (int32 i = 0; font_item* item = (font_item*)fontl.ItemAt(i); i++) {
		if (strcmp(item->family, name[0]) == 0 && strcmp(item->style, name[1]) == 0) {
			*number = i;
			return;
		}
	}
}

bool yes(const char* value)
{
	return value[0] == 'y' || value[0] == 'Y';
}

void append(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));

void append(std::string* out, const char* format, ...)
{
	char buffer[PATH_MAX + 300];
	va_list args;
	va_start(args, format);
	int length = vsnprintf(buffer, sizeof(buffer), format, args);
	va_end(args);
	if (length > 0)
		out->append(buffer, std::min<size_t>(length, sizeof(buffer) - 1));
}

}

void read_key_value(tevraview* view, const design_key& key, const char* value, size_t room,
	object* item)
{
	void* place = key_value(key, item);
	switch (key.kind) {
		case kKeyInt32:
			scan_int(value, (int32*)place, kScanPrefix);
			break;
		case kKeyChoice: {
			int32 number;
			if (scan_int(value, &number, kScanWhole) && number >= key.lowest
				&& number <= key.limit)
				*(int32*)place = number;
			break;
		}
		case kKeyInt8:
			scan_int8(value, (int8*)place, kScanPrefix);
			break;
		case kKeyUint8:
			scan_int8(value, (uint8*)place, kScanPrefix);
			break;
		case kKeyColor:
			scan_hex(value, (uint32*)place, kScanPrefix);
			break;
		case kKeyRect:
		case kKeyBounds:
			scan_rect(value, (BRect*)place, kScanPrefix);
			break;
		case kKeyFlag:
			*(bool*)place = yes(value);
			break;
		case kKeyImage: {
			// A path too long to keep whole is no path of ours. Only a path that runs to the
			// end of a cut line was cut; one that ends at a control byte is whole.
			std::string imagePath = text_value(value);
			if (imagePath.size() < room && imagePath.size() < sizeof(baseimgpath))
				view->load_base_image(imagePath.c_str());
			break;
		}
		case kKeyFormat: {
			std::string mime = text_value(value);
			for (int32 i = 0; i < trc; i++) {
				format_item* format = (format_item*)xlt.ItemAt(i);
				if (format != nullptr && mime == format->mime) {
					*(int32*)place = i;
					break;
				}
			}
			break;
		}
		case kKeyFont:
			read_font(value, *(font_name*)place, (int32*)((char*)item + key.number));
			break;
		case kKeyText: {
			// A word, such as a locale name: up to its first blank.
			std::string text = text_value(value);
			text = text.substr(0, text.find(' '));
			if (text.size() < room)
				*(std::string*)place = text;
			break;
		}
		case kKeySources: {
			// As with the image, a source cut for length is none.
			std::string source = text_value(value);
			if (!source.empty() && source.size() < room)
				((std::vector<std::string>*)place)->push_back(source);
			break;
		}
	}
}

void write_key_value(std::string* out, const design_key& key, object* item,
	const std::string& from, const std::string& to)
{
	const void* place = key_value(key, item);
	std::string text;
	switch (key.kind) {
		case kKeyInt32:
		case kKeyChoice:
			append(&text, "%d", (int)*(const int32*)place);
			break;
		case kKeyInt8:
			append(&text, "%d", (int)*(const int8*)place);
			break;
		case kKeyUint8:
			append(&text, "%d", (int)*(const uint8*)place);
			break;
		case kKeyColor:
			append(&text, "%08x", (unsigned)*(const uint32*)place);
			break;
		case kKeyRect:
		case kKeyBounds: {
			const BRect& r = *(const BRect*)place;
			append(&text, "%d,%d,%d,%d", truncate_int(r.left), truncate_int(r.top),
				truncate_int(r.right), truncate_int(r.bottom));
			break;
		}
		case kKeyFlag:
			text = *(const bool*)place ? "y" : "n";
			break;
		case kKeyImage:
			if (*(const char*)place == '\0')
				return;
			text = moved_design_path((const char*)place, from, to);
			break;
		case kKeyFormat: {
			int32 index = *(const int32*)place;
			format_item* format = index >= 0 ? (format_item*)xlt.ItemAt(index) : nullptr;
			if (format == nullptr)
				return;
			text = format->mime;
			break;
		}
		case kKeyFont: {
			const font_name& name = *(const font_name*)place;
			append(&text, "%s,%s", name[0], name[1]);
			break;
		}
		case kKeyText:
			text = *(const std::string*)place;
			break;
		case kKeySources:
			for (const std::string& source : *(const std::vector<std::string>*)place)
				*out += std::string(key.name) + '\t' + moved_design_path(source, from, to) + '\n';
			return;
	}
	if (key.quiet && key.def != nullptr && text == key.def)
		return;
	*out += key.name;
	*out += '\t';
	*out += text;
	*out += '\n';
}


void set_key_default(const design_key& key, object* item)
{
	void* place = key_value(key, item);
	if (place == nullptr)
		return;
	switch (key.kind) {
		case kKeyImage:
			*(char*)place = '\0';
			break;
		case kKeySources:
			((std::vector<std::string>*)place)->clear();
			break;
		case kKeyText:
			((std::string*)place)->clear();
			break;
		case kKeyRect:
			*(BRect*)place = scrn;
			break;
		case kKeyBounds:
			((BRect*)place)->Set(scrn.right / 4, scrn.bottom / 4, scrn.right * 3 / 4,
				scrn.bottom * 3 / 4);
			break;
		case kKeyFormat: {
			// The first format that writes PNG, else the first of all.
			int32 index = 0;
			for (int32 i = 0; i < trc; i++) {
				format_item* format = (format_item*)xlt.ItemAt(i);
				if (format != nullptr && strstr(format->mime, "png") != nullptr) {
					index = i;
					break;
				}
			}
			*(int32*)place = index;
			break;
		}
		case kKeyFont: {
			font_family family;
			font_style style;
			be_plain_font->GetFamilyAndStyle(&family, &style);
			set_font_name(*(font_name*)place, family, style);
			*(int32*)((char*)item + key.number) = dfn;
			break;
		}
		default:
			if (key.def != nullptr)
				read_key_value(nullptr, key, key.def, SIZE_MAX, item);
			break;
	}
}
