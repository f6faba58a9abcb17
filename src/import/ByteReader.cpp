#include "import/ByteReader.h"

#include <algorithm>
#include <cstring>

UINT ByteReader::Read(void* buffer, UINT count) {
    if (m_position >= m_bytes.size()) {
        return 0;
    }
    const size_t n = std::min<uint64_t>(count, m_bytes.size() - m_position);
    if (n != 0) {
        std::memcpy(buffer, m_bytes.data() + m_position, n);
    }
    m_position += n;
    return static_cast<UINT>(n);
}

DWORD ByteReader::Seek(LONG offset, UINT from) {
    int64_t base = 0;
    if (from == CFile::current) {
        base = static_cast<int64_t>(m_position);
    } else if (from == CFile::end) {
        base = static_cast<int64_t>(m_bytes.size());
    }
    const int64_t target = base + offset;
    // Positions beyond 4 GiB cannot be told in a DWORD; no held file reaches that far.
    if (target < 0 || target > int64_t{UINT32_MAX}) {
        AfxThrowFileException(CFileException::badSeek);
    }
    m_position = static_cast<uint64_t>(target);
    return static_cast<DWORD>(m_position);
}

std::span<const uint8_t> ByteReader::Rest() const {
    return m_position >= m_bytes.size() ? std::span<const uint8_t>() : m_bytes.subspan(m_position);
}
