// File names for the standard library's streams and std::filesystem. Given a narrow string
// they use its ANSI form on Windows, which has lost every character outside the code page,
// and hand names back in it; a path made from the wide name names the file itself, and its
// wide form converts back to UTF-8. Natively the name's bytes pass unchanged.
#pragma once

#include "platform/Wide.h"

#include <filesystem>
#include <string>

inline std::filesystem::path StdPath(const std::string& utf8Name) {
#ifdef _WIN32
    return std::filesystem::path(wide::FromUtf8(utf8Name));
#else
    return std::filesystem::path(utf8Name);
#endif
}

inline std::string Utf8Name(const std::filesystem::path& path) {
#ifdef _WIN32
    return wide::ToUtf8Lossy(path.wstring());
#else
    return path.string();
#endif
}
