#ifndef _UTF8_H
#define _UTF8_H

#include <cstddef>

// Copies src into a field of size bytes, NUL-terminated, cutting only between UTF-8
// characters so a long name never leaves half a character behind.
void copy_utf8(char* dst, const char* src, size_t size);

#endif
