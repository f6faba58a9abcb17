// Which texel lands under each pixel centre: small known affine mappings in every edge
// mode, heavily minified pictures in the tiled modes, perspective quads against an
// independent inverse of the projective map, and the parallelogram case.
#include "FillTestSupport.h"

#include "render/core/FastPaths.h"
#include "render/fill/ImageFill.h"

#include <algorithm>
#include <cmath>

namespace {

using filltest::Picture;
using filltest::Pt;

// A picture whose texel (u, v) reads as red u, green v, blue 0x11.
Picture Labelled(int w, int h) {
    Picture pic(w, h, 32);
    for (int v = 0; v < h; ++v) {
        for (int u = 0; u < w; ++u) {
            pic.Set32(u, v, (uint32_t(u) << 16) | (uint32_t(v) << 8) | 0x11);
        }
    }
    return pic;
}

int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
int Mod(int a, int b) {
    return a - FloorDiv(a, b) * b;
}

constexpr uint32_t kOutsideColour = 0x00112233; // R 0x33, G 0x22, B 0x11
constexpr uint32_t kOutsidePixel = 0x00332211;  // as bytes B, G, R

// The pixel the edge mode gives for texel position (tu, tv).
uint32_t Expected(int mode, int tu, int tv, int w, int h, int brick) {
    switch (mode) {
    case 0:
        tu = tu < 0 ? 0 : tu >= w ? w - 1 : tu;
        tv = tv < 0 ? 0 : tv >= h ? h - 1 : tv;
        break;
    case 1:
        if (tu < 0 || tu >= w || tv < 0 || tv >= h) {
            return kOutsidePixel;
        }
        break;
    case 2:
        tu = Mod(tu, w);
        tv = Mod(tv, h);
        break;
    case 3:
        tu = Mod(tu, 2 * w) < w ? Mod(tu, 2 * w) : 2 * w - 1 - Mod(tu, 2 * w);
        tv = Mod(tv, 2 * h) < h ? Mod(tv, 2 * h) : 2 * h - 1 - Mod(tv, 2 * h);
        break;
    case 4: {
        const bool odd = Mod(FloorDiv(tv, h), 2) == 1;
        tu = Mod(tu + (odd ? brick : 0), w);
        tv = Mod(tv, h);
        break;
    }
    case 5: {
        const bool odd = Mod(FloorDiv(tu, w), 2) == 1;
        tv = Mod(tv + (odd ? brick : 0), h);
        tu = Mod(tu, w);
        break;
    }
    }
    return (uint32_t(tu) << 16) | (uint32_t(tv) << 8) | 0x11;
}

class FillMapping : public filltest::TargetFixture {};

// Picture 4 x 3 at two pixels per texel with its corner at (3, 2): the pixel centre
// (x + 1/2, y + 1/2) shows texel (floor((x - 2.5) / 2), floor((y - 1.5) / 2)).
TEST_F(FillMapping, TexelUnderEachPixelCentreInEveryEdgeMode) {
    Bind(24, 16);
    Picture pic = Labelled(4, 3);
    const int brick = 7; // reduced to -1, the same texels as 3
    for (int mode = 0; mode <= 5; ++mode) {
        for (int perspective = 0; perspective < 2; ++perspective) {
            Clear(0);
            const POINT p0 = Pt(3, 2), p1 = Pt(11, 2), p2 = Pt(11, 8), p3 = Pt(3, 8);
            const int rc = perspective
                               ? SetPerspectiveImageFill(&pic.header, pic.bits.data(), mode, &p0,
                                                         &p1, &p2, &p3, kOutsideColour, nullptr,
                                                         nullptr, nullptr, nullptr, nullptr, brick)
                               : SetImageFill(&pic.header, pic.bits.data(), mode, &p0, &p1, &p3,
                                              kOutsideColour, nullptr, nullptr, nullptr, nullptr,
                                              nullptr, brick);
            ASSERT_EQ(rc, 0);
            ASSERT_EQ(FillRect(0, 0, 24, 16), 0);
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 24; ++x) {
                    const int tu = static_cast<int>(std::floor((x - 2.5) / 2));
                    const int tv = static_cast<int>(std::floor((y - 1.5) / 2));
                    ASSERT_EQ(Px(x, y), Expected(mode, tu, tv, 4, 3, brick))
                        << "mode " << mode << " pixel " << x << "," << y;
                }
            }
        }
    }
}

