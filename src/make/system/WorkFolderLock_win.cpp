#include "make/system/WorkFolderLock.h"

#include <windows.h>

namespace {
std::wstring Wide(const std::string& utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            length);
    }
    return wide;
}
} // namespace

// Opened without sharing and deleted when its handle closes: when this process ends in any
// way, the system closes the handle and the file goes.
void* HoldLock(const std::string& path) {
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

void ReleaseLock(void* lock) {
    if (lock) {
        CloseHandle(static_cast<HANDLE>(lock));
    }
}

bool LockHeldElsewhere(const std::string& path) {
    const std::wstring name = Wide(path);
    if (DeleteFileW(name.c_str())) {
        return false;
    }
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

unsigned CurrentProcessNumber() {
    return static_cast<unsigned>(GetCurrentProcessId());
}
