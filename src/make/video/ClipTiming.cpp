#include "make/video/ClipTiming.h"

#include <algorithm>
#include <cmath>

FrameRate OutputRate(int64_t num, int64_t den) {
    if (num <= 0 || den <= 0 || num < den || num > int64_t{kClipMaxRate} * den ||
        num > UINT32_MAX || den > UINT32_MAX) {
        // A rate above 30 and every unusable one: 30 (a rate written with huge terms is
        // above 30 or below 1 anyway once reduced; nothing below needs the exact value).
        return {kClipMaxRate, 1};
    }
    return {static_cast<uint32_t>(num), static_cast<uint32_t>(den)};
}

int64_t FramePicker::DueBefore(double seconds) const {
    // Output frame k is due at k * scale / rate; those with that time below `seconds`. The
    // small allowance keeps a frame stamped exactly on an output time (after the rounding of
    // its time base) from missing it.
    const double frames = (seconds - m_first) * m_rate.PerSecond();
    if (!(frames > 0.0)) {
        return 0;
    }
    const double due = std::ceil(frames - 1e-6);
    return due > double(kClipMaxFrames) ? kClipMaxFrames : static_cast<int64_t>(due);
}

int64_t FramePicker::Arrive(double seconds) {
    if (!m_started) {
        m_started = true;
        m_first = m_last = seconds;
        return 0;
    }
    m_last = std::max(m_last, seconds);
    const int64_t fill = DueBefore(m_last) - m_emitted;
    m_emitted += std::max<int64_t>(fill, 0);
    return std::max<int64_t>(fill, 0);
}

int64_t FramePicker::Finish(double endSeconds) {
    if (!m_started) {
        return 0;
    }
    int64_t fill = DueBefore(std::max(endSeconds, m_last)) - m_emitted;
    if (m_emitted == 0) {
        fill = 1; // a clip of one frame, or one stating no length, shows that frame
    }
    fill = std::max<int64_t>(fill, 0);
    m_emitted += fill;
    return fill;
}

void ClipFrameSize(int width, int height, int& outWidth, int& outHeight) {
    const int64_t w = std::max(width, 1), h = std::max(height, 1);
    const int64_t longer = std::max(w, h);
    int64_t nw = w, nh = h;
    if (longer > kClipMaxSide) {
        nw = (w * kClipMaxSide + longer / 2) / longer;
        nh = (h * kClipMaxSide + longer / 2) / longer;
    }
    outWidth = static_cast<int>(std::max<int64_t>(nw & ~int64_t{1}, 2));
    outHeight = static_cast<int>(std::max<int64_t>(nh & ~int64_t{1}, 2));
}

int QuarterTurnsClockwise(double counterClockwiseDegrees) {
    if (!(std::abs(counterClockwiseDegrees) <= 360.0)) {
        return 0;
    }
    const long quarters = std::lround(-counterClockwiseDegrees / 90.0);
    return static_cast<int>(((quarters % 4) + 4) % 4);
}
