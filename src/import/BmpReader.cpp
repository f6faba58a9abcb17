// Windows bitmaps: 12-byte (core), 40-byte (info) and the larger 52-, 56-, 108- and 124-byte
// headers; uncompressed, bit-field and RLE8 pixel data.
#include "import/ImageImporter.h"
#include "import/PictureLimits.h"

#include <algorithm>
#include <cstring>

using picture::Le16;
using picture::Le32;

namespace {
constexpr DWORD kFileHeaderSize = 14;
constexpr DWORD kInfoHeaderSize = 40;
constexpr DWORD kCoreHeaderSize = 12;
constexpr DWORD kCoreTableStart = kFileHeaderSize + kCoreHeaderSize;
// The larger headers begin with the 40-byte one. The 52- and 56-byte ones add the red,
// green and blue masks (and an alpha mask); the 108- and 124-byte ones keep them there and
// add colour-space, gamma and profile fields, which are not needed to show the picture.
constexpr DWORD kLargeHeaderSizes[] = {52, 56, 108, 124};
constexpr DWORD kMaxHeaderSize = 124;
constexpr DWORD kMasksOffset = 40;
// Bit fields with a fourth mask for alpha. A 40-byte header has its masks after it, four
// of them with this compression; the larger headers hold all four.
constexpr DWORD kAlphaBitFields = 6;
constexpr DWORD kEmbeddedJpeg = 4;
constexpr DWORD kEmbeddedPng = 5;
// Serves the run-length stream from 4,096-byte reads of the file: the stream is read two
// bytes at a time, and a system call for each pair would dominate the decoding.
class ChunkReader {
  public:
    explicit ChunkReader(ByteReader& file) : m_file(file) {}
    void Read(uint8_t* target, size_t count) {
        while (count > 0) {
            if (m_next == m_end) {
                m_next = 0;
                m_end = m_file.Read(m_buffer, sizeof m_buffer);
                if (m_end == 0) {
                    AfxThrowFileException(CFileException::endOfFile);
                }
            }
            const size_t n = std::min(count, m_end - m_next);
            std::memcpy(target, m_buffer + m_next, n);
            m_next += n;
            target += n;
            count -= n;
        }
    }

