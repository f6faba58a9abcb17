#include "RecentSavers.h"

#include "platform/Win32.h"
#include "platform/Wide.h"

namespace {
constexpr wchar_t kKey[] = L"Software\\VomraCube\\Maker";
// A path longer than any the file dialogs give is no path of ours.
constexpr DWORD kLongestPath = 32768;

std::wstring ValueName(size_t index) {
    return L"Recent " + std::to_wstring(index + 1);
}
} // namespace

std::vector<std::string> LoadRecentSavers() {
    std::vector<std::string> recent;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return recent;
    }
    for (size_t i = 0; i < kRecentSavers; ++i) {
        DWORD type = 0, bytes = 0;
        const std::wstring name = ValueName(i);
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
            type != REG_SZ || bytes == 0 || bytes > kLongestPath * sizeof(wchar_t)) {
            continue;
        }
        std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(value.data()), &bytes) != ERROR_SUCCESS) {
            continue;
        }
        // A stored value need not end in a zero: the text stops at the first one or its end.
        value.resize(std::min<size_t>(value.find(L'\0'), bytes / sizeof(wchar_t)));
        std::string path;
        if (wide::ToUtf8(value, path) && !path.empty()) {
            recent.push_back(path);
        }
    }
    RegCloseKey(key);
    return recent;
}

void StoreRecentSavers(const std::vector<std::string>& recent) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    for (size_t i = 0; i < kRecentSavers; ++i) {
        const std::wstring name = ValueName(i);
        if (i >= recent.size()) {
            RegDeleteValueW(key, name.c_str());
            continue;
        }
        const std::wstring value = wide::FromUtf8(recent[i]);
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
}
