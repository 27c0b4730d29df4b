#ifndef _GRAPHICS_DEFS_H
#define _GRAPHICS_DEFS_H

#include <SupportDefs.h>

struct rgb_color {
	uint8 red;
	uint8 green;
	uint8 blue;
	uint8 alpha;

	rgb_color& set_to(uint8 r, uint8 g, uint8 b, uint8 a = 255)
	{
		red = r; green = g; blue = b; alpha = a;
		return *this;
	}
	bool operator==(const rgb_color& c) const
	{
		return red == c.red && green == c.green && blue == c.blue && alpha == c.alpha;
	}
	bool operator!=(const rgb_color& c) const { return !(*this == c); }
};

inline rgb_color make_color(uint8 r, uint8 g, uint8 b, uint8 a = 255)
{
	rgb_color c = {r, g, b, a};
	return c;
}

struct pattern {
	uint8 data[8];
};

extern const pattern B_SOLID_HIGH;
extern const pattern B_SOLID_LOW;

enum color_space {
	B_NO_COLOR_SPACE = 0x0000,
	B_RGB32 = 0x0008,
	B_RGBA32 = 0x2008,
};

enum drawing_mode {
	B_OP_COPY,
	B_OP_OVER,
	B_OP_ERASE,
	B_OP_INVERT,
	B_OP_ADD,
	B_OP_SUBTRACT,
	B_OP_BLEND,
	B_OP_MIN,
	B_OP_MAX,
	B_OP_SELECT,
	B_OP_ALPHA,
};

#endif
