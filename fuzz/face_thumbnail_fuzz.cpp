// Face thumbnails on any bytes: whatever the saver's loaders make of them (a picture, an
// animated GIF's first frame, an AVI's first frame) must shrink into a whole picture that
// fits the slot, and nothing may be left in the temporary folder.
#include "make/FaceThumbnail.h"

#include <cstdint>

namespace {
constexpr int kSlotSide = 48;

// Small enough that a hostile header cannot make the fuzzer allocate much. An animated
// GIF is taken within the saver's own limits (its canvas at most 16 MiB), as the decision
// of what a face shows is the saver's.
ThumbnailLimits SmallLimits() {
    ThumbnailLimits limits;
    limits.pictureBytes = 4u << 20;
    limits.pixels = 1u << 20;
    return limits;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ThumbnailLimits limits = SmallLimits();
    const FaceThumbnail thumbnail = MakeFaceThumbnail({data, size}, kSlotSide, limits);
    const RgbaImage& image = thumbnail.image;
    if (image.width < 0 || image.height < 0 || image.width > kSlotSide ||
        image.height > kSlotSide ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height * 4 ||
        (image.pixels.empty() != (image.width == 0 || image.height == 0))) {
        __builtin_trap();
    }
    return 0;
}
