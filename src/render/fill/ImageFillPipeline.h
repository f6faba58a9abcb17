// The picture fills' span pipelines (Context.h): the set-up routines SetImageFill and
// SetPerspectiveImageFill register (the perspective ones: PerspectivePipeline.h).
#pragma once

#include "render/core/Context.h"

namespace image_pipeline {

int AffineSetup(SpanPipeline& pipe);
int AffineSmoothedSetup(SpanPipeline& pipe);

// Whether the fill is drawn transparent: it has a transparency kind, the target is 32 bits
// and the blend table could be made (elsewhere the fill is opaque).
bool Transparent();

} // namespace image_pipeline
