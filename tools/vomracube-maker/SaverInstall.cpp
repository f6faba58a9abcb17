#include "SaverInstall.h"

#include <cctype>

std::string InstalledSaverName(const std::string& saverPath) {
    const size_t slash = saverPath.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? saverPath : saverPath.substr(slash + 1);
    // Windows drops trailing dots and spaces from a file name.
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        name.pop_back();
    }
    if (name.empty()) {
        return name;
    }
    std::string extension = name.size() >= 4 ? name.substr(name.size() - 4) : std::string();
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension == ".scr" ? name : name + ".scr";
}
