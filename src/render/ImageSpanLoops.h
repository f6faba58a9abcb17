// The picture fills' span loops: one specialised loop per (edge mode, source format,
// plain channels), chosen once when a fill is set up, and one plain reference loop of
// each kind that handles every combination at run time (the tests compare the two).
#pragma once

#include "render/ImageFill.h"

#include <cstddef>

// One loop per (edge mode, source format, plain channels); plain copies exist only for
// the formats whose texels can be copied as they stand.
constexpr size_t kSpanLoopCount = size_t{kEdgeModeCount} * kSourceFormatCount * 2;

constexpr size_t SpanLoopIndex(EdgeMode mode, SourceFormat format, bool plain) {
    return (static_cast<size_t>(mode) * kSourceFormatCount + static_cast<size_t>(format)) * 2 +
           (plain ? 1 : 0);
}
static_assert(SpanLoopIndex(static_cast<EdgeMode>(kEdgeModeCount - 1),
                            static_cast<SourceFormat>(kSourceFormatCount - 1),
                            true) == kSpanLoopCount - 1);

constexpr bool HasPlainCopy(SourceFormat f) {
    return f == SourceFormat::k24Bit || f == SourceFormat::k32Bit || f == SourceFormat::k32BitX;
}

AffineLoopFn SelectAffineLoop(EdgeMode mode, SourceFormat format, bool plain);
PerspectiveLoopFn SelectPerspectiveLoop(EdgeMode mode, SourceFormat format, bool plain);

// Straightforward versions: positions kept modulo their period with a division per pixel,
// texels read byte by byte through the channel tables.
void ReferenceAffineLoop(const ImageFillState& s, int64_t u, int64_t v, uint32_t* out, int32_t n);
void ReferencePerspectiveLoop(const ImageFillState& s, const PerspectiveSpan* spans, int count);
