// WebP on any bytes: the still reader (lossy, lossless, opacity, an animation's first
// frame), then the same bytes as a moving face: every frame in order, a jump back to the
// start and the timing, with the canvas checked to stay a whole 32-bit picture.
#include "import/WebpAnimation.h"
#include "import_fuzz_support.h"

#include <algorithm>
#include <vector>

namespace {

// Small enough that a hostile canvas size cannot make the fuzzer allocate much.
constexpr WebpAnimationLimits kLimits{uint64_t{1} << 20, uint64_t{1} << 16, 4096};
constexpr uint32_t kMostFramesShown = 64;

void CheckPicture(const WebpAnimation& animation) {
    const BITMAPINFOHEADER* header = animation.Picture();
    if (!header || header->biSize != 40 || header->biBitCount != 32 || header->biWidth <= 0 ||
        header->biHeight <= 0 ||
        uint64_t(header->biWidth) * uint64_t(header->biHeight) > kLimits.maxCanvasPixels) {
        __builtin_trap();
    }
}

void PlayAnimation(const uint8_t* data, size_t size) {
    WebpAnimation animation;
    if (!animation.Load(std::vector<uint8_t>(data, data + size), kLimits)) {
        return;
    }
    CheckPicture(animation);
    const uint32_t shown = std::min(animation.FrameCount(), kMostFramesShown);
    for (uint32_t i = 0; i < shown; ++i) {
        animation.AdvanceTowards(i, 1);
        if (animation.ShownFrame() != i) {
            __builtin_trap();
        }
    }
    animation.ShowFrame(0);
    const uint64_t play = animation.PlayLength();
    const uint32_t at = animation.FrameAt(play * 2 + play / 3);
    if (at >= animation.FrameCount() || animation.FrameAt(0) != 0) {
        __builtin_trap();
    }
    animation.ShowFrame(std::min(at, kMostFramesShown));
    CheckPicture(animation);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    importfuzz::DecodeAs(data, size, ImageImporter::Webp);
    PlayAnimation(data, size);
    return 0;
}