// A 5 x 3 picture squeezed into 3/128 x 5/64 of a pixel: about 213 texels per pixel
// along a row and 38 across rows. The reduced steps must still land on the texel the
// exact position gives (pixels whose exact position is within a hair of a texel edge,
// where the fixed-point rounding may go either way, are skipped).
TEST_F(FillMapping, HeavilyMinifiedPictureInTiledModes) {
    Bind(40, 12);
    Picture pic = Labelled(5, 3);
    const double lenX = 3.0 / 128, lenY = 5.0 / 64;
    int checked = 0;
    for (int mode = 2; mode <= 5; ++mode) {
        Clear(0);
        const POINT p0 = Pt(0, 0), p1 = Pt(lenX, 0), p2 = Pt(0, lenY);
        ASSERT_EQ(SetImageFill(&pic.header, pic.bits.data(), mode, &p0, &p1, &p2, 0, nullptr,
                               nullptr, nullptr, nullptr, nullptr, 2),
                  0);
        ASSERT_EQ(FillRect(0, 0, 40, 12), 0);
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 40; ++x) {
                const double u = (x + 0.5) * 5 / lenX, v = (y + 0.5) * 3 / lenY;
                if (std::fabs(u - std::round(u)) < 1e-6 || std::fabs(v - std::round(v)) < 1e-6) {
                    continue;
                }
                ASSERT_EQ(Px(x, y), Expected(mode, static_cast<int>(std::floor(u)),
                                             static_cast<int>(std::floor(v)), 5, 3, 2))
                    << "mode " << mode << " pixel " << x << "," << y;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 1000);
}

// The projective map of the unit square onto corners q[0..3] (Heckbert), and its inverse
// found by Newton's method: independent of the fill's adjugate form.
struct Quad {
    double x[4], y[4];
    void Forward(double s, double t, double& px, double& py) const {
        const double sx = x[0] - x[1] + x[2] - x[3], sy = y[0] - y[1] + y[2] - y[3];
        const double dx1 = x[1] - x[2], dx2 = x[3] - x[2], dy1 = y[1] - y[2], dy2 = y[3] - y[2];
        const double den = dx1 * dy2 - dx2 * dy1;
        const double g = (sx * dy2 - sy * dx2) / den, h = (dx1 * sy - dy1 * sx) / den;
        const double a = x[1] - x[0] + g * x[1], b = x[3] - x[0] + h * x[3];
        const double d = y[1] - y[0] + g * y[1], e = y[3] - y[0] + h * y[3];
        const double q = g * s + h * t + 1;
        px = (a * s + b * t + x[0]) / q;
        py = (d * s + e * t + y[0]) / q;
    }
    bool Inverse(double px, double py, double& s, double& t) const {
        s = 0.5;
        t = 0.5;
        for (int i = 0; i < 50; ++i) {
            double fx, fy, ax, ay, bx, by;
            Forward(s, t, fx, fy);
            Forward(s + 1e-7, t, ax, ay);
            Forward(s, t + 1e-7, bx, by);
            const double j00 = (ax - fx) / 1e-7, j10 = (ay - fy) / 1e-7;
            const double j01 = (bx - fx) / 1e-7, j11 = (by - fy) / 1e-7;
            const double det = j00 * j11 - j01 * j10;
            const double ex = px - fx, ey = py - fy;
            s += (j11 * ex - j01 * ey) / det;
            t += (j00 * ey - j10 * ex) / det;
        }
        double cx, cy;
        Forward(s, t, cx, cy);
        return std::fabs(cx - px) < 1e-9 && std::fabs(cy - py) < 1e-9;
    }
};

TEST_F(FillMapping, PerspectiveTexelsFollowTheProjectiveMap) {
    Bind(64, 48);
    const int w = 16, h = 12;
    Picture pic = Labelled(w, h);
    const Quad quads[] = {
        {{4.2, 58.7, 50.1, 9.9}, {3.1, 8.4, 40.9, 44.3}},
        {{10.3, 40.2, 62.5, 1.7}, {2.2, 5.9, 46.6, 30.1}},
        {{60.0, 8.5, 12.25, 55.5}, {44.0, 40.0, 3.0, 6.5}}, // mirrored and upside down
    };
    int checked = 0;
    for (const Quad& q : quads) {
        Clear(0);
        POINT p[4];
        for (int i = 0; i < 4; ++i) {
            p[i] = Pt(q.x[i], q.y[i]);
        }
        // Work from the corners as the fill sees them (16.16, then 18.14).
        Quad exact;
        for (int i = 0; i < 4; ++i) {
            exact.x[i] = (p[i].x >> 2) / 16384.0;
            exact.y[i] = (p[i].y >> 2) / 16384.0;
        }
        ASSERT_EQ(SetPerspectiveImageFill(&pic.header, pic.bits.data(), 1, &p[0], &p[1], &p[2],
                                          &p[3], kOutsideColour, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, 0),
                  0);
        ASSERT_EQ(g_render.fill.kind, kFillPerspective);
        ASSERT_EQ(FillRect(0, 0, 64, 48), 0);
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                double s, t;
                ASSERT_TRUE(exact.Inverse(x + 0.5, y + 0.5, s, t));
                const double u = s * w, v = t * h;
                // The per-pixel reciprocal is refined, not divided: allow a hundredth of a
                // texel on these strongly slanted quads.
                if (std::fabs(u - std::round(u)) < 1e-2 || std::fabs(v - std::round(v)) < 1e-2) {
                    continue;
                }
                ASSERT_EQ(Px(x, y), Expected(1, static_cast<int>(std::floor(u)),
                                             static_cast<int>(std::floor(v)), w, h, 0))
                    << "pixel " << x << "," << y << " u " << u << " v " << v;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 5000);
}

