// An OSMesa context drawing into a frame-sized RGBA user buffer, for the OpenGL peer
// rows. One per process: Mesa reads its driver settings once.
#pragma once

#include "peers_quad.h"

namespace peers {

// Creates the context on first use and makes it current; false when OSMesa cannot.
bool StartGl();
// Draws the quad aliased in a flat colour (0xRRGGBB) and waits for it (glFinish).
void DrawGlQuad(const Quad& q, uint32_t rgb);

} // namespace peers
