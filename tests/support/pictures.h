#ifndef TEVRA_TEST_PICTURES_H
#define TEVRA_TEST_PICTURES_H

#include <string>

#include <Bitmap.h>

// Reads an image file through the application's translator roster, or null.
BBitmap* decode_file(const std::string& path);
// A 32-bit bitmap's pixel as 0xRRGGBB.
uint32 pixel_of(const BBitmap* bitmap, int x, int y);
// "width height" as ImageMagick, a reader that owes nothing to ours, sees the file.
std::string identify_size(const std::string& path);

#endif
