// Moving faces from animated WebP files: a picture source whose canvas follows the clock
// that all moving faces share, as an animated GIF's does.
#pragma once

#include "import/PictureSource.h"
#include "import/WebpAnimation.h"

#include <cstdint>
#include <span>

class AnimatedWebpPicture : public PictureSource {
  public:
    AnimatedWebpPicture(const char* fileName, WebpAnimation&& animation);
    const BITMAPINFOHEADER* GetBitmap() override;
    void SetTime(DWORD milliseconds) override;

    WebpAnimation m_animation;
    uint32_t m_wantedFrame = 0;
};

// Indexes the frames of an animated WebP file's bytes (copied). False for any other file,
// an animation of one frame (a still picture), or one beyond the limits. Never throws.
bool LoadWebpAnimation(std::span<const uint8_t> bytes, WebpAnimation& animation,
                       const WebpAnimationLimits& limits = {});
