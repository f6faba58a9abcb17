// The animated GIF composer on frames far larger than a small logical screen: the input
// chooses the screen, each frame's place, size (up to 65535 x 65535), interlacing,
// disposal and transparency, and its code stream (long runs of the table's longest
// strings, clear codes first, or the input's own bytes). The frames are shown in steps of
// a work budget the input chooses; the number of steps must stay within what the per-frame
// bounds allow, and stepped frames must equal frames shown whole.
#include "../tests/import/GifFlood.h"
#include "import/GifAnimation.h"
#include "import/PictureLimits.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr GifAnimationLimits kLimits{uint64_t{8} << 20, uint64_t{1} << 12, 16};

void Put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

uint16_t Side(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return in.ConsumeIntegralInRange<uint16_t>(0, 8);
    case 1:
        return in.ConsumeIntegralInRange<uint16_t>(60000, 65535);
    default:
        return in.ConsumeIntegral<uint16_t>();
    }
}

// One frame: graphic control, descriptor, optional local table, code stream.
void PutFrame(std::vector<uint8_t>& gif, FuzzedDataProvider& in) {
    const uint8_t disposal = in.ConsumeIntegralInRange<uint8_t>(0, 7);
    const bool transparent = in.ConsumeBool();
    gif.insert(gif.end(), {0x21, 0xF9, 4, static_cast<uint8_t>(disposal << 2 | transparent),
                           in.ConsumeIntegral<uint8_t>(), 0, in.ConsumeIntegral<uint8_t>(), 0});
    gif.push_back(0x2C);
    Put16(gif, in.ConsumeBool() ? 0 : in.ConsumeIntegral<uint16_t>() % 16);
    Put16(gif, in.ConsumeBool() ? 0 : in.ConsumeIntegral<uint16_t>() % 16);
    const uint16_t width = Side(in);
    const uint16_t height = Side(in);
    Put16(gif, width);
    Put16(gif, height);
    const bool local = in.ConsumeBool();
    gif.push_back(static_cast<uint8_t>((local ? 0x81 : 0) | (in.ConsumeBool() ? 0x40 : 0)));
    if (local) {
        gif.insert(gif.end(), {9, 9, 9, 200, 100, 50, 1, 2, 3, 4, 5, 6});
    }
    std::vector<uint8_t> codes;
    if (in.ConsumeBool()) {
        // Past every bound (40 M values, a few kilobytes) now and then; mostly at most
        // 100 K, so that a run stays short enough for many of them.
        const uint64_t reach = in.ConsumeIntegralInRange(0, 7) == 0 ? 40'000'000 : 100'000;
        const uint64_t most = std::min<uint64_t>(uint64_t{width} * height, reach);
        const uint64_t values = in.ConsumeIntegralInRange<uint64_t>(0, most);
        codes = importtest::FloodCodes(values, in.ConsumeIntegralInRange(0, 300));
        gif.push_back(2);
    } else {
        gif.push_back(in.ConsumeIntegralInRange<uint8_t>(0, 12));
        codes = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 4096));
    }
    const std::vector<uint8_t> blocks = importtest::SubBlocks(codes, in.ConsumeBool());
    gif.insert(gif.end(), blocks.begin(), blocks.end());
}

std::vector<uint8_t> MakeGif(FuzzedDataProvider& in) {
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(gif, in.ConsumeIntegralInRange(1, 64));
    Put16(gif, in.ConsumeIntegralInRange(1, 64));
    gif.insert(gif.end(), {0x81, in.ConsumeIntegral<uint8_t>(), 0});
    gif.insert(gif.end(), {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});
    const int frames = in.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < frames; ++i) {
        PutFrame(gif, in);
    }
    gif.push_back(0x3B);
    return gif;
}

// A frame costs at most its value limit, one unit per run of clear codes and one to end.
uint64_t MostWorkPerFrame(size_t fileBytes) {
    return picture::kMaxGifFrameValues + fileBytes * 8 / GifDecoder::kClearRun + 2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const uint64_t step = in.ConsumeIntegralInRange<uint64_t>(1, uint64_t{1} << 22);
    const std::vector<uint8_t> gif = MakeGif(in);
    GifAnimation stepped;
    if (!stepped.Load(gif, kLimits)) {
        return 0;
    }
    GifAnimation whole;
    if (!whole.Load(gif, kLimits)) {
        __builtin_trap();
    }
    const BITMAPINFOHEADER* picture = stepped.Picture();
    const size_t bytes = sizeof(BITMAPINFOHEADER) +
                         size_t{4} * uint32_t(picture->biWidth) * uint32_t(picture->biHeight);
    for (int visit = 0; visit < 3 && in.remaining_bytes() > 0; ++visit) {
        const uint32_t index = in.ConsumeIntegralInRange<uint32_t>(0, stepped.FrameCount() - 1);
        // From the start (going back) or from where it stands: never more steps than the
        // frames on the way allow.
        const uint64_t most = (uint64_t{index} + 1) * MostWorkPerFrame(gif.size()) / step + 1;
        uint64_t steps = 0;
        while (!stepped.AdvanceTowards(index, step)) {
            if (++steps > most) {
                __builtin_trap();
            }
        }
        whole.ShowFrame(index);
        if (stepped.ShownFrame() != index ||
            std::memcmp(stepped.Picture(), whole.Picture(), bytes) != 0) {
            __builtin_trap();
        }
    }
    return 0;
}
