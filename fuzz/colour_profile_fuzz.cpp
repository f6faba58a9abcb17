// The conversion to sRGB on hostile profiles: the first three bytes choose a small picture
// (its layout and size), the rest is the ICC profile it carries. The conversion must stay
// inside the picture and its colour table, whatever the profile.
#include "import/ColourProfile.h"
#include "import/ImageImporter.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) {
        return 0;
    }
    static constexpr WORD kDepths[] = {1, 4, 8, 24, 32};
    const WORD depth = kDepths[data[0] % 5];
    const LONG width = 1 + data[1] % 32;
    const LONG height = 1 + data[2] % 32;
    const std::span<const uint8_t> icc(data + 3, size - 3);
    picture::ClassifyProfile(icc);

    ImageImporter importer;
    picture::SetHeader(importer.m_header, width, (data[0] & 0x80) ? -height : height, depth);
    importer.AllocatePixels(picture::RowStride(width, depth), height);
    for (DWORD i = 0; i < importer.m_pixelSize; ++i) {
        importer.m_pixels[i] = static_cast<uint8_t>(i * 37);
    }
    if (data[0] & 0x40) {
        picture::SetGreyRamp(importer.m_colours, importer.m_header);
    }
    importer.m_iccProfile.assign(icc.begin(), icc.end());
    picture::ConvertToSrgb(importer);
    return 0;
}
