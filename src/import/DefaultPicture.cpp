#include "import/DefaultPicture.h"
#include "import/PictureSource.h"

namespace {
// Lives as long as the executable's image; never freed.
const BITMAPINFOHEADER* g_defaultPicture = nullptr;
} // namespace

bool LoadDefaultPicture(int resourceId) {
    if (g_defaultPicture) {
        return false;
    }
    g_defaultPicture = FindBitmapResource(resourceId);
    return g_defaultPicture != nullptr;
}

const BITMAPINFOHEADER* GetDefaultPicture() {
    return g_defaultPicture;
}
