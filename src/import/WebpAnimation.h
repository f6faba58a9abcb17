// An animated WebP file as a moving face: the frames' times from the file's index, and a
// canvas that libwebp's animation decoder composes frame after frame, as a packed 32-bit
// picture (blue, green, red, clearness; bottom row first).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Win32.h"

struct WebPAnimDecoder;

struct WebpAnimationLimits {
    uint64_t maxFileBytes = uint64_t{32} << 20;
    // 4 Mpixels, as for animated GIFs: the decoder keeps two canvases of 16 MiB, the face
    // one more.
    uint64_t maxCanvasPixels = uint64_t{1} << 22;
    uint32_t maxFrames = 100000;
};

class WebpAnimation {
  public:
    WebpAnimation();
    WebpAnimation(WebpAnimation&&) noexcept;
    WebpAnimation& operator=(WebpAnimation&&) noexcept;
    ~WebpAnimation();

    // Indexes the frames of a whole animated WebP file and allocates the canvas. False
    // (and nothing kept) for any other file, a file of one frame, one beyond the limits,
    // or when memory runs out. Never throws.
    bool Load(std::vector<uint8_t> file, const WebpAnimationLimits& limits = {});

    uint32_t FrameCount() const { return static_cast<uint32_t>(m_ends.size()); }
    // 0 for ever, else the number of plays.
    uint32_t PlayCount() const { return m_playCount; }
    uint64_t PlayLength() const { return m_ends.empty() ? 0 : m_ends.back(); }
    // The frame shown `elapsed` milliseconds after the first appeared; the last frame
    // stays once every play is over.
    uint32_t FrameAt(uint64_t elapsed) const;
    // Makes the canvas show frame `index` (clamped to the last).
    void ShowFrame(uint32_t index);
    // ShowFrame in steps: decodes frames on the way until about `pixels` pixels were
    // decoded (always at least one frame). True once the canvas shows the frame.
    bool AdvanceTowards(uint32_t index, uint64_t pixels);
    // The frame on the canvas, -1 before the first was decoded.
    int64_t ShownFrame() const { return m_shown; }
    // The canvas as a packed picture; null before a successful Load.
    const BITMAPINFOHEADER* Picture() const;

  private:
    struct DecoderFree {
        void operator()(WebPAnimDecoder* decoder) const;
    };
    bool DecodeNext();

    std::vector<uint8_t> m_file;
    std::unique_ptr<WebPAnimDecoder, DecoderFree> m_decoder;
    // Milliseconds from the start of a play to the end of each frame.
    std::vector<uint64_t> m_ends;
    uint32_t m_playCount = 0;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    // Header, then the canvas rows.
    std::vector<uint8_t> m_packed;
    int64_t m_shown = -1;
};
