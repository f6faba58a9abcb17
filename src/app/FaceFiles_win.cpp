// Face files on Windows. The video library opens a file without sharing its deletion, so a
// face file can neither be marked to go when its last handle closes nor be removed while a
// saver shows it. A killed saver's files are therefore removed by the next saver that
// starts: a file some running saver still shows refuses to be deleted, and one younger than
// a few seconds may belong to a saver starting at the same moment that has written it but
// not yet handed it to the video library.
#include "app/Payload.h"

#include <string>

namespace {
constexpr ULONGLONG kYoungestStale = 10ull * 10'000'000; // 10 s in 100-ns units

ULONGLONG Ticks(const FILETIME& time) {
    return ULONGLONG{time.dwHighDateTime} << 32 | time.dwLowDateTime;
}
} // namespace

void RemoveStaleFaceFiles() {
    char folder[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    const std::string base(folder);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + kFaceFilePrefix + "*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    do {
        const bool folderEntry = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        const ULONGLONG written = Ticks(found.ftLastWriteTime);
        if (!folderEntry && written + kYoungestStale < Ticks(now)) {
            DeleteFileA((base + found.cFileName).c_str());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void ForgetOpenedFaceFile(std::string&) {}
