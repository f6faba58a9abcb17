#include "scene/FrameClock.h"

#include <cmath>

namespace {
constexpr double kMillisecondsPerClockUnit = kFrameInterval / kClockStep;
constexpr double kTickWrap = 4294967296.0;
} // namespace

DWORD PictureTimeForClock(double clock) {
    double ms = std::fmod(clock * kMillisecondsPerClockUnit, kTickWrap);
    if (ms < 0) {
        ms += kTickWrap;
    }
    return ms >= 0 && ms < kTickWrap ? static_cast<DWORD>(ms) : 0;
}
