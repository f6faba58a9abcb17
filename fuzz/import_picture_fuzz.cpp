// ImportPicture on any bytes: identification, every decoder and packing, then the layout
// step a face goes through, which must leave every accepted picture drawable.
#include "import/DrawableLayout.h"
#include "import_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const importfuzz::ScratchFile file(data, size);
    if (!file.written()) {
        return 0;
    }
    BITMAPINFOHEADER* packed =
        ImportPictureReporting(file.path(), importfuzz::kPixelLimit, nullptr);
    if (packed) {
        importfuzz::CheckPacked(packed, GlobalSize(GlobalHandle(packed)));
        packed = ToDrawableLayout(packed);
    }
    if (packed) {
        importfuzz::CheckPacked(packed, GlobalSize(GlobalHandle(packed)));
        if (!IsDrawableLayout(packed)) {
            __builtin_trap();
        }
        GlobalUnlock(GlobalHandle(packed));
        GlobalFree(GlobalHandle(packed));
    }
    return 0;
}
