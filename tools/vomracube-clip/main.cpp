// vomracube-clip [--rate N/D] [--quality Q] WIDTHxHEIGHT OUT.avi < FRAMES
//
// Reads frames of packed 8-bit red, green, blue (WIDTH * HEIGHT * 3 bytes each, top row
// first) from standard input until it ends and writes them as a Motion-JPEG AVI, the way the
// making tools store clips. A frame that equals the one before it is stored as a repeat.
// Prints the frame count and the file's size.
#include "make/MotionJpegAviWriter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
int Usage() {
    std::fputs("usage: vomracube-clip [--rate N/D] [--quality Q] WIDTHxHEIGHT OUT.avi < FRAMES\n",
               stderr);
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    unsigned rate = 30, scale = 1;
    int quality = 85;
    int arg = 1;
    for (; arg + 1 < argc && std::strncmp(argv[arg], "--", 2) == 0; arg += 2) {
        if (std::strcmp(argv[arg], "--rate") == 0 &&
            std::sscanf(argv[arg + 1], "%u/%u", &rate, &scale) == 2) {
            continue;
        }
        if (std::strcmp(argv[arg], "--quality") == 0) {
            quality = std::atoi(argv[arg + 1]);
            continue;
        }
        return Usage();
    }
    int width = 0, height = 0;
    if (argc - arg != 2 || std::sscanf(argv[arg], "%dx%d", &width, &height) != 2 || width <= 0 ||
        height <= 0 || width > 8192 || height > 8192) {
        return Usage();
    }
    std::FILE* out = std::fopen(argv[arg + 1], "wb");
    if (!out) {
        std::perror(argv[arg + 1]);
        return 1;
    }
    FileAviSink sink(out);
    MotionJpegAviWriter writer;
    const size_t frameBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    std::vector<uint8_t> frame(frameBytes), previous;
    bool ok = writer.Begin(sink, width, height, rate, scale);
    while (ok && std::fread(frame.data(), 1, frameBytes, stdin) == frameBytes) {
        ok = frame == previous ? writer.RepeatFrame()
                               : writer.AddFrameRgb(frame.data(), size_t(width) * 3, quality);
        previous = frame;
    }
    ok = ok && writer.Finish();
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "%s: the clip could not be written\n", argv[arg + 1]);
        return 1;
    }
    std::printf("%u frames, %llu bytes\n", writer.FrameCount(),
                static_cast<unsigned long long>(writer.BytesWritten()));
    return 0;
}
