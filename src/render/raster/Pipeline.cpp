// Selecting the span pipeline for the current fill, and the row buffer it writes into.
#include "render/raster/Pipeline.h"

#include "render/core/Context.h"

#include <cstdlib>

namespace {

// The row buffer grows to the widest target seen (plus slack for wide stores) and is
// kept: no allocation per frame once the target size is stable.
bool EnsureRowBuffer() {
    const size_t needed = static_cast<size_t>(g_render.target.width) + 16;
    if (g_render.rowBufferSize >= needed) {
        return true;
    }
    auto* grown = static_cast<uint32_t*>(std::realloc(g_render.rowBuffer, needed * 4));
    if (!grown) {
        return false;
    }
    g_render.rowBuffer = grown;
    g_render.rowBufferSize = needed;
    return true;
}

} // namespace

int SelectPipeline(bool smooth) {
    if (!g_render.target.pixels) {
        return kErrNoTarget;
    }
    const FillState& fill = g_render.fill;
    if (fill.kind == kFillNone || !fill.setup) {
        return kErrNoFill;
    }
    if (!EnsureRowBuffer()) {
        return kErrEdgeMemory;
    }
    SpanPipeline& pipe = g_render.pipe;
    pipe = SpanPipeline{};
    if (!smooth) {
        const int error = fill.setup(pipe);
        return error ? error : pipe.span ? 0 : kErrNoFill;
    }
    pipe.composite = CompositorFor(g_render.target.format, g_render.target.mode16);
    if (!pipe.composite || !fill.smoothedSetup) {
        return kErrNoSmoothing;
    }
    const int error = fill.smoothedSetup(pipe);
    return error ? error : pipe.composite ? 0 : kErrNoSmoothing;
}
