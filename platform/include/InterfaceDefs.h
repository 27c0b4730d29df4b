#ifndef _INTERFACE_DEFS_H
#define _INTERFACE_DEFS_H

#include <GraphicsDefs.h>

struct screen_id {
	int32 id;
};

extern const screen_id B_MAIN_SCREEN_ID;

enum alignment {
	B_ALIGN_LEFT,
	B_ALIGN_RIGHT,
	B_ALIGN_CENTER,
};

enum orientation {
	B_HORIZONTAL,
	B_VERTICAL,
};

// Resizing modes: four 4-bit fields telling which parent edge each side follows.
enum {
	B_FOLLOW_NONE = 0,
	B_FOLLOW_LEFT = 0x1 << 12 | 0x1 << 4,
	B_FOLLOW_RIGHT = 0x2 << 12 | 0x2 << 4,
	B_FOLLOW_LEFT_RIGHT = 0x1 << 12 | 0x2 << 4,
	B_FOLLOW_H_CENTER = 0x3 << 12 | 0x3 << 4,
	B_FOLLOW_TOP = 0x1 << 8 | 0x1,
	B_FOLLOW_BOTTOM = 0x2 << 8 | 0x2,
	B_FOLLOW_TOP_BOTTOM = 0x1 << 8 | 0x2,
	B_FOLLOW_V_CENTER = 0x3 << 8 | 0x3,
	B_FOLLOW_ALL_SIDES = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP_BOTTOM,
	B_FOLLOW_ALL = B_FOLLOW_ALL_SIDES,
};

// Modifier keys, as shortcuts name them; B_COMMAND_KEY is Ctrl here.
enum {
	B_SHIFT_KEY = 0x00000001,
	B_COMMAND_KEY = 0x00000002,
	B_CONTROL_KEY = 0x00000004,
	B_OPTION_KEY = 0x00000040,
};

// The modifier keys held down now (while a key is handed to KeyDown: with that key).
uint32 modifiers();

// Keys that are no characters, as Haiku codes them.
enum {
	B_BACKSPACE = 0x08,
	B_TAB = 0x09,
	B_ENTER = 0x0a,
	B_ESCAPE = 0x1b,
	B_LEFT_ARROW = 0x1c,
	B_RIGHT_ARROW = 0x1d,
	B_UP_ARROW = 0x1e,
	B_DOWN_ARROW = 0x1f,
	B_DELETE = 0x7f,
};

// Mouse buttons as GetMouse reports them.
enum {
	B_PRIMARY_MOUSE_BUTTON = 0x01,
	B_SECONDARY_MOUSE_BUTTON = 0x02,
	B_TERTIARY_MOUSE_BUTTON = 0x04,
};

#endif
