#include "RegionFills.h"

#include "render/region/RastelRegion.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Scene points are 16.16 with the origin at the region centre and y upwards. Every
// coordinate below is a binary fraction, so the conversion is exact.
POINT Pt(double x, double y) {
    return {static_cast<LONG>(x * 65536.0), static_cast<LONG>(y * 65536.0)};
}

// A packed picture (header, colour table, rows bottom-up, each padded to 4 bytes) made
// from a texel function, so that no file is needed on either side.
class Picture {
  public:
    // texel(x, y) gives the stored value: an index for depths up to 8, 0x00RRGGBB (16: 5-5-5
    // in the low 15 bits, 32: with a fourth byte) otherwise.
    template <typename Texel> Picture(int width, int height, int depth, Texel texel) {
        const int colours = depth <= 8 ? 1 << depth : 0;
        const size_t stride = (size_t(width) * depth + 31) / 32 * 4;
        m_block.assign(sizeof(BITMAPINFOHEADER) + 4 * colours + stride * height, 0);
        BITMAPINFOHEADER header{};
        header.biSize = sizeof(BITMAPINFOHEADER);
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = static_cast<WORD>(depth);
        header.biCompression = BI_RGB;
        header.biClrUsed = static_cast<DWORD>(colours);
        std::memcpy(m_block.data(), &header, sizeof header);
        uint8_t* table = m_block.data() + sizeof header;
        for (int i = 0; i < colours; ++i) { // a spread of colours: B, G, R, 0
            table[4 * i] = static_cast<uint8_t>(i * 97 + 13);
            table[4 * i + 1] = static_cast<uint8_t>(i * 59 + 200);
            table[4 * i + 2] = static_cast<uint8_t>(255 - i * 31);
        }
        uint8_t* bits = table + 4 * colours;
        for (int y = 0; y < height; ++y) {
            uint8_t* row = bits + stride * y;
            for (int x = 0; x < width; ++x) {
                Store(row, x, depth, texel(x, y));
            }
        }
    }
    const BITMAPINFOHEADER* Header() const {
        return reinterpret_cast<const BITMAPINFOHEADER*>(m_block.data());
    }

  private:
    static void Store(uint8_t* row, int x, int depth, uint32_t v) {
        switch (depth) {
        case 1:
        case 4: {
            const int perByte = 8 / depth;
            const int shift = 8 - depth * (x % perByte + 1);
            row[x / perByte] |= static_cast<uint8_t>((v & ((1u << depth) - 1)) << shift);
            break;
        }
        case 8:
            row[x] = static_cast<uint8_t>(v);
            break;
        case 16:
            row[2 * x] = static_cast<uint8_t>(v);
            row[2 * x + 1] = static_cast<uint8_t>((v >> 8) & 0x7F);
            break;
        default:
            for (int i = 0; i < depth / 8; ++i) {
                row[depth / 8 * x + i] = static_cast<uint8_t>(v >> (8 * i));
            }
        }
    }

    // 8-byte aligned through the vector's allocator; the header is read in place.
    std::vector<uint8_t> m_block;
};

// One cell of the 4 × 3 grid of 64-pixel cells: a square turned by about 20°, optionally
// with one corner pulled out so that the quad is no parallelogram.
struct Cell {
    POINT outline[4];
    POINT picture[4]; // the picture's corners row by row: (0,0), (1,0), (0,1), (1,1)
};

Cell MakeCell(int column, int row, bool skewed) {
    const double cx = -96 + 64 * column + 0.375, cy = 64 - 64 * row - 0.25;
    const double a = 26.375, b = 9.5; // the half-diagonal turned: (a, b) then (-b, a) ...
    double x[4] = {cx + a, cx - b, cx - a, cx + b};
    double y[4] = {cy + b, cy + a, cy - b, cy - a};
    if (skewed) {
        x[2] -= 3.25;
        y[2] -= 4.5;
    }
    Cell cell;
    for (int i = 0; i < 4; ++i) {
        cell.outline[i] = Pt(x[i], y[i]);
    }
    // The picture covers the inner three quarters, so the edge mode decides the rim.
    const int order[4] = {0, 1, 3, 2};
    for (int i = 0; i < 4; ++i) {
        const int k = order[i];
        cell.picture[i] = Pt(cx + 0.75 * (x[k] - cx), cy + 0.75 * (y[k] - cy));
    }
    return cell;
}

