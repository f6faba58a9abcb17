// Decodes the frames of a Motion-JPEG video: each frame a baseline JPEG, often without its
// Huffman tables (the decoder then uses the standard ones, as every player does), decoded
// into 32-bit blue, green, red, extra rows, bottom row first, as a packed picture's pixels.
// One decoder serves every frame of a clip, so its buffers are made once.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

class MotionJpegFrame {
  public:
    MotionJpegFrame();
    ~MotionJpegFrame();
    MotionJpegFrame(const MotionJpegFrame&) = delete;
    MotionJpegFrame& operator=(const MotionJpegFrame&) = delete;

    // The size a frame of width x height decodes to at 1/denominator (1, 2, 4 or 8), as the
    // library's DCT scaling rounds it: up.
    static uint32_t ScaledSide(uint32_t side, int denominator);

    // Decodes `jpeg` at 1/denominator into `pixels`: `height` rows of `width` 4-byte pixels,
    // `stride` bytes apart, bottom row first. False when the frame is not a JPEG of that
    // size once scaled, or is damaged anywhere (cut short, corrupt entropy data): the rows
    // may then hold part of it, so the caller decodes into a buffer it has not shown yet.
    bool Decode(std::span<const uint8_t> jpeg, int denominator, uint32_t width, uint32_t height,
                uint8_t* pixels, size_t stride);

    // The library's state, opaque here (its error handling jumps back into it).
    struct Session;

  private:
    std::unique_ptr<Session> m_session;
};
