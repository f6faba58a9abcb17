// The order in which a GIF image stores its rows.
#pragma once

#include "platform/Win32.h"

namespace picture {

// Hands out picture rows (0 = top) in storage order. Interlaced images store rows 0, 8,
// 16, ...; then 4, 12, ...; then 2, 6, ...; then the odd rows.
class GifRowOrder {
  public:
    GifRowOrder(LONG height, bool interlaced) : m_height(height), m_interlaced(interlaced) {}
    // The row after the current one, or -1 when every row has been given.
    LONG Next() {
        static constexpr int kPassStart[4] = {0, 4, 2, 1};
        static constexpr int kPassStep[4] = {8, 8, 4, 2};
        if (!m_interlaced) {
            return ++m_row < m_height ? m_row : -1;
        }
        m_row += kPassStep[m_pass];
        while (m_row >= m_height) {
            if (++m_pass == 4) {
                return -1;
            }
            m_row = kPassStart[m_pass];
        }
        return m_row;
    }

  private:
    LONG m_height;
    bool m_interlaced;
    int m_pass = 0;
    LONG m_row = 0;
};

} // namespace picture
