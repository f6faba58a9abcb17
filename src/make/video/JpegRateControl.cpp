#include "make/video/JpegRateControl.h"

#include <algorithm>
#include <cmath>

JpegRateControl::JpegRateControl(double framesPerSecond)
    : m_perFrame(double(kClipBytesPerSecond) / std::max(framesPerSecond, 1.0)) {}

void JpegRateControl::Spent(uint64_t bytes, int64_t times) {
    if (times <= 0) {
        return;
    }
    const uint64_t n = static_cast<uint64_t>(times);
    m_spent += bytes + kClipRepeatBytes * (n - 1);
    m_budget += static_cast<uint64_t>(m_perFrame * double(n));
    // A JPEG's size roughly halves for every 15 to 20 steps of quality in the range used.
    // The step answers both how this frame compared with its share and how far the clip
    // is ahead or behind, spread over the next second of frames, so a single busy frame
    // does not swing the quality and a long busy scene is brought back to the budget.
    const double behind = (double(m_spent) - double(m_budget)) / (m_perFrame * 30.0);
    const double ratio = double(bytes) / m_perFrame + std::max(behind, -1.0);
    int step = 0;
    if (ratio > 1.05) {
        step = -static_cast<int>(std::ceil(std::log2(ratio) * 18.0));
    } else if (ratio < 0.85) {
        step = static_cast<int>(std::min(-std::log2(std::max(ratio, 0.01)) * 18.0, 5.0));
    }
    m_quality =
        std::clamp(m_quality + std::clamp(step, -15, 5), kClipLowestQuality, kClipTopQuality);
}
