// Icon and cursor files: a directory of images, each a headed DIB whose height covers the
// colour image and the AND mask after it, or a whole PNG file (as large icons are stored).
// The largest image (then the deepest) is read.
#include "import/ImageImporter.h"
#include "import/PictureLimits.h"

#include <cstring>

using picture::Le16;
using picture::Le32;

namespace {

constexpr DWORD kEntrySize = 16;

struct IconChoice {
    LONG width = 0;
    LONG height = 0;
    WORD bitCount = 0;
    DWORD offset = 0;
    bool png = false;
};

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// A PNG side above this could not be doubled into a DIB's height.
constexpr uint32_t kMaxPngSide = 0x3FFFFFFF;

uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// A PNG image describes itself in the header chunk that must come first: width, height,
// bits per sample and colour type. It competes as a DIB of the same size and bits per
// pixel would, its height doubled as a DIB's counts the mask.
bool ReadPngCandidate(const uint8_t* image, BITMAPINFOHEADER& header) {
    if (std::memcmp(image, kPngSignature, sizeof kPngSignature) != 0 ||
        std::memcmp(image + 12, "IHDR", 4) != 0) {
        return false;
    }
    const uint32_t width = Be32(image + 16);
    const uint32_t height = Be32(image + 20);
    if (width == 0 || height == 0 || width > kMaxPngSide || height > kMaxPngSide) {
        return false;
    }
    static constexpr int kSamples[7] = {1, 0, 3, 1, 2, 0, 4}; // by colour type
    const int colourType = image[25];
    const int samples = colourType < 7 ? kSamples[colourType] : 0;
    header = {};
    header.biWidth = static_cast<LONG>(width);
    header.biHeight = static_cast<LONG>(height * 2);
    header.biBitCount = static_cast<WORD>(samples * image[24]);
    return samples != 0;
}

// Only images the packed picture can describe take part: a plain or bit-field DIB of a
// stored depth, at least one pixel wide and one row high once the mask rows are removed.
bool Qualifies(const uint8_t* entry, const BITMAPINFOHEADER& header) {
    return entry[3] == 0 && header.biSize == 40 && header.biPlanes == 1 && header.biWidth > 0 &&
           header.biHeight >= 2 && picture::IsDibDepth(header.biBitCount) &&
           (header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS) &&
           picture::BitFieldsFit(header.biCompression, header.biBitCount);
}

bool IsBetter(const BITMAPINFOHEADER& header, const IconChoice& best) {
    if (header.biWidth > best.width && header.biHeight > best.height) {
        return true;
    }
    return header.biWidth == best.width && header.biHeight == best.height &&
           header.biBitCount > best.bitCount;
}

} // namespace

void ImageImporter::ReadIco() {
    uint8_t directory[6];
    ReadExact(directory, sizeof directory);
    const WORD type = Le16(directory + 2);
    const WORD count = Le16(directory + 4);
    if (Le16(directory) != 0 || (type != 1 && type != 2) || count == 0) {
        throw BadFile;
    }

    IconChoice best;
    for (WORD i = 0; i < count; ++i) {
        uint8_t entry[kEntrySize];
        ReadExact(entry, sizeof entry);
        const DWORD next = m_file.GetPosition();
        const DWORD offset = Le32(entry + 12);
        m_file.Seek(static_cast<LONG>(offset), CFile::begin);
        BITMAPINFOHEADER header;
        ReadExact(&header, sizeof header);
        BITMAPINFOHEADER png;
        const bool isPng = ReadPngCandidate(reinterpret_cast<const uint8_t*>(&header), png);
        const bool qualifies = isPng ? entry[3] == 0 : Qualifies(entry, header);
        if (isPng) {
            header = png;
        }
        if (qualifies && IsBetter(header, best)) {
            best = IconChoice{header.biWidth, header.biHeight, header.biBitCount, offset, isPng};
        }
        m_file.Seek(static_cast<LONG>(next), CFile::begin);
    }
    if (best.offset == 0) {
        m_detail = "ICO/CUR without an image in a supported form";
        throw BadFile;
    }

    m_file.Seek(static_cast<LONG>(best.offset), CFile::begin);
    if (best.png) {
        ReadPng();
        return;
    }
    ReadExact(&m_header, sizeof m_header);
    if (m_header.biBitCount <= 8) {
        // A table shorter than the depth allows is as long as biClrUsed says; the pixels
        // follow it directly. Entries it does not give stay black.
        const DWORD depthEntries = 1u << m_header.biBitCount;
        const DWORD asked = m_header.biClrUsed;
        const DWORD entries = asked != 0 && asked < depthEntries ? asked : depthEntries;
        ReadExact(m_colours, static_cast<UINT>(sizeof(RGBQUAD) * entries));
    } else if (m_header.biCompression == BI_BITFIELDS) {
        ReadExact(m_colours, 3 * sizeof(DWORD));
    }

    // The stored height counts the AND mask too; only the colour image is read, so the
    // icon's transparency is not carried over.
    m_header.biHeight /= 2;
    const uint64_t stride =
        picture::RowStride(static_cast<uint64_t>(m_header.biWidth), m_header.biBitCount);
    uint64_t size = 0;
    if (__builtin_mul_overflow(stride, static_cast<uint64_t>(m_header.biHeight), &size) ||
        size > m_pixelLimit) {
        throw TooLarge;
    }
    // A colour image cut short by the end of the file fails as its read would, but before
    // allocating for it.
    const uint64_t length = m_file.GetLength();
    const uint64_t position = m_file.GetPosition();
    if (length < position || length - position < size) {
        AfxThrowFileException(CFileException::endOfFile, -1, m_fileName.c_str());
    }
    AllocatePixels(size, 1);
    m_header.biSizeImage = m_pixelSize;
    ReadExact(m_pixels, m_pixelSize);
}

// The directory header and the first entry, whose byte 3 (byte 9 of the file) is reserved.
bool ImageImporter::ProbeIco() {
    uint8_t head[6 + kEntrySize];
    if (m_file.Read(head, sizeof head) != sizeof head) {
        return false;
    }
    const WORD type = Le16(head + 2);
    return Le16(head) == 0 && (type == 1 || type == 2) && Le16(head + 4) != 0 && head[9] == 0;
}
