#include "model/object.h"

#include <atomic>
#include <cstring>

#include <UTF8.h>

#include "model/design_keys.h"

void set_font_name(font_name name, const char* family, const char* style)
{
	copy_utf8(name[0], family, kFontNameLength);
	copy_utf8(name[1], style, kFontNameLength);
}

namespace {

// Zero is no calendar's.
std::atomic<uint32> next_serial{1};

}

object::object(const object* other)
{
	if (other != nullptr) {
		*this = *other;
		bounds.OffsetBy(50.0f, 50.0f);
	} else {
		for (size_t k = 0; k < kDesignKeyCount; k++) {
			if (kDesignKeys[k].global == nullptr)
				set_key_default(kDesignKeys[k], this);
		}
	}
	serial = next_serial++;
}
