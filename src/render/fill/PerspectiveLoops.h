// The perspective picture fill's span loops (PerspectiveBatch.h, compiled for SSE2 and AVX2).
#pragma once

#include "render/fill/ImageFill.h"

PerspectiveLoopFn SelectPerspectiveLoop(EdgeMode mode, SourceFormat format, bool plain);
