// Moving faces from animated GIFs: a picture source whose canvas follows the clock that
// video faces share, frame by frame for each frame's delay, looping as the file asks.
#pragma once

#include "import/GifAnimation.h"
#include "import/PictureSource.h"

class AnimatedGifPicture : public PictureSource {
  public:
    AnimatedGifPicture(const char* fileName, GifAnimation&& animation);
    const BITMAPINFOHEADER* GetBitmap() override;
    void SetTime(DWORD milliseconds) override;

    GifAnimation m_animation;
    uint32_t m_wantedFrame = 0;
};

// Reads a whole GIF file (full name, else the bare name after the last backslash, as
// faces are opened) and indexes its frames. False for any other file, a file of one
// frame, or one beyond the limits. Never throws.
bool LoadGifAnimation(const char* fileName, GifAnimation& animation,
                      const GifAnimationLimits& limits = {});

// True when the file opens as a moving face: a GIF of two or more frames within the
// limits. For the tools, which report such a face as moving.
bool IsAnimatedGif(const char* fileName);

// A moving face for an animated GIF, shared by name with the other sources; null for
// anything else, which the caller then imports as a still picture.
PictureSource* OpenAnimatedGif(const char* fileName);
