#include <algorithm>
#include <cstdarg>
#include <climits>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <functional>
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


}

void rewrite_design_paths(const std::function<std::string(const std::string&)>& rewrite)
{
	for (size_t k = 0; k < kDesignKeyCount; k++) {
		const design_key& key = kDesignKeys[k];
		if (key.global == nullptr)
			continue;
		if (key.kind == kKeyImage) {
			std::string rewritten = rewrite((const char*)key.global);
			if (rewritten.size() < sizeof(baseimgpath))
				copy_utf8((char*)key.global, rewritten.c_str(), sizeof(baseimgpath));
		} else if (key.kind == kKeySources) {
			for (std::string& source : *(std::vector<std::string>*)key.global)
				source = rewrite(source);
		}
	}
}

void move_paths(const std::string& from, const std::string& to)
{
	rewrite_design_paths([&from, &to](const std::string& given) {
		return moved_design_path(given, from, to);
	});
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
		read_key_value(this, *row, value, cut ? line.size() - (value - text) : SIZE_MAX, pending);
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
	std::string from = design_path;
	std::string to = absolute_path(std::string(path.Path()) + "/" + name);
	std::string out;
	for (size_t k = 0; k < kDesignKeyCount; k++) {
		if (kDesignKeys[k].global != nullptr)
			write_key_value(&out, kDesignKeys[k], nullptr, from, to);
	}
	for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++) {
		out += "\n";
		for (size_t k = 0; k < kDesignKeyCount; k++) {
			if (kDesignKeys[k].global == nullptr)
				write_key_value(&out, kDesignKeys[k], item, from, to);
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
	move_paths(from, to);
	design_path = to;
	return B_OK;
}
