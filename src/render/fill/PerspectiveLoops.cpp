// The perspective span loops for processors without AVX2 (two doubles to a vector), and the
// choice between them and the AVX2 ones (PerspectiveLoopsAvx2.cpp). PerspectiveBatch.h
// holds the loops themselves.
#include "render/core/FastPaths.h"
#include "render/fill/PerspectiveLoops.h"
#include "render/fill/ImageFillReference.h"
#include "render/fill/SpanLoopTable.h"
#include "render/fill/LaneVectors.h"
#include "render/fill/PerspectiveBatch.h"

namespace perspective_avx2 {
PerspectiveLoopFn Select(size_t index);
}

PerspectiveLoopFn SelectPerspectiveLoop(EdgeMode mode, SourceFormat format, bool plain) {
    const size_t index = SpanLoopIndex(mode, format, plain);
    if (fast_paths::Reference()) {
        return ReferencePerspectiveLoop;
    }
    return fast_paths::WideVectors() ? perspective_avx2::Select(index)
                                     : perspective_batch::kLoops<Sse2Doubles>[index];
}
