// What the photo folder reads of a file before decoding it: the JPEG frame size that picks
// the decoding scale, and the Exif date that orders photos by date.
#include "import/ExifDate.h"
#include "import/PhotoDecode.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    uint32_t width = 0;
    uint32_t height = 0;
    if (JpegFrameSize(bytes, width, height)) {
        JpegScaleFor(width, height, static_cast<uint32_t>(size));
    }
    ExifDateTaken(bytes);
    return 0;
}
