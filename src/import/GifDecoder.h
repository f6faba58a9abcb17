// LZW decoding of a GIF image's data sub-blocks, one pixel value per request.
#pragma once

#include "import/ByteReader.h"

#include <cstdint>

class GifDecoder {
  public:
    static constexpr int kTableSize = 4096; // codes are at most 12 bits wide
    static constexpr int kStackSize = 8192; // longest string a sound stream can produce, twice
    static constexpr int kMaxInitialCodeSize = 11;
    // NextValue's answer after a run of kClearRun clear codes without a value: decoding
    // goes on at the next call. It keeps the work of one call bounded.
    static constexpr int kNoValueYet = -3;
    static constexpr int kClearRun = 64;

    // Starts decoding the sub-blocks that follow in the file; initialCodeSize is the
    // image's LZW minimum code size (at most kMaxInitialCodeSize).
    void Init(int initialCodeSize, ByteReader* file);
    // The same for sub-blocks held in memory: data[0] is the first block's size byte and
    // nothing at or beyond data + size is read. A chain cut short raises the same
    // end-of-file exception as a file would.
    void Init(int initialCodeSize, const uint8_t* data, size_t size);

    // The next pixel value (it may exceed the image's colour count: the caller masks it),
    // -1 when the data blocks are exhausted (also when they end inside a code), -2 at the
    // end code, kNoValueYet after a long run of clear codes. A string chain that loops or outgrows
    // the output stack raises ImageImporter::BadFile; a sub-block cut short by the end of the file
    // raises the end-of-file CFileException.
    int NextValue();

  private:
    void ResetTables();
    void ResetCodeReader();
    void ReadBlock();
    bool ReadSource(uint8_t* target, size_t count);
    int ReadCode();
    int ReadFirstCode();
    void Push(uint16_t value);

    int m_initialCodeSize = 0;
    int m_codeSize = 0;
    int m_codeMask = 0;
    int m_clearCode = 0;
    int m_endCode = 0;
    int m_nextCode = 0;
    int m_codeLimit = 0;
    bool m_firstCode = false;
    int m_firstChar = 0;
    int m_previousCode = 0;
    // Literal codes of an 11-bit minimum size reach 2047, so suffixes need 16 bits.
    uint16_t m_prefix[kTableSize] = {};
    uint16_t m_suffix[kTableSize] = {};
    uint16_t m_stack[kStackSize] = {};
    int m_stackTop = 0;

    // The code buffer holds the two last bytes it held before (a code may straddle blocks),
    // then up to 255 bytes of the current block, then 4 spare bytes so that a 32-bit
    // little-endian load at the last valid byte stays inside.
    int m_bitPosition = 0;
    int m_bitLimit = 0;
    bool m_lastBlock = false;
    int m_bytesInBuffer = 0;
    uint8_t m_buffer[2 + 255 + 4] = {};

    ByteReader* m_file = nullptr;
    const uint8_t* m_data = nullptr;
    size_t m_dataSize = 0;
    size_t m_dataPosition = 0;
};
