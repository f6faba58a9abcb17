// SetImageFill and SetPerspectiveImageFill: checking the picture and the style, building
// the row table and the colour tables, computing the map from device pixels to texels and
// choosing the span loop.
#include "render/fill/EdgeMode.h"
#include "render/fill/PictureHeader.h"
#include "render/fill/ImageFillPipeline.h"
#include "render/fill/AffineLoops.h"
#include "render/fill/PerspectiveLoops.h"
#include "render/fill/PerspectivePipeline.h"
#include "render/fill/PictureLevels.h"
#include "render/fill/SmoothLoops.h"
#include "render/fill/SmoothSample.h"
#include "render/target/ImageTransparency.h"
#include "render/core/Tables.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

ImageFillState g_imageFill;

namespace {

// Device corner, 18.14.
struct DevicePoint {
    int64_t x, y;
};

// The row table lives across fills and only grows, so drawing pictures costs no
// allocation once the largest one has been seen.
const uint8_t** g_rowTable = nullptr;
size_t g_rowCapacity = 0;

bool BuildRowTable(const uint8_t* pixels, const PictureHeader& pic) {
    const size_t rows = static_cast<size_t>(pic.height);
    if (rows > g_rowCapacity) {
        void* grown = std::realloc(static_cast<void*>(g_rowTable), rows * sizeof(*g_rowTable));
        if (grown == nullptr) {
            return false;
        }
        g_rowTable = static_cast<const uint8_t**>(grown);
        g_rowCapacity = rows;
    }
    for (size_t i = 0; i < rows; ++i) {
        g_rowTable[i] = pixels + static_cast<ptrdiff_t>(i * static_cast<size_t>(pic.stride));
    }
    return true;
}

const uint8_t* OrIdentity(const BYTE* table) {
    return table != nullptr ? table : tables::kIdentity;
}

bool IsIdentity(const uint8_t* table) {
    return std::memcmp(table, tables::kIdentity, 256) == 0;
}

void BuildColourTables(ImageFillState& s, const PictureHeader& pic, const RGBQUAD* colourTable) {
    s.plain = IsIdentity(s.red) && IsIdentity(s.green) && IsIdentity(s.blue);
    if (pic.bits <= 8) {
        for (int k = 0; k < (1 << pic.bits); ++k) {
            const RGBQUAD& c = colourTable[k];
            s.texels[k] = s.blue[c.rgbBlue] | (uint32_t{s.green[c.rgbGreen]} << 8) |
                          (uint32_t{s.red[c.rgbRed]} << 16) |
                          (uint32_t{s.extra[c.rgbReserved]} << 24);
        }
    } else if (pic.bits == 16) {
        for (int c = 0; c < 32; ++c) {
            const uint8_t wide = tables::kWiden5[c];
            s.wide5Blue[c] = s.blue[wide];
            s.wide5Green[c] = uint32_t{s.green[wide]} << 8;
            s.wide5Red[c] = uint32_t{s.red[wide]} << 16;
        }
    } else if (!s.plain) {
        for (int c = 0; c < 256; ++c) {
            s.chanBlue[c] = s.blue[c];
            s.chanGreen[c] = uint32_t{s.green[c]} << 8;
            s.chanRed[c] = uint32_t{s.red[c]} << 16;
        }
    }
}

DevicePoint ToDevice(const POINT& p) {
    const RenderTransform& t = g_render.transform;
    return {fixed::Transform(p.x, t.a, p.y, t.c, t.e), fixed::Transform(p.x, t.b, p.y, t.d, t.f)};
}

// Texels per pixel as 32.32, saturated far beyond any meaningful value (a nearly
// degenerate parallelogram gives astronomically large changes).
int64_t ToFixed(double texelsPerPixel) {
    constexpr double kLimit = 4611686018427387904.0; // 2^62
    const double v = texelsPerPixel * 4294967296.0;
    if (!(v > -kLimit)) { // also NaN
        return -(int64_t{1} << 62);
    }
    return v < kLimit ? static_cast<int64_t>(v) : int64_t{1} << 62;
}

int32_t To2210(int64_t device) {
    return static_cast<int32_t>(device >> (fixed::kDeviceFracBits - fixed::kSpanFracBits));
}

// The affine map taking texel corners (0, 0), (w, 0), (0, h) to p0, pu, pv. False when
// the corners are degenerate (coincident or collinear).
bool SetAffineMap(ImageFillState& s, DevicePoint p0, DevicePoint pu, DevicePoint pv) {
    const int64_t ax = pu.x - p0.x, ay = pu.y - p0.y, bx = pv.x - p0.x, by = pv.y - p0.y;
    if ((ax == 0 && ay == 0) || (bx == 0 && by == 0)) {
        return false;
    }
    const double det = static_cast<double>(ax) * static_cast<double>(by) -
                       static_cast<double>(bx) * static_cast<double>(ay);
    if (det == 0 || !std::isfinite(det)) {
        return false;
    }
    // The inverse of [pu - p0, pv - p0] in device units, times one pixel (0x4000), scaled
    // by the picture size: texels per pixel.
    const double scale = fixed::kDeviceOne / det;
    const double w = s.width, h = s.height;
    s.dudx = ToFixed(w * static_cast<double>(by) * scale);
    s.dudy = ToFixed(-w * static_cast<double>(bx) * scale);
    s.dvdx = ToFixed(-h * static_cast<double>(ay) * scale);
    s.dvdy = ToFixed(h * static_cast<double>(ax) * scale);
    s.originX = To2210(p0.x);
    s.originY = To2210(p0.y);
    s.stepU = s.dudx;
    s.stepV = s.dvdx;
    s.brick = 0;
    return true;
}

// Step and brick-offset reduction of the tiled modes (EdgeMode.h).
void ReduceForMode(ImageFillState& s, int brickOffset) {
    if (!edge::Tiled(s.mode)) {
        return;
    }
    s.stepU = edge::ReduceStep(s.dudx, edge::Period(s.width, edge::UDoubled(s.mode)));
    s.stepV = edge::ReduceStep(s.dvdx, edge::Period(s.height, edge::VDoubled(s.mode)));
    if (s.mode == EdgeMode::kBrickRows) {
        s.brick = edge::ReduceStep(TexelsToFixed(brickOffset), TexelsToFixed(s.width));
    } else if (s.mode == EdgeMode::kBrickColumns) {
        s.brick = edge::ReduceStep(TexelsToFixed(brickOffset), TexelsToFixed(s.height));
    }
}

double Pixels(int64_t device) {
    return static_cast<double>(device) / fixed::kDeviceOne;
}

enum class Projective { kDegenerate, kAffine, kPerspective };

// The planar projective map taking the picture corners (0, 0), (w, 0), (w, h), (0, h)
// to p[0..3]. First the map from the unit square to the quadrilateral, in pixels relative
// to p[0]:
//   x = (a·s + b·t) / (g·s + h·t + 1),  y = (d·s + e·t) / (g·s + h·t + 1),
// with the perspective terms g and h from the cross products of the corner differences;
// its inverse is the adjugate of [[a b 0] [d e 0] [g h 1]], divided by a·e - b·d so that
// D = 1 at p[0].
Projective SetPerspectiveMap(ImageFillState& s, const DevicePoint (&p)[4]) {
    const double x1 = Pixels(p[1].x - p[0].x), y1 = Pixels(p[1].y - p[0].y);
    const double x2 = Pixels(p[2].x - p[0].x), y2 = Pixels(p[2].y - p[0].y);
    const double x3 = Pixels(p[3].x - p[0].x), y3 = Pixels(p[3].y - p[0].y);
    const double sx = x2 - x1 - x3, sy = y2 - y1 - y3;
    const double dx1 = x1 - x2, dx2 = x3 - x2, dy1 = y1 - y2, dy2 = y3 - y2;
    const double den = dx1 * dy2 - dx2 * dy1;
    if (den == 0 || !std::isfinite(den)) {
        return Projective::kDegenerate;
    }
    const double g = (sx * dy2 - sy * dx2) / den;
    const double h = (dx1 * sy - dy1 * sx) / den;
    if (std::fabs(g) < 1e-8 && std::fabs(h) < 1e-8) {
        return Projective::kAffine;
    }
    const double a = x1 + g * x1, b = x3 + h * x3, d = y1 + g * y1, e = y3 + h * y3;
    const double det = a * e - b * d;
    if (det == 0 || !std::isfinite(det)) {
        return Projective::kDegenerate;
    }
    const double w = s.width / det, hh = s.height / det;
    PerspectiveMap m;
    m.dx = (d * h - e * g) / det;
    m.dy = (b * g - a * h) / det;
    m.d0 = 1;
    // -D/2 moves the texel grid by half a texel, so rounding finds the cell.
    m.ux = w * e - 0.5 * m.dx;
    m.uy = -w * b - 0.5 * m.dy;
    m.u0 = -0.5;
    m.vx = -hh * d - 0.5 * m.dx;
    m.vy = hh * a - 0.5 * m.dy;
    m.v0 = -0.5;
    const double all[] = {m.ux, m.uy, m.vx, m.vy, m.dx, m.dy};
    for (double v : all) {
        if (!std::isfinite(v)) {
            return Projective::kDegenerate;
        }
    }
    s.persp = m;
    s.perspOriginX = Pixels(p[0].x);
    s.perspOriginY = Pixels(p[0].y);
    s.brick = 0;
    return Projective::kPerspective;
}

struct FillArgs {
    const BITMAPINFOHEADER* header;
    const void* pixels;
    uint32_t style;
    uint32_t colour;
    const RGBQUAD* colourTable;
    const BYTE *red, *green, *blue, *extra;
};

// The checks and tables both fills share. Returns kNoError or an error code.
int PrepareFill(ImageFillState& s, const FillArgs& a, PictureHeader& pic) {
    SetFillKind(kFillNone, nullptr, nullptr);
    if (const int err = ReadPictureHeader(a.header, pic); err != kNoError) {
        return err;
    }
    if (a.pixels == nullptr) {
        return kErrBadBitmap;
    }
    const int mode = a.style & 0xFF, kind = (a.style >> 8) & 0xFF;
    if (kind > 12) {
        return kErrBadTransparency;
    }
    if (mode > 5) {
        return kErrBadFillMode;
    }
    if (pic.bits <= 8 && a.colourTable == nullptr) {
        return kErrBadArgument;
    }
    s.mode = static_cast<EdgeMode>(mode);
    s.levels = nullptr;
    s.levelCount = 0;
    s.transparencyKind = kind;
    s.transparencyAmount = (a.style >> 16) & 0xFF;
    s.format = pic.format;
    const bool target32 = g_render.target.format == kTarget32Bit;
    if (s.format == SourceFormat::k32Bit && target32 &&
        transparency::PerTexelAmount(s.transparencyKind)) {
        s.format = SourceFormat::k32BitX;
    }
    s.width = pic.width;
    s.height = pic.height;
    s.outside = ((a.colour & 0xFF) << 16) | (a.colour & 0xFF00FF00u) | ((a.colour >> 16) & 0xFF);
    s.red = OrIdentity(a.red);
    s.green = OrIdentity(a.green);
    s.blue = OrIdentity(a.blue);
    s.extra = OrIdentity(a.extra);
    BuildColourTables(s, pic, a.colourTable);
    return kNoError;
}

int InstallAffine(ImageFillState& s, const PictureHeader& pic, const void* pixels, int brickOffset,
                  int kind) {
    if (!BuildRowTable(static_cast<const uint8_t*>(pixels), pic)) {
        return RenderFail(kErrBadBitmap);
    }
    s.rows = g_rowTable;
    s.stride = pic.stride;
    ReduceForMode(s, brickOffset);
    s.affineLoop = SelectAffineLoop(s.mode, s.format, s.plain);
    SetFillKind(kind, image_pipeline::AffineSetup, image_pipeline::AffineSmoothedSetup);
    return 0;
}

} // namespace

