// Writing 32-bit colours (bytes B, G, R, X) into targets of other formats: ordered 4x4
// dither against the standard colours on 8 bits, per-channel 2x2 dither on 16 bits, the
// inverse colour map on 4 bits and luminance patterns on 1 bit.
#pragma once

#include <cstdint>

// Dither cell of pixel (x, y): ((x - originX) & 3, (y + originY) & 3).

// One 32-bit pixel (bytes B, G, R, X) at dither cell (column, row) -> palette index, by
// the maps of the installed target palette.
uint8_t DitherToPalette(uint32_t pixel, int column, int row);

// One 32-bit pixel at dither cell (column & 1, row & 1) -> a 16-bit pixel of the packing.
uint16_t DitherTo16(uint32_t pixel, int column, int row, int mode16);

// Both pixels of a 16-bit pattern word for dither row `row`: even column in the low half.
uint32_t Dither16Pair(uint32_t pixel, int row, int mode16);

// The 1-bit pattern bit of a pixel at target position (x, y).
uint8_t MonoBit(uint32_t pixel, int32_t x, int32_t y);

// The dither column and row of target pixel (x, y).
int DitherColumn(int32_t x);
int DitherRow(int32_t y);

// Converts g_render.rowBuffer[x0..x1) into target row y (any format but 32 bits, where it
// copies).
void ConvertRowBuffer(int32_t y, int32_t x0, int32_t x1);
