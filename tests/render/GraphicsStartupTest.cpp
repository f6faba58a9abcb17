// The graphics start-up: percent table and DIB headers.
#include "render/core/GraphicsStartup.h"

#include <gtest/gtest.h>

namespace {

TEST(PercentTable, TruncatedDoubleProductsWithTheirFiveLowEntries) {
    ASSERT_EQ(InitGraphics(), 1);
    const uint8_t* t = PercentTable();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t[50 * 256 + 255], 127);
    EXPECT_EQ(t[100 * 256 + 200], 200);
    int lower = 0;
    for (int a = 0; a <= 100; ++a) {
        for (int j = 0; j < 256; ++j) {
            const int exact = j * a / 100;
            EXPECT_GE(t[a * 256 + j], exact - 1);
            lower += t[a * 256 + j] != exact;
        }
    }
    EXPECT_EQ(lower, 5);
    EXPECT_EQ(t[29 * 256 + 100], 28);
    EXPECT_EQ(t[29 * 256 + 200], 57);
    EXPECT_EQ(t[58 * 256 + 50], 28);
    EXPECT_EQ(t[58 * 256 + 100], 57);
    EXPECT_EQ(t[58 * 256 + 200], 115);
    EXPECT_EQ(PercentRow(150), t + 100 * 256);
    FreeGraphics();
    EXPECT_EQ(PercentTable(), nullptr);
    EXPECT_EQ(PercentRow(5), nullptr);
}

TEST(DibHeader, LayoutAndStandardColourTable) {
    BITMAPINFOHEADER* h = CreateDibHeader(8, 10, 5);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->biSizeImage, 60u);
    EXPECT_EQ(h->biClrUsed, 256u);
    EXPECT_EQ(h->biXPelsPerMeter, 1000);
    EXPECT_EQ(GlobalSize(GlobalHandle(h)), SIZE_T{12 * 5 + 1024 + 12 + 40});
    const auto* colours = reinterpret_cast<const uint32_t*>(h + 1);
    EXPECT_EQ(colours[16], colours[0]);
    EXPECT_EQ(colours[31], 0x00FFFFFFu);
    EXPECT_EQ(colours[1], 0x00800000u);
    GlobalFree(GlobalHandle(h));
    BITMAPINFOHEADER* deep = CreateDibHeader(32, 3, 2);
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->biClrUsed, 0u);
    EXPECT_EQ(deep->biSizeImage, 24u);
    GlobalFree(GlobalHandle(deep));
    EXPECT_EQ(CreateDibHeader(32, 0x7FFFFFFF, 0x7FFFFFFF), nullptr);
    EXPECT_EQ(CreateDibHeader(8, -1, 4), nullptr);
}

TEST(RendererMemory, RoundsSizesUpToWholeWords) {
    void* p = RendererAlloc(5);
    ASSERT_NE(p, nullptr);
    RendererFree(p);
    EXPECT_EQ(RendererAlloc(SIZE_MAX - 1), nullptr);
}

} // namespace
