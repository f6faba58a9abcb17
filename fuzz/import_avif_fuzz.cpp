// The AVIF reader (libheif over dav1d) on any bytes, without the probes in front of it.
#include "import_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    importfuzz::DecodeAs(data, size, ImageImporter::Avif);
    return 0;
}
