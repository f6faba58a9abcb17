// The HEIF reader (libheif over libde265) on any bytes, without the probes in front of it:
// grids, turns, crops and colour profiles as a file states them.
#include "import_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    importfuzz::DecodeAs(data, size, ImageImporter::Heif);
    return 0;
}
