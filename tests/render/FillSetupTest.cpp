// Checks and fall-backs of SetImageFill and SetPerspectiveImageFill.
#include "FillTestSupport.h"

namespace {

using filltest::Picture;
using filltest::Pt;

class FillSetup : public filltest::TargetFixture {};

DWORD Code(int err) {
    return kRenderErrorBase + err;
}

TEST_F(FillSetup, RefusesUnusablePicturesAndStyles) {
    Bind(8, 8);
    Picture pic(4, 4, 32);
    const POINT p0 = Pt(0, 0), p1 = Pt(4, 0), p2 = Pt(0, 4), p3 = Pt(4, 4);
    const auto affine = [&](const BITMAPINFOHEADER* h, const void* bits, uint32_t style) {
        return SetImageFill(h, bits, style, &p0, &p1, &p2, 0, pic.colours.data(), nullptr, nullptr,
                            nullptr, nullptr, 0);
    };
    const auto expectFailure = [](int rc, int err) {
        EXPECT_EQ(rc, -1);
        EXPECT_EQ(GetLastError(), Code(err));
        EXPECT_EQ(g_render.fill.kind, kFillNone);
    };
    expectFailure(affine(nullptr, pic.bits.data(), 0), kErrBadBitmap);
    expectFailure(affine(&pic.header, nullptr, 0), kErrBadBitmap);
    expectFailure(affine(&pic.header, pic.bits.data(), 0xD00), kErrBadTransparency);
    expectFailure(affine(&pic.header, pic.bits.data(), 6), kErrBadFillMode);
    BITMAPINFOHEADER bad = pic.header;
    for (WORD bits : {WORD(2), WORD(12), WORD(64)}) {
        bad.biBitCount = bits;
        expectFailure(affine(&bad, pic.bits.data(), 0), kErrBadBitmap);
    }
    bad = pic.header;
    bad.biPlanes = 2;
    expectFailure(affine(&bad, pic.bits.data(), 0), kErrBadBitmap);
    bad = pic.header;
    bad.biWidth = 0;
    expectFailure(affine(&bad, pic.bits.data(), 0), kErrBadBitmap);
    bad = pic.header;
    bad.biCompression = BI_RLE8;
    expectFailure(affine(&bad, pic.bits.data(), 0), kErrBadBitmap);
    // A palettised picture needs its colour table.
    Picture paletted(4, 4, 8);
    EXPECT_EQ(SetImageFill(&paletted.header, paletted.bits.data(), 0, &p0, &p1, &p2, 0, nullptr,
                           nullptr, nullptr, nullptr, nullptr, 0),
              -1);
    EXPECT_EQ(GetLastError(), Code(kErrBadArgument));
    EXPECT_EQ(SetPerspectiveImageFill(&pic.header, pic.bits.data(), 0, &p0, &p1, &p3, nullptr, 0,
                                      nullptr, nullptr, nullptr, nullptr, nullptr, 0),
              -1);
    EXPECT_EQ(GetLastError(), Code(kErrBadArgument));

    EXPECT_EQ(affine(&pic.header, pic.bits.data(), 0x40405), 0);
    EXPECT_EQ(g_render.fill.kind, kFillImage);
}

// Coincident or collinear corners make the fill the flat colour.
TEST_F(FillSetup, DegenerateCornersFillWithTheFlatColour) {
    Bind(8, 8);
    Picture pic(4, 4, 32);
    pic.Set32(1, 1, 0x00FFFFFF);
    const uint32_t colour = 0x00302010; // R 0x10, G 0x20, B 0x30
    const POINT a = Pt(1, 1), b = Pt(5, 1), c = Pt(9, 1), d = Pt(1, 6);
    const POINT cases[][4] = {{a, a, d, d}, {a, b, a, d}, {a, b, c, c}, {a, b, c, d}};
    for (int i = 0; i < 4; ++i) {
        const POINT* p = cases[i];
        Clear(0);
        const int rc = i < 3 ? SetImageFill(&pic.header, pic.bits.data(), 0, &p[0], &p[1], &p[2],
                                            colour, nullptr, nullptr, nullptr, nullptr, nullptr, 0)
                             : SetPerspectiveImageFill(&pic.header, pic.bits.data(), 0, &p[0],
                                                       &p[2], &p[3], &p[1], colour, nullptr,
                                                       nullptr, nullptr, nullptr, nullptr, 0);
        ASSERT_EQ(rc, 0) << i;
        EXPECT_EQ(g_render.fill.kind, kFillSolid) << i;
        ASSERT_EQ(FillRect(0, 0, 8, 8), 0);
        EXPECT_EQ(Px(3, 3), 0x102030u) << i;
    }
}

} // namespace
