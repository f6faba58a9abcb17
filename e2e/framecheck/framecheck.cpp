// framecheck: draws the saver's scene at given clock values through the in-memory drawing
// region, as the headless renderer does, and writes each frame's stored pixels to a pixel
// file (PixelFile.h). Built natively and for Windows from the same libraries, so the two
// builds' files can be compared byte for byte.
//
//   framecheck [--saver PATH] DEPTH WIDTH HEIGHT OUT-PREFIX CLOCK...
//
// The scene is the one of the payload at the end of the program's own file (none: the
// built-in defaults). A finished check program is made like a finished saver, by appending
// a payload to a copy of framecheck.exe; natively --saver names that copy instead.
//
// The frames are drawn one after another into one region, as the saver draws them, and
// written to OUT-PREFIX-0.pam, OUT-PREFIX-1.pam, ...
#include "PixelFile.h"

#include "app/SceneFrames.h"
#include "platform/Win32.h"
#include "render/region/MemoryRegion.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool ParseInt(const char* text, int low, int high, int* value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < low || v > high) {
        return false;
    }
    *value = static_cast<int>(v);
    return true;
}

bool ParseClock(const char* text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(*value);
}

int Draw(int depth, int width, int height, const std::string& prefix,
         const std::vector<double>& clocks) {
    SceneFrames frames;
    switch (frames.Open(depth, width, height)) {
    case SceneFrames::OpenResult::kOpened:
        break;
    case SceneFrames::OpenResult::kEmptyScene:
        std::fprintf(stderr, "framecheck: the scene is empty\n");
        return 1;
    case SceneFrames::OpenResult::kNoRegion:
        std::fprintf(stderr, "framecheck: no region of %dx%d\n", width, height);
        return 1;
    }
    const MemoryRegion& region = frames.GetRegion();
    for (size_t i = 0; i < clocks.size(); ++i) {
        frames.Draw(clocks[i]);
        const std::string path = prefix + "-" + std::to_string(i) + ".pam";
        if (!WritePixelFile(path.c_str(), region.GetHeader()->bmiHeader, region.GetBits())) {
            std::fprintf(stderr, "framecheck: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string saver;
    if (argc > 2 && std::string(argv[1]) == "--saver") {
        saver = argv[2];
        argv += 2;
        argc -= 2;
    }
    int depth = 0, width = 0, height = 0;
    std::vector<double> clocks;
    bool ok = argc >= 6 && ParseInt(argv[1], 1, 32, &depth) && ParseInt(argv[2], 1, 4096, &width) &&
              ParseInt(argv[3], 1, 4096, &height);
    for (int i = 5; ok && i < argc; ++i) {
        double clock = 0;
        ok = ParseClock(argv[i], &clock);
        clocks.push_back(clock);
    }
    if (!ok) {
        std::fprintf(stderr,
                     "usage: framecheck [--saver PATH] DEPTH WIDTH HEIGHT OUT-PREFIX CLOCK...\n");
        return 2;
    }
#ifndef _WIN32
    if (!saver.empty()) {
        platform::SetModuleFileNameOverride(saver.c_str());
    }
#else
    if (!saver.empty()) {
        std::fprintf(stderr, "framecheck: --saver is for the native build\n");
        return 2;
    }
#endif
    return Draw(depth, width, height, argv[4], clocks);
}
