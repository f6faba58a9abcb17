// The renderer's look-up tables: per-pixel colour work is one or three byte look-ups
// instead of a multiplication, a division or a search. Constant tables are compiled in;
// the blend table is built once per process on demand. The palette-dependent maps are in
// PaletteMaps.h (built by SetTargetPalette).
#pragma once

#include "render/Renderer.h"

#include <cstdint>

namespace tables {

// Entry i = i; stands in for any channel table not supplied.
extern const uint8_t (&kIdentity)[256];
// 5-bit channel widened to 8 bits: (c << 3) | (c >> 2).
extern const uint8_t (&kWiden5)[32];
// d² for d = -255..255 at index d + 255.
extern const int32_t (&kSquares)[511];

// The 247 standard colours: the 6x6x6 cube (index r + 6g + 36b, channel 51 x level)
// then the 31-step grey ramp (k = 0..30: floor(k x 8.5 + 1/2)).
constexpr int kStandardCount = 247;
constexpr int kCubeCount = 216;
constexpr int kGreyRampFirst = 216;
constexpr int kGreySteps = 31;
struct StandardColourList {
    WORD version;
    WORD count;
    PALETTEENTRY entries[kStandardCount];
};
extern const StandardColourList kStandardColours;
// The 256-entry default palette: the cube, the grey ramp, the 20 system colours and four
// pale tints. The application palette is the same table.
extern const RenderPalette kDefaultPalette;

// Channel value (plus a dither offset, 0..305) -> its cube level times the channel's
// weight in the standard index: red 1, green 6, blue 36. Entry i = floor((i + 1) / 51).
extern const uint8_t (&kCubeRed)[306];
extern const uint8_t (&kCubeGreen)[306];
extern const uint8_t (&kCubeBlue)[306];

// Ordered-dither offsets by [row][column]: added to a channel before the cube tables, and
// for greys in seventeenths of a grey step.
extern const uint8_t (&kColourDither)[4][4];
extern const uint8_t (&kGreyDither)[4][4];

// Row c (coverage 0..25), entry 255 + d (d = -255..255): c·d/25 rounded to nearest, as a
// byte. Coverage blend: result = d - row[255 + (d - t)], i.e. d + c·(t - d)/25.
extern const uint8_t (&kCoverageBlend)[26][512];

// Row k - 1 (k = 1..24), standard index s: three 10-bit fields, green bits 0-9, red
// 10-19, blue 20-29, each floor(k·v·1024 / (25·255)) of the standard colour's channel v.
// Row k of one colour plus row 25 - k of another gives each mixed channel in 1/32 of a
// 5-bit step; its upper five bits are the 5-bit channel.
extern const uint32_t (&kCoverageMix)[24][256];

// 16-bit ordered dither, by channel width (4, 5, 6 bits -> index 0, 1, 2) and channel
// value: the channel's levels for the 2x2 cell as two 16-bit halves per word (low half =
// even column), word 0 for even rows, word 1 for odd rows.
extern const uint32_t (&kDither16)[3][256][2];

// 1-bit 4x4 patterns for luminance levels 0..16: 16 bytes, [row * 4 + column] = 0 or 1.
extern const uint8_t (&kMonoPatterns)[17][16];

// The blend table: row a (0..255), entry 256 + d (d = -255..255): sign(d)·floor((a·|d| +
// 127) / 255). Used as t + row[256 + (d - t)]. Built once per process (128 KB); false
// when memory is short.
using BlendRow = uint8_t[512];
bool BuildBlendTable();
const BlendRow* BlendTable(); // null until built
void FreeBlendTable();

} // namespace tables
