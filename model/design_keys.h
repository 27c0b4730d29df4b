#ifndef TEVRA_DESIGN_KEYS_H
#define TEVRA_DESIGN_KEYS_H

#include <cstddef>
#include <string>

#include <SupportDefs.h>

class object;

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
	kKeyChoice,	// "%d" from 0 to `limit`; any other value leaves the setting as it was
	kKeySources,	// a list of paths or addresses: each line adds one, one line each, none when empty
};

// One line of a design file. A global setting lives at `global`; a calendar's setting at
// `member` bytes into its object (and, for fonts, its catalogue number at `number`).
// A key with `quiet` set is left out while its value is written as `quiet`, so designs that
// do not use it keep their bytes.
struct design_key {
	const char* name;
	key_kind kind;
	void* global;
	size_t member;
	size_t number;
	const char* quiet;
	int limit;
};

// Every key, in the order the file is written: the global settings, then a calendar's.
extern const design_key kDesignKeys[];
extern const size_t kDesignKeyCount;

const design_key* find_design_key(const std::string& name);
// Where the key's value lives: the global, or the member of item (null for no object).
void* key_value(const design_key& key, object* item);

#endif
