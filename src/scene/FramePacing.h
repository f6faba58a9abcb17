// How evenly frames came: the gaps between frames drawn, and how many were later than
// twice the frame interval. The saver with a photo folder writes it to its error output
// when it ends (the measure that decoding on the worker never holds a frame back).
#pragma once

#include "scene/FrameClock.h"

#include <cstdint>

struct FramePacing {
    uint32_t frames = 0;
    uint32_t late = 0;       // gaps longer than 2 x kFrameInterval
    uint32_t longestGap = 0; // milliseconds
    uint32_t last = 0;

    void Note(uint32_t now) {
        if (frames++ > 0) {
            const uint32_t gap = now - last;
            late += gap > 2 * kFrameInterval;
            longestGap = gap > longestGap ? gap : longestGap;
        }
        last = now;
    }
};
