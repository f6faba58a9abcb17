// Animated GIF files for the tests, built frame by frame with the test LZW encoder, and
// Pillow's composed frames of any GIF to compare with.
#pragma once

#include "GifReference.h"
#include "GifTestSupport.h"
#include "import/GifAnimation.h"

namespace importtest {

struct GifFrameSpec {
    int left = 0, top = 0, width = 0, height = 0;
    int localColours = 0; // 0: the global table
    int localShift = 0;   // local colour i is global colour i + localShift (wrapping)
    int transparent = -1;
    int disposal = 0;
    int delay = 10;
    bool interlaced = false;
    std::vector<uint8_t> values; // in stored order
};

struct AnimatedGifSpec {
    int width = 8, height = 6;
    int globalColours = 16;
    int background = 0;
    int loops = -1; // -1: no loop extension
    std::vector<GifFrameSpec> frames;
};

// Colour i of a table is (37i, 255 - 23i, 101 + 59i), every channel wrapping; a local
// table is the same sequence shifted.
inline void PutAnimationTable(Bytes& b, int colours, int shift) {
    for (int i = shift; i < colours + shift; ++i) {
        b.u8(37 * i & 0xFF).u8((255 - 23 * i) & 0xFF).u8((101 + 59 * i) & 0xFF);
    }
}

inline std::vector<uint8_t> MakeAnimatedGif(const AnimatedGifSpec& s) {
    Bytes b;
    b.text("GIF89a").u16(s.width).u16(s.height);
    b.u8(s.globalColours ? 0x80 | 0x70 | TableBits(s.globalColours) : 0x70).u8(s.background).u8(0);
    if (s.globalColours) {
        PutAnimationTable(b, s.globalColours, 0);
    }
    if (s.loops >= 0) {
        b.u8(0x21).u8(0xFF).u8(11).text("NETSCAPE2.0").u8(3).u8(1).u16(s.loops).u8(0);
    }
    for (const GifFrameSpec& f : s.frames) {
        const int flags = (f.disposal & 7) << 2 | (f.transparent >= 0 ? 1 : 0);
        b.u8(0x21).u8(0xF9).u8(4).u8(flags).u16(f.delay).u8(std::max(f.transparent, 0)).u8(0);
        b.u8(0x2C).u16(f.left).u16(f.top).u16(f.width).u16(f.height);
        b.u8((f.localColours ? 0x80 | TableBits(f.localColours) : 0) | (f.interlaced ? 0x40 : 0));
        if (f.localColours) {
            PutAnimationTable(b, f.localColours, f.localShift);
        }
        const int colours = f.localColours ? f.localColours : s.globalColours;
        const int minCodeSize = std::max(2, TableBits(colours) + 1);
        b.u8(minCodeSize).raw(SubBlocks(LzwEncode(f.values, minCodeSize, true)));
    }
    b.u8(0x3B);
    return b.data();
}

// Values of a frame: a pattern that differs from frame to frame, with every `holeEvery`th
// value (when given) the transparent one.
inline std::vector<uint8_t> PatternValues(int count, int colours, int seed, int holeEvery = 0,
                                          int transparent = -1) {
    std::vector<uint8_t> values;
    for (int i = 0; i < count; ++i) {
        const bool hole = holeEvery > 0 && transparent >= 0 && (i + seed) % holeEvery == 0;
        values.push_back(static_cast<uint8_t>(hole ? transparent : (i * 7 + seed * 3) % colours));
    }
    return values;
}

struct PillowFrame {
    std::vector<uint8_t> rgba; // top row first
};

// Pillow's composed frames of one file, as RGBA, and its loop count (-1 without one).
struct PillowAnimation {
    std::vector<PillowFrame> frames;
    std::vector<int> durations; // milliseconds, as stored
    int loop = -1;
};

// One python3 run for all files: <file>.frames holds the RGBA rows of every frame;
// <file>.info the frame count, loop count and durations.
inline bool PillowFrames(const ScratchDir& dir, const std::vector<std::string>& files) {
    static const char kScript[] = R"(import sys
from PIL import Image
for path in sys.argv[1:]:
    with Image.open(path) as im:
        out = open(path + ".frames", "wb")
        durations = []
        for i in range(im.n_frames):
            im.seek(i)
            out.write(im.convert("RGBA").tobytes())
            durations.append(str(im.info.get("duration", 0)))
        out.close()
        with open(path + ".info", "w") as info:
            info.write("%d %d %s\n" % (im.n_frames, im.info.get("loop", -1), " ".join(durations)))
)";
    const std::string script =
        dir.Write("pillow_frames.py", std::vector<uint8_t>(kScript, kScript + sizeof kScript - 1));
    std::string command = "/usr/bin/python3 " + script;
    for (const std::string& file : files) {
        command += " " + file;
    }
    return std::system(command.c_str()) == 0;
}

inline PillowAnimation ReadPillowAnimation(const std::string& file, int width, int height) {
    PillowAnimation a;
    std::ifstream info(file + ".info");
    int count = 0;
    info >> count >> a.loop;
    for (int i = 0, d = 0; i < count && info >> d; ++i) {
        a.durations.push_back(d);
    }
    const std::vector<uint8_t> bytes = ReadWhole(file + ".frames");
    const size_t frameBytes = size_t(width) * height * 4;
    for (size_t at = 0; at + frameBytes <= bytes.size(); at += frameBytes) {
        PillowFrame f;
        f.rgba.assign(bytes.begin() + long(at), bytes.begin() + long(at + frameBytes));
        a.frames.push_back(std::move(f));
    }
    return a;
}

// Pixels of the canvas that differ from Pillow's frame: a clear pixel must be clear in
// Pillow's, an opaque one opaque with the same colour. The colour of clear pixels is not
// compared; Pillow keeps whatever the transparent entry held.
inline int DifferencesFromPillow(const GifAnimation& animation, const PillowFrame& frame) {
    const BITMAPINFOHEADER* h = animation.Picture();
    const auto* canvas = reinterpret_cast<const uint8_t*>(h + 1);
    const int width = h->biWidth;
    const int height = h->biHeight;
    if (frame.rgba.size() != size_t(width) * height * 4) {
        return -1;
    }
    int different = 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = canvas + size_t(height - 1 - y) * width * 4;
        for (int x = 0; x < width; ++x) {
            const uint8_t* ours = row + 4 * x;
            const uint8_t* theirs = frame.rgba.data() + (size_t(y) * width + x) * 4;
            const bool ourClear = ours[3] == 255;
            const bool theirClear = theirs[3] == 0;
            if (ourClear != theirClear) {
                ++different;
            } else if (!ourClear &&
                       (ours[2] != theirs[0] || ours[1] != theirs[1] || ours[0] != theirs[2])) {
                ++different;
            }
        }
    }
    return different;
}

} // namespace importtest