int SetImageFill(const BITMAPINFOHEADER* header, const void* pixels, uint32_t style,
                 const POINT* p0, const POINT* p1, const POINT* p2, uint32_t colour,
                 const RGBQUAD* colourTable, const BYTE* redTable, const BYTE* greenTable,
                 const BYTE* blueTable, const BYTE* extraTable, int brickOffset) {
    ImageFillState& s = g_imageFill;
    PictureHeader pic{};
    const FillArgs args{header,   pixels,     style,     colour,    colourTable,
                        redTable, greenTable, blueTable, extraTable};
    if (const int err = PrepareFill(s, args, pic); err != kNoError) {
        return RenderFail(err);
    }
    if (p0 == nullptr || p1 == nullptr || p2 == nullptr) {
        return RenderFail(kErrBadArgument);
    }
    if (!SetAffineMap(s, ToDevice(*p0), ToDevice(*p1), ToDevice(*p2))) {
        return SetSolidFill(colour);
    }
    return InstallAffine(s, pic, pixels, brickOffset, kFillImage);
}

int SetPerspectiveImageFill(const BITMAPINFOHEADER* header, const void* pixels, uint32_t style,
                            const POINT* p0, const POINT* p1, const POINT* p2, const POINT* p3,
                            uint32_t colour, const RGBQUAD* colourTable, const BYTE* redTable,
                            const BYTE* greenTable, const BYTE* blueTable, const BYTE* extraTable,
                            int brickOffset) {
    ImageFillState& s = g_imageFill;
    PictureHeader pic{};
    const FillArgs args{header,   pixels,     style,     colour,    colourTable,
                        redTable, greenTable, blueTable, extraTable};
    if (const int err = PrepareFill(s, args, pic); err != kNoError) {
        return RenderFail(err);
    }
    if (p0 == nullptr || p1 == nullptr || p2 == nullptr || p3 == nullptr) {
        return RenderFail(kErrBadArgument);
    }
    const DevicePoint corners[4] = {ToDevice(*p0), ToDevice(*p1), ToDevice(*p2), ToDevice(*p3)};
    // The first corner and its two neighbours decide degeneracy as for the affine fill.
    if (!SetAffineMap(s, corners[0], corners[1], corners[3])) {
        return SetSolidFill(colour);
    }
    switch (SetPerspectiveMap(s, corners)) {
    case Projective::kDegenerate:
        return SetSolidFill(colour);
    case Projective::kAffine:
        return InstallAffine(s, pic, pixels, brickOffset, kFillPerspectiveFlat);
    case Projective::kPerspective:
        break;
    }
    if (!BuildRowTable(static_cast<const uint8_t*>(pixels), pic)) {
        return RenderFail(kErrBadBitmap);
    }
    s.rows = g_rowTable;
    s.stride = pic.stride;
    ReduceForMode(s, brickOffset);
    s.brick = TexelsToFixed(TexelOf(s.brick));
    s.perspectiveLoop = SelectPerspectiveLoop(s.mode, s.format, s.plain);
    SetFillKind(kFillPerspective, image_pipeline::PerspectiveSetup,
                image_pipeline::PerspectiveSmoothedSetup);
    return 0;
}

