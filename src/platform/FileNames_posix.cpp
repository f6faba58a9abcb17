#include "platform/FileNames.h"

#include <climits>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace names {

HANDLE Open(const char* name, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    return CreateFileA(name, access, share, nullptr, disposition, flags, nullptr);
}

bool Remove(const char* name) {
    return DeleteFileA(name);
}

bool Exists(const char* name) {
    struct stat st;
    return name && stat(name, &st) == 0;
}

bool IsFolder(const char* name) {
    struct stat st;
    return name && stat(name, &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolder(const char* name) {
    return name && mkdir(name, 0700) == 0;
}

bool RemoveFolder(const char* name) {
    return name && rmdir(name) == 0;
}

bool MoveReplacing(const char* from, const char* to) {
    return from && to && std::rename(from, to) == 0;
}

std::string TempFolder() {
    char folder[PATH_MAX];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    return length != 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

std::string NewTempFile(const std::string& folder, const char* prefix) {
    char path[MAX_PATH];
    return GetTempFileNameA(folder.c_str(), prefix, 0, path) != 0 ? std::string(path)
                                                                  : std::string();
}

std::string ModulePath(HMODULE module) {
    char path[PATH_MAX];
    const DWORD length = GetModuleFileNameA(module, path, sizeof path);
    return length != 0 && length < sizeof path - 1 ? std::string(path, length) : std::string();
}

} // namespace names
