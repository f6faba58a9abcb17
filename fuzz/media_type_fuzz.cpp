// Runs the authoring tool's content recognition (containers, animated pictures, BMP headers)
// and its GIF image count on arbitrary bytes.
#include "packlib/GifFrameCount.h"
#include "packlib/MediaType.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MediaType type = RecogniseMedia({data, size});
    if (type.kind != MediaKind::kUnknown && type.name.empty()) {
        std::abort();
    }
    // Every image descriptor takes at least eleven bytes.
    if (CountGifImages({data, size}) > static_cast<int>(size / 11)) {
        std::abort();
    }
    return 0;
}
