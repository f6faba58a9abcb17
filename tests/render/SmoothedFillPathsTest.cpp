// Smoothed opaque picture fills of 32-bit targets composite in place: the texels go straight
// into the target, and the pixels the coverage runs do not cover fully are kept aside and
// put back or blended afterwards. They must leave exactly what the row buffer and the
// default compositor leave: random fills over random outlines (convex, self-crossing, and
// thin slivers whose rows have gaps between runs) on a target of noise, drawn with the fast
// paths and again with every fast path off.
#include "RenderTestTarget.h"
#include "render/core/FastPaths.h"
#include "render/raster/Pipeline.h"
#include "render/target/Compositors.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

struct Picture {
    BITMAPINFOHEADER header{};
    std::vector<uint32_t> texels;
};

Picture RandomPicture(std::mt19937& random) {
    Picture p;
    p.header.biSize = 40;
    p.header.biWidth = 1 + static_cast<LONG>(random() % 40);
    p.header.biHeight = 1 + static_cast<LONG>(random() % 40);
    p.header.biPlanes = 1;
    p.header.biBitCount = 32;
    p.texels.resize(static_cast<size_t>(p.header.biWidth) * p.header.biHeight);
    for (auto& t : p.texels) {
        t = static_cast<uint32_t>(random());
    }
    return p;
}

Polygon RandomOutline(std::mt19937& random, int round) {
    std::uniform_real_distribution<double> coord(-6.0, 70.0);
    Polygon p;
    if (round % 3 == 0) {
        // A sliver a few sub-rows tall: its rows' sub-row spans barely overlap.
        const double x = coord(random), y = coord(random);
        const double dx = 10 + coord(random), dy = 0.05 + 0.5 * (random() % 100) / 100.0;
        return p.Add(x, y).Add(x + dx, y + dy).Add(x + 0.3, y + 2 * dy);
    }
    const int corners = 3 + round % 4;
    for (int i = 0; i < corners; ++i) {
        p.Add(coord(random), coord(random));
    }
    return p;
}

std::vector<uint32_t> Draw(const Picture& picture, const Polygon& outline, const POINT* corners,
                           bool perspective, int mode, bool reference) {
    TestTarget t(64, 48);
    std::mt19937 noise(99);
    for (auto& w : t.storage) {
        w = static_cast<uint32_t>(noise());
    }
    SetSmoothing(1);
    fast_paths::ForceReference(reference);
    const int set =
        perspective
            ? SetPerspectiveImageFill(&picture.header, picture.texels.data(), mode, &corners[0],
                                      &corners[1], &corners[2], &corners[3], 0x123456, nullptr,
                                      nullptr, nullptr, nullptr, nullptr, 0)
            : SetImageFill(&picture.header, picture.texels.data(), mode, &corners[0], &corners[1],
                           &corners[3], 0x123456, nullptr, nullptr, nullptr, nullptr, nullptr, 0);
    const int filled = outline.Fill(outline.points.size() % 2 ? 0 : kStyleWinding);
    fast_paths::ForceReference(false);
    EXPECT_EQ(set, 0);
    EXPECT_EQ(filled, 0);
    return t.storage;
}

TEST(SmoothedFillPaths, InPlaceCompositingMatchesTheRowBuffer) {
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> coord(-10.0, 74.0);
    for (int round = 0; round < 300; ++round) {
        const Picture picture = RandomPicture(random);
        const Polygon outline = RandomOutline(random, round);
        POINT corners[4];
        for (auto& c : corners) {
            c = Px(coord(random), coord(random));
        }
        const bool perspective = round % 2 == 0;
        const int mode = static_cast<int>(random() % 6);
        EXPECT_EQ(Draw(picture, outline, corners, perspective, mode, false),
                  Draw(picture, outline, corners, perspective, mode, true))
            << "round " << round << (perspective ? " perspective" : " affine");
    }
}

// The two halves of compositing in place, on random runs with gaps between them, against
// the default compositor reading the fill's pixels from the row buffer.
TEST(SmoothedFillPaths, SavedPixelsMergeAsTheDefaultCompositorBlends) {
    std::mt19937 random(11);
    TestTarget a(64, 2), b(64, 2);
    std::vector<uint32_t> fill(64), saved(64);
    for (int round = 0; round < 300; ++round) {
        for (size_t i = 0; i < a.storage.size(); ++i) {
            a.storage[i] = b.storage[i] = static_cast<uint32_t>(random());
        }
        for (auto& f : fill) {
            f = static_cast<uint32_t>(random());
        }
        std::vector<CoverageRun> runs;
        int32_t x = static_cast<int32_t>(random() % 8);
        while (x < 60) {
            const int32_t len = 1 + static_cast<int32_t>(random() % 6);
            const int32_t coverage = random() % 3 ? 25 : 1 + static_cast<int32_t>(random() % 25);
            runs.push_back({x, std::min(x + len, 64), coverage});
            x += len + static_cast<int32_t>(random() % 3);
        }
        const int count = static_cast<int>(runs.size());
        a.Bind();
        SetSolidFill(0);
        ASSERT_EQ(SelectPipeline(true), 0);
        std::copy(fill.begin(), fill.end(), g_render.rowBuffer);
        CompositorFor(kTarget32Bit, 0)(1, runs.data(), count);

        auto* row = reinterpret_cast<uint32_t*>(b.Row(1));
        SaveUncovered32(row, saved.data(), runs.data(), count);
        std::copy(fill.begin() + runs[0].x0, fill.begin() + runs[count - 1].x1, row + runs[0].x0);
        MergeSaved32(row, saved.data(), runs.data(), count);
        ASSERT_EQ(a.storage, b.storage) << "round " << round;
    }
}

} // namespace
