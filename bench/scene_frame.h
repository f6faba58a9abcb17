// One frame of the scene as a list of drawing operations, recorded from a real draw so that
// a peer renderer can draw exactly the same frame: the same clears, the same quads, the same
// pictures and picture corners, all taken from our own projection.
#pragma once

#include "platform/Win32.h"

#include <vector>

struct SceneFrameOp {
    enum Kind { Clear, Colour, Bitmap, Quad } kind;
    RECT box;                    // Clear: device pixels
    BYTE rgba[4];                // Colour
    double intensity;            // Colour, Bitmap
    const BITMAPINFOHEADER* dib; // Bitmap
    int edgeMode;                // Bitmap
    POINT corners[4];            // Bitmap: picture (0,0), (1,0), (0,1), (1,1); Quad: outline
};

struct SceneFrame {
    int width = 0;
    int height = 0;
    std::vector<SceneFrameOp> ops;
};
