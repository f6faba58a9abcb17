// Pictures the renderer would refuse or misread (top-down rows, 2-bit pixels, bit fields
// with other masks) are rewritten for faces; the layouts it reads as they are pass through
// untouched.
#include "import/DrawableLayout.h"
#include "import/ImageImporter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A packed bit-field picture in a global block: header, three masks, rows of `pixels`
// (width by |height|, in row order) at `bits` bits.
BITMAPINFOHEADER* Packed(LONG width, LONG height, WORD bits, const DWORD masks[3],
                         const std::vector<DWORD>& pixels) {
    const LONG rows = height < 0 ? -height : height;
    const size_t stride = picture::RowStride(width, bits);
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, sizeof(BITMAPINFOHEADER) + 12 + stride * rows);
    auto* packed = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    picture::SetHeader(*packed, width, height, bits);
    packed->biCompression = BI_BITFIELDS;
    std::memcpy(packed + 1, masks, 12);
    auto* row = reinterpret_cast<BYTE*>(packed + 1) + 12;
    std::memset(row, 0xEE, stride * rows);
    for (LONG y = 0; y < rows; ++y, row += stride) {
        for (LONG x = 0; x < width; ++x) {
            std::memcpy(row + x * (bits / 8), &pixels[y * width + x], bits / 8);
        }
    }
    return packed;
}

void Free(BITMAPINFOHEADER* packed) {
    HGLOBAL block = GlobalHandle(packed);
    GlobalUnlock(block);
    GlobalFree(block);
}

// Pixel x of row y of a BI_RGB picture, as blue, green, red (and the fourth byte).
std::vector<BYTE> Texel(const BITMAPINFOHEADER* packed, int x, int y) {
    const int bytes = packed->biBitCount / 8;
    const BYTE* p = reinterpret_cast<const BYTE*>(packed + 1) +
                    y * picture::RowStride(packed->biWidth, packed->biBitCount) + x * bytes;
    return std::vector<BYTE>(p, p + bytes);
}

TEST(DrawableLayout, Rgb565BecomesTwentyFourBitWithRoundedChannels) {
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    // Three rows, top-down: they come out bottom-up, the picture the same way up.
    BITMAPINFOHEADER* in = Packed(2, -3, 16, masks, {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x8410, 0});
    ASSERT_FALSE(IsDrawableLayout(in));
    BITMAPINFOHEADER* out = ToDrawableLayout(in);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->biBitCount, 24);
    EXPECT_EQ(out->biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(out->biWidth, 2);
    EXPECT_EQ(out->biHeight, 3);
    EXPECT_EQ(Texel(out, 0, 2), (std::vector<BYTE>{0, 0, 255}));
    EXPECT_EQ(Texel(out, 1, 2), (std::vector<BYTE>{0, 255, 0}));
    EXPECT_EQ(Texel(out, 0, 1), (std::vector<BYTE>{255, 0, 0}));
    EXPECT_EQ(Texel(out, 1, 1), (std::vector<BYTE>{255, 255, 255}));
    // 16 of 31 and 32 of 63, to nearest: 131.6 and 129.5 (a tie, rounded up).
    EXPECT_EQ(Texel(out, 0, 0), (std::vector<BYTE>{132, 130, 132}));
    EXPECT_EQ(Texel(out, 1, 0), (std::vector<BYTE>{0, 0, 0}));
    EXPECT_TRUE(IsDrawableLayout(out));
    Free(out);
}

TEST(DrawableLayout, ThirtyTwoBitInOtherOrderKeepsTheSpareByte) {
    const DWORD rgba[3] = {0x000000FF, 0x0000FF00, 0x00FF0000}; // red in the low byte
    BITMAPINFOHEADER* out = ToDrawableLayout(Packed(1, 1, 32, rgba, {0x80332211}));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->biBitCount, 32);
    EXPECT_EQ(Texel(out, 0, 0), (std::vector<BYTE>{0x33, 0x22, 0x11, 0x80}));
    Free(out);

    // Ten bits a channel: no byte is spare, and each channel is scaled down (blue 512 of
    // 1023 is 127.6).
    const DWORD wide[3] = {0x3FF00000, 0x000FFC00, 0x000003FF};
    out = ToDrawableLayout(Packed(1, 1, 32, wide, {0xFFF00200}));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(Texel(out, 0, 0), (std::vector<BYTE>{128, 0, 255, 0}));
    Free(out);
}

TEST(DrawableLayout, LayoutsTheRendererReadsAreLeftAlone) {
    const DWORD m555[3] = {0x7C00, 0x03E0, 0x001F};
    const DWORD m888[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
    for (BITMAPINFOHEADER* in : {Packed(3, 2, 16, m555, std::vector<DWORD>(6, 0x1234)),
                                 Packed(3, 2, 32, m888, std::vector<DWORD>(6, 0x123456))}) {
        EXPECT_TRUE(IsDrawableLayout(in));
        EXPECT_EQ(ToDrawableLayout(in), in);
        Free(in);
    }
    EXPECT_EQ(ToDrawableLayout(nullptr), nullptr);
}

} // namespace
