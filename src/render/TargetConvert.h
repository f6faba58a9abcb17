// Writing 32-bit colours (bytes B, G, R, X) into targets of other formats: ordered 4x4
// dither against the standard colours on 8 bits, per-channel 2x2 dither on 16 bits, the
// inverse colour map on 4 bits and luminance patterns on 1 bit.
#pragma once

#include <cstdint>

// Dither cell of pixel (x, y): ((x - originX) & 3, (y + originY) & 3).

// One colour (byte 0 red, 1 green, 2 blue) at dither cell (column, row) -> target index.
uint8_t DitherToPalette(uint32_t rgb, int column, int row);

// Converts g_render.rowBuffer[x0..x1) into target row y (any format but 32 bits, where it
// copies).
void ConvertRowBuffer(int32_t y, int32_t x0, int32_t x1);
