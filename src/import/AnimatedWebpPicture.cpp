#include "import/AnimatedWebpPicture.h"

#include "import/AnimatedGifPicture.h"

#include <cstring>
#include <new>

AnimatedWebpPicture::AnimatedWebpPicture(const char* fileName, WebpAnimation&& animation)
    : PictureSource(fileName), m_animation(std::move(animation)) {}

void AnimatedWebpPicture::SetTime(DWORD milliseconds) {
    m_wantedFrame = m_animation.FrameAt(VideoTimeSinceOrigin(milliseconds));
    m_currentTime = milliseconds;
}

// As for GIFs, frames are decoded when the face is drawn and a little at a time: one
// frame's pixels count as that much work, and at least one frame is decoded per draw, so
// a face behind by many frames catches up over several frames of the saver.
const BITMAPINFOHEADER* AnimatedWebpPicture::GetBitmap() {
    if (m_animation.ShownFrame() != m_wantedFrame) {
        m_animation.AdvanceTowards(m_wantedFrame, MovingFaceWorkPerDraw());
    }
    if (m_animation.ShownFrame() < 0) {
        return PictureSource::GetBitmap();
    }
    return m_animation.Picture();
}

bool LoadWebpAnimation(std::span<const uint8_t> bytes, WebpAnimation& animation,
                       const WebpAnimationLimits& limits) {
    // The signature and the length first, so that other pictures are not copied for
    // nothing.
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WEBP", 4) != 0 || bytes.size() > limits.maxFileBytes) {
        return false;
    }
    try {
        return animation.Load(std::vector<uint8_t>(bytes.begin(), bytes.end()), limits);
    } catch (const std::bad_alloc&) {
        return false;
    }
}
