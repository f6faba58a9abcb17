// Runs the AVI reader on arbitrary file contents: open, then read the first and last frames;
// for Motion-JPEG clips the middle frame once more from the bytes at half size, through the
// entry points' wish for a smaller frame.
#include "import/AviReader.h"
#include "import_fuzz_support.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const importfuzz::ScratchFile clip(data, size);
    if (!clip.written()) {
        return 0;
    }
    AviVideo video;
    if (video.Open(clip.path()) != AviStatus::kOk) {
        return 0;
    }
    std::vector<BYTE> picture(video.PackedSize());
    video.ReadFrame(0, picture);
    video.ReadFrame(static_cast<int32_t>(video.FrameCount()) - 1, picture);
    if (video.IsMotionJpeg()) {
        AviVideo fromBytes;
        if (fromBytes.Open(std::span<const uint8_t>(data, size)) == AviStatus::kOk) {
            fromBytes.SetDecodeScale(2);
            picture.assign(fromBytes.PackedSize(), 0);
            fromBytes.ReadFrame(static_cast<int32_t>(fromBytes.FrameCount() / 2), picture);
        }
    }
    return 0;
}
