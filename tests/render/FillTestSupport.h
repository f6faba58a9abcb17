// Shared scaffolding of the picture-fill tests: a small bound target with pixel-unit
// coordinates, and little pictures built in memory.
#pragma once

#include "render/core/Context.h"
#include "render/Renderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace filltest {

// 16.16 point from pixels.
inline POINT Pt(double x, double y) {
    return {static_cast<LONG>(x * 65536), static_cast<LONG>(y * 65536)};
}

// A picture in a packed layout of our own: header, and separately the rows (memory order)
// and, for 8 bits or fewer, a colour table.
struct Picture {
    BITMAPINFOHEADER header{};
    std::vector<uint8_t> bits;
    std::vector<RGBQUAD> colours;
    int stride = 0;

    Picture(int w, int h, int bpp, int planes = 1) {
        header.biSize = 40;
        header.biWidth = w;
        header.biHeight = h;
        header.biPlanes = static_cast<WORD>(planes);
        header.biBitCount = static_cast<WORD>(bpp);
        stride = (w * bpp + 31) / 32 * 4;
        bits.assign(static_cast<size_t>(stride) * h, 0);
        colours.assign(256, RGBQUAD{});
    }
    uint8_t* Row(int v) { return bits.data() + static_cast<size_t>(v) * stride; }
    void Set32(int u, int v, uint32_t bgrx) { std::memcpy(Row(v) + 4 * u, &bgrx, 4); }
};

// Binds a w x h target (32 or 8 bits) with device pixel = user unit and rows counted in
// memory order, so that Pt(x, y) is pixel column x, memory row y.
class TargetFixture : public ::testing::Test {
  protected:
    void Bind(int w, int h, int bpp = 32) {
        SetMemoryHandlers(std::malloc, std::free);
        header_ = {};
        header_.biSize = 40;
        header_.biWidth = w;
        header_.biHeight = h;
        header_.biPlanes = 1;
        header_.biBitCount = static_cast<WORD>(bpp);
        stride_ = bpp == 32 ? w * 4 : bpp == 16 ? ((w + 1) & ~1) * 2 : (w + 3) & ~3;
        pixels_.assign(static_cast<size_t>(stride_) * h, 0);
        ASSERT_EQ(BindTarget(&header_, pixels_.data(), 2), 0);
        const RenderTransform identity = {0x4000, 0, 0, 0x4000, 0, 0};
        ASSERT_EQ(SetTransform(&identity), 0);
        SetSmoothing(0);
    }
    uint32_t Px(int x, int y) const {
        uint32_t v;
        std::memcpy(&v, pixels_.data() + static_cast<size_t>(y) * stride_ + 4 * x, 4);
        return v & 0x00FFFFFFu;
    }
    uint8_t Index(int x, int y) const { return pixels_[static_cast<size_t>(y) * stride_ + x]; }
    void Clear(uint32_t bgrx) {
        for (size_t i = 0; i + 4 <= pixels_.size(); i += 4) {
            std::memcpy(pixels_.data() + i, &bgrx, 4);
        }
    }
    // Fills the rectangle [x0, x1) x [y0, y1) in pixels with the current fill.
    int FillRect(double x0, double y0, double x1, double y1) {
        const POINT pts[4] = {Pt(x0, y0), Pt(x1, y0), Pt(x1, y1), Pt(x0, y1)};
        const BYTE verbs[4] = {kVerbMoveTo, kVerbLineTo, kVerbLineTo, kVerbLineTo};
        return FillOutline(pts, verbs, 4, 0);
    }

    BITMAPINFOHEADER header_{};
    std::vector<uint8_t> pixels_;
    int stride_ = 0;
};

} // namespace filltest
