#include "import/ImageImporter.h"

#include "import/ColourProfile.h"
#include "import/PictureFile.h"
#include "import/PictureLimits.h"

#include <cstdlib>
#include <cstring>
#include <new>

ImageImporter::ImageImporter() = default;

ImageImporter::~ImageImporter() {
    Close();
}

void ImageImporter::Close() {
    m_file = ByteReader();
    m_held = std::vector<uint8_t>();
    m_open = false;
    m_tooLarge = false;
    m_format = None;
    FreePixels();
}

void ImageImporter::FreePixels() {
    std::free(m_pixels);
    m_pixels = nullptr;
    m_pixelSize = 0;
}

bool ImageImporter::Open(const char* fileName) {
    Close();
    const PictureFileRead read = ReadPictureFile(fileName, picture::kMaxPictureFileBytes, m_held);
    if (read != PictureFileRead::kOk) {
        m_tooLarge = read == PictureFileRead::kTooLarge;
        return false;
    }
    m_file = ByteReader(m_held);
    m_open = true;
    m_fileName = fileName;
    return true;
}

bool ImageImporter::Open(std::span<const uint8_t> bytes) {
    Close();
    m_file = ByteReader(bytes);
    m_open = true;
    m_fileName = "picture";
    return true;
}

int ImageImporter::Identify(const char* fileName) {
    return Open(fileName) ? IdentifyOpened() : None;
}

int ImageImporter::Identify(std::span<const uint8_t> bytes) {
    return Open(bytes) ? IdentifyOpened() : None;
}

int ImageImporter::IdentifyOpened() {
    // A file that passes several probes is taken for the first.
    for (const FormatEntry& entry : Formats()) {
        bool matched = false;
        try {
            matched = (this->*entry.probe)();
        } catch (...) {
            matched = false;
        }
        try {
            m_file.SeekToBegin();
        } catch (...) {
            Close();
            return None;
        }
        if (matched) {
            m_format = entry.format;
            return m_format;
        }
    }
    m_format = Unknown;
    return m_format;
}

ImageImporter::Error ImageImporter::Decode() {
    Error result = Ok;
    try {
        Dispatch();
    } catch (const CMemoryException&) {
        result = NoMemory;
    } catch (const std::bad_alloc&) {
        result = NoMemory;
    } catch (const CException&) {
        result = Failed;
    } catch (Error error) {
        result = error;
    } catch (...) {
        result = Failed;
    }
    if (result != Ok) {
        FreePixels();
    }
    return result;
}

void ImageImporter::Dispatch() {
    m_header = {};
    std::memset(m_colours, 0, sizeof m_colours);
    m_detail = nullptr;
    m_iccProfile.clear();
    FreePixels();
    const FormatEntry* entry = FindFormat(m_format);
    if (!m_open || !entry) {
        throw BadFile;
    }
    (this->*entry->read)();
    // Every reader hands on the colours its file stores; only here do they become sRGB.
    picture::ConvertToSrgb(*this);
}

DWORD ImageImporter::GetInfoSize() const {
    if (m_header.biCompression == BI_BITFIELDS) {
        return sizeof(BITMAPINFOHEADER) + 3 * sizeof(DWORD);
    }
    if (m_header.biBitCount <= 8) {
        return sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * (1u << m_header.biBitCount);
    }
    return sizeof(BITMAPINFOHEADER);
}

void ImageImporter::GetInfo(BITMAPINFOHEADER* target) const {
    BITMAPINFOHEADER header = m_header;
    header.biSize = sizeof(BITMAPINFOHEADER);
    uint8_t* table = reinterpret_cast<uint8_t*>(target) + sizeof(BITMAPINFOHEADER);
    if (header.biCompression == BI_BITFIELDS) {
        // The three masks arrived in the first three colour entries.
        header.biClrUsed = header.biClrImportant = 0;
        std::memcpy(table, m_colours, 3 * sizeof(DWORD));
    } else if (header.biBitCount <= 8) {
        // Always the full 2^depth entries, so that any pixel value indexes the table.
        header.biClrUsed = 1u << header.biBitCount;
        if (header.biClrImportant > header.biClrUsed) {
            header.biClrImportant = header.biClrUsed;
        }
        std::memcpy(table, m_colours, sizeof(RGBQUAD) * header.biClrUsed);
    } else {
        header.biClrUsed = header.biClrImportant = 0;
    }
    std::memcpy(target, &header, sizeof header);
}

void ImageImporter::ReadExact(void* buffer, UINT count) {
    if (m_file.Read(buffer, count) != count) {
        AfxThrowFileException(CFileException::endOfFile, -1, m_fileName.c_str());
    }
}

ImageImporter::Error ImageImporter::TryAllocatePixels(uint64_t stride, uint64_t rows) noexcept {
    FreePixels();
    uint64_t size = 0;
    if (__builtin_mul_overflow(stride, rows, &size) || size > m_pixelLimit || size > SIZE_MAX) {
        return TooLarge;
    }
    // Zeroed, so that rows a short stream leaves unwritten and bytes a library leaves
    // alone are the same on every run.
    m_pixels = static_cast<uint8_t*>(std::calloc(size ? size : 1, 1));
    if (!m_pixels) {
        return NoMemory;
    }
    m_pixelSize = static_cast<DWORD>(size);
    return Ok;
}

void ImageImporter::AllocatePixels(uint64_t stride, uint64_t rows) {
    const Error result = TryAllocatePixels(stride, rows);
    if (result == NoMemory) {
        AfxThrowMemoryException();
    }
    if (result != Ok) {
        throw result;
    }
}

namespace picture {

void SetHeader(BITMAPINFOHEADER& header, LONG width, LONG height, WORD bitCount) {
    header = {};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = BI_RGB;
    header.biXPelsPerMeter = kDefaultPelsPerMeter;
    header.biYPelsPerMeter = kDefaultPelsPerMeter;
}

void SetGreyRamp(RGBQUAD* colours, BITMAPINFOHEADER& header) {
    for (int i = 0; i < 256; ++i) {
        const BYTE level = static_cast<BYTE>(i);
        colours[i] = RGBQUAD{level, level, level, 0};
    }
    header.biClrUsed = 256;
}

} // namespace picture
