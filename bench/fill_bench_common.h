// Shared pieces of the picture-fill benchmarks: the 512x512 picture, the maps between
// texels and the peers' quad, and the per-pixel counter.
#pragma once

#include "peers_quad.h"

#include "platform/Win32.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace fillbench {

constexpr int kPictureSide = 512;

// 512 x 512, first row first in memory. 32 bits: bytes B, G, R, X with no black texel;
// 8 bits: indices into 256 colours.
struct Picture {
    int bits;
    BITMAPINFOHEADER header{};
    std::vector<uint8_t> pixels;
    RGBQUAD colours[256];
    explicit Picture(int bitsPerPixel);
};

// 3x3 on column vectors (x, y, 1).
struct Map3 {
    double m[3][3];
};
Map3 Multiply(const Map3& a, const Map3& b);
Map3 Inverse(const Map3& a);
// Texels -> screen pixels for the quad: by p0, p1, p3, or projectively by all four.
Map3 TextureToScreenAffine(const peers::Quad& q);
Map3 TextureToScreenProjective(const peers::Quad& q);
// pixman's source transform: screen (offset by the quad's rounded centre, returned in
// ox, oy, to be passed negated as the source origin) -> texels, scaled for 16.16.
Map3 PixmanSourceMap(const Map3& toScreen, const peers::Quad& q, int& ox, int& oy);

double QuadArea();

inline void SetPixelCounter(benchmark::State& state, double pixels) {
    state.counters["ns_per_px"] = benchmark::Counter(
        pixels * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace fillbench
