#ifndef TEVRA_DESIGN_KEYS_H
#define TEVRA_DESIGN_KEYS_H

#include <cstddef>
#include <string>

#include <SupportDefs.h>

class object;
class tevraview;

// What a key's value is, and so how it is read and written.
enum key_kind {
	kKeyInt32,	// "%d"
	kKeyInt8,	// "%d" of a signed byte
	kKeyUint8,	// "%d" of an unsigned byte
	kKeyColor,	// "%08x"
	kKeyRect,	// "%d,%d,%d,%d", each cut toward zero
	kKeyFlag,	// "y" or "n"; read as yes when it starts with y or Y
	kKeyImage,	// a path; reading it loads the image, and it is written only when set
	kKeyFormat,	// a MIME type, looked up among the output formats
	kKeyFont,	// "family,style", with the font's catalogue number beside it
	kKeyBounds,	// a calendar's rectangle: reading it ends the calendar's block
	kKeyChoice,	// "%d" from `lowest` to `limit`; any other value leaves the setting as it was
	kKeySources,	// a list of paths or addresses: each line adds one, one line each, none when empty
	kKeyText,	// a short word, up to its first blank (a std::string)
};

// One line of a design file. A global setting lives at `global`; a calendar's setting at
// `member` bytes into its object (and, for fonts, its catalogue number at `number`).
// `def` is the default as the file writes it: a new calendar and a new design take it.
// It is null where the default depends on the machine: fonts (the plain font), a calendar's
// bounds (the middle of the screen), the image bounds (the screen), the output format (the
// first PNG one). A `quiet` key is left out while it holds its default, so designs that do
// not use it keep their bytes.
struct design_key {
	const char* name;
	key_kind kind;
	void* global;
	size_t member;
	size_t number;
	const char* def;
	bool quiet;
	int lowest;
	int limit;
};

// Every key, in the order the file is written: the global settings, then a calendar's.
extern const design_key kDesignKeys[];
extern const size_t kDesignKeyCount;

const design_key* find_design_key(const std::string& name);
// Where the key's value lives: the global, or the member of item (null for no object).
void* key_value(const design_key& key, object* item);

// Reads one value into its place; a base image is loaded into view. A line cut for length
// holds only `room` bytes of value.
void read_key_value(tevraview* view, const design_key& key, const char* value, size_t room,
	object* item);
// Appends the key's line(s), unless it has nothing to say or is quiet and says its default.
// Paths are written for the design moving from one file to another (see design_paths.h).
void write_key_value(std::string* out, const design_key& key, object* item,
	const std::string& from = std::string(), const std::string& to = std::string());
// Puts the key's default in its place.
void set_key_default(const design_key& key, object* item);

#endif
