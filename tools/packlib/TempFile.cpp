#include "TempFile.h"

#include "platform/Win32.h"

#include <cerrno>
#include <cstring>
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

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > 0xFFFFFFFFu) {
        error = size < 0 ? "cannot tell its size (is it a folder?)" : "larger than 4 GiB";
        return false;
    }
    in.seekg(0);
    bytes.resize(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        error = "read failed";
        return false;
    }
    return true;
}
