#include "import/AnimatedGifPicture.h"

#include "import/ImageImporter.h"

#include <cstring>
#include <new>

AnimatedGifPicture::AnimatedGifPicture(const char* fileName, GifAnimation&& animation)
    : PictureSource(fileName), m_animation(std::move(animation)) {}

void AnimatedGifPicture::SetTime(DWORD milliseconds) {
    m_wantedFrame = m_animation.FrameAt(VideoTimeSinceOrigin(milliseconds));
    m_currentTime = milliseconds;
}

// Frames are composed when the picture is drawn, so that a face no one draws costs
// nothing.
const BITMAPINFOHEADER* AnimatedGifPicture::GetBitmap() {
    if (m_animation.ShownFrame() != m_wantedFrame) {
        m_animation.ShowFrame(m_wantedFrame);
    }
    const BITMAPINFOHEADER* picture = m_animation.Picture();
    return picture ? picture : PictureSource::GetBitmap();
}

bool LoadGifAnimation(const char* fileName, GifAnimation& animation,
                      const GifAnimationLimits& limits) {
    try {
        ImageImporter importer;
        if (!importer.Open(fileName)) {
            return false;
        }
        // The signature first, so that other pictures are not read whole for nothing.
        uint8_t signature[3];
        const uint64_t length = importer.m_file.GetLength();
        if (length > limits.maxFileBytes ||
            importer.m_file.Read(signature, sizeof signature) != sizeof signature ||
            std::memcmp(signature, "GIF", 3) != 0) {
            return false;
        }
        std::vector<uint8_t> bytes(static_cast<size_t>(length));
        std::memcpy(bytes.data(), signature, sizeof signature);
        importer.ReadExact(bytes.data() + sizeof signature,
                           static_cast<UINT>(length - sizeof signature));
        return animation.Load(std::move(bytes), limits) && animation.FrameCount() > 1;
    } catch (...) {
        return false;
    }
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