  private:
    ByteReader& m_file;
    uint8_t m_buffer[4096];
    size_t m_next = 0;
    size_t m_end = 0;
};

bool IsLargeHeader(DWORD infoSize) {
    return std::find(std::begin(kLargeHeaderSizes), std::end(kLargeHeaderSizes), infoSize) !=
           std::end(kLargeHeaderSizes);
}

// The colour table runs from `tableStart` up to the pixels: as many entries as the header
// asks for (all 2^depth when it says 0, never more than the depth can index), and never
// past the pixel offset, so a short table or a gap before the pixels reads right. Entries
// the file does not give stay black.
void ReadColourTable(ImageImporter& importer, DWORD tableStart, DWORD offBits, DWORD entrySize) {
    const DWORD depthEntries = 1u << importer.m_header.biBitCount;
    const DWORD asked = importer.m_header.biClrUsed;
    const DWORD wanted = asked != 0 && asked < depthEntries ? asked : depthEntries;
    const DWORD room = offBits > tableStart ? (offBits - tableStart) / entrySize : 0;
    const DWORD count = std::min(wanted, room);
    uint8_t table[256 * sizeof(RGBQUAD)];
    importer.ReadExact(table, count * entrySize);
    for (DWORD i = 0; i < count; ++i) {
        const uint8_t* e = table + i * entrySize;
        importer.m_colours[i] = RGBQUAD{e[0], e[1], e[2], 0};
    }
}

// A 12-byte header: width, height, planes and depth as 16-bit fields, then a table of
// three-byte entries. Its pixel offset is honoured when it lies in the file; early writers
// left it wrong, and the pixels then follow a full table.
void ReadCoreHeader(ImageImporter& importer, DWORD offBits) {
    uint8_t core[8];
    importer.ReadExact(core, sizeof core);
    BITMAPINFOHEADER& h = importer.m_header;
    picture::SetHeader(h, Le16(core), Le16(core + 2), Le16(core + 6));
    h.biPlanes = Le16(core + 4);
    const uint64_t length = importer.m_file.GetLength();
    const bool offsetInFile = offBits >= kCoreTableStart && offBits < length;
    if (h.biBitCount <= 8) {
        const DWORD fullTable = kCoreTableStart + 3 * (1u << h.biBitCount);
        ReadColourTable(importer, kCoreTableStart, offsetInFile ? offBits : fullTable, 3);
    }
    if (offsetInFile) {
        importer.m_file.Seek(static_cast<LONG>(offBits), CFile::begin);
    }
}

// A 40-byte or larger header: the masks of a bit-field picture land in the colour table's
// first three entries, as in the packed picture; a colour table beside the masks of a
// deeper picture is skipped, as the pixels need none. Leaves the file at the pixels and
// returns the alpha mask of bit fields that have one, else 0.
DWORD ReadInfoHeader(ImageImporter& importer, DWORD infoSize, DWORD offBits) {
    uint8_t header[kMaxHeaderSize] = {};
    importer.ReadExact(header + 4, infoSize - 4);
    BITMAPINFOHEADER& h = importer.m_header;
    std::memcpy(reinterpret_cast<uint8_t*>(&h) + 4, header + 4, kInfoHeaderSize - 4);
    DWORD tableStart = kFileHeaderSize + infoSize;
    if (offBits < tableStart || offBits > importer.m_file.GetLength() || offBits > INT32_MAX) {
        throw ImageImporter::BadFile;
    }
    DWORD alphaMask = 0;
    if (h.biCompression == BI_BITFIELDS || h.biCompression == kAlphaBitFields) {
        DWORD masksEnd = infoSize;
        if (infoSize == kInfoHeaderSize) {
            const DWORD maskBytes = (h.biCompression == kAlphaBitFields ? 4 : 3) * sizeof(DWORD);
            importer.ReadExact(header + kMasksOffset, maskBytes);
            tableStart += maskBytes;
            masksEnd = kMasksOffset + maskBytes;
        }
        std::memcpy(importer.m_colours, header + kMasksOffset, 3 * sizeof(DWORD));
        if (masksEnd >= kMasksOffset + 4 * sizeof(DWORD)) {
            alphaMask = Le32(header + kMasksOffset + 3 * sizeof(DWORD));
        }
        h.biCompression = BI_BITFIELDS;
    } else if (h.biBitCount <= 8) {
        ReadColourTable(importer, tableStart, offBits, sizeof(RGBQUAD));
    }
    importer.m_file.Seek(static_cast<LONG>(offBits), CFile::begin);
    return alphaMask;
}

// A bit-field alpha byte holds the opacity; the packed picture's fourth byte holds 255 minus
// it. Other alpha masks are dropped: the faces are drawn without per-pixel opacity.
void InvertAlphaBytes(ImageImporter& importer, DWORD alphaMask) {
    const DWORD colourBits = importer.m_colours[0].rgbReserved | importer.m_colours[1].rgbReserved |
                             importer.m_colours[2].rgbReserved;
    if (importer.m_header.biBitCount != 32 || alphaMask != 0xFF000000u || colourBits != 0) {
        return;
    }
    for (DWORD i = 3; i < importer.m_pixelSize; i += 4) {
        importer.m_pixels[i] = static_cast<uint8_t>(255 - importer.m_pixels[i]);
    }
}

} // namespace

