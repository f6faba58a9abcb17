// Collecting the edges of one outline, in device units, for scan conversion.
#pragma once

#include <cstdint>

// Collects the edges of one outline in device units (18.14). With smoothing, rows are
// sub-rows (five per pixel row).
class EdgeCollector {
  public:
    explicit EdgeCollector(bool smooth);

    // Adds the edge (x0, y0)-(x1, y1); returns 0 or a RenderError code.
    int AddLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

    bool Smooth() const { return m_smooth; }
    bool BoxEmpty() const { return m_minX > m_maxX; }
    int32_t MinX() const { return m_minX; }
    int32_t MinY() const { return m_minY; }
    int32_t MaxX() const { return m_maxX; }
    int32_t MaxY() const { return m_maxY; }

  private:
    bool m_smooth;
    int m_rowBits;       // 14, or 12 for sub-rows of the y scaled by 5/4
    int32_t m_clipFirst; // first and last (sub-)row inside the clip box
    int32_t m_clipLast;
    int32_t m_minX = INT32_MAX, m_minY = INT32_MAX, m_maxX = INT32_MIN, m_maxY = INT32_MIN;
};
