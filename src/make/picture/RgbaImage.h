// A picture as the authoring tool reworks it: 8-bit red, green, blue and opacity per pixel,
// top row first, rows packed without padding.
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <vector>

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // width * height * 4 bytes

    bool Opaque() const;
};

// Unpacks a packed picture as the importer makes it (BITMAPINFOHEADER, colour table or
// three masks, rows padded to four bytes, bottom row first unless the height is negative).
// The importer stores a 32-bit pixel's and a palette entry's fourth byte as 255 minus the
// opacity, and so it is read back here. False for a layout the importer does not make or a
// size that does not fit in memory.
bool UnpackPicture(const BITMAPINFOHEADER* packed, RgbaImage& image);
