// The plain reference loops of the picture fills, which handle every combination at run
// time: positions kept modulo their period with a division per pixel, texels read byte by
// byte through the channel tables. The specialised loops must give the same pixels; the
// tests compare them.
#pragma once

#include "render/fill/ImageFill.h"

void ReferenceAffineLoop(const ImageFillState& s, int64_t u, int64_t v, uint32_t* out, int32_t n);
void ReferencePerspectiveLoop(const ImageFillState& s, const PerspectiveSpan* spans, int count);
