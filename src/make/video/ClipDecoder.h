// Demuxes and decodes the video of a phone or web clip (H.264 and HEVC in MP4/MOV; VP8, VP9
// and AV1 in WebM/MKV) with the decoding library the tools carry, and hands each frame on as
// an RGBA picture of the size the face keeps, with its time. The work a clip can ask for is
// bounded before it is done: the picture size the decoder accepts, its threads, and the
// formats and codecs it may pick.
#pragma once

#include "make/picture/RgbaImage.h"
#include "make/video/ClipInput.h"
#include "make/video/ClipTiming.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

// The largest coded frame accepted: 4096 x 2304 (4K phone clips, and DCI 4K at 2160 rows).
constexpr int64_t kClipMaxSourcePixels = int64_t{4096} * 2304;

struct ClipInfo {
    std::string codec;   // "H.264", "HEVC", "VP9", ... for the notes
    int sourceWidth = 0; // coded size, before turning
    int sourceHeight = 0;
    int frameWidth = 0; // the size frames are handed on at, before turning
    int frameHeight = 0;
    int quarterTurns = 0; // clockwise, to stand the clip upright
    FrameRate rate;       // the output rate
    double seconds = 0.0; // the stated length; 0 when the container states none
};

enum class ClipStep { kFrame, kEnd, kFailed };

class ClipDecoder {
  public:
    ClipDecoder();
    ~ClipDecoder();
    ClipDecoder(const ClipDecoder&) = delete;
    ClipDecoder& operator=(const ClipDecoder&) = delete;

    // Set by another thread: the stream search and reading stop early (Next then fails).
    void SetCancel(const std::atomic<bool>* cancel) { m_cancel = cancel; }
    // Reads the container's header and opens the decoder of its first video stream. False,
    // with the reason in words in `error`, when it is no clip this reads. `input` must
    // outlive the decoder.
    bool Open(ClipInput& input, std::string& error);
    const ClipInfo& Info() const { return m_info; }

    // The next frame, frameWidth x frameHeight, not yet turned, and its time in seconds
    // from the clip's start; kEnd after the last, kFailed with the reason in `error`.
    ClipStep Next(RgbaImage& frame, double& seconds, std::string& error);
    // The time just after the last frame handed on (its time plus its duration).
    double EndSeconds() const { return m_end; }
    // How far the reading is, from 0 to 1.
    double Progress() const;

  private:
    struct Library; // the demuxer's and decoder's state
    bool Scale(RgbaImage& frame, std::string& error);
    std::unique_ptr<Library> m_lib;
    ClipInput* m_input = nullptr;
    const std::atomic<bool>* m_cancel = nullptr;
    ClipInfo m_info;
    double m_end = 0.0;
};
