// Pictures with embedded colour profiles, written at test time by the picture libraries with
// profiles made by lcms2: each decodes to lcms2's own conversion of its stored colours to
// sRGB, and untagged, sRGB-tagged and hostile-tagged pictures decode byte for byte as stored.
#include "ImportTestSupport.h"
#include "PackedPictureReference.h"
#include "PictureWriters.h"
#include "import/ColourProfile.h"

#include <fstream>
#include <iterator>

#include <lcms2.h>

using namespace importtest;

namespace {

constexpr int kWidth = 24, kHeight = 16;

std::vector<uint8_t> Saved(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    std::vector<uint8_t> bytes;
    if (profile && cmsSaveProfileToMem(profile, nullptr, &size)) {
        bytes.resize(size);
        cmsSaveProfileToMem(profile, bytes.data(), &size);
    }
    cmsCloseProfile(profile);
    return bytes;
}

cmsToneCurve* SrgbCurve() {
    const cmsFloat64Number parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(nullptr, 4, parameters);
}

// Display P3: DCI-P3 primaries, D65 white, sRGB's curve (as phones tag their photos).
std::vector<uint8_t> DisplayP3() {
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    const cmsCIExyYTRIPLE primaries = {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    cmsToneCurve* curve = SrgbCurve();
    cmsToneCurve* curves[3] = {curve, curve, curve};
    std::vector<uint8_t> icc = Saved(cmsCreateRGBProfile(&white, &primaries, curves));
    cmsFreeToneCurve(curve);
    return icc;
}

std::vector<uint8_t> GreyProfile(double gamma) {
    cmsToneCurve* curve = gamma > 0 ? cmsBuildGamma(nullptr, gamma) : SrgbCurve();
    std::vector<uint8_t> icc = Saved(cmsCreateGrayProfile(cmsD50_xyY(), curve));
    cmsFreeToneCurve(curve);
    return icc;
}

// Saturated and pale colours, every pixel different.
std::vector<uint8_t> TestRgb() {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            rgb.insert(rgb.end(), {static_cast<uint8_t>(x * 11), static_cast<uint8_t>(y * 17),
                                   static_cast<uint8_t>((x * y * 7 + 40) % 256)});
        }
    }
    return rgb;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One container the importer reads profiles from: the test picture in it, tagged with icc.
struct Container {
    const char* name;
    std::vector<uint8_t> (*write)(const std::vector<uint8_t>& icc);
};

const Container kContainers[] = {
    {"JPEG",
     [](const std::vector<uint8_t>& icc) {
         const std::vector<uint8_t> jpeg = WriteJpeg(kWidth, kHeight, 3, TestRgb());
         // Small chunks, so that a profile comes in several.
         return icc.empty() ? jpeg : WithIccProfile(jpeg, icc, 100);
     }},
    {"PNG",
     [](const std::vector<uint8_t>& icc) {
         PngSpec spec;
         spec.width = kWidth;
         spec.height = kHeight;
         spec.rows = TestRgb();
         spec.icc = icc;
         return WritePng(spec);
     }},
    {"TIFF",
     [](const std::vector<uint8_t>& icc) {
         ScratchDir dir;
         const std::string path = dir.path() + "/tagged.tif";
         WriteTiff(path, kWidth, kHeight, 3, TestRgb(), icc);
         return ReadBytes(path);
     }},
};

std::vector<uint8_t> DecodedRgb(const std::vector<uint8_t>& file) {
    const Packed packed(ImportPicture(std::span<const uint8_t>(file)));
    return packed ? PackedRgb(packed.get()) : std::vector<uint8_t>();
}

std::vector<uint8_t> Lcms2ToSrgb(const std::vector<uint8_t>& icc, std::vector<uint8_t> rgb,
                                 cmsUInt32Number format = TYPE_RGB_8) {
    cmsHPROFILE source =
        cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM transform =
        cmsCreateTransform(source, format, srgb, format, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsDoTransform(transform, rgb.data(), rgb.data(),
                   static_cast<cmsUInt32Number>(rgb.size() / T_BYTES(format) /
                                                (T_CHANNELS(format) + T_EXTRA(format))));
    cmsDeleteTransform(transform);
    cmsCloseProfile(srgb);
    cmsCloseProfile(source);
    return rgb;
}

int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) {
        return 1000;
    }
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        largest = std::max(largest, std::abs(int{a[i]} - int{b[i]}));
    }
    return largest;
}

} // namespace

