// The default picture's artwork, painted with integer arithmetic only so that every build
// gives the same bytes: a picture cube in gold over a starry blue backdrop, inside a violet
// ring and a bevelled gold frame.
//
// The colour table holds four ramps of 64 entries, dark to light:
//   0..63 backdrop blue, 64..127 gold, 128..191 silver, 192..255 violet.
#include "import/DefaultPicture.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
constexpr int kSide = kDefaultPictureSide;
enum Ramp { kBlue = 0, kGold = 64, kSilver = 128, kViolet = 192 };

struct Rgb {
    int r, g, b;
};

// Entry `t` (0..63) of a ramp through three key colours, the middle one at `mid`.
Rgb RampColour(Rgb dark, Rgb middle, Rgb light, int mid, int t) {
    auto mix = [](Rgb a, Rgb b, int num, int den) {
        return Rgb{a.r + (b.r - a.r) * num / den, a.g + (b.g - a.g) * num / den,
                   a.b + (b.b - a.b) * num / den};
    };
    return t <= mid ? mix(dark, middle, t, mid) : mix(middle, light, t - mid, 63 - mid);
}

void PaintColourTable(RGBQUAD* table) {
    const Rgb keys[4][3] = {
        {{4, 6, 24}, {22, 44, 110}, {90, 150, 220}},      // blue
        {{56, 30, 4}, {196, 136, 28}, {255, 240, 170}},   // gold
        {{26, 28, 36}, {130, 136, 150}, {250, 252, 255}}, // silver
        {{30, 8, 48}, {120, 50, 170}, {225, 190, 255}},   // violet
    };
    const int mids[4] = {40, 40, 32, 36};
    for (int ramp = 0; ramp < 4; ++ramp) {
        for (int t = 0; t < 64; ++t) {
            const Rgb c = RampColour(keys[ramp][0], keys[ramp][1], keys[ramp][2], mids[ramp], t);
            table[ramp * 64 + t] =
                RGBQUAD{static_cast<BYTE>(c.b), static_cast<BYTE>(c.g), static_cast<BYTE>(c.r), 0};
        }
    }
}

BYTE Shade(Ramp ramp, int t) {
    return static_cast<BYTE>(ramp + std::clamp(t, 0, 63));
}

int IntSqrt(int v) {
    int r = 0;
    while ((r + 1) * (r + 1) <= v) {
        ++r;
    }
    return r;
}

// One face of the isometric cube: the parallelogram origin + a*u + b*v, 0 <= a, b < 1,
// in sixteenths of a pixel around the picture's centre.
struct Face {
    int ox, oy, ux, uy, vx, vy;
    Ramp frame, panel;
    int frameBase, panelBase;
};

// Screen directions of the cube's edges: up is -y; the slanted edges rise at 30 degrees
// (776 / 896 = cos 30, 448 / 896 = sin 30).
constexpr Face kFaces[3] = {
    {0, 0, -776, -448, 776, -448, kGold, kViolet, 40, 34}, // top, lit
    {0, 0, -776, -448, 0, 896, kGold, kSilver, 22, 30},    // left
    {0, 0, 776, -448, 0, 896, kGold, kBlue, 10, 40},       // right, in shade
};

// The face's (a, b) in 1/1024 for the pixel centre (px, py), both sixteenths; false when
// outside.
bool FaceCoordinates(const Face& f, int px, int py, int& a, int& b) {
    const int64_t dx = px - f.ox, dy = py - f.oy;
    const int64_t det = int64_t{f.ux} * f.vy - int64_t{f.uy} * f.vx;
    a = static_cast<int>((dx * f.vy - dy * f.vx) * 1024 / det);
    b = static_cast<int>((f.ux * dy - f.uy * dx) * 1024 / det);
    return a >= 0 && a < 1024 && b >= 0 && b < 1024;
}

