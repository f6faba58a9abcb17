// The fixed set of fills that fillcheck draws: flat colours and picture fills of
// every texture depth, in all six edge modes, affine and perspective, opaque and
// transparent, each in one cell of a 256 × 192 region. The same calls go to the window's
// DIB-section region under Windows and to the in-memory region natively; the two
// bitmaps must come out identical.
#pragma once

#include "platform/Win32.h"

class RastelRegion;

constexpr int kFillSetWidth = 256;
constexpr int kFillSetHeight = 192;

// Draws the set between the region's BeginFrame and EndFrame (the caller's). picture: the
// default picture (any packed picture will do; null leaves those cells flat).
void DrawFillSet(RastelRegion* region, const BITMAPINFOHEADER* picture);
