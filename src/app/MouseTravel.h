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
//
// A change of the monitor layout starts the measure again. Under X the cursor keeps its
// place on the X screen while the monitors move under it, so its Windows coordinates jump
// with the virtual screen's origin, and the X server may move the cursor onto a monitor
// that still shows; on any system a removed monitor throws the cursor onto another one.
// None of that is the user's hand. The virtual screen's rectangle is the layout's mark, but
// a mouse message may bring the moved cursor before this process learns of the new layout:
// a travel that ends in one jump larger than a hand moves between two messages is told
// apart, so that the caller can wait for the layout before it believes it.
class CursorTravel {
  public:
    enum class Step {
        kWithin,       // the first position, or within the tolerance of the start
        kBeyond,       // beyond the tolerance
        kJumpedBeyond, // beyond it in one jump of more than kJumpDistance
    };
    static constexpr int kJumpDistance = 128; // pixels, x and y distances added

    explicit CursorTravel(int tolerance) : m_tolerance(tolerance) {}

    Step Move(POINT cursor, const RECT& virtualScreen) {
        const POINT previous = m_last;
        m_last = cursor;
        if (!m_started || !IsStartLayout(virtualScreen)) {
            m_start = cursor;
            m_screen = virtualScreen;
            m_started = true;
            return Step::kWithin;
        }
        if (!MovedBeyondTolerance(m_start, cursor, m_tolerance)) {
            return Step::kWithin;
        }
        return MovedBeyondTolerance(previous, cursor, kJumpDistance) ? Step::kJumpedBeyond
                                                                     : Step::kBeyond;
    }
    // Whether the start was taken under this layout.
    bool IsStartLayout(const RECT& virtualScreen) const {
        return virtualScreen.left == m_screen.left && virtualScreen.top == m_screen.top &&
               virtualScreen.right == m_screen.right && virtualScreen.bottom == m_screen.bottom;
    }
    // The next position is a new start.
    void Restart() { m_started = false; }

  private:
    int m_tolerance;
    bool m_started = false;
    POINT m_start{0, 0};
    POINT m_last{0, 0};
    RECT m_screen{0, 0, 0, 0};
};