TEST(ColourProfile, DisplayP3IsShownAsLcms2ConvertsItToSrgb) {
    const std::vector<uint8_t> p3 = DisplayP3();
    ASSERT_FALSE(p3.empty());
    EXPECT_EQ(picture::ClassifyProfile(p3), picture::ProfileUse::kConvert);
    for (const Container& container : kContainers) {
        const std::vector<uint8_t> stored = DecodedRgb(container.write({}));
        const std::vector<uint8_t> shown = DecodedRgb(container.write(p3));
        ASSERT_FALSE(stored.empty()) << container.name;
        EXPECT_LE(LargestDifference(shown, Lcms2ToSrgb(p3, stored)), 2) << container.name;
        // Saturated P3 colours lie far outside sRGB: a conversion left out shows.
        EXPECT_GT(LargestDifference(shown, stored), 40) << container.name;
    }
}

TEST(ColourProfile, UntaggedAndSrgbPicturesStayAsStored) {
    cmsHPROFILE srgbProfile = cmsCreate_sRGBProfile();
    const std::vector<uint8_t> srgb = Saved(srgbProfile);
    EXPECT_EQ(picture::ClassifyProfile(srgb), picture::ProfileUse::kSrgb);
    for (const Container& container : kContainers) {
        const std::vector<uint8_t> stored = DecodedRgb(container.write({}));
        ASSERT_FALSE(stored.empty()) << container.name;
        EXPECT_EQ(DecodedRgb(container.write(srgb)), stored) << container.name;
    }
}

TEST(ColourProfile, HostileProfilesLeaveThePixelsAsStored) {
    const std::vector<uint8_t> p3 = DisplayP3();
    std::vector<uint8_t> truncated(p3.begin(), p3.begin() + static_cast<ptrdiff_t>(p3.size() / 2));
    std::vector<uint8_t> manyTags = p3;
    manyTags[128] = manyTags[129] = manyTags[130] = 0xFF; // a tag count of 16 M
    std::vector<uint8_t> noise(600);
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<uint8_t>(i * 131 + 7);
    }
    std::vector<uint8_t> oversized = p3; // a P3 profile, but longer than any real one
    oversized.resize(picture::kMaxIccProfileBytes + 1);
    const uint32_t length = static_cast<uint32_t>(oversized.size());
    for (int i = 0; i < 4; ++i) {
        oversized[i] = static_cast<uint8_t>(length >> (24 - 8 * i));
    }
    const std::vector<uint8_t> lab = Saved(cmsCreateLab4Profile(nullptr));
    const struct {
        const char* name;
        std::vector<uint8_t> icc;
    } kCases[] = {
        {"truncated", truncated},
        {"16 M tags", manyTags},
        {"noise", noise},
        {"over 4 MiB", oversized},
        {"Lab", lab},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(picture::ClassifyProfile(c.icc), picture::ProfileUse::kNone) << c.name;
        // libpng checks a profile's header and length as it writes (and reads) one, so only
        // the other containers carry these as they are.
        for (const Container& container : {kContainers[0], kContainers[2]}) {
            const std::vector<uint8_t> stored = DecodedRgb(container.write({}));
            ASSERT_FALSE(stored.empty()) << container.name;
            EXPECT_EQ(DecodedRgb(container.write(c.icc)), stored)
                << container.name << " " << c.name;
        }
    }
}

