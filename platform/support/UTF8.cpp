#include <UTF8.h>

#include <cstring>

void copy_utf8(char* dst, const char* src, size_t size)
{
	if (dst == nullptr || size == 0)
		return;
	if (src == nullptr) {
		dst[0] = '\0';
		return;
	}
	size_t length = strnlen(src, size);
	if (length >= size) {
		length = size - 1;
		// Back up over continuation bytes to the start of the character that did not fit.
		while (length > 0 && ((unsigned char)src[length] & 0xC0) == 0x80)
			length--;
	}
	memcpy(dst, src, length);
	dst[length] = '\0';
}
