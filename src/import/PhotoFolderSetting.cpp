#include "import/PhotoFolderSetting.h"

#include <cstring>

namespace {
const char* const kOrderNames[] = {"shuffle", "name", "date"};
} // namespace

const char* PhotoOrderName(PhotoOrder order) {
    const auto index = static_cast<size_t>(order);
    return index < std::size(kOrderNames) ? kOrderNames[index] : nullptr;
}

bool ParsePhotoOrder(const char* name, PhotoOrder& order) {
    for (size_t i = 0; name && i < std::size(kOrderNames); ++i) {
        if (std::strcmp(name, kOrderNames[i]) == 0) {
            order = static_cast<PhotoOrder>(i);
            return true;
        }
    }
    return false;
}
