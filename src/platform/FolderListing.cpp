#include "platform/FolderListing.h"

namespace names {

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    const char last = folder.back();
    const bool separated = last == kPathSeparator || (kPathSeparator == '\\' && last == '/');
    return separated ? folder + name : folder + kPathSeparator + name;
}

} // namespace names
