#include "make/system/TempFile.h"

#include "platform/Win32.h"

#include <fstream>

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
    char folder[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    return length != 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

TempFile::TempFile() {
    char path[MAX_PATH];
    const std::string folder = TempFolder();
    if (!folder.empty() && GetTempFileNameA(folder.c_str(), "vcp", 0, path) != 0) {
        m_path = path;
    }
}

TempFile::~TempFile() {
    if (!m_path.empty()) {
        DeleteFileA(m_path.c_str());
    }
}

bool TempFile::Write(std::span<const uint8_t> bytes) const {
    if (m_path.empty()) {
        return false;
    }
    std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
    return out &&
           out.write(reinterpret_cast<const char*>(bytes.data()),
                     static_cast<std::streamsize>(bytes.size())) &&
           out.flush();
}
