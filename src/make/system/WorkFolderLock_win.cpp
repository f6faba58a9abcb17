#include "make/system/WorkFolderLock.h"

#include "platform/Wide.h"

#include <windows.h>

namespace {
std::wstring Wide(const std::string& utf8) {
    return wide::FromUtf8(utf8);
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
