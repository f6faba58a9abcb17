// The perspective picture fill's span pipelines: spans wait in batches for the loops of
// PerspectiveBatch.h and are finished in the order they came.
#pragma once

#include "render/core/Context.h"

namespace image_pipeline {

int PerspectiveSetup(SpanPipeline& pipe);
int PerspectiveSmoothedSetup(SpanPipeline& pipe);

} // namespace image_pipeline
