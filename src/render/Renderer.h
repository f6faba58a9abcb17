// The software renderer's entry points. The renderer is one global drawing context (see
// Context.h): one target bitmap, one transform, one clip box and one current fill per
// process, used from the user-interface thread only.
//
// Every entry point that returns int answers 0 on success and -1 on failure, with
// 0x20CC0000 + code recorded by SetLastError (codes in RenderError). Points are user
// coordinates, 16.16 fixed point (FixedPoint.h); boxes in RECT are device pixels.
#pragma once

#include "platform/Win32.h"

#include <cstddef>
#include <cstdint>

struct RegionTransform;

// Failure causes, recorded as kRenderErrorBase + code.
enum RenderError : int {
    kErrBadBitmap = 0,         // null header/pixels in a bitmap fill, unusable depth or planes
    kErrBadStyle = 1,          // outline-stroking style (not used here)
    kErrBadTable = 2,          // graduated-fill table size (not used here)
    kErrBadFillMode = 3,       // bitmap fill edge mode above 5
    kErrBadTransparency = 4,   // transparency kind above 12
    kErrBadArgument = 5,       // null pointer or out-of-range argument
    kErrBadPath = 6,           // no points, first verb not a move, path ends inside a curve
    kErrOddCrossings = 7,      // odd number of edge crossings on a row
    kErrSizeMismatch = 8,      // two bitmaps of different size (not used here)
    kErrNoSmoothing = 9,       // fill kind or target format cannot be smoothed
    kErrNoTarget = 10,         // no target pixels bound
    kErrNeeds32Bit = 11,       // fill kind needs a 32-bit target
    kErrEdgeMemory = 12,       // out of memory for edges
    kErrListOverflow = 13,     // internal list overflow
    kErrCurveDepth = 14,       // stack limit reached while subdividing a curve
    kErrNoFill = 15,           // no fill set
    kErrNoMemoryHandlers = 16, // no memory handlers installed
};
constexpr DWORD kRenderErrorBase = 0x20CC0000u;

// Path verbs, one byte per point (the Win32 path point types).
enum PathVerb : BYTE {
    kVerbClose = 0x01, // on a line or curve verb: close the figure after this point
    kVerbLineTo = 0x02,
    kVerbBezierTo = 0x04, // three points: two control points and the end point
    kVerbMoveTo = 0x06,
};

// FillOutline style bits.
constexpr int kStyleWinding = 0x1; // non-zero winding rule; clear = alternate (even-odd)

// The eight words of SetTransform: device x = (x·a + y·c + e) >> 16,
// device y = (x·b + y·d + f) >> 16. Same layout as RegionTransform.
struct RenderTransform {
    int32_t a, b, c, d;
    int64_t e, f;
};

// A renderer palette: header word 0x300, entry count, 256 entries R, G, B, flags. Same
// layout as a 256-entry LOGPALETTE.
struct RenderPalette {
    WORD version;
    WORD count;
    PALETTEENTRY entries[256];
};

using RenderAllocFn = void* (*)(size_t bytes);
using RenderFreeFn = void (*)(void* block);

int SetMemoryHandlers(RenderAllocFn allocate, RenderFreeFn release);

// Binds a DIB as the target. Header: biPlanes 1, biBitCount 1, 4, 8, 16 or 32. Pixels may
// be null (then only clip and box queries work). mode16 selects the 16-bit packing:
// 0 = 5-6-5, 1 = 6-5-5, 2 = 5-5-5, 3 = 6-6-4 bits for red-green-blue (above 3: 2).
// Resets the clip box to the target, the transform to "user (0, 0) = top-left corner, y
// down", the fill to none and the changed box to empty.
int BindTarget(const BITMAPINFOHEADER* header, void* pixels, int mode16);

int SetTransform(const RenderTransform* transform);
int SetTransform(const RegionTransform* transform);
int SetSmoothing(int on);
// Flatness of curve subdivision in 18.14 (the value is stored times 8, minimum 0x10).
int SetFlatness(int32_t flatness);

