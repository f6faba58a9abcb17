// POSIX implementation of the Win32 subset declared in Win32.h.
#ifndef _WIN32
#include "platform/Win32.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
thread_local DWORD g_lastError = 0;
std::string g_moduleOverride;
std::string g_tempOverride;

DWORD ErrnoToWin32(int e) {
    switch (e) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

// File handles carry the descriptor plus one, so that descriptor 0 is not a null handle.
int HandleToFd(HANDLE h) {
    if (h == nullptr || h == INVALID_HANDLE_VALUE) {
        return -1;
    }
    return static_cast<int>(reinterpret_cast<intptr_t>(h)) - 1;
}
HANDLE FdToHandle(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd) + 1);
}

// Global blocks keep their size in a 16-byte prefix so that GlobalSize can answer and the
// caller's pointer stays 16-byte aligned.
constexpr size_t kGlobalPrefix = 16;
} // namespace

namespace platform {
void SetModuleFileNameOverride(const char* path) {
    g_moduleOverride = path ? path : "";
}
void SetTempPathOverride(const char* path) {
    g_tempOverride = path ? path : "";
}
} // namespace platform

BOOL SetRect(RECT* r, int left, int top, int right, int bottom) {
    if (!r) {
        return FALSE;
    }
    *r = RECT{left, top, right, bottom};
    return TRUE;
}
BOOL SetRectEmpty(RECT* r) {
    return SetRect(r, 0, 0, 0, 0);
}
BOOL IsRectEmpty(const RECT* r) {
    return !r || r->right <= r->left || r->bottom <= r->top;
}
BOOL CopyRect(RECT* dst, const RECT* src) {
    if (!dst || !src) {
        return FALSE;
    }
    *dst = *src;
    return TRUE;
}
BOOL OffsetRect(RECT* r, int dx, int dy) {
    if (!r) {
        return FALSE;
    }
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}
BOOL InflateRect(RECT* r, int dx, int dy) {
    if (!r) {
        return FALSE;
    }
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return TRUE;
}
BOOL UnionRect(RECT* dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) {
        return FALSE;
    }
    const bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
    if (ea && eb) {
        SetRectEmpty(dst);
        return FALSE;
    }
    if (ea) {
        *dst = *b;
        return TRUE;
    }
    if (eb) {
        *dst = *a;
        return TRUE;
    }
    *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
    return TRUE;
}
BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) {
        return FALSE;
    }
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        SetRectEmpty(dst);
        return FALSE;
    }
    *dst = r;
    return TRUE;
}
BOOL EqualRect(const RECT* a, const RECT* b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
           a->bottom == b->bottom;
}
BOOL PtInRect(const RECT* r, POINT p) {
    return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}

