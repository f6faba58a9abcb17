// The two ways of building a smoothed row's coverage (one span per sub-row, and the
// general event sort) must agree pixel for pixel; random convex and self-crossing
// outlines on 32-bit and 8-bit targets.
#include "RenderTestTarget.h"
#include "render/core/FastPaths.h"
#include "render//raster/CoverageRow.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<uint32_t> Draw(const Polygon& p, int bits, int style, bool fastPath) {
    TestTarget t(48, 40, bits);
    if (bits == 8) {
        SetTargetPalette(UseStandardPalette(0));
    }
    for (auto& w : t.storage) {
        w = 0x80604020u;
    }
    SetSmoothing(1);
    SetSolidFill(0x00C08040);
    fast_paths::AllowCoverageShortcuts(fastPath);
    const int result = p.Fill(style);
    fast_paths::AllowCoverageShortcuts(true);
    EXPECT_EQ(result, 0);
    return t.storage;
}

TEST(CoveragePaths, FastAndGeneralPathsAgree) {
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> coord(-6.0, 54.0);
    for (int round = 0; round < 200; ++round) {
        Polygon p;
        const int corners = 3 + round % 5;
        for (int i = 0; i < corners; ++i) {
            p.Add(coord(random), coord(random));
        }
        for (int bits : {32, 8}) {
            EXPECT_EQ(Draw(p, bits, round & 1, true), Draw(p, bits, round & 1, false))
                << "round " << round << " bits " << bits;
        }
    }
}

} // namespace
