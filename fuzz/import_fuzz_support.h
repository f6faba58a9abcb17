// Shared by the importer's fuzz targets: the input goes to a scratch file (the importer
// reads files by name), and every imported picture is checked to hold all the rows its
// header describes.
#pragma once

#include "import/ImageImporter.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace importfuzz {

// Small enough that a hostile header cannot make the fuzzer allocate gigabytes.
constexpr DWORD kPixelLimit = 4u << 20;

// The input as a file for the length of one run; removed again before the run ends, since
// libFuzzer may leave the process without running exit handlers.
class ScratchFile {
  public:
    ScratchFile(const uint8_t* data, size_t size) {
        const char* dir = std::getenv("TMPDIR");
        m_path =
            std::string(dir && *dir ? dir : "/tmp") + "/vcfuzz-import-" + std::to_string(getpid());
        FILE* f = std::fopen(m_path.c_str(), "wb");
        if (!f) {
            return;
        }
        m_written = !size || std::fwrite(data, 1, size, f) == size;
        m_written = std::fclose(f) == 0 && m_written;
    }
    ~ScratchFile() { std::remove(m_path.c_str()); }
    const char* path() const { return m_path.c_str(); }
    // False when the scratch folder is full or gone: the run then tests nothing.
    bool written() const { return m_written; }

  private:
    std::string m_path;
    bool m_written = false;
};

// Bytes of pixel rows the header describes.
inline uint64_t RowsNeeded(const BITMAPINFOHEADER& h) {
    const uint64_t rows = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
    return picture::RowStride(static_cast<uint64_t>(h.biWidth), h.biBitCount) * rows;
}

inline void CheckPacked(const BITMAPINFOHEADER* packed, size_t blockSize) {
    if (packed->biSize != 40 || packed->biWidth <= 0 || packed->biHeight == 0) {
        __builtin_trap();
    }
    size_t info = 40;
    if (packed->biCompression == BI_BITFIELDS) {
        info += 12;
    } else if (packed->biBitCount <= 8) {
        info += 4u << packed->biBitCount;
    }
    if (packed->biBitCount <= 8 && packed->biClrUsed != (1u << packed->biBitCount)) {
        __builtin_trap();
    }
    if (blockSize < info || blockSize - info < RowsNeeded(*packed)) {
        __builtin_trap();
    }
}

// Decodes with one reader, whatever the probes would say.
inline void DecodeAs(const uint8_t* data, size_t size, int format) {
    const ScratchFile file(data, size);
    ImageImporter importer;
    importer.m_pixelLimit = kPixelLimit;
    if (!file.written() || !importer.Open(file.path())) {
        return;
    }
    importer.m_format = format;
    if (importer.Decode() != ImageImporter::Ok) {
        return;
    }
    const DWORD info = importer.GetInfoSize();
    std::string block(info + size_t{importer.m_pixelSize}, '\0');
    importer.GetInfo(reinterpret_cast<BITMAPINFOHEADER*>(block.data()));
    CheckPacked(reinterpret_cast<const BITMAPINFOHEADER*>(block.data()), block.size());
}

} // namespace importfuzz
