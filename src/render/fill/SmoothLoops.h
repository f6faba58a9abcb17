// The smooth picture fills' span loops: the plain reference (SmoothReference.cpp) and the
// fast ones (SmoothBatch.h for perspective spans, compiled for SSE2 and AVX2; the affine
// loop in SmoothLoops.cpp), which give the reference's pixels bit for bit.
#pragma once

#include "render/fill/ImageFill.h"

void ReferenceSmoothAffineLoop(const ImageFillState& s, int64_t u, int64_t v, uint32_t* out,
                               int32_t n);
void ReferenceSmoothPerspectiveLoop(const ImageFillState& s, const PerspectiveSpan* spans,
                                    int count);

AffineLoopFn SelectSmoothAffineLoop(EdgeMode mode);
PerspectiveLoopFn SelectSmoothPerspectiveLoop(EdgeMode mode);
