// The picture fills' span pipelines (Context.h): the set-up routines SetImageFill and
// SetPerspectiveImageFill register, and the span routines they install.
#pragma once

#include "render/Context.h"

namespace image_pipeline {

int AffineSetup(SpanPipeline& pipe);
int AffineSmoothedSetup(SpanPipeline& pipe);
int PerspectiveSetup(SpanPipeline& pipe);
int PerspectiveSmoothedSetup(SpanPipeline& pipe);

// Whether the fill is drawn transparent: it has a transparency kind, the target is 32 bits
// and the blend table could be made (elsewhere the fill is opaque).
bool Transparent();

} // namespace image_pipeline