// false: the renderer maps its standard colours onto the target palette; true: it treats
// the target palette as arbitrary. Returns the default palette.
const RenderPalette* UseStandardPalette(int standard);
int SetTargetPalette(const RenderPalette* palette);
#ifdef _WIN32
int SetTargetPaletteFromDC(HDC dc);
#endif

int ClipToBox(const POINT* p, const POINT* q);
int SetDeviceClip(const RECT* rect);
int GetDeviceClip(RECT* rect);

// The changed box: the union of device pixels written since the last reset, in pixels,
// right and bottom exclusive. Empty is (0x7FFFFFFF, 0x7FFFFFFF, 0x80000000, 0x80000000).
int ResetChangedBox();
int GetChangedBox(RECT* rect);
int SetChangedBox(const RECT* rect);

// Flat colour: byte 0 red, 1 green, 2 blue, 3 extra (stored in a 32-bit pixel's 4th byte).
int SetSolidFill(uint32_t colour);

// Bitmap fills (see ImageFill*). style: bits 0-7 edge mode (0..5), bits 8-15
// transparency kind (0..12), bits 16-23 transparency amount. colour: R, G, B used outside
// the picture (edge mode 1) and when the corners are degenerate. Missing channel tables
// are the identity. The affine fill maps the picture's texel corners (0, 0), (w, 0) and
// (0, h) to p0, p1, p2; the perspective fill maps (0, 0), (w, 0), (w, h), (0, h) to p0..p3.
int SetImageFill(const BITMAPINFOHEADER* header, const void* pixels, uint32_t style,
                 const POINT* p0, const POINT* p1, const POINT* p2, uint32_t colour,
                 const RGBQUAD* colourTable, const BYTE* redTable, const BYTE* greenTable,
                 const BYTE* blueTable, const BYTE* extraTable, int brickOffset);
int SetPerspectiveImageFill(const BITMAPINFOHEADER* header, const void* pixels, uint32_t style,
                            const POINT* p0, const POINT* p1, const POINT* p2, const POINT* p3,
                            uint32_t colour, const RGBQUAD* colourTable, const BYTE* redTable,
                            const BYTE* greenTable, const BYTE* blueTable, const BYTE* extraTable,
                            int brickOffset);

// Smooth pictures (fill/PictureLevels.h, fill/SmoothSample.h): a picture's chain of levels,
// built once from its unlit colours; null when the picture is unusable (as for
// SetImageFill), too large (fill/PictureLevels.h) or memory is short.
struct PictureLevels;
PictureLevels* BuildPictureLevels(const BITMAPINFOHEADER* header, const void* pixels,
                                  const RGBQUAD* colourTable);
void FreePictureLevels(PictureLevels* levels);
// Builds the levels again from a picture of level 0's size (a moving face's next frame),
// without allocating; -1 (the levels then hold nothing useful) for any other picture.
int RefreshPictureLevels(PictureLevels* levels, const BITMAPINFOHEADER* header, const void* pixels,
                         const RGBQUAD* colourTable);
// A fill that samples the levels bilinearly within a level and between two levels by the
// level of detail. Corners and style as for SetPerspectiveImageFill (p3 null: the affine
// fill's three corners; bits 16-23 of the style and the brick offset do not apply); the
// channel tables light the samples. Transparency kinds that read each texel's fourth byte
// take it as 0.
int SetSmoothImageFill(const PictureLevels* levels, uint32_t style, const POINT* p0,
                       const POINT* p1, const POINT* p2, const POINT* p3, uint32_t colour,
                       const BYTE* redTable, const BYTE* greenTable, const BYTE* blueTable);

// Scan-converts and fills a path of count points with the current fill. Open figures are
// closed. style: kStyleWinding or 0 (even-odd); bit 1 is accepted and ignored.
int FillOutline(const POINT* points, const BYTE* verbs, int count, int style);
// Fills the box between two user points (never smoothed).
int FillBox(const POINT* p, const POINT* q);
// Fills the one pixel a user point rounds to (never smoothed).
int FillDot(const POINT* p);
