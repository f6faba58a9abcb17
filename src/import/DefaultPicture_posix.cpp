#include "import/DefaultPicture.h"

// The native build carries one bitmap "resource": the default picture, painted on first use.
const BITMAPINFOHEADER* FindBitmapResource(int id) {
    if (id != kDefaultPictureId) {
        return nullptr;
    }
    alignas(8) static BYTE picture[kDefaultPictureBytes];
    static const bool painted = (PaintDefaultPicture(picture), true);
    (void)painted;
    return reinterpret_cast<const BITMAPINFOHEADER*>(picture);
}
