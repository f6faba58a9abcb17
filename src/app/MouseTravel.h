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