TEST_F(FillMapping, PerspectiveParallelogramDrawsAsTheAffineFill) {
    Bind(48, 40);
    Picture pic = Labelled(7, 5);
    const POINT p0 = Pt(3.3, 4.1), p1 = Pt(41.7, 9.6), p3 = Pt(-2.5, 33.2);
    const POINT p2 = {p1.x + p3.x - p0.x, p1.y + p3.y - p0.y};
    for (int mode = 0; mode <= 5; ++mode) {
        Clear(0);
        ASSERT_EQ(SetImageFill(&pic.header, pic.bits.data(), mode, &p0, &p1, &p3, kOutsideColour,
                               nullptr, nullptr, nullptr, nullptr, nullptr, 3),
                  0);
        ASSERT_EQ(g_render.fill.kind, kFillImage);
        ASSERT_EQ(FillRect(0, 0, 48, 40), 0);
        const std::vector<uint8_t> affine = pixels_;
        Clear(0);
        ASSERT_EQ(SetPerspectiveImageFill(&pic.header, pic.bits.data(), mode, &p0, &p1, &p2, &p3,
                                          kOutsideColour, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, 3),
                  0);
        ASSERT_EQ(g_render.fill.kind, kFillPerspectiveFlat);
        ASSERT_EQ(FillRect(0, 0, 48, 40), 0);
        EXPECT_EQ(pixels_, affine) << "mode " << mode;
    }
}

// Long spans over a wide picture: the per-pixel steps and refinements in double precision
// stay within a ten-thousandth of a texel of the exact U / D across 4000 pixels, with and
// without the 256-bit loops, clamped and tiled.
TEST_F(FillMapping, LongPerspectiveSpansDoNotDrift) {
    const int width = 4000, w = 16000;
    Bind(width, 2);
    Picture pic(w, 1, 32);
    for (int u = 0; u < w; ++u) {
        pic.Set32(u, 0, static_cast<uint32_t>(u)); // the texel reads as its own index
    }
    const POINT p0 = Pt(-100.25, 0), p1 = Pt(4300.5, 0), p2 = Pt(3700.75, 2), p3 = Pt(-90, 2);
    int checked = 0;
    for (const bool wide : {false, true}) {
        fast_paths::AllowWideVectors(wide);
        for (const int mode : {0, 2}) {
            Clear(0);
            ASSERT_EQ(SetPerspectiveImageFill(&pic.header, pic.bits.data(), mode, &p0, &p1, &p2,
                                              &p3, kOutsideColour, nullptr, nullptr, nullptr,
                                              nullptr, nullptr, 0),
                      0);
            ASSERT_EQ(g_render.fill.kind, kFillPerspective);
            ASSERT_EQ(FillRect(0, 0, width, 2), 0);
            const ImageFillState& f = g_imageFill;
            const PerspectiveMap& m = f.persp;
            for (int y = 0; y < 2; ++y) {
                for (int x = 0; x < width; ++x) {
                    const double dx = x + 0.5 - f.perspOriginX, dy = y + 0.5 - f.perspOriginY;
                    const double u =
                        (m.ux * dx + m.uy * dy + m.u0) / (m.dx * dx + m.dy * dy + m.d0);
                    if (std::fabs(u - std::floor(u) - 0.5) < 1e-4) {
                        continue; // too near the rounding boundary to tell
                    }
                    const int expected = static_cast<int>(std::lround(u));
                    ASSERT_EQ(Px(x, y),
                              static_cast<uint32_t>(mode == 0 ? std::clamp(expected, 0, w - 1)
                                                              : Mod(expected, w)))
                        << "pixel " << x << "," << y << " u " << u << " wide " << wide;
                    ++checked;
                }
            }
        }
    }
    fast_paths::AllowWideVectors(true);
    EXPECT_GT(checked, 25000);
}

} // namespace
