// Runs the authoring tool's content recognition (containers, animated pictures, BMP headers)
// on arbitrary bytes.
#include "make/MediaType.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MediaType type = RecogniseMedia({data, size});
    if (type.kind != MediaKind::kUnknown && type.name.empty()) {
        std::abort();
    }
    return 0;
}
