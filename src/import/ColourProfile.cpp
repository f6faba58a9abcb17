// Pictures tagged with a profile are converted with lcms2, relative colorimetric: colours
// inside sRGB keep their exact colour and the rest are clipped to its gamut. The profiles
// phones and cameras write (Display P3, Adobe RGB) are matrix-shaper profiles, for which
// perceptual intent falls back to colorimetric anyway; for the rare profile with perceptual
// tables, colorimetric still shows the colours the picture holds rather than one profile
// maker's compression of them.
//
// Every conversion makes an lcms2 context of its own, with its error log silenced: nothing
// is shared between the threads that decode, and a hostile profile's complaints go nowhere.
#include "import/ColourProfile.h"

#include "import/ImageImporter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include <lcms2.h>

namespace picture {
namespace {

// A colorant may differ from sRGB's by this much in XYZ (D50) and a curve by this much of
// full scale, and the profile still counts as sRGB: the tags of the sRGB profiles in use
// differ from lcms2's own by a few ten-thousandths, and the limits move no colour by more
// than a fraction of an 8-bit level.
constexpr double kColorantTolerance = 0.003;
constexpr float kCurveTolerance = 1.0f / 512;
constexpr int kCurveSamples = 64;

void IgnoreError(cmsContext, cmsUInt32Number, const char*) {}

struct ContextDeleter {
    void operator()(cmsContext context) const { cmsDeleteContext(context); }
};
struct ProfileDeleter {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
struct CurveDeleter {
    void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
using ContextHandle = std::unique_ptr<std::remove_pointer_t<cmsContext>, ContextDeleter>;
using ProfileHandle = std::unique_ptr<void, ProfileDeleter>;
using TransformHandle = std::unique_ptr<void, TransformDeleter>;
using CurveHandle = std::unique_ptr<cmsToneCurve, CurveDeleter>;

ContextHandle QuietContext() {
    ContextHandle context(cmsCreateContext(nullptr, nullptr));
    if (context) {
        cmsSetLogErrorHandlerTHR(context.get(), IgnoreError);
    }
    return context;
}

// The profile, when it describes a device's or a colour space's colours in RGB or grey;
// null for anything else (links, abstract and named-colour profiles, other spaces).
ProfileHandle OpenPictureProfile(cmsContext context, std::span<const uint8_t> icc) {
    if (icc.empty() || icc.size() > kMaxIccProfileBytes) {
        return nullptr;
    }
    ProfileHandle profile(
        cmsOpenProfileFromMemTHR(context, icc.data(), static_cast<cmsUInt32Number>(icc.size())));
    if (!profile) {
        return nullptr;
    }
    // Signatures are the header's bytes as they are, any value: held as integers, since an
    // enum object may not hold a value it does not name.
    const uint32_t kind = cmsGetDeviceClass(profile.get());
    const bool deviceOrSpace = kind == cmsSigInputClass || kind == cmsSigDisplayClass ||
                               kind == cmsSigOutputClass || kind == cmsSigColorSpaceClass;
    const uint32_t space = cmsGetColorSpace(profile.get());
    if (!deviceOrSpace || (space != cmsSigRgbData && space != cmsSigGrayData)) {
        return nullptr;
    }
    return profile;
}

bool ColorantsClose(const cmsCIEXYZ* a, const cmsCIEXYZ* b) {
    return a && b && std::fabs(a->X - b->X) <= kColorantTolerance &&
           std::fabs(a->Y - b->Y) <= kColorantTolerance &&
           std::fabs(a->Z - b->Z) <= kColorantTolerance;
}

bool CurvesClose(const cmsToneCurve* a, const cmsToneCurve* b) {
    if (!a || !b) {
        return false;
    }
    for (int i = 0; i <= kCurveSamples; ++i) {
        const float x = static_cast<float>(i) / kCurveSamples;
        if (!(std::fabs(cmsEvalToneCurveFloat(a, x) - cmsEvalToneCurveFloat(b, x)) <=
              kCurveTolerance)) {
            return false;
        }
    }
    return true;
}

// A matrix-shaper RGB profile whose colorants and curves are sRGB's. Profiles with tables
// are never taken for sRGB: lcms2 would convert through the tables, not the tags compared.
bool IsSrgb(cmsHPROFILE profile, cmsHPROFILE srgb) {
    if (!cmsIsMatrixShaper(profile) ||
        cmsIsCLUT(profile, INTENT_RELATIVE_COLORIMETRIC, LCMS_USED_AS_INPUT)) {
        return false;
    }
    static constexpr std::array<std::pair<cmsTagSignature, cmsTagSignature>, 3> kChannels = {{
        {cmsSigRedColorantTag, cmsSigRedTRCTag},
        {cmsSigGreenColorantTag, cmsSigGreenTRCTag},
        {cmsSigBlueColorantTag, cmsSigBlueTRCTag},
    }};
    for (const auto& [colorant, curve] : kChannels) {
        if (!ColorantsClose(static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, colorant)),
                            static_cast<const cmsCIEXYZ*>(cmsReadTag(srgb, colorant))) ||
            !CurvesClose(static_cast<const cmsToneCurve*>(cmsReadTag(profile, curve)),
                         static_cast<const cmsToneCurve*>(cmsReadTag(srgb, curve)))) {
            return false;
        }
    }
    return true;
}

// The grey profile of sRGB's curve, the target of grey pictures.
ProfileHandle SrgbGrey(cmsContext context) {
    // IEC 61966-2.1: a linear foot below 0.04045, then ((x + 0.055) / 1.055) ^ 2.4.
    const cmsFloat64Number parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    const CurveHandle curve(cmsBuildParametricToneCurve(context, 4, parameters));
    if (!curve) {
        return nullptr;
    }
    return ProfileHandle(cmsCreateGrayProfileTHR(context, cmsD50_xyY(), curve.get()));
}

// The rows the importer's header describes, when they lie within its pixel buffer.
struct Rows {
    uint8_t* first = nullptr;
    uint32_t width = 0, count = 0, stride = 0;
};

Rows PixelRows(const ImageImporter& importer) {
    const BITMAPINFOHEADER& header = importer.m_header;
    const int64_t height = header.biHeight;
    const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
    if (header.biWidth <= 0 || !importer.m_pixels || header.biCompression != BI_RGB) {
        return {};
    }
    const uint64_t stride = RowStride(static_cast<uint64_t>(header.biWidth), header.biBitCount);
    if (rows == 0 || stride > UINT32_MAX || rows > importer.m_pixelSize / stride) {
        return {};
    }
    return {importer.m_pixels, static_cast<uint32_t>(header.biWidth), static_cast<uint32_t>(rows),
            static_cast<uint32_t>(stride)};
}

TransformHandle RgbTransform(cmsContext context, cmsHPROFILE source, cmsHPROFILE srgb,
                             cmsUInt32Number format) {
    return TransformHandle(cmsCreateTransformTHR(context, source, format, srgb, format,
                                                 INTENT_RELATIVE_COLORIMETRIC, 0));
}

// The picture's colours through an RGB transform: each pixel of 24- and 32-bit pictures,
// the colour table of the others. In place, so a 32-bit pixel's fourth byte stays.
void ConvertRgb(cmsContext context, cmsHPROFILE source, cmsHPROFILE srgb, ImageImporter& importer) {
    const WORD depth = importer.m_header.biBitCount;
    const bool table = depth <= 8;
    const cmsUInt32Number format = depth == 24 ? TYPE_BGR_8 : TYPE_BGRA_8;
    if (!table && depth != 24 && depth != 32) {
        return;
    }
    const Rows rows = table ? Rows{} : PixelRows(importer);
    if (!table && !rows.first) {
        return;
    }
    const TransformHandle transform = RgbTransform(context, source, srgb, format);
    if (!transform) {
        return;
    }
    if (table) {
        cmsDoTransform(transform.get(), importer.m_colours, importer.m_colours,
                       1u << std::min<WORD>(depth, 8));
    } else {
        cmsDoTransformLineStride(transform.get(), rows.first, rows.first, rows.width, rows.count,
                                 rows.stride, rows.stride, 0, 0);
    }
}

TransformHandle GreyTransform(cmsContext context, cmsHPROFILE source) {
    const ProfileHandle grey = SrgbGrey(context);
    return TransformHandle(grey
                               ? cmsCreateTransformTHR(context, source, TYPE_GRAY_8, grey.get(),
                                                       TYPE_GRAY_8, INTENT_RELATIVE_COLORIMETRIC, 0)
                               : nullptr);
}

// The table of 256 levels a grey profile asks for; false when it cannot be made or changes
// no level.
bool GreyLevels(cmsContext context, cmsHPROFILE source, std::array<uint8_t, 256>& levels) {
    const TransformHandle transform = GreyTransform(context, source);
    if (!transform) {
        return false;
    }
    std::array<uint8_t, 256> identity;
    for (int i = 0; i < 256; ++i) {
        identity[i] = static_cast<uint8_t>(i);
    }
    cmsDoTransform(transform.get(), identity.data(), levels.data(), 256);
    return levels != identity;
}

// The first three bytes of each of `count` pixels `step` bytes apart through the table.
void MapColourBytes(const std::array<uint8_t, 256>& levels, uint8_t* pixel, size_t count,
                    unsigned step) {
    for (size_t i = 0; i < count; ++i, pixel += step) {
        pixel[0] = levels[pixel[0]];
        pixel[1] = levels[pixel[1]];
        pixel[2] = levels[pixel[2]];
    }
}

// Grey pictures through the grey transform as a table of 256 levels: the colour table's
// grey entries, or every colour byte of a 24- or 32-bit picture whose pixels are grey (a
// grey picture with alpha comes as 32 bits). Nothing changes when the table is the identity.
void ConvertGrey(cmsContext context, cmsHPROFILE source, ImageImporter& importer) {
    std::array<uint8_t, 256> levels;
    if (!GreyLevels(context, source, levels)) {
        return;
    }
    const WORD depth = importer.m_header.biBitCount;
    if (depth <= 8) {
        for (RGBQUAD& entry : importer.m_colours) {
            if (entry.rgbRed == entry.rgbGreen && entry.rgbGreen == entry.rgbBlue) {
                entry.rgbRed = entry.rgbGreen = entry.rgbBlue = levels[entry.rgbRed];
            }
        }
        return;
    }
    const Rows rows = PixelRows(importer);
    if (!rows.first || (depth != 24 && depth != 32)) {
        return;
    }
    for (uint32_t y = 0; y < rows.count; ++y) {
        MapColourBytes(levels, rows.first + uint64_t{y} * rows.stride, rows.width, depth / 8);
    }
}

} // namespace

ProfileUse ClassifyProfile(std::span<const uint8_t> icc) {
    const ContextHandle context = QuietContext();
    if (!context) {
        return ProfileUse::kNone;
    }
    const ProfileHandle profile = OpenPictureProfile(context.get(), icc);
    if (!profile) {
        return ProfileUse::kNone;
    }
    if (cmsGetColorSpace(profile.get()) == cmsSigGrayData) {
        return GreyTransform(context.get(), profile.get()) ? ProfileUse::kConvert
                                                           : ProfileUse::kNone;
    }
    const ProfileHandle srgb(cmsCreate_sRGBProfileTHR(context.get()));
    if (!srgb) {
        return ProfileUse::kNone;
    }
    if (IsSrgb(profile.get(), srgb.get())) {
        return ProfileUse::kSrgb;
    }
    return RgbTransform(context.get(), profile.get(), srgb.get(), TYPE_BGRA_8)
               ? ProfileUse::kConvert
               : ProfileUse::kNone;
}

void ConvertToSrgb(ImageImporter& importer) noexcept {
    const std::vector<uint8_t> icc = std::exchange(importer.m_iccProfile, {});
    if (icc.empty() || !importer.m_pixels) {
        return;
    }
    const ContextHandle context = QuietContext();
    const ProfileHandle source = context ? OpenPictureProfile(context.get(), icc) : nullptr;
    if (!source) {
        return;
    }
    if (cmsGetColorSpace(source.get()) == cmsSigGrayData) {
        ConvertGrey(context.get(), source.get(), importer);
        return;
    }
    const ProfileHandle srgb(cmsCreate_sRGBProfileTHR(context.get()));
    if (srgb && !IsSrgb(source.get(), srgb.get())) {
        ConvertRgb(context.get(), source.get(), srgb.get(), importer);
    }
}

void ConvertRgbaToSrgb(std::span<const uint8_t> icc, uint8_t* rgba, size_t count) noexcept {
    const ContextHandle context = QuietContext();
    const ProfileHandle source = context ? OpenPictureProfile(context.get(), icc) : nullptr;
    if (!source || count == 0 || count > UINT32_MAX) {
        return;
    }
    if (cmsGetColorSpace(source.get()) == cmsSigGrayData) {
        std::array<uint8_t, 256> levels;
        if (GreyLevels(context.get(), source.get(), levels)) {
            MapColourBytes(levels, rgba, count, 4);
        }
        return;
    }
    const ProfileHandle srgb(cmsCreate_sRGBProfileTHR(context.get()));
    if (!srgb || IsSrgb(source.get(), srgb.get())) {
        return;
    }
    const TransformHandle transform =
        RgbTransform(context.get(), source.get(), srgb.get(), TYPE_RGBA_8);
    if (transform) {
        cmsDoTransform(transform.get(), rgba, rgba, static_cast<cmsUInt32Number>(count));
    }
}

} // namespace picture
