// Runs the authoring tool's Exif orientation reader on arbitrary bytes as a JPEG's start.
#include "make/picture/ExifOrientation.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int orientation = ReadExifOrientation({data, size});
    if (orientation < 0 || orientation > 8) {
        std::abort();
    }
    return 0;
}
