#include "import/DefaultPicture.h"

// A bitmap resource is a packed picture already (no file header): the locked resource is
// used as it stands.
const BITMAPINFOHEADER* FindBitmapResource(int id) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2)); // RT_BITMAP
    if (!found) {
        return nullptr;
    }
    HGLOBAL loaded = LoadResource(module, found);
    return loaded ? static_cast<const BITMAPINFOHEADER*>(LockResource(loaded)) : nullptr;
}
