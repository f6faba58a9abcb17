#include "vomracube-flicker/StudyPictures.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Texel values are kept at 16 and above, so that a lit face is never black: the study tells
// face pixels from the black background by that.
uint8_t Byte(double v) {
    const double k = 16 + (v < 0 ? 0 : v > 255 ? 255 : v) * (239.0 / 255.0);
    return static_cast<uint8_t>(k + 0.5);
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// Grey of texel (x, y) for one channel c.
double Texel(StudyPicture picture, int side, int x, int y, int c, uint32_t& seed) {
    switch (picture) {
    case StudyPicture::kZonePlate: {
        // Phase pi·r²/R² · R/2 grows to a local frequency of 1/2 cycle per texel at r = R.
        const double dx = x - side / 2.0, dy = y - side / 2.0, r = side / 2.0;
        return 127.5 + 127.5 * std::cos(kPi * (dx * dx + dy * dy) / (2.0 * r));
    }
    case StudyPicture::kPhoto: {
        seed = seed * 1664525u + 1013904223u;
        const double fine = std::sin(x * 0.9 + std::sin(y * 0.05) * 6) * 40;
        const double mid = std::sin(x * 0.031) * std::cos(y * 0.027) * 50;
        return 110 + 60 * std::sin((x + y * (c + 1)) * 0.002) + fine * (c == 1) + mid +
               (double(seed >> 28) - 8);
    }
    case StudyPicture::kTextPage: {
        // Lines of 24 texels, glyph cells of 12 x 16 with strokes 2 texels wide.
        const int line = y / 24, row = y % 24, cell = x / 12, col = x % 12;
        if (row >= 16 || x < side / 16 || x > side - side / 16) {
            return 250;
        }
        const uint32_t h = (uint32_t(line) * 2654435761u) ^ (uint32_t(cell) * 40503u);
        if ((h >> 7) % 7 == 0) {
            return 250; // a space
        }
        const bool stem = col >= 2 + int(h % 6) && col < 4 + int(h % 6);
        const bool bar = (row >= 3 + int((h >> 3) % 10)) && (row < 5 + int((h >> 3) % 10)) &&
                         col >= 1 && col < 10;
        return stem || bar ? 20 : 250;
    }
    }
    return 0;
}

} // namespace

const char* StudyPictureName(StudyPicture picture) {
    switch (picture) {
    case StudyPicture::kZonePlate:
        return "zone plate";
    case StudyPicture::kPhoto:
        return "photo";
    case StudyPicture::kTextPage:
        return "text page";
    }
    return "";
}

std::vector<uint8_t> MakeStudyPicture(StudyPicture picture, int side) {
    const size_t stride = (size_t(side) * 3 + 3) & ~size_t{3};
    const size_t head = 14 + 40;
    std::vector<uint8_t> file(head + stride * size_t(side), 0);
    uint8_t* p = file.data();
    p[0] = 'B';
    p[1] = 'M';
    Put32(p + 2, static_cast<uint32_t>(file.size()));
    Put32(p + 10, static_cast<uint32_t>(head));
    Put32(p + 14, 40);
    Put32(p + 18, static_cast<uint32_t>(side));
    Put32(p + 22, static_cast<uint32_t>(side));
    p[26] = 1;
    p[28] = 24;
    uint32_t seed = 12345;
    for (int y = 0; y < side; ++y) {
        uint8_t* row = p + head + stride * size_t(y);
        for (int x = 0; x < side; ++x) {
            for (int c = 0; c < 3; ++c) {
                row[3 * x + c] = Byte(Texel(picture, side, x, y, c, seed));
            }
        }
    }
    return file;
}
