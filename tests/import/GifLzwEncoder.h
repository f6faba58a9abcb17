// The GIF writer's code stream: an LZW encoder and sub-blocks of any size. Free of the
// test framework, so that the structured GIF fuzz target builds its streams with it too.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace importtest {

class BitWriter {
  public:
    void Put(int code, int size) {
        m_acc |= static_cast<uint64_t>(code) << m_bits;
        m_bits += size;
        while (m_bits >= 8) {
            m_bytes.push_back(static_cast<uint8_t>(m_acc));
            m_acc >>= 8;
            m_bits -= 8;
        }
    }
    std::vector<uint8_t> Finish() {
        if (m_bits > 0) {
            m_bytes.push_back(static_cast<uint8_t>(m_acc));
        }
        m_acc = 0;
        m_bits = 0;
        return std::move(m_bytes);
    }

  private:
    uint64_t m_acc = 0;
    int m_bits = 0;
    std::vector<uint8_t> m_bytes;
};

// Without clearWhenFull the encoder sends one clear code at the start and lets the table
// fill to 4,096 entries without another; with it, it sends a clear code whenever the table
// is full, as most encoders do, and counts them in *clears.
inline std::vector<uint8_t> LzwEncode(const std::vector<uint8_t>& values, int minCodeSize,
                                      bool clearWhenFull = false, int* clears = nullptr) {
    const int clear = 1 << minCodeSize;
    int codeSize = minCodeSize + 1;
    int next = clear + 2;
    // The code of string + value sits at [string << valueBits | value] (values are literal
    // codes, below the clear code); 0, never a string's code, marks an absent one. A clear
    // empties the used slots only. Zeroed by new[] rather than a vector: one memset even
    // in an unoptimised build.
    const int valueBits = std::min(minCodeSize, 8);
    const std::unique_ptr<uint16_t[]> table(new uint16_t[size_t{4096} << valueBits]());
    std::vector<size_t> used;
    BitWriter out;
    out.Put(clear, codeSize);
    int current = values.empty() ? -1 : values[0];
    for (size_t i = 1; i < values.size(); ++i) {
        const size_t slot = static_cast<size_t>(current) << valueBits | values[i];
        if (table[slot]) {
            current = table[slot];
            continue;
        }
        out.Put(current, codeSize);
        if (next < 4096) {
            table[slot] = static_cast<uint16_t>(next++);
            used.push_back(slot);
            if (next > (1 << codeSize) && codeSize < 12) {
                ++codeSize;
            }
        } else if (clearWhenFull) {
            out.Put(clear, codeSize);
            for (size_t u : used) {
                table[u] = 0;
            }
            used.clear();
            next = clear + 2;
            codeSize = minCodeSize + 1;
            if (clears) {
                ++*clears;
            }
        }
        current = values[i];
    }
    if (current >= 0) {
        out.Put(current, codeSize);
    }
    // The decoder adds an entry for the last code too, and may widen before the end code.
    if (values.size() > 1 && next >= (1 << codeSize) && codeSize < 12) {
        ++codeSize;
    }
    out.Put(clear + 1, codeSize);
    return out.Finish();
}

// Data bytes cut into sub-blocks of blockSize (the last may be shorter), with the empty
// block at the end.
inline std::vector<uint8_t> SubBlocks(const std::vector<uint8_t>& data, bool terminate = true,
                                      size_t blockSize = 255) {
    std::vector<uint8_t> out;
    out.reserve(data.size() + data.size() / blockSize + 2);
    for (size_t at = 0; at < data.size(); at += blockSize) {
        const size_t n = std::min(blockSize, data.size() - at);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<long>(at),
                   data.begin() + static_cast<long>(at + n));
    }
    if (terminate) {
        out.push_back(0);
    }
    return out;
}

} // namespace importtest
