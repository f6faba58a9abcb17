#include "scene/CubeGeometry.h"

#include <cstdint>

const float kCornerTable[kCubeCorners][3] = {
    {-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}, {-0.5f, 0.5f, -0.5f}, {0.5f, 0.5f, -0.5f},
    {-0.5f, -0.5f, 0.5f},  {0.5f, -0.5f, 0.5f},  {-0.5f, 0.5f, 0.5f},  {0.5f, 0.5f, 0.5f},
};

Vector LightDirection() {
    return {0.4082482904638631, -0.4082482904638631, 0.8164965809277261, 0};
}

void MakeCubeVertices(double extentX, double extentY, double extentZ, Vector* vertices) {
    for (int k = 0; k < kCubeCorners; ++k) {
        vertices[k] = {kCornerTable[k][0] * extentX, kCornerTable[k][1] * extentY,
                       kCornerTable[k][2] * extentZ, 1};
    }
}

Vector FaceNormal(const Vector* vertices, const BYTE* index) {
    const Vector& a = vertices[index[0]];
    const Vector& b = vertices[index[1]];
    const Vector& c = vertices[index[2]];
    const Vector ca{c.x - a.x, c.y - a.y, c.z - a.z, 0};
    const Vector ba{b.x - a.x, b.y - a.y, b.z - a.z, 0};
    Vector n = Cross(ca, ba);
    Normalise(&n);
    n.w = 0;
    return n;
}

namespace {

// A signed 128-bit product as (high, low) words; enough for any product of two
// differences of 32-bit coordinates, which can need 65 bits.
struct Wide {
    int64_t high;
    uint64_t low;
};

Wide MultiplyWide(int64_t a, int64_t b) {
    const bool negative = (a < 0) != (b < 0);
    const uint64_t ua = a < 0 ? 0 - static_cast<uint64_t>(a) : static_cast<uint64_t>(a);
    const uint64_t ub = b < 0 ? 0 - static_cast<uint64_t>(b) : static_cast<uint64_t>(b);
    const uint64_t aLo = ua & 0xFFFFFFFFu, aHi = ua >> 32;
    const uint64_t bLo = ub & 0xFFFFFFFFu, bHi = ub >> 32;
    const uint64_t ll = aLo * bLo, lh = aLo * bHi, hl = aHi * bLo, hh = aHi * bHi;
    const uint64_t middle = (ll >> 32) + (lh & 0xFFFFFFFFu) + (hl & 0xFFFFFFFFu);
    uint64_t low = (middle << 32) | (ll & 0xFFFFFFFFu);
    uint64_t high = hh + (lh >> 32) + (hl >> 32) + (middle >> 32);
    if (negative) {
        low = ~low + 1;
        high = ~high + (low == 0 ? 1 : 0);
    }
    return {static_cast<int64_t>(high), low};
}

bool Greater(const Wide& a, const Wide& b) {
    return a.high != b.high ? a.high > b.high : a.low > b.low;
}

} // namespace

bool IsFrontFace(const ScreenPoint* points, const BYTE* index) {
    for (int i = 0; i < 4; ++i) {
        if (!points[index[i]].visible) {
            return false;
        }
    }
    const ScreenPoint& p0 = points[index[0]];
    const ScreenPoint& p1 = points[index[1]];
    const ScreenPoint& p2 = points[index[2]];
    const int64_t ax = int64_t{p2.x} - p1.x, ay = int64_t{p0.y} - p1.y;
    const int64_t bx = int64_t{p0.x} - p1.x, by = int64_t{p2.y} - p1.y;
    return Greater(MultiplyWide(ax, ay), MultiplyWide(bx, by));
}

double FaceLightCosine(const Matrix& model, const Vector& normal, const Vector& light) {
    Vector n = Transform(model, normal);
    Normalise(&n);
    return -(light.x * n.x + light.y * n.y + light.z * n.z);
}
