// Golden frames: a small set of whole frames, drawn headless as the saver draws them, pinned
// by a hash of their pixels in tests/data/golden-frames.txt. The Windows-equals-native checks
// cannot see a change that alters both builds alike; these can. The file is rewritten only by
// tools/update-golden-frames.sh, which prints every frame whose pixels changed.
#include "FinishedSaver.h"
#include "make/PayloadWriter.h"
#include "app/SceneFrames.h"
#include "render/core/FastPaths.h"
#include "render/region/MemoryRegion.h"
#include "scene/SceneRandom.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kGoldenFile[] = VC_TEST_DATA "/golden-frames.txt";

// FNV-1a over the visible bytes of every row, top row first.
uint64_t HashFrame(const MemoryRegion& region, int depth) {
    const int rowBytes = region.GetWidth() * (depth == 8 ? 1 : 4);
    uint64_t h = 0xCBF29CE484222325ull;
    for (int y = region.GetHeight() - 1; y >= 0; --y) {
        const uint8_t* row = region.Row(y);
        for (int i = 0; i < rowBytes; ++i) {
            h = (h ^ row[i]) * 0x100000001B3ull;
        }
    }
    return h;
}

// A 24-bit bottom-up BMP with colour bands and a diagonal: every part of a face tells where
// it is, so a texel taken from the wrong place shows.
std::vector<BYTE> BandedBmp(int width, int height, int seed) {
    const int stride = (width * 3 + 3) & ~3;
    std::vector<BYTE> file(54 + static_cast<size_t>(stride) * height);
    const auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            file[at + i] = static_cast<BYTE>(v >> (8 * i));
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            BYTE* p = &file[54 + static_cast<size_t>(y) * stride + 3 * x];
            const bool line = std::abs(x * height - y * width) < width + height;
            p[0] = line ? 255 : static_cast<BYTE>(x * 255 / width);
            p[1] = line ? 255 : static_cast<BYTE>((y * 8 / height) * 32 + seed * 40);
            p[2] = line ? 255 : static_cast<BYTE>(((x / 8 + y / 8 + seed) & 1) * 200);
        }
    }
    return file;
}

struct GoldenCase {
    const char* name;
    uint32_t settings[9];
    bool pictures; // six picture faces; otherwise the payload's faces are empty
    int depth, width, height;
    std::vector<double> clocks;
};

const GoldenCase kCases[] = {
    // The built-in scene: motion 0, two cubes, ten boxes.
    {"default", {0, 2, 1000, 1250, 0, 10, 1000, 300, 500}, false, 32, 320, 240, {0.0, 1.5, 7.3}},
    {"default", {0, 2, 1000, 1250, 0, 10, 1000, 300, 500}, false, 8, 320, 240, {0.0, 1.5, 7.3}},
    // Six picture faces on two cubes, with transparency.
    {"pictures", {1, 2, 1000, 2500, 1, 4, 1000, 300, 500}, true, 32, 400, 300, {0.4, 3.2}},
    {"pictures", {1, 2, 1000, 2500, 1, 4, 1000, 300, 500}, true, 8, 400, 300, {3.2}},
    // One large cube close to the camera: faces in strong perspective.
    {"large", {2, 1, 700, 9000, 0, 0, 1000, 300, 500}, true, 32, 480, 360, {0.8, 2.6}},
};

std::string FrameName(const GoldenCase& c, double clock) {
    char name[96];
    std::snprintf(name, sizeof name, "%s-%dbit-%dx%d-t%.2f", c.name, c.depth, c.width, c.height,
                  clock);
    return name;
}

std::map<std::string, uint64_t> DrawAll() {
    std::map<std::string, uint64_t> hashes;
    for (const GoldenCase& c : kCases) {
        std::vector<PayloadFace> faces(6);
        if (c.pictures) {
            for (int i = 0; i < 6; ++i) {
                faces[i].mode = static_cast<BYTE>(i & 1);
                faces[i].data = BandedBmp(64 + 40 * i, 48 + 24 * i, i);
            }
        }
        FinishedSaver saver(c.settings, faces.data());
        SetSceneRandomState(1); // as at the saver's start

        EXPECT_TRUE(saver.IsWritten());
        SceneFrames frames;
        EXPECT_EQ(frames.Open(c.depth, c.width, c.height), SceneFrames::OpenResult::kOpened);
        for (const double clock : c.clocks) {
            frames.Draw(clock);
            hashes[FrameName(c, clock)] = HashFrame(frames.GetRegion(), c.depth);
        }
    }
    return hashes;
}

std::map<std::string, uint64_t> ReadGolden() {
    std::map<std::string, uint64_t> golden;
    std::ifstream in(kGoldenFile);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name, hash;
        if (line.empty() || line[0] == '#' || !(fields >> name >> hash)) {
            continue;
        }
        golden[name] = std::strtoull(hash.c_str(), nullptr, 16);
    }
    return golden;
}

void WriteGolden(const std::map<std::string, uint64_t>& hashes) {
    std::ofstream out(kGoldenFile);
    out << "# Frame hashes (FNV-1a 64 of the visible pixel bytes, top row first).\n"
           "# Rewritten only by tools/update-golden-frames.sh.\n";
    for (const auto& [name, hash] : hashes) {
        char text[24];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
        out << name << ' ' << text << '\n';
    }
}

TEST(GoldenFrames, FramesMatchTheirPinnedHashes) {
    const std::map<std::string, uint64_t> drawn = DrawAll();
    const std::map<std::string, uint64_t> golden = ReadGolden();
    std::vector<std::string> changed;
    for (const auto& [name, hash] : drawn) {
        const auto it = golden.find(name);
        if (it == golden.end()) {
            changed.push_back(name + ": new frame");
        } else if (it->second != hash) {
            changed.push_back(name + ": pixels changed");
        }
    }
    for (const auto& [name, hash] : golden) {
        if (!drawn.count(name)) {
            changed.push_back(name + ": no longer drawn");
        }
    }
    if (std::getenv("VC_UPDATE_GOLDEN_FRAMES")) {
        WriteGolden(drawn);
        for (const std::string& line : changed) {
            std::printf("updated %s\n", line.c_str());
        }
        std::printf("%zu of %zu frames changed\n", changed.size(), drawn.size());
        return;
    }
    EXPECT_GE(drawn.size(), 11u);
    for (const std::string& line : changed) {
        ADD_FAILURE() << line;
    }
    if (!changed.empty()) {
        std::printf("If the change is meant, run tools/update-golden-frames.sh and review the "
                    "frames it names.\n");
    }
}

// The same frames with every fast path of the renderer off: the plain loops draw them
// byte for byte alike.
TEST(GoldenFrames, ThePlainPathsDrawTheSameFrames) {
    fast_paths::ForceReference(true);
    const std::map<std::string, uint64_t> drawn = DrawAll();
    fast_paths::ForceReference(false);
    const std::map<std::string, uint64_t> golden = ReadGolden();
    for (const auto& [name, hash] : drawn) {
        const auto it = golden.find(name);
        ASSERT_NE(it, golden.end()) << name;
        EXPECT_EQ(it->second, hash) << name;
    }
}

} // namespace
