#ifndef _FONT_H
#define _FONT_H

#include <SupportDefs.h>

#define B_FONT_FAMILY_LENGTH 63
#define B_FONT_STYLE_LENGTH 63
typedef char font_family[B_FONT_FAMILY_LENGTH + 1];
typedef char font_style[B_FONT_STYLE_LENGTH + 1];

enum {
	B_FONT_FAMILY_AND_STYLE = 0x00000001,
	B_FONT_SIZE = 0x00000002,
	B_FONT_SHEAR = 0x00000004,
	B_FONT_ROTATION = 0x00000008,
	B_FONT_SPACING = 0x00000010,
	B_FONT_ENCODING = 0x00000020,
	B_FONT_FACE = 0x00000040,
	B_FONT_FLAGS = 0x00000080,
	B_FONT_FALSE_BOLD_WIDTH = 0x00000100,
	B_FONT_ALL = 0x000001FF,
};

struct font_height {
	float ascent;
	float descent;
	float leading;
};

// A font: a family and style from the installed catalogue and a size, where one point is
// one pixel (Haiku's 72 dpi).
class BFont {
public:
	BFont();
	BFont(const BFont& font);
	BFont(const BFont* font);
	BFont& operator=(const BFont& font);

	// Leaves the font unchanged when the family is not installed.
	status_t SetFamilyAndStyle(const char* family, const char* style);
	void GetFamilyAndStyle(font_family* family, font_style* style) const;
	void SetSize(float size);
	float Size() const { return fSize; }

	void GetHeight(font_height* height) const;
	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;

	bool operator==(const BFont& font) const;
	bool operator!=(const BFont& font) const { return !(*this == font); }

private:
	font_family fFamily;
	font_style fStyle;
	float fSize;
};

extern const BFont* be_plain_font;
extern const BFont* be_bold_font;

int32 count_font_families();
status_t get_font_family(int32 index, font_family* family, uint32* flags = nullptr);
int32 count_font_styles(font_family family);
int32 count_font_styles(const char* family);
status_t get_font_style(font_family family, int32 index, font_style* style,
	uint32* flags = nullptr);
status_t get_font_style(const char* family, int32 index, font_style* style,
	uint32* flags = nullptr);

#endif
