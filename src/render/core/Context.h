// The renderer's one global drawing context, and the contract between the scan converter
// and the fills that plug into it.
//
// A fill kind is made current by its setter (SetSolidFill, SetImageFill, ...), which
// stores its parameters in its own state and calls SetFillKind(kind, setup,
// smoothedSetup). When a fill runs, the scan converter picks a set-up routine and lets it
// fill the span pipeline:
//   - not smoothed (and always on 1-bit targets): `setup` fills the slots; the scan
//     converter then calls begin, and for every row rowBegin(y), span(y, x0, x1) for every
//     span, rowEnd(y), and finally end. The span routine writes the target row y over
//     pixels [x0, x1) itself: x0 < x1, both inside the clip box. On targets other than
//     32 bits it may instead fill g_render.rowBuffer[x0..x1) with 32-bit pixels (bytes
//     B, G, R, X) and call ConvertRowBuffer(y, x0, x1) (TargetConvert.h).
//   - smoothed: the scan converter first puts the target format's coverage compositor into
//     the composite slot (CompositorFor), then calls `smoothedSetup` (null: the kind cannot
//     be smoothed, error 9), which fills the other slots and may replace the compositor.
//     For every pixel row y: rowBegin(y); span(y, x0, x1) over the whole touched range
//     [runs[0].x0, runs[n-1].x1), which writes the fill's pixels into
//     g_render.rowBuffer[x] (indexed by the absolute pixel x) and never the target; then
//     composite(y, runs, n) merges the row buffer into the target by coverage; rowEnd(y).
//     A smoothed set-up may leave span null when its compositor makes the colours itself.
// begin, rowBegin, rowEnd and end may be null. Rows are memory rows of the target. A
// set-up routine returns 0 or a RenderError code (e.g. kErrNeeds32Bit).
//
// Single-threaded by design: the context is global and unguarded.
#pragma once

#include "render/core/PaletteMaps.h"
#include "render/Renderer.h"

#include <cstddef>
#include <cstdint>

enum TargetFormat : int {
    kTarget1Bit = 0,
    kTarget4Bit = 1,
    kTarget8Bit = 2,
    kTarget16Bit = 3,
    kTarget32Bit = 4,
};

// 16-bit packings, red-green-blue bit counts.
enum Packing16 : int { kPack565 = 0, kPack655 = 1, kPack555 = 2, kPack664 = 3 };

struct RenderTarget {
    const BITMAPINFOHEADER* header = nullptr;
    uint8_t* pixels = nullptr; // null: only clip and box queries work
    int format = kTarget32Bit;
    int32_t width = 0, height = 0;       // pixels
    int32_t widthDev = 0, heightDev = 0; // the same in 18.14
    int32_t stride = 0;                  // bytes per row
    int mode16 = kPack555;

    uint8_t* Row(int32_t y) const { return pixels + static_cast<ptrdiff_t>(y) * stride; }
};

// Right and bottom exclusive. Always inside the target.
struct ClipBox {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t leftDev = 0, topDev = 0, rightDev = 0, bottomDev = 0; // 18.14
};

// Part of a pixel row with one coverage value, 1..25 (25 = fully inside).
struct CoverageRun {
    int32_t x0, x1;
    int32_t coverage;
};

// The five routine slots plus the coverage compositor (smoothed fills only).
struct SpanPipeline {
    void (*begin)() = nullptr;
    void (*rowBegin)(int32_t y) = nullptr;
    void (*span)(int32_t y, int32_t x0, int32_t x1) = nullptr;
    void (*rowEnd)(int32_t y) = nullptr;
    void (*end)() = nullptr;
    void (*composite)(int32_t y, const CoverageRun* runs, int count) = nullptr;
};

// Fills the pipeline for the current fill; returns 0 or a RenderError code.
using FillSetupFn = int (*)(SpanPipeline& pipe);

enum FillKind : int {
    kFillNone = 0,
    kFillSolid = 2,
    kFillImage = 19,           // affine bitmap fill
    kFillPerspective = 20,     // perspective bitmap fill
    kFillPerspectiveFlat = 21, // perspective fill drawn by the affine loops
};

struct FillState {
    int kind = kFillNone;
    FillSetupFn setup = nullptr;
    FillSetupFn smoothedSetup = nullptr;

    // Flat colour (kind 2): the colour the pattern was made for, and the pattern per
    // dither row (y & 3): 32 bits: the pixel; 16 bits: two pixels, rows 0/2 and 1/3;
    // 8 bits: four palette indices, byte k for column (x & 3) = k; 1 bit: the row's 4-bit
    // pattern repeated in a byte.
    uint32_t solidColour = 0;
    bool solidValid = false;
    uint32_t solidPattern[4] = {};
};

struct RenderContext {
    RenderTarget target;
    ClipBox clip;
    RECT changed = {0x7FFFFFFF, 0x7FFFFFFF, static_cast<LONG>(0x80000000u),
                    static_cast<LONG>(0x80000000u)};
    RenderTransform transform = {0x4000, 0, 0, -0x4000, 0, 0};

    bool smoothing = false;
    bool standardPalette = true; // true until UseStandardPalette(false)
    int32_t ditherOriginX = 0, ditherOriginY = 0;
    int32_t flatness = 0x20000; // 18.14; eight pixels
    int curveDepthLimit = 0;    // 0: none

    PaletteMaps palette;
    FillState fill;
    SpanPipeline pipe;

    RenderAllocFn allocate = nullptr;
    RenderFreeFn release = nullptr;

    // 32-bit pixels by absolute x, at least target.width entries (plus slack for wide
    // stores) while a fill runs.
    uint32_t* rowBuffer = nullptr;
    size_t rowBufferSize = 0;
};

extern RenderContext g_render;

// Makes `kind` the current fill with its set-up routines (see above).
void SetFillKind(int kind, FillSetupFn setup, FillSetupFn smoothedSetup);

// Records the failure (SetLastError(kRenderErrorBase + code)), releases the edge memory
// and returns -1.
int RenderFail(int code);

// The default coverage compositor for a target format (16 bits: per packing); null for
// formats that cannot be smoothed.
using CompositeFn = void (*)(int32_t y, const CoverageRun* runs, int count);
CompositeFn CompositorFor(int format, int mode16);

// Grows the edge of the changed box to hold [x0, x1) x [y0, y1).
void ExtendChangedBox(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
