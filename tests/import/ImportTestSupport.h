// Helpers for the importer tests: little-endian byte strings, a scratch folder, packed
// pictures that free themselves.
#pragma once

#include "import/ImageImporter.h"
#include "import/PackedPicture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace importtest {

class Bytes {
  public:
    Bytes& u8(unsigned v) {
        m_data.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Bytes& u16(unsigned v) { return u8(v & 0xFF).u8(v >> 8 & 0xFF); }
    Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& text(const char* s) {
        while (*s) {
            u8(static_cast<uint8_t>(*s++));
        }
        return *this;
    }
    Bytes& raw(const std::vector<uint8_t>& v) {
        m_data.insert(m_data.end(), v.begin(), v.end());
        return *this;
    }
    Bytes& fill(size_t count, uint8_t v) {
        m_data.insert(m_data.end(), count, v);
        return *this;
    }
    const std::vector<uint8_t>& data() const { return m_data; }
    size_t size() const { return m_data.size(); }
    void patch32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            m_data[at + i] = static_cast<uint8_t>(v >> (8 * i));
        }
    }

  private:
    std::vector<uint8_t> m_data;
};

// A folder of its own under the system's temporary folder, removed with its content.
class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vcimport.XXXXXX").string();
        m_path = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const std::string path = m_path + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;
};

using Packed = PackedPicture;

inline int OpenFileCount() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) {
            ++count;
        }
        closedir(dir);
    }
    return count;
}

// Imports bytes written to a scratch file; checks that no file stays open.
inline Packed ImportBytes(const std::vector<uint8_t>& bytes, const char* name = "picture") {
    ScratchDir dir;
    const std::string path = dir.Write(name, bytes);
    const int before = OpenFileCount();
    Packed packed(ImportPicture(path.c_str()));
    EXPECT_EQ(OpenFileCount(), before);
    return packed;
}

// Identifies and decodes bytes; the importer keeps the result for inspection.
struct Decoded {
    ScratchDir dir;
    ImageImporter importer;
    int format = ImageImporter::None;
    ImageImporter::Error result = ImageImporter::Failed;
};
inline std::unique_ptr<Decoded> DecodeBytes(const std::vector<uint8_t>& bytes) {
    auto d = std::make_unique<Decoded>();
    d->format = d->importer.Identify(d->dir.Write("picture", bytes).c_str());
    d->result = d->importer.Decode();
    return d;
}

inline const uint8_t* PixelsOf(const BITMAPINFOHEADER* packed) {
    size_t offset = sizeof(BITMAPINFOHEADER);
    if (packed->biCompression == BI_BITFIELDS) {
        offset += 12;
    } else if (packed->biBitCount <= 8) {
        offset += 4 * (packed->biClrUsed ? packed->biClrUsed : 1u << packed->biBitCount);
    }
    return reinterpret_cast<const uint8_t*>(packed) + offset;
}
inline const RGBQUAD* ColoursOf(const BITMAPINFOHEADER* packed) {
    return reinterpret_cast<const RGBQUAD*>(packed + 1);
}

} // namespace importtest
