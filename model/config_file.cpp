#include <algorithm>
#include <cstdarg>
#include <climits>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Path.h>
#include <UTF8.h>

#include "model/catalogue_items.h"
#include "model/design_keys.h"
#include "model/design_paths.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/object.h"
#include "model/safe_file.h"
#include "model/scan.h"
#include "model/tevraview.h"

namespace {

// Longest line kept: a path of PATH_MAX and its key; the rest of a longer line is read and
// dropped, so it never turns into a line of its own.
const size_t kLineLimit = PATH_MAX + 64;

// Reads one whole line (without its line feed); false at the end of the file.
bool read_line(FILE* file, std::string* line, bool* cut)
{
	line->clear();
	*cut = false;
	int c = getc_unlocked(file);
	if (c == EOF)
		return false;
	while (c != EOF && c != '\n') {
		if (line->size() < kLineLimit)
			line->push_back((char)c);
		else
			*cut = true;
		c = getc_unlocked(file);
	}
	return true;
}

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

// Reads one value into its place. A line cut for length holds only `room` bytes of value.
void read_value(tevraview* view, const design_key& key, const char* value, size_t room,
	object* item)
{
	void* place = key_value(key, item);
	switch (key.kind) {
		case kKeyInt32:
			scan_int(value, (int32*)place, kScanPrefix);
			break;
		case kKeyChoice: {
			int32 number;
			if (scan_int(value, &number, kScanWhole) && number >= 0 && number <= key.limit)
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
		case kKeySources: {
			// As with the image, a source cut for length is none.
			std::string source = text_value(value);
			if (!source.empty() && source.size() < room)
				((std::vector<std::string>*)place)->push_back(source);
			break;
		}
	}
}

// Where the design is being written from and to: its paths are written for the new place.
struct design_move {
	std::string from;
	std::string to;
};

// Appends the key's line, unless it has nothing to say or says only its quiet default.
void write_value(std::string* out, const design_key& key, object* item, const design_move& move)
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
			text = moved_design_path((const char*)place, move.from, move.to);
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
		case kKeySources:
			for (const std::string& source : *(const std::vector<std::string>*)place) {
				*out += std::string(key.name) + '\t' + moved_design_path(source, move.from, move.to)
					+ '\n';
			}
			return;
	}
	if (key.quiet != nullptr && text == key.quiet)
		return;
	*out += key.name;
	*out += '\t';
	*out += text;
	*out += '\n';
}

// The design's own paths, rewritten in place for the design's new file.
void move_paths(const design_move& move)
{
	for (size_t k = 0; k < kDesignKeyCount; k++) {
		const design_key& key = kDesignKeys[k];
		if (key.global == nullptr)
			continue;
		if (key.kind == kKeyImage) {
			std::string moved = moved_design_path((const char*)key.global, move.from, move.to);
			if (moved.size() < sizeof(baseimgpath))
				copy_utf8((char*)key.global, moved.c_str(), sizeof(baseimgpath));
		} else if (key.kind == kKeySources) {
			for (std::string& source : *(std::vector<std::string>*)key.global)
				source = moved_design_path(source, move.from, move.to);
		}
	}
}

}

bool tevraview::load_config(entry_ref* ref)
{
	BEntry entry(ref, false);
	BPath path(&entry);
	// Only a regular file is a design: a folder or a device would never end. Opening without
	// waiting, so a named pipe with no writer is turned away instead of holding the program.
	int fd = path.InitCheck() == B_OK
		? ::open(path.Path(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
	struct stat st;
	if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)
		|| fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)) {
		::close(fd);
		fd = -1;
	}
	FILE* file = fd >= 0 ? fdopen(fd, "r") : nullptr;
	if (file == nullptr && fd >= 0)
		::close(fd);
	if (file == nullptr) {
		printf("not found config_file. use default\n");
		return false;
	}

	// The design's own files are read from its folder first.
	design_path = absolute_path(path.Path());
	clr_obj();
	object* pending = new object(nullptr);
	std::string line;
	bool cut;
	while (read_line(file, &line, &cut)) {
		const char* text = line.c_str();
		if ((int8)text[0] <= 0x40)
			continue;
		size_t keyEnd = 0;
		while ((uchar)text[keyEnd] > 0x20)
			keyEnd++;
		std::string key(text, keyEnd);
		const char* value = text + keyEnd;
		while (*value != '\0' && (uchar)*value <= 0x20)
			value++;

		const design_key* row = find_design_key(key);
		if (row == nullptr)
			continue;
		read_value(this, *row, value, cut ? line.size() - (value - text) : SIZE_MAX, pending);
		// A block ends at its bounds, even unreadable ones; the next block starts as a copy
		// of it.
		if (row->kind == kKeyBounds) {
			obl.AddItem(pending);
			pending = new object(pending);
		}
	}
	delete pending;
	fclose(file);
	return true;
}

status_t tevraview::save_config(entry_ref* folder, const char* name)
{
	BEntry entry(folder, false);
	BPath path(&entry);
	if (path.InitCheck() != B_OK || name == nullptr)
		return B_BAD_VALUE;

	// Saved elsewhere, the design's relative paths are rewritten to name the same files.
	design_move move = {design_path, absolute_path(std::string(path.Path()) + "/" + name)};
	std::string out;
	for (size_t k = 0; k < kDesignKeyCount; k++) {
		if (kDesignKeys[k].global != nullptr)
			write_value(&out, kDesignKeys[k], nullptr, move);
	}
	for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++) {
		out += "\n";
		for (size_t k = 0; k < kDesignKeyCount; k++) {
			if (kDesignKeys[k].global == nullptr)
				write_value(&out, kDesignKeys[k], item, move);
		}
	}

	safe_file file(path.Path(), name);
	status_t status = file.InitCheck();
	if (status != B_OK)
		return status;
	ssize_t written = file.File()->WriteAt(0, out.data(), out.size());
	if (written < 0)
		return written;
	if ((size_t)written != out.size())
		return B_IO_ERROR;
	status = file.Commit();
	if (status != B_OK)
		return status;
	// The design is now that file.
	move_paths(move);
	design_path = move.to;
	return B_OK;
}
