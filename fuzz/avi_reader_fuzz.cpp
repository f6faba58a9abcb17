// Runs the AVI reader on arbitrary file contents: open, then read the first and last frames.
#include "import/AviReader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        char dir[] = "/tmp/vc-fuzz-avi-XXXXXX";
        if (!mkdtemp(dir))
            std::abort();
        return std::string(dir) + "/clip.avi";
    }();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
        std::abort();
    AviVideo video;
    if (video.Open(path.c_str()) != AviStatus::Ok)
        return 0;
    std::vector<BYTE> picture(video.PackedSize());
    video.ReadFrame(0, picture);
    video.ReadFrame(static_cast<int32_t>(video.FrameCount()) - 1, picture);
    return 0;
}
