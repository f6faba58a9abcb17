// Geometry shared by the box and the picture cube: the unit cube's corners, the world
// light, face normals, the front-face test and the light a face receives.
#pragma once

#include "platform/Win32.h"
#include "scene/Matrix.h"
#include "scene/Projection.h"

constexpr int kCubeCorners = 8;
constexpr int kCubeFaces = 6;

// Corners of the unit cube centred on the origin: bit 0 of the index is +x, bit 1 +y,
// bit 2 +z.
extern const float kCornerTable[kCubeCorners][3];

// A face as the built-in tables hold it: the corner count (always 4) and 16 index bytes of
// which the first four are used.
struct FaceTableEntry {
    BYTE count;
    BYTE index[16];
};

// (1, −1, 2)/√6 in world space, the same for every object.
Vector LightDirection();

// Vertex k = corner k scaled by the three extents, w = 1.
void MakeCubeVertices(double extentX, double extentY, double extentZ, Vector* vertices);

// normalise((c − a) × (b − a)) for a, b, c the vertices of the face's first three corners;
// it points out of the cube with the tables' corner orders.
Vector FaceNormal(const Vector* vertices, const BYTE* index);

// A face is drawn only when all four corners are in front of the camera and its first
// three corners turn the front way on the screen. The cross products are compared
// exactly, so a face seen edge-on (equal products) is not drawn.
bool IsFrontFace(const ScreenPoint* points, const BYTE* index);

// d = −(light · normalise(model · normal)), the cosine between the face and the light;
// it is lit only when d > 0. The normal turns with the model alone, so the light stays
// fixed in the world.
double FaceLightCosine(const Matrix& model, const Vector& normal, const Vector& light);
