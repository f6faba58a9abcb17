// The picture fills' span loops: one specialised loop per (edge mode, source format,
// plain channels), chosen once when a fill is set up, and one plain reference loop of
// each kind that handles every combination at run time (the tests compare the two).
#pragma once

#include "render/ImageFill.h"

AffineLoopFn SelectAffineLoop(EdgeMode mode, SourceFormat format, bool plain);
PerspectiveLoopFn SelectPerspectiveLoop(EdgeMode mode, SourceFormat format, bool plain);

// Straightforward versions: positions kept modulo their period with a division per pixel,
// texels read byte by byte through the channel tables.
void ReferenceAffineLoop(const ImageFillState& s, int64_t u, int64_t v, uint32_t* out, int32_t n);
void ReferencePerspectiveLoop(const ImageFillState& s, PerspectiveWalker& walk, uint32_t* out,
                              int32_t n);
