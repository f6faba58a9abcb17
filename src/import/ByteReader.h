// A picture file held in memory, read the way the readers once read the file itself:
// Read, Seek, GetPosition and GetLength with the same meanings and the same exceptions, so
// that a reader neither knows nor cares where its bytes came from. The bytes belong to
// whoever handed them over and must outlive the reader.
#pragma once

#include "framework/File.h"
#include "platform/Win32.h"

#include <cstdint>
#include <span>

class ByteReader {
  public:
    ByteReader() = default;
    explicit ByteReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    // Copies up to count bytes from the position and moves past them; fewer only at the end.
    UINT Read(void* buffer, UINT count);
    // Moves the position (CFile::begin, current or end); a position before the start
    // raises the bad-seek CFileException, one past the end is allowed and reads nothing.
    DWORD Seek(LONG offset, UINT from);
    void SeekToBegin() { m_position = 0; }
    DWORD GetPosition() const { return static_cast<DWORD>(m_position); }
    DWORD GetLength() const { return static_cast<DWORD>(m_bytes.size()); }

    // The bytes from the position on, for decoders that take memory directly.
    std::span<const uint8_t> Rest() const;
    std::span<const uint8_t> Bytes() const { return m_bytes; }

  private:
    std::span<const uint8_t> m_bytes;
    // Kept in 64 bits: a seek may carry it past the end, where it stays until sought back.
    uint64_t m_position = 0;
};
