#include "scene/QuadMapper.h"

#include "scene/Projection.h"

#include <cmath>

namespace {
constexpr double kTiny = 1e-10;
}

void QuadMapper::SetQuad(const POINT& q0, const POINT& q1, const POINT& q2, const POINT& q3) {
    const POINT* q[4] = {&q0, &q1, &q2, &q3};
    for (int i = 0; i < 4; ++i) {
        m_q[i] = {static_cast<double>(q[i]->x), static_cast<double>(q[i]->y)};
    }
    const double x0 = m_q[0].x, y0 = m_q[0].y, x1 = m_q[1].x, y1 = m_q[1].y;
    const double x2 = m_q[2].x, y2 = m_q[2].y, x3 = m_q[3].x, y3 = m_q[3].y;

    const double l = (x2 - x3) * (y1 - y0) - (y2 - y3) * (x1 - x0);
    m_firstConverges = std::fabs(l) >= kTiny;
    if (m_firstConverges) {
        const double m = (x2 - x3) * (y3 - y0) - (y2 - y3) * (x3 - x0);
        m_v1 = {x0 + (x1 - x0) * m / l, y0 + (y1 - y0) * m / l};
        m_a = (x0 - m_v1.x) * (x1 - m_v1.x);
        m_b = (y1 - m_v1.y) * (y0 - m_v1.y);
        m_c = (x2 - m_v1.x) * (x3 - m_v1.x);
        m_d = (y3 - m_v1.y) * (y2 - m_v1.y);
    }

    const double t = (x1 - x2) * (y0 - y3) - (y1 - y2) * (x0 - x3);
    m_secondConverges = std::fabs(t) >= kTiny;
    if (m_secondConverges) {
        const double e = (y2 - y3) * (x1 - x2) - (x2 - x3) * (y1 - y2);
        m_v2 = {x3 + (x0 - x3) * e / t, y3 + (y0 - y3) * e / t};
    }
}

POINT QuadMapper::MapPoint(double u, double v) const {
    const double x0 = m_q[0].x, y0 = m_q[0].y, x1 = m_q[1].x, y1 = m_q[1].y;
    const double x2 = m_q[2].x, y2 = m_q[2].y, x3 = m_q[3].x, y3 = m_q[3].y;
    // a runs along q0–q1 and b along q3–q2 as v goes from 0 to 1.
    Point a = m_q[0];
    Point b = m_q[3];
    if (std::fabs(v) > kTiny) {
        if (m_firstConverges) {
            if (std::fabs(x0 - x1) > kTiny) {
                a.x = m_v1.x + m_a / (x1 + v * (x0 - x1) - m_v1.x);
            }
            if (std::fabs(y0 - y1) > kTiny) {
                a.y = m_v1.y + m_b / (y1 + v * (y0 - y1) - m_v1.y);
            }
            if (std::fabs(x3 - x2) > kTiny) {
                b.x = m_v1.x + m_c / (x2 + v * (x3 - x2) - m_v1.x);
            }
            if (std::fabs(y3 - y2) > kTiny) {
                b.y = m_v1.y + m_d / (y2 + v * (y3 - y2) - m_v1.y);
            }
        } else {
            a = {x0 + v * (x1 - x0), y0 + v * (y1 - y0)};
            b = {x3 + v * (x2 - x3), y3 + v * (y2 - y3)};
        }
    }
    // Then from a toward b as u goes from 0 to 1.
    Point r = a;
    if (std::fabs(u) > kTiny) {
        if (m_secondConverges) {
            if (std::fabs(a.x - b.x) > kTiny) {
                r.x = m_v2.x + (b.x - m_v2.x) * (a.x - m_v2.x) / (b.x + u * (a.x - b.x) - m_v2.x);
            }
            if (std::fabs(a.y - b.y) > kTiny) {
                r.y = m_v2.y + (b.y - m_v2.y) * (a.y - m_v2.y) / (b.y + u * (a.y - b.y) - m_v2.y);
            }
        } else {
            r = {a.x + u * (b.x - a.x), a.y + u * (b.y - a.y)};
        }
    }
    return {TruncateToInt32(r.x), TruncateToInt32(r.y)};
}
