// Span routines of the perspective picture fill. Its loops make the texels of up to
// kPerspectiveBatch spans at once (PerspectiveBatch.h), so the spans of an outline wait here
// until a batch is full or the outline ends. Then the batch's texels are made and each span
// is finished in the order the spans came: stored, dithered, converted, blended or, for a
// smoothed fill, composited by its coverage runs, which wait with it (on 32-bit targets
// in place, the pixels the runs do not cover fully waiting with them).
//
// Waiting is safe because the spans of one outline never overlap, and nothing else draws
// into the target while an outline is filled; the outline's end routine finishes the last
// batch.
#include "render/core/FastPaths.h"
#include "render/fill/ImageFill.h"
#include "render/fill/ImageFillPipeline.h"
#include "render/fill/PerspectivePipeline.h"
#include "render/target/ImageTarget8.h"
#include "render/target/Compositors.h"
#include "render/target/ImageTransparency.h"
#include "render/target/TargetConvert.h"

#include <cstdlib>
#include <cstring>

namespace image_pipeline {
namespace {

constexpr int kBatch = kPerspectiveBatch;

// U, V and D at the current row's pixel centre height, horizontally at the first corner.
double g_rowU = 0, g_rowV = 0, g_rowD = 0;

struct Waiting {
    PerspectiveSpan spans[kBatch];
    int32_t y[kBatch], x0[kBatch], x1[kBatch];
    int firstRun[kBatch], runCount[kBatch]; // smoothed fills: in `runs`
    int count = 0;
    int runsUsed = 0;
};
Waiting g_waiting;

// Texel rows of the waiting spans (indexed by absolute x, as the row buffer) and their
// coverage runs; grown to the widest target seen and kept.
uint32_t* g_texelRows = nullptr;
size_t g_texelRowsSize = 0; // entries of one row
CoverageRun* g_runs = nullptr;
int g_runsSize = 0;

// What happens to a span's texels once they are made (texels in g_render.rowBuffer).
using FinishFn = void (*)(int i);
FinishFn g_finish = nullptr;
bool g_direct = false; // texels go straight into a 32-bit target
// Smoothed opaque fills of 32-bit targets: texels go straight into the target too, and the
// pixels the runs do not cover fully wait in the span's texel row (SaveUncovered32).
bool g_inPlace = false;
CompositeFn g_composite = nullptr; // smoothed fills

template <class T> bool Grow(T*& memory, size_t& size, size_t needed) {
    if (size >= needed) {
        return true;
    }
    auto* grown = static_cast<T*>(std::realloc(memory, needed * sizeof(T)));
    if (!grown) {
        return false;
    }
    memory = grown;
    size = needed;
    return true;
}

bool EnsureMemory() {
    const size_t row = static_cast<size_t>(g_render.target.width) + 16;
    size_t texels = g_texelRowsSize * kBatch;
    size_t runs = static_cast<size_t>(g_runsSize);
    // A row has at most one run per pixel; two rows' worth lets most batches fill.
    const size_t runsNeeded = 2 * (static_cast<size_t>(g_render.target.width) + 1);
    if (!Grow(g_texelRows, texels, row * kBatch) || !Grow(g_runs, runs, runsNeeded)) {
        return false;
    }
    g_texelRowsSize = texels / kBatch;
    g_runsSize = static_cast<int>(runs);
    return true;
}

uint32_t* TexelRow(int i) {
    return g_texelRows + g_texelRowsSize * static_cast<size_t>(i);
}

void MakeBatch() {
    Waiting& w = g_waiting;
    if (w.count == 0) {
        return;
    }
    g_imageFill.perspectiveLoop(g_imageFill, w.spans, w.count);
    if (g_inPlace) {
        for (int i = 0; i < w.count; ++i) {
            MergeSaved32(reinterpret_cast<uint32_t*>(g_render.target.Row(w.y[i])), TexelRow(i),
                         g_runs + w.firstRun[i], w.runCount[i]);
        }
    } else if (!g_direct) {
        // The finishing routines read the texels from the row buffer: it points at each
        // span's own row in turn.
        uint32_t* const rowBuffer = g_render.rowBuffer;
        for (int i = 0; i < w.count; ++i) {
            g_render.rowBuffer = TexelRow(i);
            g_finish(i);
        }
        g_render.rowBuffer = rowBuffer;
    }
    w.count = 0;
    w.runsUsed = 0;
}

void Begin() {
    g_waiting.count = 0;
    g_waiting.runsUsed = 0;
}

void RowBegin(int32_t y) {
    const PerspectiveMap& m = g_imageFill.persp;
    const double dy = y + 0.5 - g_imageFill.perspOriginY;
    g_rowU = m.uy * dy + m.u0;
    g_rowV = m.vy * dy + m.v0;
    g_rowD = m.dy * dy + m.d0;
}

void Wait(int32_t y, int32_t x0, int32_t x1) {
    Waiting& w = g_waiting;
    const ImageFillState& s = g_imageFill;
    const PerspectiveMap& m = s.persp;
    const double dx = x0 + 0.5 - s.perspOriginX;
    const int i = w.count++;
    uint32_t* out = g_direct || g_inPlace ? reinterpret_cast<uint32_t*>(g_render.target.Row(y)) + x0
                                          : TexelRow(i) + x0;
    w.spans[i] = {g_rowD + m.dx * dx, g_rowU + m.ux * dx, g_rowV + m.vx * dx, out, x1 - x0};
    w.y[i] = y;
    w.x0[i] = x0;
    w.x1[i] = x1;
}

void Span(int32_t y, int32_t x0, int32_t x1) {
    Wait(y, x0, x1);
    if (g_waiting.count == kBatch) {
        MakeBatch();
    }
}

// Smoothed fills: the span comes first, then its runs.
void SmoothedSpan(int32_t y, int32_t x0, int32_t x1) {
    Wait(y, x0, x1);
}

void WaitForRuns(int32_t y, const CoverageRun* runs, int count) {
    Waiting& w = g_waiting;
    if (w.runsUsed + count > g_runsSize) {
        // No room beside the runs of the spans before it: those are made first, and this
        // span waits on alone (the row's start values are still its own).
        const int last = w.count - 1;
        const int32_t y = w.y[last], x0 = w.x0[last], x1 = w.x1[last];
        w.count = last;
        MakeBatch();
        Wait(y, x0, x1);
    }
    const int i = w.count - 1;
    std::memcpy(g_runs + w.runsUsed, runs, static_cast<size_t>(count) * sizeof(CoverageRun));
    w.firstRun[i] = w.runsUsed;
    w.runCount[i] = count;
    w.runsUsed += count;
    if (g_inPlace) {
        PrefetchRowEdges(y, runs, count, 4);
        SaveUncovered32(reinterpret_cast<const uint32_t*>(g_render.target.Row(w.y[i])), TexelRow(i),
                        runs, count);
    }
    if (w.count == kBatch) {
        MakeBatch();
    }
}

void FinishDithered(int i) {
    const Waiting& w = g_waiting;
    image_target8::DitherSpan(w.y[i], w.x0[i], w.x1[i], g_render.rowBuffer);
}

void FinishConverted(int i) {
    const Waiting& w = g_waiting;
    ConvertRowBuffer(w.y[i], w.x0[i], w.x1[i]);
}

void FinishTransparent(int i) {
    const Waiting& w = g_waiting;
    transparency::BlendSpan(reinterpret_cast<uint32_t*>(g_render.target.Row(w.y[i])) + w.x0[i],
                            g_render.rowBuffer + w.x0[i], w.x1[i] - w.x0[i]);
}

void FinishComposited(int i) {
    const Waiting& w = g_waiting;
    g_composite(w.y[i], g_runs + w.firstRun[i], w.runCount[i]);
}

void Common(SpanPipeline& pipe) {
    pipe.begin = Begin;
    pipe.rowBegin = RowBegin;
    pipe.rowEnd = nullptr;
    pipe.end = MakeBatch;
}

} // namespace

int PerspectiveSetup(SpanPipeline& pipe) {
    if (!EnsureMemory()) {
        return kErrEdgeMemory;
    }
    Common(pipe);
    pipe.span = Span;
    g_direct = false;
    g_inPlace = false;
    if (g_render.target.format == kTarget8Bit) {
        g_finish = FinishDithered;
    } else if (g_render.target.format != kTarget32Bit) {
        g_finish = FinishConverted;
    } else if (Transparent()) {
        g_finish = FinishTransparent;
    } else {
        g_direct = true;
    }
    return 0;
}

int PerspectiveSmoothedSetup(SpanPipeline& pipe) {
    if (!EnsureMemory()) {
        return kErrEdgeMemory;
    }
    Common(pipe);
    pipe.span = SmoothedSpan;
    g_direct = false;
    g_inPlace = false;
    g_finish = FinishComposited;
    g_composite = pipe.composite;
    if (g_render.target.format == kTarget8Bit) {
        g_composite = image_target8::Composite;
    } else if (Transparent()) {
        g_composite = transparency::Composite;
    } else if (g_render.target.format == kTarget32Bit && !fast_paths::Reference()) {
        g_inPlace = true;
    }
    pipe.composite = WaitForRuns;
    return 0;
}

} // namespace image_pipeline