struct FillCase {
    int column, row;
    int texture; // -1 flat, else an index into the pictures
    int mode;    // edge mode 0..5
    bool perspective;
    double intensity;
    int transparency; // kind in bits 0-7, amount in bits 8-15
};

void FillCell(RastelRegion* region, const FillCase& c, const BITMAPINFOHEADER* texture) {
    const Cell cell = MakeCell(c.column, c.row, c.perspective);
    if (texture == nullptr) {
        const BYTE rgba[4] = {static_cast<BYTE>(40 + 60 * c.column),
                              static_cast<BYTE>(230 - 70 * c.row), 90, 0};
        region->SetFillColour(rgba, c.intensity, 0);
    } else {
        region->SetPerspective(c.perspective ? 1 : 0);
        region->SetFillBitmap(texture, &cell.picture[0], &cell.picture[1], &cell.picture[2],
                              &cell.picture[3], c.intensity, c.mode, c.transparency, 0);
    }
    region->FillQuad(&cell.outline[0], &cell.outline[1], &cell.outline[2], &cell.outline[3]);
}

} // namespace

void DrawFillSet(RastelRegion* region, const BITMAPINFOHEADER* picture) {
    const Picture rgb24(37, 23, 24, [](int x, int y) {
        return uint32_t((x * 7) << 16 | (y * 11) << 8 | ((x ^ y) * 9 & 0xFF));
    });
    const Picture rgb16(19, 29, 16, [](int x, int y) {
        return uint32_t((x & 31) << 10 | (y & 31) << 5 | ((x + y) & 31));
    });
    const Picture argb32(16, 16, 32, [](int x, int y) {
        return uint32_t((x * 16) << 24 | (y * 16) << 16 | 0x8000 | (x * 16));
    });
    const Picture index4(13, 11, 4, [](int x, int y) { return uint32_t((x + 3 * y) & 15); });
    const Picture mono(8, 8, 1, [](int x, int y) { return uint32_t(((x >> 1) ^ (y >> 1)) & 1); });
    const BITMAPINFOHEADER* textures[] = {picture,         rgb24.Header(), rgb16.Header(),
                                          index4.Header(), mono.Header(),  argb32.Header()};

    // The background first: the region bitmap itself is never cleared by the region.
    const BYTE grey[4] = {48, 40, 56, 0};
    region->SetFillColour(grey, 1.0, 0);
    const double hw = kFillSetWidth / 2.0, hh = kFillSetHeight / 2.0;
    const POINT all[4] = {Pt(-hw, -hh), Pt(hw, -hh), Pt(hw, hh), Pt(-hw, hh)};
    region->FillQuad(&all[0], &all[1], &all[2], &all[3]);

    static const FillCase kCases[] = {
        {0, 0, -1, 0, false, 1.0, 0},   {1, 0, -1, 0, true, 0.6, 0},
        {2, 0, 0, 0, true, 1.0, 0},     {3, 0, 0, 1, true, 0.75, 0},
        {0, 1, 1, 0, false, 1.0, 0},    {1, 1, 1, 1, false, 0.9, 0},
        {2, 1, 2, 2, true, 1.0, 0},     {3, 1, 3, 3, true, 0.5, 0},
        {0, 2, 4, 4, false, 1.0, 0},    {1, 2, 1, 5, true, 0.8, 0x4004},
        {2, 2, 5, 2, false, 1.0, 0x01}, {3, 2, -1, 0, true, 1.7, 0},
    };
    for (const FillCase& c : kCases) {
        FillCell(region, c, c.texture < 0 ? nullptr : textures[c.texture]);
    }
    // A last flat quad across three cells, to draw anti-aliased edges over finished pixels.
    const BYTE cyan[4] = {30, 210, 220, 0};
    region->SetFillColour(cyan, 0.85, 0);
    const POINT bar[4] = {Pt(-120.5, -20.25), Pt(110.75, 30.5), Pt(112.25, 36.0),
                          Pt(-119.0, -14.75)};
    region->FillQuad(&bar[0], &bar[1], &bar[2], &bar[3]);
}
