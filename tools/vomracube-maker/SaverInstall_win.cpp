#include "SaverInstall.h"

#include "platform/Win32.h"

#include <vector>

namespace {
constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kSaverValue[] = "SCRNSAVE.EXE";

// The 8.3 form of an existing file's path; the path itself when the file system keeps no
// short names.
std::string ShortPath(const std::string& path) {
    std::vector<char> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length =
            GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return path;
        }
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(length + 1);
    }
    return path;
}

std::string SystemMessage(LONG code) {
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    std::string message = text;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : message;
}
} // namespace

bool InstallSaver(const std::string& saverPath, std::string& report, std::string& error) {
    if (GetFileAttributesA(saverPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = "The saver " + saverPath + " is not there any more.";
        return false;
    }
    const std::string stored = ShortPath(saverPath);
    HKEY key = nullptr;
    LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(key, kSaverValue, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(stored.c_str()),
                                static_cast<DWORD>(stored.size() + 1));
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS) {
        error = "The screen saver setting could not be written: " + SystemMessage(status) + ".";
        return false;
    }
    report = "HKEY_CURRENT_USER\\Control Panel\\Desktop\\SCRNSAVE.EXE = " + stored + "\n";
    if (SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr,
                              SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)) {
        report += "HKEY_CURRENT_USER\\Control Panel\\Desktop\\ScreenSaveActive = 1 (the "
                  "screen saver is on)";
    } else {
        report += "The screen saver could not be switched on; it stays as it was.";
    }
    return true;
}
