// Turns a packed picture into 8-bit RGB rows, top row first, for writing as PNG.
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <vector>

// False for a layout the importer does not produce (an unknown depth or compression). A
// picture in the renderer's layout comes out as the renderer draws it: 16-bit pixels as
// 5-5-5, whatever masks they carry.
bool PackedToRgb(const BITMAPINFOHEADER* packed, std::vector<uint8_t>* rgb);
