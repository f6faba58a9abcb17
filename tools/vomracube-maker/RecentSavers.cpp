#include "RecentSavers.h"

#include <algorithm>

namespace {
// ASCII letters only: enough for the drive letters and the usual names, and never wrong
// the other way (two different files are never taken for one).
bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}
} // namespace

void AddRecent(std::vector<std::string>& recent, const std::string& saver) {
    if (saver.empty()) {
        return;
    }
    std::erase_if(recent, [&](const std::string& kept) { return SameName(kept, saver); });
    recent.insert(recent.begin(), saver);
    if (recent.size() > kRecentSavers) {
        recent.resize(kRecentSavers);
    }
}

std::string RecentMenuText(size_t index, const std::string& saver) {
    // An ampersand in a name would underline the letter after it instead of showing.
    std::string shown;
    if (index < 9) {
        shown.append(1, '&').append(1, static_cast<char>('1' + index)).append("  ");
    }
    for (char c : saver) {
        shown.append(c == '&' ? 2 : 1, c);
    }
    return shown;
}
