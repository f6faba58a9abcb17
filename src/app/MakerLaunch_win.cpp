#include "app/MakerLaunch.h"

#include "platform/Win32.h"

#include <vector>

namespace {
// Registry strings need not end in a zero, and a path may be longer than MAX_PATH.
constexpr DWORD kMaxPathChars = 32768;

bool RegisteredMaker(std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRegistrationKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    std::vector<wchar_t> buffer(kMaxPathChars + 1, L'\0');
    DWORD type = 0;
    DWORD bytes = kMaxPathChars * sizeof(wchar_t);
    const LONG status = RegQueryValueExW(key, kMakerValue, nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) {
        return false;
    }
    path.assign(buffer.data(), wcsnlen(buffer.data(), bytes / sizeof(wchar_t)));
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring SystemMessage(DWORD code) {
    wchar_t text[512] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, 512, nullptr);
    std::wstring message = text;
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) {
        message.pop_back();
    }
    return message.empty() ? L"error " + std::to_wstring(code) : message;
}
} // namespace

MakerStart StartInstalledMaker(const std::wstring& saver, std::wstring& error) {
    std::wstring maker;
    if (!RegisteredMaker(maker)) {
        return MakerStart::kNotInstalled;
    }
    std::wstring line = QuoteArgument(maker) + L" " + QuoteArgument(saver);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(maker.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        error = SystemMessage(GetLastError());
        return MakerStart::kFailed;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return MakerStart::kStarted;
}
