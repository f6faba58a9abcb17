#include "SaverInstall.h"

#include "platform/FileNames.h"
#include "platform/Wide.h"

#include <vector>

namespace {
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kSaverValue[] = L"SCRNSAVE.EXE";

// The 8.3 form of an existing file's path; the path itself when the file system keeps no
// short names.
std::wstring ShortPath(const std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length =
            GetShortPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return path;
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(length + 1);
    }
    return path;
}

std::string SystemMessage(LONG code) {
    wchar_t text[256] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(code), 0, text, 256, nullptr);
    std::string message = wide::ToUtf8Lossy(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : message;
}
} // namespace

bool InstallSaver(const std::string& saverPath, std::string& report, std::string& error) {
    if (!names::Exists(saverPath.c_str())) {
        error = "The saver " + saverPath + " is not there any more.";
        return false;
    }
    // The value is UTF-16, as every registry value is; where no short name exists the long
    // one in its own script is stored, never its ANSI form with question marks.
    const std::wstring stored = ShortPath(wide::FromUtf8(saverPath));
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(key, kSaverValue, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(stored.c_str()),
                                static_cast<DWORD>((stored.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS) {
        error = "The screen saver setting could not be written: " + SystemMessage(status) + ".";
        return false;
    }
    report =
        "HKEY_CURRENT_USER\\Control Panel\\Desktop\\SCRNSAVE.EXE = " + wide::ToUtf8Lossy(stored) +
        "\n";
    if (SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr,
                              SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)) {
        report += "HKEY_CURRENT_USER\\Control Panel\\Desktop\\ScreenSaveActive = 1 (the "
                  "screen saver is on)";
    } else {
        report += "The screen saver could not be switched on; it stays as it was.";
    }
    return true;
}
