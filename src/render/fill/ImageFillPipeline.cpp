// Span routines of the affine picture fill (the perspective one: PerspectivePipeline.cpp). A
// span's texels are produced by the loop chosen at set-up (ImageSpanLoops.h) straight into a
// 32-bit target row, or into the row buffer,
// from where they are converted to the target format, mixed by transparency, or left for
// the coverage compositor of a smoothed fill.
#include "render/fill/ImageFillPipeline.h"

#include "render/core/FastPaths.h"
#include "render/fill/ImageFill.h"
#include "render/target/Compositors.h"
#include "render/target/ImageTarget8.h"
#include "render/target/ImageTransparency.h"
#include "render/target/TargetConvert.h"

namespace image_pipeline {
namespace {

// Row start values, set by the row-begin routine: u and v at the row's pixel centre
// height, horizontally at the first corner (32.32).
int64_t g_rowU = 0, g_rowV = 0;

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

// Smoothed opaque fills of 32-bit targets: the texels go straight into the row, and the row
// buffer keeps the pixels they must not simply replace.
template <TexelsFn Texels> void CompositeInPlace(int32_t y, const CoverageRun* runs, int count) {
    auto* row = reinterpret_cast<uint32_t*>(g_render.target.Row(y));
    const int32_t x0 = runs[0].x0, x1 = runs[count - 1].x1;
    PrefetchRowEdges(y, runs, count, 4);
    SaveUncovered32(row, g_render.rowBuffer, runs, count);
    Texels(x0, x1 - x0, row + x0);
    MergeSaved32(row, g_render.rowBuffer, runs, count);
}

} // namespace

bool Transparent() {
    const ImageFillState& s = g_imageFill;
    return s.transparencyKind != 0 && g_render.target.format == kTarget32Bit &&
           transparency::Prepare(s.transparencyKind, s.transparencyAmount);
}

namespace {

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
    } else if (g_render.target.format == kTarget32Bit && !fast_paths::Reference()) {
        pipe.span = nullptr;
        pipe.composite = CompositeInPlace<Texels>;
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
} // namespace image_pipeline
