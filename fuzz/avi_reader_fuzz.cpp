// Runs the AVI reader on arbitrary file contents: open, then read the first and last frames.
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
    return 0;
}
