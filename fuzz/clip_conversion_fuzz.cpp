// The clip converter's demux and decode on any bytes: a clip's frames are scaled, turned and
// counted but not encoded, and a clip stops after a few frames, so each input costs little.
#include "make/video/ClipConversion.h"

namespace {
struct CountingSink final : ClipFrameSink {
    int64_t shown = 0;
    bool Begin(const ClipFrames& clip) override {
        return clip.width > 0 && clip.height > 0 && clip.width <= kClipMaxSide &&
               clip.height <= kClipMaxSide;
    }
    bool Add(const RgbaImage& frame, int, uint64_t& bytes) override {
        if (frame.pixels.size() != size_t(frame.width) * size_t(frame.height) * 4) {
            __builtin_trap();
        }
        bytes = frame.pixels.size() / 16;
        return ++shown < 16;
    }
    bool Repeat() override { return ++shown < 16; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ClipBytes input({data, size});
    CountingSink sink;
    ClipFrames frames;
    std::string error;
    if (!ConvertClipFrames(input, sink, {}, frames, error) && error.empty()) {
        __builtin_trap(); // every failure says why
    }
    return 0;
}
