// Colours of pictures that embed an ICC profile, brought to sRGB: the colours the saver
// draws in, and what an untagged picture is taken to hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class ImageImporter;

namespace picture {

// Profiles longer than this are ignored: real ones are a few hundred bytes to a few
// hundred KiB, and lcms2 reads every tag a profile lists.
constexpr size_t kMaxIccProfileBytes = size_t{4} << 20;

// What a profile asks of a decoded picture.
enum class ProfileUse {
    kNone,    // no profile, an unreadable one, or a colour space the picture does not have
    kSrgb,    // sRGB already (its colorants and curves, within half an 8-bit level)
    kConvert, // an RGB or grey profile whose colours differ from sRGB's
};

// Reads the profile quietly and sets up the conversion a picture would get: hostile bytes,
// and profiles lcms2 cannot convert from, give kNone. Grey profiles count as kConvert
// (whether they change a level is seen only when their table of levels is made).
ProfileUse ClassifyProfile(std::span<const uint8_t> icc);

// Converts the importer's freshly decoded pixels from m_iccProfile's colours to sRGB, in
// place, and empties m_iccProfile so that nothing converts them twice. 24- and 32-bit
// pictures are converted pixel by pixel (the fourth byte kept), pictures of 8 bits or fewer
// by their colour table, grey ones through a grey profile of sRGB's curve. Untagged
// pictures, sRGB profiles, profiles lcms2 refuses and layouts not listed here are left as
// they are, byte for byte. Never throws; a conversion that cannot be set up changes nothing.
void ConvertToSrgb(ImageImporter& importer) noexcept;

// The same for `count` pixels of red, green, blue and opacity bytes, for the pictures the
// tools decode without the importer (PNGs shrunk while they are read); opacity is kept.
void ConvertRgbaToSrgb(std::span<const uint8_t> icc, uint8_t* rgba, size_t count) noexcept;

} // namespace picture
