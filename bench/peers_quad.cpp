#include "peers_quad.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace peers {

Quad MakeFlatQuad() {
    const Point2 local[4] = {{-0.5, -0.5}, {0.5, -0.5}, {0.4, 0.5}, {-0.4, 0.5}};
    const double unitArea = 0.9;
    const double s = std::sqrt(0.25 * kFrameWidth * kFrameHeight / unitArea);
    const double c = std::cos(20 * M_PI / 180), sn = std::sin(20 * M_PI / 180);
    Quad q;
    for (int i = 0; i < 4; ++i) {
        const double x = local[i].x * s, y = local[i].y * s;
        q.p[i] = {kFrameWidth / 2.0 + x * c - y * sn, kFrameHeight / 2.0 + x * sn + y * c};
    }
    return q;
}

double QuadArea(const Quad& q) {
    double s = 0;
    for (int i = 0; i < 4; ++i) {
        const Point2 &a = q.p[i], &b = q.p[(i + 1) % 4];
        s += a.x * b.y - b.x * a.y;
    }
    return std::fabs(s) / 2;
}

std::vector<pixman_trapezoid_t> QuadToTrapezoids(const Quad& q) {
    auto fx = [](double v) { return pixman_double_to_fixed(v); };
    std::vector<double> ys;
    for (const Point2& p : q.p) {
        ys.push_back(p.y);
    }
    std::sort(ys.begin(), ys.end());
    std::vector<pixman_trapezoid_t> out;
    for (int i = 0; i + 1 < 4; ++i) {
        const double ya = ys[i], yb = ys[i + 1];
        if (yb - ya < 1e-6) {
            continue;
        }
        const double ym = (ya + yb) / 2;
        pixman_line_fixed_t lines[2];
        double xs[2];
        int n = 0;
        for (int e = 0; e < 4 && n < 2; ++e) {
            Point2 a = q.p[e], b = q.p[(e + 1) % 4];
            if (a.y > b.y) {
                std::swap(a, b);
            }
            if (!(a.y < ym && ym < b.y)) {
                continue;
            }
            xs[n] = a.x + (b.x - a.x) * (ym - a.y) / (b.y - a.y);
            lines[n] = {{fx(a.x), fx(a.y)}, {fx(b.x), fx(b.y)}};
            ++n;
        }
        if (n != 2) {
            continue;
        }
        if (xs[0] > xs[1]) {
            std::swap(lines[0], lines[1]);
        }
        pixman_trapezoid_t t;
        t.top = fx(ya);
        t.bottom = fx(yb);
        t.left = lines[0];
        t.right = lines[1];
        out.push_back(t);
    }
    return out;
}

FrameBuffer::FrameBuffer(size_t pixelCount) : count(pixelCount) {
    const size_t bytes = (pixelCount * 4 + 63) & ~size_t{63};
    pixels = static_cast<uint32_t*>(std::aligned_alloc(64, bytes));
    std::memset(pixels, 0, bytes);
}

FrameBuffer::~FrameBuffer() {
    std::free(pixels);
}

} // namespace peers
