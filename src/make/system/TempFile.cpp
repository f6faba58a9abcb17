#include "make/system/TempFile.h"

#include "platform/FileNames.h"

#include <algorithm>

namespace {
std::string& GivenFolder() {
    static std::string folder;
    return folder;
}
} // namespace

void UseTempFolder(const std::string& folder) {
    GivenFolder() = folder;
}

std::string TempFolder() {
    if (!GivenFolder().empty()) {
        return GivenFolder();
    }
    return names::TempFolder();
}

TempFile::TempFile() {
    const std::string folder = TempFolder();
    if (!folder.empty()) {
        m_path = names::NewTempFile(folder, "vcp");
    }
}

TempFile::~TempFile() {
    if (!m_path.empty()) {
        names::Remove(m_path.c_str());
    }
}

bool TempFile::Write(std::span<const uint8_t> bytes) const {
    if (m_path.empty()) {
        return false;
    }
    const HANDLE out = names::Open(m_path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (out == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(1u << 20, bytes.size() - done));
        DWORD written = 0;
        ok = WriteFile(out, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
        done += chunk;
    }
    return CloseHandle(out) && ok;
}
