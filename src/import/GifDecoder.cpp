#include "import/GifDecoder.h"

#include "import/ImageImporter.h"

#include <cstring>

void GifDecoder::Init(int initialCodeSize, ByteReader* file) {
    m_file = file;
    m_data = nullptr;
    m_initialCodeSize = initialCodeSize;
    ResetTables();
    ResetCodeReader();
    m_firstCode = true;
    m_firstChar = 0;
    m_previousCode = 0;
}

void GifDecoder::Init(int initialCodeSize, const uint8_t* data, size_t size) {
    Init(initialCodeSize, nullptr);
    m_data = data;
    m_dataSize = size;
    m_dataPosition = 0;
}

bool GifDecoder::ReadSource(uint8_t* target, size_t count) {
    if (m_file) {
        return m_file->Read(target, static_cast<UINT>(count)) == count;
    }
    if (!m_data || m_dataSize - m_dataPosition < count) {
        return false;
    }
    std::memcpy(target, m_data + m_dataPosition, count);
    m_dataPosition += count;
    return true;
}

// The table after a clear code: literal codes stand for themselves, every other slot is
// empty, and codes are one bit wider than the minimum code size.
void GifDecoder::ResetTables() {
    m_clearCode = 1 << m_initialCodeSize;
    m_endCode = m_clearCode + 1;
    m_codeSize = m_initialCodeSize + 1;
    m_codeMask = (1 << m_codeSize) - 1;
    m_codeLimit = 2 * m_clearCode;
    m_nextCode = m_clearCode + 2;
    for (int i = 0; i < kTableSize; ++i) {
        m_prefix[i] = 0;
        m_suffix[i] = static_cast<uint16_t>(i < m_clearCode ? i : 0);
    }
    m_stackTop = 0;
}

void GifDecoder::ResetCodeReader() {
    m_bitPosition = 0;
    m_bitLimit = 0;
    m_lastBlock = false;
    m_bytesInBuffer = 2;
    std::memset(m_buffer, 0, sizeof m_buffer);
}

// Codes are packed least significant bit first and run on across sub-blocks: the last two
// bytes of the buffer are carried to its front before the next block is read behind them,
// so a code that straddles a boundary is read in one piece. Blocks may be a single byte, so
// a 12-bit code can take two refills; two carried bytes still suffice, since a block is only
// read for a code that starts within the last 12 bits of the buffer.
void GifDecoder::ReadBlock() {
    m_buffer[0] = m_buffer[m_bytesInBuffer - 2];
    m_buffer[1] = m_buffer[m_bytesInBuffer - 1];
    uint8_t blockSize = 0;
    if (!ReadSource(&blockSize, 1)) {
        AfxThrowFileException(CFileException::endOfFile);
    }
    if (blockSize == 0) {
        m_lastBlock = true;
    } else if (!ReadSource(m_buffer + 2, blockSize)) {
        AfxThrowFileException(CFileException::endOfFile);
    }
    m_bytesInBuffer = blockSize + 2;
    m_bitPosition = m_bitPosition - m_bitLimit + 16;
    m_bitLimit = (blockSize + 2) * 8;
}

// A code that would end exactly at the end of the buffer already fetches the next block.
// Blocks are then read until the code is complete; a chain that ends inside a code ends the
// stream there, so no code is ever assembled from bytes beyond the valid ones and the bit
// position never passes the bit limit.
int GifDecoder::ReadCode() {
    if (m_bitPosition + m_codeSize >= m_bitLimit) {
        do {
            if (m_lastBlock) {
                return -1;
            }
            ReadBlock();
        } while (m_bitPosition + m_codeSize > m_bitLimit);
    }
    const uint8_t* p = m_buffer + m_bitPosition / 8;
    const uint32_t word = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
    const int code =
        static_cast<int>((word >> (m_bitPosition % 8)) & static_cast<uint32_t>(m_codeMask));
    m_bitPosition += m_codeSize;
    return code;
}

void GifDecoder::Push(uint16_t value) {
    // A sound table yields strings of at most 4,096 values; a longer chain has a loop.
    if (m_stackTop >= kStackSize) {
        throw ImageImporter::BadFile;
    }
    m_stack[m_stackTop++] = value;
}

// The first code of the stream or after a clear code stands for itself.
int GifDecoder::ReadFirstCode() {
    int code = ReadCode();
    for (int clears = 0; code == m_clearCode; ++clears) {
        if (clears == kClearRun) {
            return kNoValueYet;
        }
        code = ReadCode();
    }
    m_firstCode = false;
    if (code < 0) {
        return code;
    }
    if (code == m_endCode) {
        return -2;
    }
    m_firstChar = m_previousCode = code;
    return code;
}

int GifDecoder::NextValue() {
    if (m_firstCode) {
        return ReadFirstCode();
    }
    if (m_stackTop > 0) {
        return m_stack[--m_stackTop];
    }

    const int code = ReadCode();
    if (code < 0) {
        return code;
    }
    if (code == m_clearCode) {
        ResetTables();
        m_firstCode = true;
        return ReadFirstCode();
    }
    if (code == m_endCode) {
        return -2;
    }

    // A code not yet in the table is the previous string plus its own first value.
    int current = code;
    if (code >= m_nextCode) {
        Push(static_cast<uint16_t>(m_firstChar));
        current = m_previousCode;
    }
    while (current >= m_clearCode) {
        Push(m_suffix[current]);
        current = m_prefix[current];
    }
    m_firstChar = m_suffix[current];
    Push(static_cast<uint16_t>(m_firstChar));

    // Once the table is full the width stays at 12 bits and no entries are added until
    // the encoder sends a clear code.
    if (m_nextCode < kTableSize) {
        m_prefix[m_nextCode] = static_cast<uint16_t>(m_previousCode);
        m_suffix[m_nextCode] = static_cast<uint16_t>(m_firstChar);
        ++m_nextCode;
        if (m_nextCode >= m_codeLimit && m_codeLimit < kTableSize) {
            m_codeLimit *= 2;
            ++m_codeSize;
            m_codeMask = (1 << m_codeSize) - 1;
        }
    }
    m_previousCode = code;
    return m_stack[--m_stackTop];
}
