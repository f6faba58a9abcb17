// Span routines of the picture fills. A span's texels are produced by the loop chosen at
// set-up (ImageSpanLoops.h) straight into a 32-bit target row, or into the row buffer,
// from where they are converted to the target format, mixed by transparency, or left for
// the coverage compositor of a smoothed fill.
#include "render/ImageFillPipeline.h"

#include "render/ImageFill.h"
#include "render/ImageTarget8.h"
#include "render/ImageTransparency.h"
#include "render/PerspectiveWalker.h"
#include "render/TargetConvert.h"

namespace image_pipeline {
namespace {

// Row start values, set by the row-begin routines. Affine: u and v at the row's pixel
// centre height, horizontally at the first corner (32.32). Perspective: U, V, D there.
int64_t g_rowU = 0, g_rowV = 0;
double g_rowPU = 0, g_rowPV = 0, g_rowPD = 0;

int32_t Saturate32(int64_t v) {
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

// The 22.10 offset of pixel centre `pixel` from the 22.10 corner coordinate `origin`.
int32_t CentreOffset(int32_t pixel, int32_t origin) {
    return Saturate32(int64_t{pixel} * fixed::kSpanOne + fixed::kSpanHalf - origin);
}

// Computing a row's start from its offset is the same as adding du/dy once per row
// from the first row: offset·du/dy / 1024 in exact 32.32, and each row adds 1024 to the
// offset, which adds du/dy exactly.
void AffineRowBegin(int32_t y) {
    const ImageFillState& s = g_imageFill;
    const int32_t dy = CentreOffset(y, s.originY);
    g_rowU = MulOffset(dy, s.dudy);
    g_rowV = MulOffset(dy, s.dvdy);
}

void AffineTexels(int32_t x0, int32_t n, uint32_t* out) {
    const ImageFillState& s = g_imageFill;
    const int32_t dx = CentreOffset(x0, s.originX);
    const int64_t u = static_cast<int64_t>(static_cast<uint64_t>(g_rowU) +
                                           static_cast<uint64_t>(MulOffset(dx, s.dudx)));
    const int64_t v = static_cast<int64_t>(static_cast<uint64_t>(g_rowV) +
                                           static_cast<uint64_t>(MulOffset(dx, s.dvdx)));
    s.affineLoop(s, u, v, out, n);
}

void PerspectiveRowBegin(int32_t y) {
    const PerspectiveMap& m = g_imageFill.persp;
    const double dy = y + 0.5 - g_imageFill.perspOriginY;
    g_rowPU = m.uy * dy + m.u0;
    g_rowPV = m.vy * dy + m.v0;
    g_rowPD = m.dy * dy + m.d0;
}

void PerspectiveTexels(int32_t x0, int32_t n, uint32_t* out) {
    const ImageFillState& s = g_imageFill;
    const PerspectiveMap& m = s.persp;
    const double dx = x0 + 0.5 - s.perspOriginX;
    PerspectiveWalker walk;
    walk.Start(g_rowPD + m.dx * dx, g_rowPU + m.ux * dx, g_rowPV + m.vx * dx, m.dx, m.ux, m.vx, n);
    s.perspectiveLoop(s, walk, out, n);
}

using TexelsFn = void (*)(int32_t x0, int32_t n, uint32_t* out);

template <TexelsFn Texels> void SpanDirect(int32_t y, int32_t x0, int32_t x1) {
    Texels(x0, x1 - x0, reinterpret_cast<uint32_t*>(g_render.target.Row(y)) + x0);
}

template <TexelsFn Texels> void SpanDithered(int32_t y, int32_t x0, int32_t x1) {
    Texels(x0, x1 - x0, g_render.rowBuffer + x0);
    image_target8::DitherSpan(y, x0, x1, g_render.rowBuffer);
}

template <TexelsFn Texels> void SpanConverted(int32_t y, int32_t x0, int32_t x1) {
    Texels(x0, x1 - x0, g_render.rowBuffer + x0);
    ConvertRowBuffer(y, x0, x1);
}

template <TexelsFn Texels> void SpanTransparent(int32_t y, int32_t x0, int32_t x1) {
    Texels(x0, x1 - x0, g_render.rowBuffer + x0);
    transparency::BlendSpan(reinterpret_cast<uint32_t*>(g_render.target.Row(y)) + x0,
                            g_render.rowBuffer + x0, x1 - x0);
}

template <TexelsFn Texels> void SpanToRowBuffer(int32_t, int32_t x0, int32_t x1) {
    Texels(x0, x1 - x0, g_render.rowBuffer + x0);
}

// Transparency needs a 32-bit target and the blend table; elsewhere the fill is opaque.
bool Transparent() {
    const ImageFillState& s = g_imageFill;
    return s.transparencyKind != 0 && g_render.target.format == kTarget32Bit &&
           transparency::Prepare(s.transparencyKind, s.transparencyAmount);
}

template <TexelsFn Texels, void (*RowBegin)(int32_t)> int Setup(SpanPipeline& pipe) {
    pipe.begin = nullptr;
    pipe.rowBegin = RowBegin;
    pipe.rowEnd = nullptr;
    pipe.end = nullptr;
    if (g_render.target.format == kTarget8Bit) {
        pipe.span = SpanDithered<Texels>;
    } else if (g_render.target.format != kTarget32Bit) {
        pipe.span = SpanConverted<Texels>;
    } else if (Transparent()) {
        pipe.span = SpanTransparent<Texels>;
    } else {
        pipe.span = SpanDirect<Texels>;
    }
    return 0;
}

template <TexelsFn Texels, void (*RowBegin)(int32_t)> int SmoothedSetup(SpanPipeline& pipe) {
    pipe.begin = nullptr;
    pipe.rowBegin = RowBegin;
    pipe.rowEnd = nullptr;
    pipe.end = nullptr;
    pipe.span = SpanToRowBuffer<Texels>;
    if (g_render.target.format == kTarget8Bit) {
        pipe.composite = image_target8::Composite;
    } else if (Transparent()) {
        pipe.composite = transparency::Composite;
    }
    return 0;
}

} // namespace

int AffineSetup(SpanPipeline& pipe) {
    return Setup<AffineTexels, AffineRowBegin>(pipe);
}
int AffineSmoothedSetup(SpanPipeline& pipe) {
    return SmoothedSetup<AffineTexels, AffineRowBegin>(pipe);
}
int PerspectiveSetup(SpanPipeline& pipe) {
    return Setup<PerspectiveTexels, PerspectiveRowBegin>(pipe);
}
int PerspectiveSmoothedSetup(SpanPipeline& pipe) {
    return SmoothedSetup<PerspectiveTexels, PerspectiveRowBegin>(pipe);
}

} // namespace image_pipeline
