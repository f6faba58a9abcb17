// Moving faces from animated GIFs: a picture source whose canvas follows the clock that
// video faces share, frame by frame for each frame's delay, looping as the file asks.
#pragma once

#include "import/GifAnimation.h"
#include "import/PictureSource.h"

#include <cstdint>
#include <span>

class AnimatedGifPicture : public PictureSource {
  public:
    AnimatedGifPicture(const char* fileName, GifAnimation&& animation);
    const BITMAPINFOHEADER* GetBitmap() override;
    void SetTime(DWORD milliseconds) override;

    GifAnimation m_animation;
    uint32_t m_wantedFrame = 0;
};

// The decoding work every moving face may do each time it is drawn
// (picture::kGifWorkPerDraw unless set); UINT64_MAX draws every wanted frame whole, as the
// headless runner and the tools want.
void SetGifWorkPerDraw(uint64_t work);
// The work a moving face (an animated GIF or WebP) may do per draw, as set above.
uint64_t MovingFaceWorkPerDraw();

// Indexes the frames of a GIF file's bytes (copied). False for any other file, a file of
// one frame, or one beyond the limits. Never throws.
bool LoadGifAnimation(std::span<const uint8_t> bytes, GifAnimation& animation,
                      const GifAnimationLimits& limits = {});
// The same for a file (full name, else the bare name after the last backslash, as faces
// are opened), read whole only when it starts as a GIF.
bool LoadGifAnimation(const char* fileName, GifAnimation& animation,
                      const GifAnimationLimits& limits = {});

// True when the bytes or the file open as a moving face: a GIF of two or more frames
// within the limits.
bool IsAnimatedGif(std::span<const uint8_t> bytes);
bool IsAnimatedGif(const char* fileName);

// A moving face for an animated GIF, shared by name with the other sources; null for
// anything else, which the caller then imports as a still picture.
PictureSource* OpenAnimatedGif(const char* fileName);
