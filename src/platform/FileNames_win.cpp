#include "platform/FileNames.h"

#include "platform/Wide.h"

#include <vector>

namespace {

// The wide form of a UTF-8 name; false (with ERROR_INVALID_NAME) when it names nothing.
bool ToName(const char* name, std::wstring& out) {
    out = name ? wide::FromUtf8(name) : std::wstring();
    if (out.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    return true;
}

std::string FromName(const wchar_t* name) {
    std::string out;
    return wide::ToUtf8(name, out) ? out : std::string();
}

} // namespace

namespace names {

HANDLE Open(const char* name, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    std::wstring w;
    return ToName(name, w)
               ? CreateFileW(w.c_str(), access, share, nullptr, disposition, flags, nullptr)
               : INVALID_HANDLE_VALUE;
}

bool Remove(const char* name) {
    std::wstring w;
    return ToName(name, w) && DeleteFileW(w.c_str());
}

bool Exists(const char* name) {
    std::wstring w;
    return ToName(name, w) && GetFileAttributesW(w.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const char* name) {
    std::wstring w;
    if (!ToName(name, w)) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(w.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolder(const char* name) {
    std::wstring w;
    return ToName(name, w) && CreateDirectoryW(w.c_str(), nullptr);
}

bool RemoveFolder(const char* name) {
    std::wstring w;
    return ToName(name, w) && RemoveDirectoryW(w.c_str());
}

bool MoveReplacing(const char* from, const char* to) {
    std::wstring wFrom, wTo;
    return ToName(from, wFrom) && ToName(to, wTo) &&
           MoveFileExW(wFrom.c_str(), wTo.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::string TempFolder() {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    return length != 0 && length <= MAX_PATH ? FromName(folder) : std::string();
}

std::string NewTempFile(const std::string& folder, const char* prefix) {
    std::wstring wFolder, wPrefix;
    wchar_t path[MAX_PATH];
    if (!ToName(folder.c_str(), wFolder) || !ToName(prefix, wPrefix) ||
        GetTempFileNameW(wFolder.c_str(), wPrefix.c_str(), 0, path) == 0) {
        return {};
    }
    std::string made = FromName(path);
    if (made.empty()) {
        DeleteFileW(path);
    }
    return made;
}

std::string ModulePath(HMODULE module) {
    // Long paths exceed MAX_PATH; a full buffer means the path was cut.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::vector<wchar_t> path(size);
        const DWORD length = GetModuleFileNameW(module, path.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            return FromName(path.data());
        }
    }
    return {};
}

} // namespace names
