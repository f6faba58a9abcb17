// The renderer's fixed-point formats, in one place.
//
//   16.16  user coordinates (scene points): one unit = 0x10000.
//   18.14  device coordinates: one pixel = 0x4000. Device x grows to the right; device y
//          counts memory rows of the target (row 0 is the first row in memory, which for a
//          bottom-up DIB is the bottom of the picture).
//   22.10  the start position of an affine picture span relative to the first corner:
//          x * 1024 + 512 is the centre of pixel x.
//   32.32  picture coordinates u, v: the integer texel in the upper 32 bits, so that long
//          spans over large pictures do not drift.
//
// Transform: device = (x·a + y·c + e) >> 16, computed in 64 bits, keeping the low 32 bits
// of the shifted result (wrapping, never undefined: see TransformX/TransformY).
//
// Rounding a device value v to a pixel index: floor(v / 0x4000 + 1/2), an exact half
// rounds up. Pixel-centre rule: pixel x is covered by a span [x0, x1) in device units when
// x0 < centre <= x1 with centre = x·0x4000 + 0x2000, which is the same as the pixel range
// [round(x0), round(x1)). Row rule: an edge from y0 to y1 (y0 <= y1) crosses row r when
// the row's centre c = r·0x4000 + 0x2000 satisfies y0 < c <= y1; so an edge that starts
// exactly on a centre does not cross that row and one that ends exactly on it does.
//
// Smoothing: y is scaled by 5/4 and taken in units of 2^12, i.e. five sub-rows per pixel
// row (half a sub-row is 0x800), with the same centre rule per sub-row; x is taken in five
// sub-columns per pixel, a span end at floor((x·5 + 0x2000) / 0x4000). A pixel's coverage
// is the number of its 25 sub-samples inside the outline, 0..25:
//
//      sub-columns  0 1 2 3 4
//      sub-row 0    . . . . .     each '.' is one sample, taken at the centre of its
//      sub-row 1    . . . . .     1/5 x 1/5 cell; a span that reaches past a sample's
//      sub-row 2    . . . . .     centre covers it
//      sub-row 3    . . . . .
//      sub-row 4    . . . . .
#pragma once

#include <cstdint>

namespace fixed {

constexpr int kUserFracBits = 16;
constexpr int kDeviceFracBits = 14;
constexpr int kSpanFracBits = 10;
constexpr int kTexFracBits = 32;

constexpr int32_t kUserOne = int32_t{1} << kUserFracBits;
constexpr int32_t kDeviceOne = int32_t{1} << kDeviceFracBits;
constexpr int32_t kDeviceHalf = kDeviceOne / 2;
constexpr int32_t kSpanOne = int32_t{1} << kSpanFracBits;
constexpr int32_t kSpanHalf = kSpanOne / 2;
constexpr int64_t kTexOne = int64_t{1} << kTexFracBits;

// A user unit is a pixel under the default transform a = d = 0x4000: the product of a
// 16.16 value with an 18.14 factor, shifted right by 16, is 18.14.
constexpr int kTransformShift = 16;
static_assert(kUserFracBits == kTransformShift);
static_assert(kDeviceOne == 0x4000 && kDeviceHalf == 0x2000);
static_assert(kSpanOne == 1024);

// Smoothing: five sub-rows and five sub-columns per pixel.
constexpr int kSubSamples = 5;
constexpr int kFullCoverage = kSubSamples * kSubSamples;
// A sub-row is 2^12 of the y value scaled by 5/4 (0x4000 · 5/4 = 5 · 0x1000).
constexpr int kSubRowFracBits = 12;
constexpr int32_t kSubRowOne = int32_t{1} << kSubRowFracBits;
constexpr int32_t kSubRowHalf = kSubRowOne / 2;
static_assert(kDeviceOne * kSubSamples / 4 == kSubSamples * kSubRowOne);
static_assert(kFullCoverage == 25);

// floor(v / 0x4000 + 1/2): the pixel whose centre a device value reaches.
constexpr int32_t RoundToPixel(int32_t v) {
    return static_cast<int32_t>((static_cast<int64_t>(v) + kDeviceHalf) >> kDeviceFracBits);
}
// floor(v / 0x4000).
constexpr int32_t FloorToPixel(int32_t v) {
    return v >> kDeviceFracBits;
}

static_assert(RoundToPixel(0x2000) == 1 && RoundToPixel(0x1FFF) == 0);
static_assert(RoundToPixel(-0x2000) == 0 && RoundToPixel(-0x2001) == -1);
static_assert(FloorToPixel(-1) == -1);

// The low 32 bits of a 64-bit value, as signed: the defined form of "keep the low word".
constexpr int32_t LowWord(uint64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

// One transformed coordinate: (x·a + y·c + e) >> 16 in 64 bits. Products of two int32
// fit in 64 bits, but their sum with e may not, so the sum wraps as unsigned; the shift is
// arithmetic on the wrapped value and the low 32 bits of the result are kept.
constexpr int32_t Transform(int32_t x, int32_t a, int32_t y, int32_t c, int64_t e) {
    const uint64_t sum = static_cast<uint64_t>(int64_t{x} * a) +
                         static_cast<uint64_t>(int64_t{y} * c) + static_cast<uint64_t>(e);
    return LowWord(static_cast<uint64_t>(static_cast<int64_t>(sum) >> kTransformShift));
}

static_assert(Transform(kUserOne, 0x4000, 0, 0, 0) == kDeviceOne);
static_assert(Transform(-kUserOne, 0x4000, 0, 0, 0) == -kDeviceOne);

} // namespace fixed

// 32.32 picture positions: the texel of a position, a whole number of texels as one.
constexpr int32_t TexelOf(int64_t pos) {
    return static_cast<int32_t>(static_cast<uint64_t>(pos) >> 32);
}
constexpr int64_t TexelsToFixed(int64_t texels) {
    return static_cast<int64_t>(static_cast<uint64_t>(texels) << 32);
}

// (offset · step) / 1024 rounded down, wrapping in 64 bits: an offset in 22.10 device
// pixels times a 32.32 change per pixel gives a 32.32 change. Exact without 128-bit
// arithmetic: step = hi·2^32 + lo, so the product is hi·offset·2^22 + floor(lo·offset /
// 1024), and lo·offset stays below 2^63.
constexpr int64_t MulOffset(int32_t offset, int64_t step) {
    const int64_t lo = static_cast<int64_t>(static_cast<uint32_t>(step)) * offset;
    const int64_t hi = (step >> 32) * offset;
    return static_cast<int64_t>((static_cast<uint64_t>(hi) << 22) +
                                static_cast<uint64_t>(lo >> 10));
}
static_assert(MulOffset(1024, int64_t{5} << 32) == int64_t{5} << 32);
static_assert(MulOffset(512, int64_t{3} << 32) == int64_t{3} << 31);
static_assert(MulOffset(-1, 1) == -1); // floor, not truncation
