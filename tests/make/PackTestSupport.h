// Helpers shared by the authoring tool library's tests: reading a file back as the saver
// reads it, and comparing colours.
#pragma once

#include "import/ImageImporter.h"
#include "import/PackedPicture.h"
#include "make/picture/RgbaImage.h"

#include <cstdlib>
#include <string>

namespace packtest {

// The picture file as the saver's importer decodes it; false when it does not.
inline bool ImportAsRgba(const std::string& path, RgbaImage& image) {
    const PackedPicture packed(ImportPicture(path.c_str()));
    return packed && UnpackPicture(packed.get(), image);
}

// Mean absolute difference of red, green and blue over two pictures of the same size.
inline double MeanColourDifference(const RgbaImage& a, const RgbaImage& b) {
    double total = 0;
    for (size_t i = 0; i + 3 < a.pixels.size() && i + 3 < b.pixels.size(); i += 4) {
        for (size_t c = 0; c < 3; ++c) {
            total += std::abs(a.pixels[i + c] - b.pixels[i + c]);
        }
    }
    return a.pixels.empty() ? 0.0 : total / (static_cast<double>(a.pixels.size()) / 4 * 3);
}

} // namespace packtest
