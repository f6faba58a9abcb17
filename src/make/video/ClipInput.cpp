#include "make/video/ClipInput.h"

#include "platform/StdPath.h"

#include <algorithm>
#include <cstring>

int ClipBytes::Read(uint8_t* to, int count) {
    const uint64_t left = m_bytes.size() - m_at;
    const int n =
        static_cast<int>(std::min<uint64_t>(left, static_cast<uint64_t>(std::max(count, 0))));
    if (n > 0) {
        std::memcpy(to, m_bytes.data() + m_at, static_cast<size_t>(n));
        m_at += static_cast<uint64_t>(n);
    }
    return n;
}

bool ClipBytes::Seek(uint64_t offset) {
    if (offset > m_bytes.size()) {
        return false;
    }
    m_at = offset;
    return true;
}

bool ClipFile::Open(const std::string& path, std::string& error) {
    m_in.open(StdPath(path), std::ios::binary);
    if (m_in) {
        m_in.seekg(0, std::ios::end);
    }
    const std::streamoff end = m_in ? static_cast<std::streamoff>(m_in.tellg()) : -1;
    if (end < 0) {
        error = "the file cannot be opened";
        return false;
    }
    m_size = static_cast<uint64_t>(end);
    return Seek(0);
}

int ClipFile::Read(uint8_t* to, int count) {
    const uint64_t left = m_size - std::min(m_at, m_size);
    const auto n = static_cast<std::streamsize>(
        std::min<uint64_t>(left, static_cast<uint64_t>(std::max(count, 0))));
    if (n == 0) {
        return 0;
    }
    m_in.read(reinterpret_cast<char*>(to), n);
    const std::streamsize got = m_in.gcount();
    if (got <= 0) {
        m_in.clear();
        return -1;
    }
    m_at += static_cast<uint64_t>(got);
    return static_cast<int>(got);
}

bool ClipFile::Seek(uint64_t offset) {
    if (offset > m_size) {
        return false;
    }
    m_in.clear();
    m_in.seekg(static_cast<std::streamoff>(offset), std::ios::beg);
    if (!m_in) {
        m_in.clear();
        return false;
    }
    m_at = offset;
    return true;
}
