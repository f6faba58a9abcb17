// Maps the unit square onto a screen quadrilateral as a perspective view of a flat face
// would: along each edge the inverse distance to the edges' vanishing point changes
// linearly. v runs from q0 toward q1, u from the q0–q1 edge toward the q3–q2 edge, so
// (0, 0) is q0, (0, 1) q1, (1, 1) q2 and (1, 0) q3. Pairs of opposite edges closer than
// 1e-10 to parallel are interpolated linearly instead.
#pragma once

#include "platform/Win32.h"

class QuadMapper {
  public:
    void SetQuad(const POINT& q0, const POINT& q1, const POINT& q2, const POINT& q3);
    // The point for (u, v), each coordinate truncated toward zero.
    POINT MapPoint(double u, double v) const;

  private:
    struct Point {
        double x, y;
    };
    Point m_q[4]{};
    bool m_firstConverges = false;  // lines q0–q1 and q3–q2 meet at m_v1
    bool m_secondConverges = false; // lines q3–q0 and q2–q1 meet at m_v2
    Point m_v1{};
    Point m_v2{};
    // Products of the corners' offsets from m_v1, one per coordinate of each edge.
    double m_a = 0, m_b = 0, m_c = 0, m_d = 0;
};
