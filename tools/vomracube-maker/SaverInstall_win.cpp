#include "SaverInstall.h"

#include "platform/Win32.h"
#include "platform/Wide.h"

#include <shlobj.h>

#include <vector>

namespace {
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kSaverValue[] = L"SCRNSAVE.EXE";

// The maker's texts and names are UTF-8; the registry value and the copy's path are UTF-16,
// so a saver named in any script is installed and shown under its own name.
std::wstring Wide(const std::string& text) {
    return wide::FromUtf8(text);
}

std::string Narrow(const std::wstring& text) {
    return wide::ToUtf8Lossy(text);
}

std::string SystemMessage(DWORD code) {
    wchar_t text[256] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, 256, nullptr);
    std::string message = wide::ToUtf8Lossy(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : message;
}

// The long form of an existing file's path: Windows shows and runs the saver by it, and a
// short name can change when the folder's files do.
std::wstring LongPath(const std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length =
            GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
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

// VomraCube's folder for installed savers, made when missing; empty with `error` set when
// it cannot be.
std::wstring SaversFolder(std::string& error) {
    wchar_t local[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, local))) {
        error = "The folder for local application data could not be found.";
        return {};
    }
    std::wstring folder = local;
    for (const wchar_t* part : {L"VomraCube", L"Savers"}) {
        folder = folder + L"\\" + part;
        const DWORD code = CreateDirectoryW(folder.c_str(), nullptr) ? 0 : GetLastError();
        if (code != 0 && code != ERROR_ALREADY_EXISTS) {
            error =
                "The folder " + Narrow(folder) + " could not be made: " + SystemMessage(code) + ".";
            return {};
        }
    }
    return folder;
}

// Copies beside the target first, so that a copy that fails half-way (a full disk) leaves
// the installed saver as it was, then replaces it in one step.
bool CopyInto(const std::wstring& source, const std::wstring& target, std::string& error) {
    const std::wstring part = target + L".part";
    if (!CopyFileW(source.c_str(), part.c_str(), FALSE)) {
        const DWORD code = GetLastError();
        error =
            "The saver could not be copied to " + Narrow(part) + ": " + SystemMessage(code) + ".";
        DeleteFileW(part.c_str());
        return false;
    }
    if (!MoveFileExW(part.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD code = GetLastError();
        error = "The installed saver " + Narrow(target) + " could not be replaced (" +
                SystemMessage(code) + "); is it running?";
        DeleteFileW(part.c_str());
        return false;
    }
    return true;
}
} // namespace

bool InstallSaver(const std::string& saverPath, std::string& report, std::string& error) {
    const std::wstring source = Wide(saverPath);
    if (source.empty() || GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = "The saver " + saverPath + " is not there any more.";
        return false;
    }
    const std::string name = InstalledSaverName(saverPath);
    if (name.empty()) {
        error = "The saver's path " + saverPath + " names no file.";
        return false;
    }
    const std::wstring folder = SaversFolder(error);
    if (folder.empty() || !CopyInto(source, folder + L"\\" + Wide(name), error)) {
        return false;
    }
    const std::wstring stored = LongPath(folder + L"\\" + Wide(name));
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
        error = "The screen saver setting could not be written: " +
                SystemMessage(static_cast<DWORD>(status)) + ".";
        return false;
    }
    report = "A copy of it is kept as " + Narrow(stored) +
             ", so moving or deleting your own file changes nothing.";
    if (!SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr,
                               SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)) {
        report += "\nWindows did not switch screen savers on: do so in its screen saver settings.";
    }
    return true;
}
