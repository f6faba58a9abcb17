#include "fill_bench_common.h"

#include <algorithm>
#include <cmath>

namespace fillbench {

Picture::Picture(int bitsPerPixel) : bits(bitsPerPixel) {
    header.biSize = sizeof header;
    header.biWidth = kPictureSide;
    header.biHeight = kPictureSide;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits);
    pixels.resize(size_t(kPictureSide) * kPictureSide * bits / 8);
    for (int i = 0; i < 256; ++i) {
        colours[i] = {static_cast<BYTE>(i * 37 + 1), static_cast<BYTE>(i * 91 + 1),
                      static_cast<BYTE>(i * 13 + 1), 0};
    }
    for (int y = 0; y < kPictureSide; ++y) {
        for (int x = 0; x < kPictureSide; ++x) {
            const size_t i = size_t(y) * kPictureSide + x;
            if (bits == 8) {
                pixels[i] = static_cast<uint8_t>((x / 8) ^ (y / 8) * 7);
            } else {
                pixels[4 * i + 0] = static_cast<uint8_t>(x | 1);
                pixels[4 * i + 1] = static_cast<uint8_t>(y | 1);
                pixels[4 * i + 2] = static_cast<uint8_t>((x ^ y) | 1);
                pixels[4 * i + 3] = 0;
            }
        }
    }
}

Map3 Multiply(const Map3& a, const Map3& b) {
    Map3 r{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) {
                r.m[i][j] += a.m[i][k] * b.m[k][j];
            }
        }
    }
    return r;
}

Map3 Inverse(const Map3& a) {
    const auto& m = a.m;
    Map3 r;
    r.m[0][0] = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    r.m[0][1] = m[0][2] * m[2][1] - m[0][1] * m[2][2];
    r.m[0][2] = m[0][1] * m[1][2] - m[0][2] * m[1][1];
    r.m[1][0] = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    r.m[1][1] = m[0][0] * m[2][2] - m[0][2] * m[2][0];
    r.m[1][2] = m[0][2] * m[1][0] - m[0][0] * m[1][2];
    r.m[2][0] = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    r.m[2][1] = m[0][1] * m[2][0] - m[0][0] * m[2][1];
    r.m[2][2] = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    const double det = m[0][0] * r.m[0][0] + m[0][1] * r.m[1][0] + m[0][2] * r.m[2][0];
    for (auto& row : r.m) {
        for (double& v : row) {
            v /= det;
        }
    }
    return r;
}

namespace {
Map3 TexelScale() {
    return {{{1.0 / kPictureSide, 0, 0}, {0, 1.0 / kPictureSide, 0}, {0, 0, 1}}};
}
} // namespace

Map3 TextureToScreenAffine(const peers::Quad& q) {
    const auto &a = q.p[0], &b = q.p[1], &d = q.p[3];
    const Map3 s{{{b.x - a.x, d.x - a.x, a.x}, {b.y - a.y, d.y - a.y, a.y}, {0, 0, 1}}};
    return Multiply(s, TexelScale());
}

Map3 TextureToScreenProjective(const peers::Quad& q) {
    const double x0 = q.p[0].x, y0 = q.p[0].y, x1 = q.p[1].x, y1 = q.p[1].y;
    const double x2 = q.p[2].x, y2 = q.p[2].y, x3 = q.p[3].x, y3 = q.p[3].y;
    const double sx = x0 - x1 + x2 - x3, sy = y0 - y1 + y2 - y3;
    const double dx1 = x1 - x2, dx2 = x3 - x2, dy1 = y1 - y2, dy2 = y3 - y2;
    const double det = dx1 * dy2 - dx2 * dy1;
    const double g = (sx * dy2 - dx2 * sy) / det, h = (dx1 * sy - sx * dy1) / det;
    const Map3 s{{{x1 - x0 + g * x1, x3 - x0 + h * x3, x0},
                  {y1 - y0 + g * y1, y3 - y0 + h * y3, y0},
                  {g, h, 1}}};
    return Multiply(s, TexelScale());
}

Map3 PixmanSourceMap(const Map3& toScreen, const peers::Quad& q, int& ox, int& oy) {
    double cx = 0, cy = 0;
    for (const auto& p : q.p) {
        cx += p.x / 4;
        cy += p.y / 4;
    }
    ox = int(std::lround(cx));
    oy = int(std::lround(cy));
    const Map3 shift{{{1, 0, double(ox)}, {0, 1, double(oy)}, {0, 0, 1}}};
    Map3 m = Multiply(Inverse(toScreen), shift);
    double big = 0;
    for (auto& row : m.m) {
        for (double v : row) {
            big = std::max(big, std::fabs(v));
        }
    }
    double k = 8192.0 / big; // homogeneous: any common scale is the same map
    if (m.m[2][0] == 0 && m.m[2][1] == 0) {
        k = 1.0 / m.m[2][2]; // keep the affine map exact
    }
    for (auto& row : m.m) {
        for (double& v : row) {
            v *= k;
        }
    }
    return m;
}

double QuadArea() {
    return peers::QuadArea(peers::MakeFlatQuad());
}

} // namespace fillbench
