#include "import/AnimatedGifPicture.h"

#include "import/PictureFile.h"
#include "import/PictureLimits.h"

#include <cstring>
#include <new>

AnimatedGifPicture::AnimatedGifPicture(const char* fileName, GifAnimation&& animation)
    : PictureSource(fileName), m_animation(std::move(animation)) {}

void AnimatedGifPicture::SetTime(DWORD milliseconds) {
    m_wantedFrame = m_animation.FrameAt(VideoTimeSinceOrigin(milliseconds));
    m_currentTime = milliseconds;
}

namespace {
uint64_t g_workPerDraw = picture::kGifWorkPerDraw;
} // namespace

void SetGifWorkPerDraw(uint64_t work) {
    g_workPerDraw = work;
}

uint64_t MovingFaceWorkPerDraw() {
    return g_workPerDraw;
}

// Frames are composed when the picture is drawn, so that a face no one draws costs
// nothing, and a little at a time, so that a long way to the wanted frame (a loop that
// starts again, a frame far larger than the screen) never holds up a frame of the saver:
// until the canvas gets there it shows the frames on the way.
const BITMAPINFOHEADER* AnimatedGifPicture::GetBitmap() {
    if (m_animation.ShownFrame() != m_wantedFrame) {
        m_animation.AdvanceTowards(m_wantedFrame, g_workPerDraw);
    }
    const BITMAPINFOHEADER* picture = m_animation.Picture();
    return picture ? picture : PictureSource::GetBitmap();
}

bool LoadGifAnimation(std::span<const uint8_t> bytes, GifAnimation& animation,
                      const GifAnimationLimits& limits) {
    // The signature and the length first, so that other pictures are not copied for
    // nothing.
    if (bytes.size() < 3 || std::memcmp(bytes.data(), "GIF", 3) != 0 ||
        bytes.size() > limits.maxFileBytes) {
        return false;
    }
    try {
        return animation.Load(std::vector<uint8_t>(bytes.begin(), bytes.end()), limits) &&
               animation.FrameCount() > 1;
    } catch (...) {
        return false;
    }
}

bool LoadGifAnimation(const char* fileName, GifAnimation& animation,
                      const GifAnimationLimits& limits) {
    std::vector<uint8_t> bytes;
    if (ReadPictureFile(fileName, limits.maxFileBytes, bytes) != PictureFileRead::kOk ||
        bytes.size() < 3 || std::memcmp(bytes.data(), "GIF", 3) != 0) {
        return false;
    }
    try {
        return animation.Load(std::move(bytes), limits) && animation.FrameCount() > 1;
    } catch (...) {
        return false;
    }
}

bool IsAnimatedGif(std::span<const uint8_t> bytes) {
    GifAnimation animation;
    return LoadGifAnimation(bytes, animation);
}

bool IsAnimatedGif(const char* fileName) {
    GifAnimation animation;
    return LoadGifAnimation(fileName, animation);
}

PictureSource* OpenAnimatedGif(const char* fileName) {
    if (!fileName) {
        return nullptr;
    }
    if (PictureSource* shared = FindSharedPicture(fileName)) {
        return shared;
    }
    GifAnimation animation;
    if (!LoadGifAnimation(fileName, animation)) {
        return nullptr;
    }
    try {
        return new AnimatedGifPicture(fileName, std::move(animation));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
