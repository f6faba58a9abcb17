// Vertex projection: object vertices through model, view and projection matrices to the
// drawing region's 16.16 scene coordinates (origin at the centre, y upwards).
#pragma once

#include "scene/Matrix.h"

#include <cstdint>

struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
    int visible = 0;
};

// Projects count vertices (points, w = 1) and returns the depth: the smallest camera-space
// z of all of them, 1e10 when there are none. A vertex with camera z ≤ 0 (or not a number)
// is marked invisible and keeps its old screen position; it still lowers the depth.
double Project(const Matrix& view, const Matrix& projection, const Matrix& model,
               const Vector* vertices, ScreenPoint* points, int count);

// Truncates toward zero like the conversion instruction, but saturates at the int32 limits
// (points a hair in front of the camera land far outside any region) and maps not-a-number
// to 0 instead of leaving the result undefined.
int32_t TruncateToInt32(double v);