DWORD GetLastError() {
    return g_lastError;
}
void SetLastError(DWORD code) {
    g_lastError = code;
}

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    if (bytes > SIZE_MAX - kGlobalPrefix) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    void* raw = (flags & GMEM_ZEROINIT) ? std::calloc(1, bytes + kGlobalPrefix)
                                        : std::malloc(bytes + kGlobalPrefix);
    if (!raw) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::memcpy(raw, &bytes, sizeof bytes);
    return static_cast<char*>(raw) + kGlobalPrefix;
}
LPVOID GlobalLock(HGLOBAL mem) {
    return mem;
}
BOOL GlobalUnlock(HGLOBAL) {
    return FALSE;
}
HGLOBAL GlobalFree(HGLOBAL mem) {
    if (mem) {
        std::free(static_cast<char*>(mem) - kGlobalPrefix);
    }
    return nullptr;
}
HGLOBAL GlobalHandle(LPCVOID mem) {
    return const_cast<LPVOID>(mem);
}
SIZE_T GlobalSize(HGLOBAL mem) {
    if (!mem) {
        return 0;
    }
    SIZE_T bytes;
    std::memcpy(&bytes, static_cast<char*>(mem) - kGlobalPrefix, sizeof bytes);
    return bytes;
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, void*, DWORD disposition, DWORD, HANDLE) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    int flags = O_CLOEXEC;
    const bool rd = access & GENERIC_READ, wr = access & GENERIC_WRITE;
    flags |= rd && wr ? O_RDWR : wr ? O_WRONLY : O_RDONLY;
    switch (disposition) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case OPEN_EXISTING:
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const int fd = open(name, flags, 0644);
    if (fd < 0) {
        SetLastError(ErrnoToWin32(errno));
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return FdToHandle(fd);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, DWORD* read, void*) {
    const int fd = HandleToFd(file);
    if (read) {
        *read = 0;
    }
    if (fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DWORD done = 0;
    while (done < toRead) {
        const ssize_t n = ::read(fd, static_cast<char*>(buffer) + done, toRead - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            SetLastError(ErrnoToWin32(errno));
            if (read) {
                *read = done;
            }
            return FALSE;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<DWORD>(n);
    }
    if (read) {
        *read = done;
    }
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, DWORD* written, void*) {
    const int fd = HandleToFd(file);
    if (written) {
        *written = 0;
    }
    if (fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DWORD done = 0;
    while (done < toWrite) {
        const ssize_t n = ::write(fd, static_cast<const char*>(buffer) + done, toWrite - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            SetLastError(ErrnoToWin32(errno));
            if (written) {
                *written = done;
            }
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    if (written) {
        *written = done;
    }
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
    const int fd = HandleToFd(file);
    if (fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t offset = distance;
    if (distanceHigh) {
        offset = (static_cast<int64_t>(*distanceHigh) << 32) | static_cast<uint32_t>(distance);
    }
    const int whence = method == FILE_CURRENT ? SEEK_CUR : method == FILE_END ? SEEK_END : SEEK_SET;
    const off_t pos = lseek(fd, static_cast<off_t>(offset), whence);
    if (pos < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh) {
        *distanceHigh = static_cast<LONG>(static_cast<int64_t>(pos) >> 32);
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(pos);
}

DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) {
    struct stat st;
    const int fd = HandleToFd(file);
    if (fd < 0 || fstat(fd, &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    if (sizeHigh) {
        *sizeHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_size) >> 32);
    }
    return static_cast<DWORD>(st.st_size);
}

BOOL CloseHandle(HANDLE handle) {
    const int fd = HandleToFd(handle);
    if (fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return close(fd) == 0;
}

BOOL DeleteFileA(LPCSTR name) {
    if (!name || unlink(name) != 0) {
        SetLastError(name ? ErrnoToWin32(errno) : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
    std::string dir = g_tempOverride;
    if (dir.empty()) {
        const char* env = std::getenv("TMPDIR");
        dir = env && *env ? env : "/tmp";
    }
    if (dir.back() != '/') {
        dir += '/';
    }
    if (dir.size() + 1 > size) {
        return static_cast<DWORD>(dir.size() + 1);
    }
    std::memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<DWORD>(dir.size());
}

// Names are <path><first three prefix characters><hex number>.TMP, as on Windows. With
// unique 0 a free number is found and the empty file is created.
UINT GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR name) {
    if (!path || !name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string dir = path;
    if (!dir.empty() && dir.back() != '/') {
        dir += '/';
    }
    const std::string pre = prefix ? std::string(prefix).substr(0, 3) : std::string();
    auto compose = [&](UINT n) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", n & 0xFFFFu);
        return dir + pre + hex + ".TMP";
    };
    if (unique != 0) {
        const std::string full = compose(unique);
        if (full.size() >= MAX_PATH) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        std::memcpy(name, full.c_str(), full.size() + 1);
        return unique & 0xFFFFu;
    }
    UINT start = static_cast<UINT>(getpid() ^ time(nullptr)) & 0xFFFFu;
    for (UINT i = 0; i < 0x10000u; ++i) {
        const UINT n = ((start + i) & 0xFFFFu) ? ((start + i) & 0xFFFFu) : 1;
        const std::string full = compose(n);
        if (full.size() >= MAX_PATH) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        const int fd = open(full.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            close(fd);
            std::memcpy(name, full.c_str(), full.size() + 1);
            return n;
        }
        if (errno != EEXIST) {
            SetLastError(ErrnoToWin32(errno));
            return 0;
        }
    }
    SetLastError(ERROR_ALREADY_EXISTS);
    return 0;
}

DWORD GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
    if (!buffer || size == 0) {
        return 0;
    }
    std::string path = g_moduleOverride;
    if (path.empty()) {
        char tmp[PATH_MAX];
        const ssize_t n = readlink("/proc/self/exe", tmp, sizeof tmp - 1);
        if (n < 0) {
            return 0;
        }
        path.assign(tmp, static_cast<size_t>(n));
    }
    // Like Windows: truncate to the buffer and still terminate.
    const size_t copied = std::min<size_t>(path.size(), size - 1);
    std::memcpy(buffer, path.data(), copied);
    buffer[copied] = '\0';
    return static_cast<DWORD>(copied);
}

DWORD GetTickCount() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<DWORD>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                              static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}
#endif // !_WIN32
