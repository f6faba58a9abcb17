// How a clip's frames become the face's: the output's constant rate, which source frame each
// output frame shows, and the size the frames are brought to. Nothing here touches a decoder,
// so the choices are tested on timestamps alone.
#pragma once

#include <cstdint>

constexpr int kClipMaxSide = 1280;
constexpr int kClipMaxRate = 30;
// The longest clip converted: five minutes at 30 frames a second. Later frames are dropped
// (the note says so); a face loops long before anyone tires of it.
constexpr int64_t kClipMaxFrames = 9'000;

// Frames per second as a fraction, as the AVI header stores it (rate / scale).
struct FrameRate {
    uint32_t rate = 0;
    uint32_t scale = 1;
    double PerSecond() const { return scale == 0 ? 0.0 : double(rate) / double(scale); }
};

// The output rate for a source of num/den frames per second: the source's own when it is
// 30 or less (29.97 stays 30000/1001), else 30. A rate that is missing or absurd (a stream
// that states none, or one below 1 per second) gives 30: frames are then still chosen by
// their timestamps.
FrameRate OutputRate(int64_t num, int64_t den);

// Chooses the source frame each output frame shows: output frame k is due at k / rate
// seconds after the first source frame, and shows the last source frame whose time is no
// later. A source at 60 frames a second thus gives every other frame; a variable-rate phone
// clip gives each frame for as long as it was meant to be seen.
class FramePicker {
  public:
    explicit FramePicker(FrameRate rate) : m_rate(rate) {}
    // A source frame at `seconds`: how many output frames the frame before it fills (0 for
    // the first frame, and for a frame that comes before the next output frame is due).
    // Times that go backwards count as the previous frame's time.
    int64_t Arrive(double seconds);
    // The end of the clip at `seconds` (the last frame's time plus its duration): how many
    // output frames the last frame fills (1 when it is the only one shown).
    int64_t Finish(double endSeconds);
    int64_t Emitted() const { return m_emitted; }

  private:
    int64_t DueBefore(double seconds) const; // output frames due before `seconds`
    FrameRate m_rate;
    bool m_started = false;
    double m_first = 0.0;
    double m_last = 0.0;
    int64_t m_emitted = 0;
};

// The frame size for a source of width x height: the longer side brought to at most
// kClipMaxSide, proportions kept, both sides even (JPEG's 2x2 chroma blocks, and what
// players expect of video), at least 2.
void ClipFrameSize(int width, int height, int& outWidth, int& outHeight);

// Quarter turns clockwise that stand a clip upright, from the counter-clockwise rotation in
// degrees its display matrix gives; angles between quarters go to the nearest, and those
// no matrix gives (beyond a whole turn, not a number) to none.
int QuarterTurnsClockwise(double counterClockwiseDegrees);
