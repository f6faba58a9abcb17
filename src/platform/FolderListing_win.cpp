#include "platform/FolderListing.h"

#include "platform/Wide.h"

#include "platform/Win32.h"

#include <vector>

namespace names {

struct FolderListing::State {
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data{};
    bool pending = false; // `data` holds an entry not yet handed out
};

FolderListing::FolderListing() : m_state(std::make_unique<State>()) {}

FolderListing::~FolderListing() {
    Close();
}

bool FolderListing::Open(const std::string& folder) {
    Close();
    std::wstring pattern = wide::FromUtf8(JoinPath(folder, "*"));
    if (pattern.empty()) {
        return false;
    }
    // FindFirstFileW rather than its Ex form: the short-name and large-fetch flags are not
    // known before Windows 7, and the saver runs on older systems too.
    m_state->find = FindFirstFileW(pattern.c_str(), &m_state->data);
    m_state->pending = m_state->find != INVALID_HANDLE_VALUE;
    return m_state->pending;
}

bool FolderListing::Next(FolderEntry& entry) {
    while (m_state->find != INVALID_HANDLE_VALUE) {
        if (!m_state->pending && !FindNextFileW(m_state->find, &m_state->data)) {
            Close();
            return false;
        }
        m_state->pending = false;
        const WIN32_FIND_DATAW& d = m_state->data;
        const std::wstring_view name(d.cFileName);
        if (name == L"." || name == L".." || !wide::ToUtf8(name, entry.name)) {
            continue;
        }
        entry.folder = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.hidden = (d.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
        entry.link = (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.size = (uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow;
        // 100-ns units since 1601; 11,644,473,600 s lie between 1601 and 1970.
        const uint64_t units =
            (uint64_t{d.ftLastWriteTime.dwHighDateTime} << 32) | d.ftLastWriteTime.dwLowDateTime;
        constexpr uint64_t kEpochSeconds = 11644473600;
        entry.writeTime = units / 10000000 > kEpochSeconds ? units / 10000000 - kEpochSeconds : 0;
        return true;
    }
    return false;
}

void FolderListing::Close() {
    if (m_state->find != INVALID_HANDLE_VALUE) {
        FindClose(m_state->find);
        m_state->find = INVALID_HANDLE_VALUE;
    }
    m_state->pending = false;
}

std::string FullPath(const char* name) {
    const std::wstring w = name ? wide::FromUtf8(name) : std::wstring();
    if (w.empty()) {
        return {};
    }
    const DWORD needed = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (needed == 0 || needed > 32768) {
        return {};
    }
    std::vector<wchar_t> full(needed);
    const DWORD length = GetFullPathNameW(w.c_str(), needed, full.data(), nullptr);
    std::string out;
    if (length == 0 || length >= needed || !wide::ToUtf8({full.data(), length}, out)) {
        return {};
    }
    return out;
}

} // namespace names