// Palette and grey pictures keep their pixels and convert their colour table; the fourth
// byte of 32-bit pixels (opacity) is kept.
TEST(ColourProfile, TablesGreysAndOpacity) {
    const std::vector<uint8_t> p3 = DisplayP3();
    PngSpec palette;
    palette.width = 16;
    palette.colourType = PNG_COLOR_TYPE_PALETTE;
    for (int i = 0; i < 16; ++i) {
        palette.palette.push_back({static_cast<png_byte>(i * 16),
                                   static_cast<png_byte>(255 - i * 9),
                                   static_cast<png_byte>(i * i)});
        palette.rows.push_back(static_cast<uint8_t>(i));
    }
    const std::vector<uint8_t> stored = DecodedRgb(WritePng(palette));
    palette.icc = p3;
    EXPECT_LE(LargestDifference(DecodedRgb(WritePng(palette)), Lcms2ToSrgb(p3, stored)), 2);

    PngSpec grey;
    grey.width = 256;
    grey.colourType = PNG_COLOR_TYPE_GRAY;
    for (int i = 0; i < 256; ++i) {
        grey.rows.push_back(static_cast<uint8_t>(i));
    }
    const std::vector<uint8_t> greyStored = DecodedRgb(WritePng(grey));
    grey.icc = GreyProfile(0); // sRGB's curve: nothing to do
    EXPECT_EQ(DecodedRgb(WritePng(grey)), greyStored);
    grey.icc = GreyProfile(1.0); // linear light: mid-grey 128 is sRGB's 188
    const std::vector<uint8_t> linear = DecodedRgb(WritePng(grey));
    ASSERT_EQ(linear.size(), greyStored.size());
    EXPECT_NEAR(linear[3 * 128], 188, 2);
    EXPECT_EQ(linear[3 * 128], linear[3 * 128 + 2]);

    PngSpec rgba;
    rgba.width = 8;
    rgba.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int i = 0; i < 8; ++i) {
        rgba.rows.insert(rgba.rows.end(),
                         {180, static_cast<uint8_t>(i * 30), 60, static_cast<uint8_t>(i * 36)});
    }
    rgba.icc = p3;
    const std::vector<uint8_t> file = WritePng(rgba);
    const Packed packed(ImportPicture(std::span<const uint8_t>(file)));
    ASSERT_TRUE(packed);
    ASSERT_EQ(packed->biBitCount, 32);
    const std::vector<uint8_t> expected = Lcms2ToSrgb(p3, rgba.rows, TYPE_RGBA_8);
    for (int i = 0; i < 8; ++i) {
        const uint8_t* bgra = PixelsOf(packed.get()) + 4 * i;
        EXPECT_EQ(bgra[3], 255 - i * 36) << i; // 255 - opacity, as stored
        EXPECT_NEAR(bgra[2], expected[4 * i], 2) << i;
        EXPECT_NEAR(bgra[1], expected[4 * i + 1], 2) << i;
        EXPECT_NEAR(bgra[0], expected[4 * i + 2], 2) << i;
    }
    EXPECT_GT(expected[0], 190); // and the conversion shows
}

// Stored pixel (x, y), top row first, that an upright picture's (u, v) shows, for the
// orientations 1-8 of the Exif tag.
std::pair<int, int> StoredFor(int orientation, int u, int v, int width, int height) {
    switch (orientation) {
    case 2:
        return {width - 1 - u, v};
    case 3:
        return {width - 1 - u, height - 1 - v};
    case 4:
        return {u, height - 1 - v};
    case 5:
        return {v, u};
    case 6:
        return {v, height - 1 - u};
    case 7:
        return {width - 1 - v, height - 1 - u};
    case 8:
        return {width - 1 - v, u};
    default:
        return {u, v};
    }
}

TEST(JpegOrientation, EveryOrientationStandsUpright) {
    const std::vector<uint8_t> jpeg = WriteJpeg(kWidth, kHeight, 3, TestRgb());
    const std::vector<uint8_t> stored = DecodedRgb(jpeg);
    ASSERT_EQ(stored.size(), size_t{kWidth} * kHeight * 3);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::vector<uint8_t> file = WithMarker(jpeg, 0xE1, ExifWithOrientation(orientation));
        const Packed packed(ImportPicture(std::span<const uint8_t>(file)));
        ASSERT_TRUE(packed) << orientation;
        const int width = orientation >= 5 ? kHeight : kWidth;
        const int height = orientation >= 5 ? kWidth : kHeight;
        ASSERT_EQ(packed->biWidth, width) << orientation;
        ASSERT_EQ(packed->biHeight, height) << orientation;
        const std::vector<uint8_t> shown = PackedRgb(packed.get());
        int wrong = 0;
        for (int v = 0; v < height; ++v) {
            for (int u = 0; u < width; ++u) {
                const auto [x, y] = StoredFor(orientation, u, v, kWidth, kHeight);
                for (int c = 0; c < 3; ++c) {
                    wrong += shown[3 * (size_t(v) * width + u) + c] !=
                             stored[3 * (size_t(y) * kWidth + x) + c];
                }
            }
        }
        EXPECT_EQ(wrong, 0) << "orientation " << orientation;
    }
}