void ImageImporter::ReadBmp() {
    uint8_t fileHeader[kFileHeaderSize];
    ReadExact(fileHeader, sizeof fileHeader);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') {
        throw BadFile;
    }
    const DWORD fileSize = Le32(fileHeader + 2);
    const DWORD offBits = Le32(fileHeader + 10);

    uint8_t sizeField[4];
    ReadExact(sizeField, sizeof sizeField);
    const DWORD infoSize = Le32(sizeField);
    DWORD alphaMask = 0;
    if (infoSize == kCoreHeaderSize) {
        ReadCoreHeader(*this, offBits);
    } else if (infoSize == kInfoHeaderSize || IsLargeHeader(infoSize)) {
        alphaMask = ReadInfoHeader(*this, infoSize, offBits);
    } else {
        m_detail = "BMP with an unknown header layout";
        throw BadFile;
    }
    m_header.biSize = kInfoHeaderSize;

    if (m_header.biCompression == kEmbeddedJpeg) {
        m_detail = "BMP with embedded JPEG data";
        throw BadFile;
    }
    if (m_header.biCompression == kEmbeddedPng) {
        m_detail = "BMP with embedded PNG data";
        throw BadFile;
    }
    if (m_header.biCompression == BI_RLE4) {
        m_detail = "BMP with 4-bit run-length compression";
        throw BadFile;
    }
    if (m_header.biPlanes != 1) {
        throw BadFile;
    }
    if (m_header.biWidth <= 0 || m_header.biHeight == 0) {
        throw BadFile;
    }

    if (m_header.biCompression == BI_RLE8) {
        // Run-length data is always bottom-up.
        if (m_header.biHeight < 0) {
            throw BadFile;
        }
        const uint64_t stride = picture::RowStride(static_cast<uint64_t>(m_header.biWidth), 8);
        AllocatePixels(stride, static_cast<uint64_t>(m_header.biHeight));
        DecodeRle8(static_cast<DWORD>(stride), static_cast<DWORD>(m_header.biHeight));
        // The rows are plain 8-bit pixels now.
        m_header.biBitCount = 8;
        m_header.biCompression = BI_RGB;
        m_header.biSizeImage = m_pixelSize;
        return;
    }

    if (!picture::IsDibDepth(m_header.biBitCount)) {
        m_detail = "BMP of a depth other than 1, 2, 4, 8, 16, 24 or 32 bits";
        throw BadFile;
    }
    if (!picture::BitFieldsFit(m_header.biCompression, m_header.biBitCount)) {
        throw BadFile;
    }
    // Top-down bitmaps (negative height) are passed on as they are.
    const uint64_t rows = m_header.biHeight < 0 ? -int64_t{m_header.biHeight} : m_header.biHeight;
    uint64_t needed = 0;
    const uint64_t stride =
        picture::RowStride(static_cast<uint64_t>(m_header.biWidth), m_header.biBitCount);
    if (__builtin_mul_overflow(stride, rows, &needed) || needed > m_pixelLimit) {
        throw TooLarge;
    }
    // The renderer reads every row the header describes, so a file size field that claims
    // less (or is 0, and underflows) does not shorten the pixel data.
    const bool sizeFieldCovers = fileSize >= offBits && fileSize - offBits >= needed;
    const uint64_t size = sizeFieldCovers ? fileSize - offBits : needed;
    if (size > m_pixelLimit) {
        throw TooLarge;
    }
    const uint64_t length = m_file.GetLength();
    const uint64_t position = m_file.GetPosition();
    const uint64_t remaining = length > position ? length - position : 0;
    if (remaining < size) {
        if (!sizeFieldCovers) {
            throw BadFile;
        }
        // The read below would run out anyway; fail before allocating for it.
        AfxThrowFileException(CFileException::endOfFile, -1, m_fileName.c_str());
    }
    AllocatePixels(size, 1);
    ReadExact(m_pixels, m_pixelSize);
    InvertAlphaBytes(*this, alphaMask);
}

// RLE8 pairs (count, value): a run of count copies of value; or, with count 0, value 0
// ends the line, 1 ends the picture, 2 is a delta (dx, dy follow), and 3 to 255 start a
// literal run of that many bytes, padded to an even length.
//
// The output position is row × stride + column, with row 0 the bottom row (first in
// memory). Column may run past the stride: a long run continues into the next row, and an
// end of line then goes to the row after the one where the column was 0. Writes that fall
// outside the buffer are dropped; row and column are held at the buffer size so that a
// stream of deltas cannot push them any further.
void ImageImporter::DecodeRle8(DWORD stride, DWORD rows) {
    const int64_t size = m_pixelSize;
    int64_t row = 0;
    int64_t column = 0;
    auto write = [&](const uint8_t* source, uint8_t value, int count) {
        const int64_t start = row * stride + column;
        if (start < size) {
            const size_t n = static_cast<size_t>(std::min<int64_t>(count, size - start));
            if (source) {
                std::memcpy(m_pixels + start, source, n);
            } else {
                std::memset(m_pixels + start, value, n);
            }
        }
        column = std::min<int64_t>(column + count, size);
    };

    ChunkReader stream(m_file);
    for (;;) {
        uint8_t pair[2];
        stream.Read(pair, sizeof pair);
        const int count = pair[0];
        const int value = pair[1];
        if (count > 0) {
            write(nullptr, static_cast<uint8_t>(value), count);
        } else if (value == 0) {
            row = std::min<int64_t>(row + 1, rows);
            column = 0;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            uint8_t delta[2];
            stream.Read(delta, sizeof delta);
            row = std::min<int64_t>(row + delta[1], rows);
            column = std::min<int64_t>(column + delta[0], size);
        } else {
            uint8_t literal[256];
            stream.Read(literal, static_cast<size_t>(value + (value & 1)));
            write(literal, 0, value);
        }
    }
}

// The file header and the size field that opens the info header. A header size the
// reader does not know still makes the file a BMP, so that its refusal can say why.
bool ImageImporter::ProbeBmp() {
    uint8_t head[kFileHeaderSize + 4];
    if (m_file.Read(head, sizeof head) != sizeof head) {
        return false;
    }
    return head[0] == 'B' && head[1] == 'M';
}
