// The JPEG quality of each frame of a converted clip, chosen so that the clip keeps to a
// byte budget per second of its length: a 30-second phone clip becomes about 24 MB of face
// at most, whatever it shows. Still or simple scenes stay at the top quality; busy ones
// (foliage, water, noise in the dark) go down until their frames fit.
#pragma once

#include <cstdint>

// Bytes per second of clip: 24 MB per 30 s, with room for the AVI's headers and index.
constexpr uint64_t kClipBytesPerSecond = 800'000;
constexpr int kClipTopQuality = 90;
constexpr int kClipLowestQuality = 20;
// What a frame shown once more costs in the AVI: an empty chunk and its index entry.
constexpr uint64_t kClipRepeatBytes = 24;

class JpegRateControl {
  public:
    // `framesPerSecond` of the output (at least 1).
    explicit JpegRateControl(double framesPerSecond);
    // The quality for the next frame.
    int Quality() const { return m_quality; }
    // The next frame's JPEG was `bytes` long and it is shown `times` frames in a row (each
    // further time costs a repeat's few bytes, kClipRepeatBytes).
    void Spent(uint64_t bytes, int64_t times);
    uint64_t SpentBytes() const { return m_spent; }
    uint64_t BudgetBytes() const { return m_budget; }

  private:
    double m_perFrame;
    int m_quality = 75;
    uint64_t m_spent = 0;  // bytes of the frames so far
    uint64_t m_budget = 0; // what their share of time allows
};
