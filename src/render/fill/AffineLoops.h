// The affine picture fill's span loops (AffineLoops.cpp, AffineAvx2.h).
#pragma once

#include "render/fill/ImageFill.h"

AffineLoopFn SelectAffineLoop(EdgeMode mode, SourceFormat format, bool plain);
