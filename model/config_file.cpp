#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Path.h>

#include "app/catalogues.h"
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

void append_rect(std::string* out, const char* key, BRect r)
{
	append(out, "%s\t%d,%d,%d,%d\n", key, truncate_int(r.left), truncate_int(r.top),
		truncate_int(r.right), truncate_int(r.bottom));
}

}

void tevraview::load_config(entry_ref* ref)
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
		return;
	}

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

		if (key == "base_type") {
			scan_int(value, &base_mode, kScanPrefix);
		} else if (key == "base_color") {
			scan_hex(value, &base_color, kScanPrefix);
		} else if (key == "base_image") {
			// A path too long to keep whole is no path of ours. Only a path that runs to the
			// end of a cut line was cut; one that ends at a control byte is whole.
			std::string imagePath = text_value(value);
			bool whole = !cut || (size_t)(value - text) + imagePath.size() < line.size();
			entry_ref imageRef;
			if (whole && imagePath.size() < sizeof(baseimgpath)
				&& get_ref_for_path(imagePath.c_str(), &imageRef) == B_OK)
				load(&imageRef);
		} else if (key == "image_bounds") {
			scan_rect(value, &bg_bounds, kScanPrefix);
		} else if (key == "out_format") {
			std::string mime = text_value(value);
			for (int32 i = 0; i < trc; i++) {
				format_item* format = (format_item*)xlt.ItemAt(i);
				if (format != nullptr && mime == format->mime) {
					outfmt = i;
					break;
				}
			}
		} else if (key == "wp_autoset") {
			autoset = yes(value);
		} else if (key == "wp_textback") {
			textback = yes(value);
		} else if (key == "screen_color") {
			scan_hex(value, &scrn_color, kScanPrefix);
		} else if (key == "type") {
			scan_int8(value, &pending->type, kScanPrefix);
		} else if (key == "when") {
			scan_int(value, &pending->when, kScanPrefix);
		} else if (key == "bg_type") {
			scan_int8(value, &pending->bg_type, kScanPrefix);
		} else if (key == "bg_color") {
			scan_hex(value, &pending->bg_color, kScanPrefix);
		} else if (key == "year_color") {
			scan_hex(value, &pending->year_color, kScanPrefix);
		} else if (key == "month_color") {
			scan_hex(value, &pending->month_color, kScanPrefix);
		} else if (key == "day_color") {
			scan_hex(value, &pending->day_color, kScanPrefix);
		} else if (key == "sun_color") {
			scan_hex(value, &pending->sun_color, kScanPrefix);
		} else if (key == "sat_color") {
			scan_hex(value, &pending->sat_color, kScanPrefix);
		} else if (key == "hol_color") {
			scan_hex(value, &pending->hol_color, kScanPrefix);
		} else if (key == "today_color") {
			scan_hex(value, &pending->today_color, kScanPrefix);
		} else if (key == "year_size") {
			scan_int(value, &pending->year_size, kScanPrefix);
		} else if (key == "month_size") {
			scan_int(value, &pending->month_size, kScanPrefix);
		} else if (key == "day_size") {
			scan_int(value, &pending->day_size, kScanPrefix);
		} else if (key == "year_type") {
			scan_int8(value, &pending->year_type, kScanPrefix);
		} else if (key == "month_type") {
			scan_int8(value, &pending->month_type, kScanPrefix);
		} else if (key == "today_mark") {
			scan_int8(value, &pending->today_mark, kScanPrefix);
		} else if (key == "year_font") {
			read_font(value, pending->year_font, &pending->year_font_no);
		} else if (key == "month_font") {
			read_font(value, pending->month_font, &pending->month_font_no);
		} else if (key == "day_font") {
			read_font(value, pending->day_font, &pending->day_font_no);
		} else if (key == "bounds") {
			// A block ends at its bounds, even unreadable ones; the next block starts as a
			// copy of it.
			scan_rect(value, &pending->bounds, kScanPrefix);
			obl.AddItem(pending);
			pending = new object(pending);
		}
	}
	delete pending;
	fclose(file);
}

status_t tevraview::save_config(entry_ref* folder, const char* name)
{
	BEntry entry(folder, false);
	BPath path(&entry);
	if (path.InitCheck() != B_OK || name == nullptr)
		return B_BAD_VALUE;

	std::string out;
	append(&out, "base_type\t%d\n", (int)base_mode);
	append(&out, "base_color\t%08x\n", (unsigned)base_color);
	if (baseimgpath[0] != '\0')
		append(&out, "base_image\t%s\n", baseimgpath);
	append_rect(&out, "image_bounds", bg_bounds);
	format_item* format = outfmt >= 0 ? (format_item*)xlt.ItemAt(outfmt) : nullptr;
	if (format != nullptr)
		append(&out, "out_format\t%s\n", format->mime);
	append(&out, "wp_autoset\t%c\n", autoset ? 'y' : 'n');
	append(&out, "wp_textback\t%c\n", textback ? 'y' : 'n');
	append(&out, "screen_color\t%08x\n", (unsigned)scrn_color);

	for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++) {
		out += "\n";
		append(&out, "type\t%d\n", (int)item->type);
		append(&out, "when\t%d\n", (int)item->when);
		append(&out, "bg_type\t%d\n", (int)item->bg_type);
		append(&out, "bg_color\t%08x\n", (unsigned)item->bg_color);
		append(&out, "year_color\t%08x\n", (unsigned)item->year_color);
		append(&out, "month_color\t%08x\n", (unsigned)item->month_color);
		append(&out, "day_color\t%08x\n", (unsigned)item->day_color);
		append(&out, "sun_color\t%08x\n", (unsigned)item->sun_color);
		append(&out, "sat_color\t%08x\n", (unsigned)item->sat_color);
		append(&out, "hol_color\t%08x\n", (unsigned)item->hol_color);
		append(&out, "today_color\t%08x\n", (unsigned)item->today_color);
		append(&out, "year_size\t%d\n", (int)item->year_size);
		append(&out, "month_size\t%d\n", (int)item->month_size);
		append(&out, "day_size\t%d\n", (int)item->day_size);
		append(&out, "year_type\t%d\n", (int)item->year_type);
		append(&out, "month_type\t%d\n", (int)item->month_type);
		append(&out, "today_mark\t%d\n", (int)item->today_mark);
		append(&out, "year_font\t%s,%s\n", item->year_font[0], item->year_font[1]);
		append(&out, "month_font\t%s,%s\n", item->month_font[0], item->month_font[1]);
		append(&out, "day_font\t%s,%s\n", item->day_font[0], item->day_font[1]);
		append_rect(&out, "bounds", item->bounds);
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
	return file.Commit();
}
