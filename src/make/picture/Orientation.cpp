#include "make/picture/Orientation.h"

#include <cstring>

namespace {
// Where the upright picture's top-left pixel lies in the stored one, and which way a step
// right and a step down in the upright picture go there, in stored pixels (x, y).
struct Walk {
    bool fromRight, fromBottom;
    int rightX, rightY, downX, downY;
};
// Orientation 6, for one: the stored picture must turn a quarter clockwise, so the upright
// top-left pixel is the stored bottom-left one, a step right goes up the stored picture and
// a step down goes right.
constexpr Walk kWalks[9] = {
    {false, false, 1, 0, 0, 1}, {false, false, 1, 0, 0, 1}, {true, false, -1, 0, 0, 1},
    {true, true, -1, 0, 0, -1}, {false, true, 1, 0, 0, -1}, {false, false, 0, 1, 1, 0},
    {false, true, 0, -1, 1, 0}, {true, true, 0, -1, -1, 0}, {true, false, 0, 1, -1, 0},
};
} // namespace

RgbaImage Upright(const RgbaImage& stored, int orientation) {
    if (orientation < 2 || orientation > 8) {
        return stored;
    }
    const int64_t w = stored.width, h = stored.height;
    const Walk& walk = kWalks[orientation];
    RgbaImage out;
    out.width = static_cast<int>(orientation >= 5 ? h : w);
    out.height = static_cast<int>(orientation >= 5 ? w : h);
    out.pixels.resize(stored.pixels.size());

    const int64_t right = (walk.rightX + walk.rightY * w) * 4;
    const int64_t down = (walk.downX + walk.downY * w) * 4;
    int64_t rowStart = ((walk.fromRight ? w - 1 : 0) + (walk.fromBottom ? h - 1 : 0) * w) * 4;
    uint8_t* to = out.pixels.data();
    for (int64_t y = 0; y < out.height; ++y, rowStart += down) {
        int64_t from = rowStart;
        for (int64_t x = 0; x < out.width; ++x, to += 4, from += right) {
            std::memcpy(to, stored.pixels.data() + from, 4);
        }
    }
    return out;
}
