// A file name for the standard file streams. Given a narrow string they open its ANSI form
// on Windows, which has lost every character outside the code page; given a path made from
// the wide name they open the file itself. Natively the name's bytes pass unchanged.
#pragma once

#include "platform/Wide.h"

#include <filesystem>
#include <string>

inline std::filesystem::path StreamPath(const std::string& utf8Name) {
#ifdef _WIN32
    return std::filesystem::path(wide::FromUtf8(utf8Name));
#else
    return std::filesystem::path(utf8Name);
#endif
}
