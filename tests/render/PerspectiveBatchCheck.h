// One check the picture-fill loop tests share: a random batch of perspective spans made by
// the current fill's loop and by a reference loop.
#pragma once

#include "render/core/Context.h"
#include "render/fill/ImageFill.h"
#include "render/fill/ImageFillReference.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

// A batch of 1 to 8 spans of the current perspective fill, starting at any pixel of rows
// around the quad and running up to `longest` pixels, made by the fill's loop and by the
// reference (the exact fill's unless told); false (with a message) when any texel differs.
inline ::testing::AssertionResult
PerspectiveBatchMatches(std::mt19937& rng, int32_t longest,
                        PerspectiveLoopFn reference = ReferencePerspectiveLoop) {
    const ImageFillState& s = g_imageFill;
    const PerspectiveMap& m = s.persp;
    const int count = 1 + static_cast<int>(rng() % kPerspectiveBatch);
    PerspectiveSpan fast[kPerspectiveBatch], ref[kPerspectiveBatch];
    std::vector<uint32_t> fastOut[kPerspectiveBatch], refOut[kPerspectiveBatch];
    const double y0 = static_cast<double>(rng() % 400) - 100.0;
    for (int i = 0; i < count; ++i) {
        const double x = static_cast<double>(rng() % 400) - 100.0;
        // Mostly the rows below one another, as an outline gives them; sometimes anywhere.
        const double y = rng() % 4 ? y0 + i : static_cast<double>(rng() % 400) - 100.0;
        const double dx = x + 0.5 - s.perspOriginX, dy = y + 0.5 - s.perspOriginY;
        const int32_t n = 1 + static_cast<int32_t>(rng() % static_cast<uint32_t>(longest));
        fastOut[i].assign(n, 0xDEADBEEF);
        refOut[i].assign(n, 0xFEEDFACE);
        fast[i] = {m.dx * dx + m.dy * dy + m.d0, m.ux * dx + m.uy * dy + m.u0,
                   m.vx * dx + m.vy * dy + m.v0, fastOut[i].data(), n};
        ref[i] = fast[i];
        ref[i].out = refOut[i].data();
    }
    s.perspectiveLoop(s, fast, count);
    reference(s, ref, count);
    for (int i = 0; i < count; ++i) {
        if (fastOut[i] != refOut[i]) {
            size_t k = 0;
            while (fastOut[i][k] == refOut[i][k]) {
                ++k;
            }
            return ::testing::AssertionFailure()
                   << "span " << i << " of " << count << " pixel " << k << " of " << fast[i].n
                   << ": " << fastOut[i][k] << " against " << refOut[i][k] << ", mode "
                   << int(s.mode) << " format " << int(s.format) << " plain " << s.plain;
        }
    }
    return ::testing::AssertionSuccess();
}