// The cube's pixel, or -1 outside it. Each face has a light rim and a recessed panel, a
// picture on a picture cube.
int CubePixel(int px, int py) {
    for (const Face& f : kFaces) {
        int a, b;
        if (!FaceCoordinates(f, px, py, a, b)) {
            continue;
        }
        const int edge = std::min({a, 1023 - a, b, 1023 - b});
        if (edge < 34) {
            return Shade(kGold, 63 - edge / 12);
        }
        if (edge >= 150) {
            return Shade(f.panel, f.panelBase + (a - b) * 14 / 1024 - (edge < 170 ? 12 : 0));
        }
        return Shade(f.frame, f.frameBase + (a + b) * 12 / 2048);
    }
    return -1;
}

// A sparse, fixed star field from a small linear congruential hash of the position.
bool IsStar(int x, int y) {
    uint32_t h = static_cast<uint32_t>(y * kSide + x) * 2654435761u;
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    return h % 331u == 0;
}

BYTE BackdropPixel(int x, int y) {
    if (IsStar(x, y)) {
        return Shade(kSilver, 52 + static_cast<int>((x * 7 + y * 3) % 12));
    }
    // Brightest just above the centre, where the cube's lit top is.
    const int dx = 2 * x + 1 - kSide, dy = 2 * y + 1 - (kSide - 36);
    const int d = IntSqrt(dx * dx + dy * dy) / 2;
    return Shade(kBlue, 50 - d * 46 / 140);
}

// The violet ring around the cube, lit from above; -1 off the ring.
int RingPixel(int x, int y) {
    const int dx = 2 * x + 1 - kSide, dy = 2 * y + 1 - kSide;
    const int r2 = dx * dx + dy * dy; // in half pixels squared
    constexpr int inner = 2 * 78, outer = 2 * 85;
    if (r2 < inner * inner || r2 >= outer * outer) {
        return -1;
    }
    if (r2 < (inner + 2) * (inner + 2)) {
        return Shade(kSilver, 44);
    }
    return Shade(kViolet, 34 - dy * 22 / outer);
}

// The gold frame: a bevel lit from the top left, with dark lines outside and inside.
int FramePixel(int x, int y) {
    const int fromLeft = x, fromTop = y, fromRight = kSide - 1 - x, fromBottom = kSide - 1 - y;
    const int e = std::min({fromLeft, fromTop, fromRight, fromBottom});
    if (e >= 9) {
        return -1;
    }
    if (e == 0 || e == 8) {
        return Shade(kSilver, 6);
    }
    const bool lit = std::min(fromLeft, fromTop) <= std::min(fromRight, fromBottom);
    return lit ? Shade(kGold, 62 - e * 3) : Shade(kGold, 14 + e * 3);
}

BYTE ArtPixel(int x, int y) {
    if (const int frame = FramePixel(x, y); frame >= 0) {
        return static_cast<BYTE>(frame);
    }
    const int px = (2 * x + 1 - kSide) * 8, py = (2 * y + 1 - kSide) * 8 + 16 * 4;
    if (const int cube = CubePixel(px, py); cube >= 0) {
        return static_cast<BYTE>(cube);
    }
    if (const int ring = RingPixel(x, y); ring >= 0) {
        return static_cast<BYTE>(ring);
    }
    return BackdropPixel(x, y);
}
} // namespace

void PaintDefaultPicture(BYTE* out) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = kSide;
    header.biHeight = kSide;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biCompression = BI_RGB;
    header.biSizeImage = kSide * kSide;
    header.biXPelsPerMeter = 2835; // 72 dots per inch
    header.biYPelsPerMeter = 2835;
    header.biClrUsed = 256;
    std::memcpy(out, &header, sizeof header);
    RGBQUAD table[256];
    PaintColourTable(table);
    std::memcpy(out + sizeof header, table, sizeof table);
    // Rows are stored bottom row first; the artwork is described top row first.
    BYTE* pixels = out + sizeof header + sizeof table;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            pixels[(kSide - 1 - y) * kSide + x] = ArtPixel(x, y);
        }
    }
}
