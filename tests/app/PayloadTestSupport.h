// Helpers for the payload tests: a private folder for the saver file, another one standing in
// for the system's temporary folder (both checked empty at the end), and a payload builder
// that writes bytes exactly as given, so that damaged payloads can be made as easily as
// sound ones.
#pragma once

#include "../ScratchFolder.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using Bytes = std::vector<uint8_t>;

class TempFolder : public ScratchFolder {
  public:
    TempFolder() : ScratchFolder("vc-payload") {}
};

inline void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}
inline Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), {});
}

inline void AppendU32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

// template bytes, magic numbers, text with its zero, entries, offset.
struct PayloadBuilder {
    Bytes image = Bytes(10, 0x5A); // a stand-in executable of 10 bytes
    uint32_t offset = 0;

    PayloadBuilder& Magic() {
        offset = static_cast<uint32_t>(image.size());
        AppendU32(image, 0xC90FDAA2u);
        AppendU32(image, 0x2168C235u);
        return *this;
    }
    PayloadBuilder& Text(const std::string& text) {
        image.insert(image.end(), text.begin(), text.end());
        image.push_back(0);
        return *this;
    }
    PayloadBuilder& Face(uint8_t mode, const Bytes& data) {
        image.push_back(mode);
        AppendU32(image, static_cast<uint32_t>(data.size()));
        image.insert(image.end(), data.begin(), data.end());
        return *this;
    }
    PayloadBuilder& EmptyFaces(int count) {
        for (int i = 0; i < count; ++i) {
            Face(0, {});
        }
        return *this;
    }
    Bytes Finish() const {
        Bytes out = image;
        AppendU32(out, offset);
        return out;
    }
};