int SetSmoothImageFill(const PictureLevels* levels, uint32_t style, const POINT* p0,
                       const POINT* p1, const POINT* p2, const POINT* p3, uint32_t colour,
                       const BYTE* redTable, const BYTE* greenTable, const BYTE* blueTable) {
    SetFillKind(kFillNone, nullptr, nullptr);
    if (levels == nullptr || levels->count < 1 || levels->count > kMaxSmoothLevels) {
        return RenderFail(kErrBadBitmap);
    }
    const SmoothLevel& top = levels->levels[0];
    // Level 0 as a 32-bit picture, so that the shared checks and tables apply to it.
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = top.width;
    header.biHeight = top.height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    ImageFillState& s = g_imageFill;
    PictureHeader pic{};
    const FillArgs args{&header,  top.texels, style & 0xFFFF, colour, nullptr,
                        redTable, greenTable, blueTable,      nullptr};
    if (const int err = PrepareFill(s, args, pic); err != kNoError) {
        return RenderFail(err);
    }
    s.format = SourceFormat::k32Bit;
    s.levels = levels->levels;
    s.levelCount = levels->count;
    if (p0 == nullptr || p1 == nullptr || p2 == nullptr) {
        return RenderFail(kErrBadArgument);
    }
    const DevicePoint c0 = ToDevice(*p0), c1 = ToDevice(*p1), c2 = ToDevice(*p2);
    DevicePoint corners[4] = {c0, c1, c2, c2};
    if (p3 != nullptr) {
        corners[3] = ToDevice(*p3);
    }
    if (!SetAffineMap(s, c0, c1, p3 != nullptr ? corners[3] : c2)) {
        return SetSolidFill(colour);
    }
    // Texels per pixel of the affine map, for its level of detail.
    constexpr double kTexels = 1.0 / 4294967296.0;
    s.affineLod =
        smooth::LodOf(s.dudx * kTexels, s.dvdx * kTexels, s.dudy * kTexels, s.dvdy * kTexels);
    const Projective projective =
        p3 != nullptr ? SetPerspectiveMap(s, corners) : Projective::kAffine;
    switch (projective) {
    case Projective::kDegenerate:
        return SetSolidFill(colour);
    case Projective::kAffine:
        s.affineLoop = SelectSmoothAffineLoop(s.mode);
        SetFillKind(p3 != nullptr ? kFillPerspectiveFlat : kFillImage, image_pipeline::AffineSetup,
                    image_pipeline::AffineSmoothedSetup);
        return 0;
    case Projective::kPerspective:
        break;
    }
    s.perspectiveLoop = SelectSmoothPerspectiveLoop(s.mode);
    SetFillKind(kFillPerspective, image_pipeline::PerspectiveSetup,
                image_pipeline::PerspectiveSmoothedSetup);
    return 0;
}
