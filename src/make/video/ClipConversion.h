// A phone or web clip (bytes or a file) turned into the frames of a Motion-JPEG face: at
// most 1280 pixels on the longer side, at most 30 frames a second at a constant rate chosen
// from the source's, each frame chosen by its time, stood upright as the clip's display
// matrix says, no sound, and each JPEG's quality chosen to keep to a byte budget per second
// (JpegRateControl.h). At most kClipMaxFrames frames.
#pragma once

#include "make/picture/RgbaImage.h"
#include "make/video/ClipInput.h"
#include "make/video/ClipTiming.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

struct ClipFrames {
    std::string codec; // of the source, for the notes
    int sourceWidth = 0, sourceHeight = 0;
    int width = 0, height = 0; // of the frames made, upright
    int quarterTurns = 0;
    FrameRate rate;
    int64_t frames = 0;    // output frames, repeats counted
    bool cut = false;      // frames beyond kClipMaxFrames were left out
    int lowestQuality = 0; // the range of JPEG qualities used
    int highestQuality = 0;
    uint64_t jpegBytes = 0; // of the frames' JPEGs (a repeat stores none)
};

// Where the frames go (the Motion-JPEG AVI writer, in the tools).
class ClipFrameSink {
  public:
    virtual ~ClipFrameSink() = default;
    // Before the first frame, once the frames' size and rate are known.
    virtual bool Begin(const ClipFrames& clip) = 0;
    // The next output frame, upright, encoded at `quality`; its JPEG's length into `bytes`.
    virtual bool Add(const RgbaImage& frame, int quality, uint64_t& bytes) = 0;
    // The frame before shown once more.
    virtual bool Repeat() = 0;
};

struct ClipCallbacks {
    // How far the conversion is, from 0 to 1, after each source frame.
    std::function<void(double)> progress;
    // Set by another thread: the conversion stops after the frame it is working on.
    const std::atomic<bool>* cancel = nullptr;
};

// The conversion's error when it was cancelled.
extern const char kClipCancelledText[];

// False, with the reason in words in `error`, when the clip cannot be read or decoded at all,
// the sink failed, or it was cancelled. A clip damaged after its first frame gives the frames
// before the damage.
bool ConvertClipFrames(ClipInput& input, ClipFrameSink& sink, const ClipCallbacks& callbacks,
                       ClipFrames& result, std::string& error);
