// The picture fills' shared state: what SetImageFill and SetPerspectiveImageFill leave
// behind for the span loops (one fill per process, like the rest of the context).
//
// Picture coordinates u (along a row, 0..w) and v (across rows, 0..h) count texels from
// the first texel of the first row in memory. A pixel shows the texel (floor(u), floor(v))
// under its centre. Affine positions are 32.32 fixed point (FixedPoint.h); the edge mode
// decides what happens outside [0, w) x [0, h).
#pragma once

#include "render/core/Context.h"
#include "render/core/FixedPoint.h"

#include <cstdint>

enum class SourceFormat : uint8_t {
    k1Bit = 0,   // most significant bit first, through the texel table
    k4Bit = 1,   // high nibble first, through the texel table
    k8Bit = 2,   // through the texel table
    k16Bit = 3,  // 5-5-5, blue in the low bits
    k24Bit = 4,  // bytes B, G, R
    k32Bit = 5,  // bytes B, G, R, unused
    kCmyk = 6,   // bytes C, M, Y, K (32 bits, 4 planes)
    k32BitX = 7, // as k32Bit, and the fourth byte through the X table
};
constexpr int kSourceFormatCount = 8;

enum class EdgeMode : uint8_t {
    kClamp = 0,        // outside uses the nearest edge texel
    kOutside = 1,      // outside uses the outside colour
    kRepeat = 2,       // tiles
    kMirror = 3,       // tiles, neighbours mirrored
    kBrickRows = 4,    // tiles, every second row of tiles shifted along u
    kBrickColumns = 5, // tiles, every second column of tiles shifted along v
};
constexpr int kEdgeModeCount = 6;

struct ImageFillState;

// Fills out[0..n) for one span. Affine: (u, v) is the position under the first pixel's
// centre and the state's steps advance it per pixel.
using AffineLoopFn = void (*)(const ImageFillState& s, int64_t u, int64_t v, uint32_t* out,
                              int32_t n);

// One span of a perspective fill: D, U and V (PerspectiveMap) at its first pixel centre,
// its length and where its texels go.
struct PerspectiveSpan {
    double d, u, v;
    uint32_t* out;
    int32_t n;
};

// Texels along a perspective span come from a chain of dependent steps (PerspectiveLoops.cpp),
// so the loops take up to this many spans at once and walk them side by side.
constexpr int kPerspectiveBatch = 8;
using PerspectiveLoopFn = void (*)(const ImageFillState& s, const PerspectiveSpan* spans,
                                   int count);

// The planar projective map from device pixels to the picture, relative to the first
// corner: with X, Y the pixel centre's offset from it in pixels,
//   U = ux·X + uy·Y + u0,  V = vx·X + vy·Y + v0,  D = dx·X + dy·Y + d0,
// the texel is (round(U / D), round(V / D)). U and V carry -D/2 so that rounding to the
// nearest integer gives the texel whose cell holds the centre.
struct PerspectiveMap {
    double ux, uy, u0;
    double vx, vy, v0;
    double dx, dy, d0;
};

// One level of a smooth picture (PictureLevels.h): unlit texels, bytes B, G, R, 0, rows in
// the picture's memory order, width texels to a row.
struct SmoothLevel {
    const uint32_t* texels = nullptr;
    int32_t width = 0, height = 0;
};
constexpr int kMaxSmoothLevels = 26; // 2^24 texels a side halve to 1 in 24 steps

struct ImageFillState {
    SourceFormat format = SourceFormat::k32Bit;
    EdgeMode mode = EdgeMode::kClamp;
    int transparencyKind = 0;
    int transparencyAmount = 0;
    int32_t width = 0, height = 0; // texels, 1..kMaxPictureSide

    // Row i of the picture starts at rows[i] (memory order), which is rows[0] + i·stride.
    const uint8_t* const* rows = nullptr;
    int64_t stride = 0;

    // The outside colour as a pixel (bytes B, G, R, extra).
    uint32_t outside = 0;

    // Channel processing. Palettised sources: texels[k] is the finished pixel of colour
    // index k. 16-bit sources: wide5* give a 5-bit channel's finished contribution.
    // 24/32-bit: chan* give an 8-bit channel's contribution (blue in bits 0-7, green 8-15,
    // red 16-23). `plain` says every channel table is the identity, so 24/32-bit texels
    // may be copied as they stand.
    bool plain = true;
    uint32_t texels[256] = {};
    uint32_t wide5Blue[32] = {}, wide5Green[32] = {}, wide5Red[32] = {};
    uint32_t chanBlue[256] = {}, chanGreen[256] = {}, chanRed[256] = {};
    // The tables themselves, for CMYK and the fourth byte (never null while a fill is set).
    const uint8_t* red = nullptr;
    const uint8_t* green = nullptr;
    const uint8_t* blue = nullptr;
    const uint8_t* extra = nullptr;

    // Affine map. The first corner in 22.10 device pixels; the exact per-pixel changes of
    // u and v in 32.32 (used for span and row starts); the per-pixel steps the loops add
    // (for tiled modes reduced into half a period either side of 0, see EdgeMode.h); the
    // brick offset in 32.32, reduced the same way.
    int32_t originX = 0, originY = 0;
    int64_t dudx = 0, dudy = 0, dvdx = 0, dvdy = 0;
    int64_t stepU = 0, stepV = 0;
    int64_t brick = 0;

    // Perspective map, with the first corner in pixels.
    PerspectiveMap persp{};
    double perspOriginX = 0, perspOriginY = 0;

    // Smooth fills (SmoothSample.h): the picture's levels, level 0 the picture itself, and
    // the level of detail of an affine fill (per span for perspective ones), in 1/256 of a
    // level. Null levels: an exact fill.
    const SmoothLevel* levels = nullptr;
    int levelCount = 0;
    int32_t affineLod = 0;

    AffineLoopFn affineLoop = nullptr;
    PerspectiveLoopFn perspectiveLoop = nullptr;
};

extern ImageFillState g_imageFill;

// The largest picture side the fills take; larger pictures are refused as unusable (no
// picture this size fits a 32-bit process, and the 32.32 periods stay far from overflow).
constexpr int32_t kMaxPictureSide = 1 << 24;
