// The saver's mouse test: the cursor has travelled too far once the sum of the absolute x
// and y distances from the start point exceeds the tolerance (with tolerance 3: 3 keeps
// the saver, 4 closes it). Computed in 64 bits so no pair of coordinates can overflow.
#pragma once

#include "platform/Win32.h"

#include <cstdint>

constexpr bool MovedBeyondTolerance(POINT start, POINT now, int tolerance) {
    const int64_t dx = int64_t{now.x} - start.x;
    const int64_t dy = int64_t{now.y} - start.y;
    return (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy) > tolerance;
}

// The travel test across all of run mode's windows: the cursor position of the first mouse
// message any of them receives is the start, and every later one is measured from it.
class CursorTravel {
  public:
    explicit CursorTravel(int tolerance) : m_tolerance(tolerance) {}

    // False for the first position; then whether `cursor` lies beyond the tolerance.
    bool MovedTooFar(POINT cursor) {
        if (!m_started) {
            m_start = cursor;
            m_started = true;
            return false;
        }
        return MovedBeyondTolerance(m_start, cursor, m_tolerance);
    }

  private:
    int m_tolerance;
    bool m_started = false;
    POINT m_start{0, 0};
};
