#include "TemplateImage.h"

#include "MakerResource.h"
#include "platform/Win32.h"

#include <new>

bool LoadSaverTemplate(std::vector<uint8_t>& image) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDR_SAVER_TEMPLATE), RT_RCDATA);
    if (!found) {
        return false;
    }
    const DWORD size = SizeofResource(module, found);
    const HGLOBAL loaded = LoadResource(module, found);
    const auto* bytes = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    if (!bytes || size == 0) {
        return false;
    }
    try {
        image.assign(bytes, bytes + size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
