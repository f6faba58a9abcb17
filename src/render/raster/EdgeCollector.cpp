// Building edge records from lines in device units.
//
// Rows are counted in memory rows of the target (device y / 0x4000). An edge from y0 to
// y1 (y0 < y1 after ordering) crosses row r when the row's centre c = r + 1/2 satisfies
// y0 < c <= y1:
//
//      y0 ..................      (anywhere at or after the centre of row r - 1)
//      row r    ---- c ----  <-  first row: the first centre strictly after y0
//               ...
//      row k    ---- c ----  <-  last row: the last centre at or before y1
//      y1 ..................      (before the centre of row k + 1)
//
// x is kept at the crossing with each row's centre and stepped by dx/dy per row, both in
// 18.14.
//
// With smoothing the same rule runs on sub-rows: y is scaled by 5/4 so that a pixel row is
// five units of 0x1000.
#include "render/core/Context.h"
#include "render/raster/EdgeCollector.h"

#include "render/raster/EdgeStore.h"
#include "render/core/FixedPoint.h"

#include <algorithm>

namespace {

int64_t ScaleY(int32_t y, bool smooth) {
    // floor(y·5/4): five sub-rows of 0x1000 per 0x4000.
    return smooth ? (int64_t{y} * fixed::kSubSamples) >> 2 : int64_t{y};
}

} // namespace

EdgeCollector::EdgeCollector(bool smooth)
    : m_smooth(smooth), m_rowBits(smooth ? fixed::kSubRowFracBits : fixed::kDeviceFracBits) {
    const ClipBox& c = g_render.clip;
    const int32_t perRow = smooth ? fixed::kSubSamples : 1;
    m_clipFirst = c.top * perRow;
    m_clipLast = c.bottom * perRow - 1;
}

int EdgeCollector::AddLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (x0 == x1 && y0 == y1) {
        return 0;
    }
    int32_t direction = 1;
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
        direction = -1;
    }
    const ClipBox& clip = g_render.clip;
    if (y1 <= clip.topDev || y0 >= clip.bottomDev) {
        return 0;
    }
    m_minX = std::min({m_minX, x0, x1});
    m_maxX = std::max({m_maxX, x0, x1});
    m_minY = std::min(m_minY, y0);
    m_maxY = std::max(m_maxY, y1);
    if (y0 == y1) {
        return 0;
    }

    const int64_t one = int64_t{1} << m_rowBits;
    const int64_t half = one / 2;
    const int64_t fy0 = ScaleY(y0, m_smooth);
    const int64_t fy1 = ScaleY(y1, m_smooth);
    const int64_t frac0 = fy0 & (one - 1);
    int64_t first = (fy0 >> m_rowBits) + (frac0 >= half ? 1 : 0);
    int64_t last = (fy1 >> m_rowBits) - 1 + ((fy1 & (one - 1)) >= half ? 1 : 0);
    if (first > last || last < 0 || last < m_clipFirst || first > m_clipLast) {
        return 0;
    }
    // Rows below the clip are never drawn; this also keeps the last row in 24 bits.
    last = std::min<int64_t>(last, m_clipLast);

    // x per (sub-)row. A quotient beyond 32 bits only happens for edges that move more
    // than 2^17 pixels per row; it saturates.
    const int64_t dx = int64_t{x1} - x0;
    const int64_t dy = fy1 - fy0;
    int64_t step = dy > 0 ? dx * one / dy : dx;
    step = std::clamp<int64_t>(step, INT32_MIN, INT32_MAX);
    // x at the centre of row floor(y0), then of the first crossed row.
    int64_t x = int64_t{x0} - ((step * (frac0 - half)) >> m_rowBits);
    if (frac0 >= half) {
        x += step;
    }
    Edge e;
    e.x = fixed::LowWord(static_cast<uint64_t>(x));
    e.step = static_cast<int32_t>(step);
    e.firstRow = static_cast<int32_t>(first);
    e.lastAndDirection = Edge::Pack(static_cast<int32_t>(last), direction);
    return AddEdge(e);
}
