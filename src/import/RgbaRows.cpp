#include "import/RgbaRows.h"

#include "import/PixelLayouts.h"

namespace picture {
namespace {

template <unsigned kChannels>
void PackRows(const uint8_t* source, size_t sourceStride, uint32_t width, uint32_t height,
              uint8_t* target, size_t targetStride) {
    using namespace pixel;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = source + y * sourceStride;
        uint8_t* out = target + (size_t{height} - 1 - y) * targetStride;
        for (uint32_t x = 0; x < width; ++x, in += kChannels, out += 4) {
            out[packed::kBlue] = in[rgba::kBlue];
            out[packed::kGreen] = in[rgba::kGreen];
            out[packed::kRed] = in[rgba::kRed];
            out[packed::kClearness] = kChannels == 4 ? packed::ClearnessOf(in[rgba::kOpacity]) : 0;
        }
    }
}

} // namespace

void PackRgbRows(const uint8_t* source, size_t sourceStride, unsigned sourceChannels,
                 uint32_t width, uint32_t height, uint8_t* target, size_t targetStride) {
    if (sourceChannels == 4) {
        PackRows<4>(source, sourceStride, width, height, target, targetStride);
    } else {
        PackRows<3>(source, sourceStride, width, height, target, targetStride);
    }
}

} // namespace picture
