#include "make/system/TempFile.h"

#include "platform/Win32.h"

#include <fstream>

TempFile::TempFile() {
    char folder[MAX_PATH];
    char path[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length != 0 && length < MAX_PATH && GetTempFileNameA(folder, "vcp", 0, path) != 0) {
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
