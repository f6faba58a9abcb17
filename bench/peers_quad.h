// The peers' flat quad: a square face seen at an angle (far edge 80% of the near edge),
// rotated 20 degrees about the centre of a 1920x1080 frame, area exactly 25% of the frame
// (518,400 px). Corners in pixels, x right, y down. The same geometry as the stand-alone
// peer benchmark, so that its figures and ours compare.
#pragma once

#include <pixman.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace peers {

constexpr int kFrameWidth = 1920;
constexpr int kFrameHeight = 1080;

struct Point2 {
    double x, y;
};
struct Quad {
    Point2 p[4];
};

Quad MakeFlatQuad();
double QuadArea(const Quad& q);

// The quad as horizontal trapezoids (one per band between corner ys), for pixman.
std::vector<pixman_trapezoid_t> QuadToTrapezoids(const Quad& q);

// A frame-sized 32-bit buffer, 64-byte aligned and zeroed.
struct FrameBuffer {
    uint32_t* pixels = nullptr;
    size_t count = 0;
    explicit FrameBuffer(size_t pixelCount);
    ~FrameBuffer();
    FrameBuffer(const FrameBuffer&) = delete;
    FrameBuffer& operator=(const FrameBuffer&) = delete;
};

// Keeps the compiler from dropping stores to memory it never reads.
inline void Clobber() {
    asm volatile("" ::: "memory");
}

} // namespace peers
