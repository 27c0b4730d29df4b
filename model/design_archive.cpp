#include "model/design_archive.h"

#include <cstring>
#include <string>
#include <vector>

#include <Bitmap.h>
#include <Message.h>
#include <UTF8.h>

#include "model/design_keys.h"
#include "model/globals.h"
#include "model/object.h"
#include "model/tevraview.h"

namespace {

const char kCalendar[] = "calendar";

// A font's catalogue number travels beside its names.
std::string number_name(const design_key& key)
{
	return std::string(key.name) + "#";
}

void archive_value(BMessage* archive, const design_key& key, object* item)
{
	const void* place = key_value(key, item);
	switch (key.kind) {
		case kKeyInt32:
		case kKeyChoice:
		case kKeyFormat:
		case kKeyColor:
			archive->AddInt32(key.name, *(const int32*)place);
			break;
		case kKeyInt8:
		case kKeyUint8:
			archive->AddInt8(key.name, *(const int8*)place);
			break;
		case kKeyRect:
		case kKeyBounds:
			archive->AddRect(key.name, *(const BRect*)place);
			break;
		case kKeyFlag:
			archive->AddBool(key.name, *(const bool*)place);
			break;
		case kKeyImage:
			archive->AddString(key.name, (const char*)place);
			break;
		case kKeyText:
			archive->AddString(key.name, ((const std::string*)place)->c_str());
			break;
		case kKeyFont: {
			const font_name& name = *(const font_name*)place;
			archive->AddString(key.name, name[0]);
			archive->AddString(key.name, name[1]);
			archive->AddInt32(number_name(key).c_str(), *(const int32*)((char*)item + key.number));
			break;
		}
		case kKeySources:
			for (const std::string& source : *(const std::vector<std::string>*)place)
				archive->AddString(key.name, source.c_str());
			break;
	}
}

void restore_value(tevraview* view, const BMessage* archive, const design_key& key,
	object* item)
{
	void* place = key_value(key, item);
	switch (key.kind) {
		case kKeyInt32:
		case kKeyChoice:
		case kKeyFormat:
		case kKeyColor:
			archive->FindInt32(key.name, (int32*)place);
			break;
		case kKeyInt8:
		case kKeyUint8:
			archive->FindInt8(key.name, (int8*)place);
			break;
		case kKeyRect:
		case kKeyBounds:
			archive->FindRect(key.name, (BRect*)place);
			break;
		case kKeyFlag:
			archive->FindBool(key.name, (bool*)place);
			break;
		case kKeyImage: {
			const char* path = "";
			archive->FindString(key.name, &path);
			if (strcmp(path, (const char*)place) == 0)
				break;
			if (path[0] != '\0') {
				view->load_base_image(path);
			} else {
				delete view->baseimg;
				view->baseimg = nullptr;
				view->base_unread.clear();
				*(char*)place = '\0';
			}
			break;
		}
		case kKeyText: {
			const char* text;
			if (archive->FindString(key.name, &text) == B_OK)
				*(std::string*)place = text;
			break;
		}
		case kKeyFont: {
			font_name& name = *(font_name*)place;
			const char* family;
			const char* style;
			if (archive->FindString(key.name, 0, &family) == B_OK
				&& archive->FindString(key.name, 1, &style) == B_OK)
				set_font_name(name, family, style);
			archive->FindInt32(number_name(key).c_str(), (int32*)((char*)item + key.number));
			break;
		}
		case kKeySources: {
			std::vector<std::string> sources;
			const char* source;
			for (int32 i = 0; archive->FindString(key.name, i, &source) == B_OK; i++)
				sources.push_back(source);
			*(std::vector<std::string>*)place = sources;
			break;
		}
	}
}

std::string flattened(const BMessage& message)
{
	std::string bytes(message.FlattenedSize(), '\0');
	message.Flatten(&bytes[0], bytes.size());
	return bytes;
}

}

void archive_design(BMessage* archive)
{
	for (size_t k = 0; k < kDesignKeyCount; k++) {
		if (kDesignKeys[k].global != nullptr)
			archive_value(archive, kDesignKeys[k], nullptr);
	}
	for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++) {
		BMessage calendar;
		for (size_t k = 0; k < kDesignKeyCount; k++) {
			if (kDesignKeys[k].global == nullptr)
				archive_value(&calendar, kDesignKeys[k], item);
		}
		archive->AddMessage(kCalendar, &calendar);
	}
}

int32 restore_design(tevraview* view, const BMessage* archive)
{
	for (size_t k = 0; k < kDesignKeyCount; k++) {
		if (kDesignKeys[k].global != nullptr)
			restore_value(view, archive, kDesignKeys[k], nullptr);
	}

	std::vector<std::string> before;
	for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++) {
		BMessage calendar;
		for (size_t k = 0; k < kDesignKeyCount; k++) {
			if (kDesignKeys[k].global == nullptr)
				archive_value(&calendar, kDesignKeys[k], item);
		}
		before.push_back(flattened(calendar));
		delete item;
	}
	obl.MakeEmpty();

	int32 changed = -1;
	BMessage calendar;
	for (int32 i = 0; archive->FindMessage(kCalendar, i, &calendar) == B_OK; i++) {
		object* item = new object(nullptr);
		for (size_t k = 0; k < kDesignKeyCount; k++) {
			if (kDesignKeys[k].global == nullptr)
				restore_value(view, &calendar, kDesignKeys[k], item);
		}
		obl.AddItem(item);
		if (changed < 0 && ((size_t)i >= before.size() || before[i] != flattened(calendar)))
			changed = i;
	}
	// A calendar taken away: the one now in its place, if any, is where the change shows.
	if (changed < 0 && before.size() > (size_t)obl.CountItems())
		changed = obl.CountItems() > 0 ? obl.CountItems() - 1 : -1;
	return changed;
}
