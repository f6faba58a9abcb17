#include "RegionScenes.h"

#include "render/region/RastelRegion.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Scene point in 16.16 pixels, origin at the region centre, y up.
POINT S(double x, double y) {
    return {static_cast<LONG>(x * 65536), static_cast<LONG>(y * 65536)};
}

// A packed picture: header, colour table, rows (bottom row first, padded to 4 bytes).
class PackedPicture {
  public:
    PackedPicture(int w, int h, int bits) {
        const int colours = bits <= 8 ? 1 << bits : 0;
        m_stride = (w * bits + 31) / 32 * 4;
        m_block.assign(40 + 4 * colours + m_stride * h, 0);
        BITMAPINFOHEADER header{};
        header.biSize = 40;
        header.biWidth = w;
        header.biHeight = h;
        header.biPlanes = 1;
        header.biBitCount = static_cast<WORD>(bits);
        header.biClrUsed = static_cast<DWORD>(colours);
        std::memcpy(m_block.data(), &header, sizeof header);
        for (int i = 0; i < colours; ++i) {
            const uint8_t c[4] = {static_cast<uint8_t>(i * 53 + 20),
                                  static_cast<uint8_t>(255 - i * 29),
                                  static_cast<uint8_t>(i * 97 + 5), 0};
            std::memcpy(m_block.data() + 40 + 4 * i, c, 4);
        }
        m_bits = m_block.data() + 40 + 4 * colours;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                Set(x, y, bits, static_cast<uint32_t>((x * 40503u) ^ (y * 2654435761u)) >> 7);
            }
        }
    }
    const BITMAPINFOHEADER* Header() const {
        return reinterpret_cast<const BITMAPINFOHEADER*>(m_block.data());
    }

  private:
    void Set(int x, int y, int bits, uint32_t value) {
        uint8_t* row = m_bits + y * m_stride;
        switch (bits) {
        case 1:
            row[x / 8] |= static_cast<uint8_t>((value & 1) << (7 - x % 8));
            break;
        case 4:
            row[x / 2] |= static_cast<uint8_t>((value & 15) << (x % 2 ? 0 : 4));
            break;
        case 8:
            row[x] = static_cast<uint8_t>(value);
            break;
        default:
            std::memcpy(row + x * bits / 8, &value, bits / 8);
            break;
        }
    }

    std::vector<uint8_t> m_block;
    uint8_t* m_bits = nullptr;
    int m_stride = 0;
};

void Quad(RastelRegion& region, POINT p0, POINT p1, POINT p2, POINT p3) {
    region.FillQuad(&p0, &p1, &p3, &p2);
}

} // namespace

void DrawRegionScenes(RastelRegion& region) {
    // Background and flat faces at several intensities (clamped outside [0, 1]).
    const BYTE navy[4] = {20, 30, 90, 0};
    const BYTE orange[4] = {250, 140, 30, 0};
    region.SetFillColour(navy, 1.0, 0);
    Quad(region, S(-80, 60), S(80, 60), S(-80, -60), S(80, -60));
    const double intensities[] = {1.7, 0.8, 0.35, -0.2};
    for (int i = 0; i < 4; ++i) {
        region.SetFillColour(orange, intensities[i], 0);
        const double x = -78 + 12 * i;
        Quad(region, S(x, 58), S(x + 10, 57), S(x + 1, 48), S(x + 11, 47.5));
    }

    // Pictures of every depth, in perspective and affinely, lit and unlit, clamped and
    // with the outside colour, some transparent (kind 4, amount 0x40).
    const int depths[] = {1, 4, 8, 16, 24, 32};
    for (int i = 0; i < 6; ++i) {
        const PackedPicture picture(13 + 3 * i, 9 + 2 * i, depths[i]);
        for (int perspective = 0; perspective < 2; ++perspective) {
            region.SetPerspective(perspective);
            const double x = -78 + 26 * i, y = perspective ? 40 : -2;
            const POINT p0 = S(x + 0.3, y), p1 = S(x + 22.6, y - 3.2);
            const POINT p2 = S(x + 2.1, y - 36.4),
                        p3 = perspective ? S(x + 19.9, y - 31.7) : S(x + 24.4, y - 39.6);
            const double intensity = 0.45 + 0.1 * i;
            const int mode = i % 2;
            const int transparency = i >= 4 ? 0x4004 : 0;
            region.SetFillBitmap(picture.Header(), &p0, &p1, &p2, &p3, intensity, mode,
                                 transparency, 0);
            // The outline is a little larger than the picture, so edges and the outside
            // colour show.
            Quad(region, S(x - 1, y + 1), S(x + 24, y - 2), S(x + 1, y - 38), S(x + 25, y - 40));
        }
    }

    // A picture at a steep angle and a degenerate one (drawn in the flat grey).
    const PackedPicture picture(64, 48, 24);
    region.SetPerspective(1);
    const POINT a0 = S(-70, -44), a1 = S(70, -42), a2 = S(-30, -58), a3 = S(30, -57);
    region.SetFillBitmap(picture.Header(), &a0, &a1, &a2, &a3, 1.0, 0, 0, 0);
    Quad(region, a0, a1, a2, a3);
    const POINT d0 = S(60, 20), d1 = S(60, 20), d2 = S(70, 5), d3 = S(75, 0);
    region.SetFillBitmap(picture.Header(), &d0, &d1, &d2, &d3, 0.6, 0, 0, 0);
    Quad(region, S(62, 22), S(78, 22), S(62, 10), S(78, 10));
}
