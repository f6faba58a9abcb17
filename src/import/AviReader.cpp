#include "import/AviReader.h"

#include "platform/FileNames.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>

namespace {
constexpr DWORD FourCC(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<BYTE>(a)) |
           static_cast<DWORD>(static_cast<BYTE>(b)) << 8 |
           static_cast<DWORD>(static_cast<BYTE>(c)) << 16 |
           static_cast<DWORD>(static_cast<BYTE>(d)) << 24;
}
constexpr DWORD kRiff = FourCC('R', 'I', 'F', 'F');
constexpr DWORD kAvi = FourCC('A', 'V', 'I', ' ');
constexpr DWORD kList = FourCC('L', 'I', 'S', 'T');
constexpr DWORD kHdrl = FourCC('h', 'd', 'r', 'l');
constexpr DWORD kAvih = FourCC('a', 'v', 'i', 'h');
constexpr DWORD kStrl = FourCC('s', 't', 'r', 'l');
constexpr DWORD kStrh = FourCC('s', 't', 'r', 'h');
constexpr DWORD kStrf = FourCC('s', 't', 'r', 'f');
constexpr DWORD kMovi = FourCC('m', 'o', 'v', 'i');
constexpr DWORD kRec = FourCC('r', 'e', 'c', ' ');
constexpr DWORD kDibFourCC = FourCC('D', 'I', 'B', ' ');

// The compressions under which AVI writers store Motion-JPEG: every frame a JPEG image.
constexpr DWORD kMotionJpegFourCCs[] = {
    FourCC('M', 'J', 'P', 'G'), FourCC('m', 'j', 'p', 'g'), FourCC('A', 'V', 'R', 'n'),
    FourCC('d', 'm', 'b', '1'), FourCC('J', 'P', 'G', 'L'), FourCC('j', 'p', 'g', 'l'),
};
bool IsMotionJpegFourCC(DWORD compression) {
    return std::find(std::begin(kMotionJpegFourCCs), std::end(kMotionJpegFourCCs), compression) !=
           std::end(kMotionJpegFourCCs);
}

// Limits that keep a hostile header from asking for absurd work or memory.
constexpr LONG kMaxDimension = 8192;
constexpr uint64_t kMaxFrameBytes = 64u << 20;
constexpr size_t kMaxFrames = 1u << 20;
constexpr size_t kMaxChunksVisited = 4u << 20;
// Frame chunk ids name their stream in two decimal digits ("00db" to "99db").
constexpr int kMaxStreams = 100;
// Frame chunks are found by 32-bit positions: a file is read no further than that.
constexpr uint64_t kMaxFileReach = std::numeric_limits<uint32_t>::max();

// The file's first twelve bytes: "RIFF", the size of what follows the size field, "AVI ".
struct RiffHeader {
    DWORD id;
    DWORD size;
    DWORD form;
};
static_assert(sizeof(RiffHeader) == 12);
// The size field counts from its own end, 8 bytes into the file.
constexpr uint64_t kRiffSizeFrom = 8;

// A "LIST" chunk's data opens with the list's type; its member chunks follow.
constexpr uint32_t kListTypeBytes = 4;

// The main header ("avih", 56 bytes) counts the file's streams in its seventh field.
constexpr uint64_t kMainHeaderBytes = 56;
constexpr uint64_t kMainHeaderStreamsAt = 24;

// The stream header as stored in "strh" (56 bytes, little-endian).
struct StreamHeader {
    DWORD fccType, fccHandler, dwFlags;
    WORD wPriority, wLanguage;
    DWORD dwInitialFrames, dwScale, dwRate, dwStart, dwLength, dwSuggestedBufferSize, dwQuality,
        dwSampleSize;
    int16_t left, top, right, bottom;
};
static_assert(sizeof(StreamHeader) == 56);

struct ChunkHeader {
    DWORD id;
    DWORD size; // of the data, which is padded to an even length
};
static_assert(sizeof(ChunkHeader) == 8);
} // namespace

const char* AviStatusText(AviStatus status) {
    switch (status) {
    case AviStatus::kOk:
        return "video the saver plays itself";
    case AviStatus::kCannotOpen:
        return "the file cannot be opened";
    case AviStatus::kNotAvi:
        return "not an AVI file";
    case AviStatus::kNoMainHeader:
        return "no main header counting its streams";
    case AviStatus::kNoVideoStream:
        return "no video stream";
    case AviStatus::kCompressed:
        return "compressed video frames";
    case AviStatus::kBadFormat:
        return "unsupported frame format";
    case AviStatus::kNoFrames:
        return "no frames";
    }
    return "unknown";
}

AviVideo::~AviVideo() {
    if (m_file != INVALID_HANDLE_VALUE) {
        CloseHandle(m_file);
    }
}

bool AviVideo::ReadAt(uint64_t offset, void* buffer, uint32_t bytes) const {
    if (offset > m_fileSize || bytes > m_fileSize - offset) {
        return false;
    }
    if (m_file == INVALID_HANDLE_VALUE) {
        std::memcpy(buffer, m_bytes.data() + offset, bytes);
        return true;
    }
    LONG high = static_cast<LONG>(offset >> 32);
    // A position whose low half is 0xFFFFFFFF is told from a failure by the error code.
    SetLastError(ERROR_SUCCESS);
    if (SetFilePointer(m_file, static_cast<LONG>(static_cast<DWORD>(offset)), &high, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER &&
        GetLastError() != ERROR_SUCCESS) {
        return false;
    }
    DWORD read = 0;
    return ReadFile(m_file, buffer, bytes, &read, nullptr) && read == bytes;
}

// Calls visit(header, dataRange) for each chunk whose header lies inside `range`. A chunk's
// data is clipped to the range, so a size field that runs past its parent (or the file)
// cannot carry a reader outside it. Sizes are padded to even numbers.
template <typename Visit> void AviVideo::ForEachChunk(Range range, Visit visit) const {
    uint64_t pos = range.begin;
    for (size_t visited = 0;
         visited < kMaxChunksVisited && pos < range.end && range.end - pos >= sizeof(ChunkHeader);
         ++visited) {
        ChunkHeader h;
        if (!ReadAt(pos, &h, sizeof h)) {
            return;
        }
        const uint64_t dataBegin = pos + sizeof h;
        const Range data{dataBegin, std::min<uint64_t>(dataBegin + h.size, range.end)};
        if (!visit(h, data)) {
            return;
        }
        pos = dataBegin + h.size + (h.size & 1);
    }
}

void AviVideo::ReadStreamList(Range strl, int streamNumber) {
    StreamHeader sh{};
    bool haveHeader = false;
    ForEachChunk(strl, [&](const ChunkHeader& h, Range data) {
        if (h.id == kStrh && data.end - data.begin >= sizeof sh) {
            haveHeader = ReadAt(data.begin, &sh, sizeof sh) && sh.fccType == kStreamTypeVideo;
        } else if (h.id == kStrf && haveHeader && data.end - data.begin >= sizeof m_format) {
            if (!ReadAt(data.begin, &m_format, sizeof m_format)) {
                return false;
            }
            // The colour table follows the header, which may be longer than ours.
            const uint64_t tableBegin =
                data.begin + std::max<DWORD>(m_format.biSize, sizeof(BITMAPINFOHEADER));
            if (tableBegin < data.end) {
                const uint64_t entries = std::min<uint64_t>(
                    (data.end - tableBegin) / sizeof(RGBQUAD), std::size(m_colours));
                ReadAt(tableBegin, m_colours, static_cast<uint32_t>(entries * sizeof(RGBQUAD)));
            }
            m_haveFormat = true;
        }
        return true;
    });
    if (!haveHeader || !m_haveFormat) {
        return;
    }
    m_videoStream = streamNumber;
    m_info.fccType = sh.fccType;
    m_info.fccHandler = sh.fccHandler;
    m_info.dwFlags = sh.dwFlags;
    m_info.wPriority = sh.wPriority;
    m_info.wLanguage = sh.wLanguage;
    m_info.dwScale = sh.dwScale;
    m_info.dwRate = sh.dwRate;
    m_info.dwStart = sh.dwStart;
    m_info.dwInitialFrames = sh.dwInitialFrames;
    m_info.dwSuggestedBufferSize = sh.dwSuggestedBufferSize;
    m_info.dwQuality = sh.dwQuality;
    m_info.dwSampleSize = sh.dwSampleSize;
    m_info.rcFrame = RECT{sh.left, sh.top, sh.right, sh.bottom};
    const char digits[2] = {static_cast<char>('0' + streamNumber / 10),
                            static_cast<char>('0' + streamNumber % 10)};
    m_chunkIdDb = FourCC(digits[0], digits[1], 'd', 'b');
    m_chunkIdDc = FourCC(digits[0], digits[1], 'd', 'c');
}

// Frame chunks sit in "movi", possibly grouped in "rec " lists. A chunk of size 0 repeats
// the frame before it.
void AviVideo::IndexFrames(Range movi, int depth) {
    ForEachChunk(movi, [&](const ChunkHeader& h, Range data) {
        if (m_frames.size() >= kMaxFrames) {
            return false;
        }
        if (h.id == kList && depth == 0 && data.end - data.begin >= kListTypeBytes) {
            DWORD type = 0;
            if (ReadAt(data.begin, &type, kListTypeBytes) && type == kRec) {
                IndexFrames(Range{data.begin + kListTypeBytes, data.end}, depth + 1);
            }
        } else if (h.id == m_chunkIdDb || h.id == m_chunkIdDc) {
            const uint32_t size = static_cast<uint32_t>(data.end - data.begin);
            if (size == 0 && !m_frames.empty()) {
                m_frames.push_back(m_frames.back());
            } else {
                m_frames.push_back(FrameChunk{static_cast<uint32_t>(data.begin), size});
            }
        }
        return true;
    });
}

AviStatus AviVideo::CheckFormat() {
    const BITMAPINFOHEADER& f = m_format;
    m_motionJpeg = IsMotionJpegFourCC(f.biCompression);
    if (!m_motionJpeg && f.biCompression != BI_RGB && f.biCompression != kDibFourCC) {
        return AviStatus::kCompressed;
    }
    if (!m_motionJpeg && f.biBitCount != 8 && f.biBitCount != 16 && f.biBitCount != 24 &&
        f.biBitCount != 32) {
        return AviStatus::kBadFormat;
    }
    if (f.biWidth <= 0 || f.biWidth > kMaxDimension || f.biHeight == 0 ||
        f.biHeight < -kMaxDimension || f.biHeight > kMaxDimension) {
        return AviStatus::kBadFormat;
    }
    SetPackedSize();
    if (m_packedSize == 0) {
        return AviStatus::kBadFormat;
    }
    if (f.biBitCount == 8 && !m_motionJpeg) {
        // A file without a colour table gets a grey ramp rather than black.
        bool anyColour = false;
        for (const RGBQUAD& c : m_colours) {
            anyColour |= c.rgbRed || c.rgbGreen || c.rgbBlue;
        }
        for (size_t i = 0; i < std::size(m_colours) && !anyColour; ++i) {
            m_colours[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        }
    }
    return AviStatus::kOk;
}

// The frame as delivered: the stream's own depth, or 32 bits for decoded JPEG, whose rows
// are 4-byte aligned whatever the width.
BITMAPINFOHEADER AviVideo::FrameHeader() const {
    const uint32_t rows = static_cast<uint32_t>(std::abs(m_format.biHeight));
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = m_format.biWidth;
    header.biHeight = static_cast<LONG>(rows);
    header.biPlanes = 1;
    header.biBitCount = m_format.biBitCount;
    header.biCompression = BI_RGB;
    header.biXPelsPerMeter = m_format.biXPelsPerMeter;
    header.biYPelsPerMeter = m_format.biYPelsPerMeter;
    if (m_motionJpeg) {
        header.biWidth = static_cast<LONG>(
            MotionJpegFrame::ScaledSide(static_cast<uint32_t>(m_format.biWidth), m_scale));
        header.biHeight = static_cast<LONG>(MotionJpegFrame::ScaledSide(rows, m_scale));
        header.biBitCount = 32;
    }
    header.biSizeImage = m_stride * static_cast<uint32_t>(header.biHeight);
    return header;
}

// Sets the stride and the packed size of a frame, or a packed size of 0 beyond the limits.
void AviVideo::SetPackedSize() {
    m_packedSize = 0;
    const BITMAPINFOHEADER header = FrameHeader();
    m_stride = ((static_cast<uint32_t>(header.biWidth) * header.biBitCount + 31) / 32) * 4;
    const uint64_t imageBytes = uint64_t{m_stride} * static_cast<uint32_t>(header.biHeight);
    if (imageBytes > kMaxFrameBytes) {
        return;
    }
    m_packedSize = sizeof(BITMAPINFOHEADER) + (header.biBitCount == 8 ? sizeof m_colours : 0) +
                   static_cast<size_t>(imageBytes);
}

void AviVideo::SetDecodeScale(int denominator) {
    if (!m_motionJpeg || m_packedSize == 0) {
        return;
    }
    m_scale = denominator == 2 || denominator == 4 || denominator == 8 ? denominator : 1;
    SetPackedSize();
}

AviStatus AviVideo::Open(const char* fileName) {
    m_file = names::Open(fileName, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (m_file == INVALID_HANDLE_VALUE) {
        return AviStatus::kCannotOpen;
    }
    DWORD high = 0;
    const DWORD low = GetFileSize(m_file, &high);
    m_fileSize = high ? kMaxFileReach : low;
    return Parse();
}

AviStatus AviVideo::Open(std::span<const uint8_t> bytes) {
    m_bytes = bytes;
    m_fileSize = std::min<uint64_t>(bytes.size(), kMaxFileReach);
    return Parse();
}

AviStatus AviVideo::Parse() {
    RiffHeader riff;
    if (!ReadAt(0, &riff, sizeof riff) || riff.id != kRiff || riff.form != kAvi) {
        return AviStatus::kNotAvi;
    }
    const Range body{sizeof riff, std::min<uint64_t>(kRiffSizeFrom + riff.size, m_fileSize)};

    Range movi{0, 0};
    bool haveMainHeader = false;
    ForEachChunk(body, [&](const ChunkHeader& h, Range data) {
        DWORD type = 0;
        if (h.id != kList || data.end - data.begin < kListTypeBytes ||
            !ReadAt(data.begin, &type, kListTypeBytes)) {
            return true;
        }
        const Range inner{data.begin + kListTypeBytes, data.end};
        if (type == kHdrl) {
            int streamNumber = 0;
            ForEachChunk(inner, [&](const ChunkHeader& s, Range sdata) {
                DWORD stype = 0;
                // The system's library trips over files whose main header claims no
                // streams, so they are refused here too.
                if (s.id == kAvih && sdata.end - sdata.begin >= kMainHeaderBytes) {
                    haveMainHeader =
                        ReadAt(sdata.begin + kMainHeaderStreamsAt, &stype, sizeof stype) &&
                        stype > 0;
                }
                if (s.id != kList || sdata.end - sdata.begin < kListTypeBytes ||
                    !ReadAt(sdata.begin, &stype, kListTypeBytes) || stype != kStrl) {
                    return true;
                }
                if (m_videoStream < 0 && streamNumber < kMaxStreams) {
                    ReadStreamList(Range{sdata.begin + kListTypeBytes, sdata.end}, streamNumber);
                }
                ++streamNumber;
                return true;
            });
        } else if (type == kMovi && movi.end == 0) {
            movi = inner;
        }
        return true;
    });
    if (!haveMainHeader) {
        return AviStatus::kNoMainHeader;
    }
    if (m_videoStream < 0) {
        return AviStatus::kNoVideoStream;
    }
    const AviStatus format = CheckFormat();
    if (format != AviStatus::kOk) {
        return format;
    }
    IndexFrames(movi, 0);
    if (m_frames.empty()) {
        return AviStatus::kNoFrames;
    }
    // The loop length is the number of frames actually present.
    m_info.dwLength = FrameCount();
    return AviStatus::kOk;
}

namespace {
bool IsVideoStructure(AviStatus status) {
    switch (status) {
    case AviStatus::kCannotOpen:
    case AviStatus::kNotAvi:
    case AviStatus::kNoMainHeader:
    case AviStatus::kNoVideoStream:
        return false;
    default:
        return true;
    }
}
} // namespace

bool HasAviVideoStructure(const char* fileName) {
    AviVideo video;
    return IsVideoStructure(video.Open(fileName));
}

bool HasAviVideoStructure(std::span<const uint8_t> bytes) {
    AviVideo video;
    return IsVideoStructure(video.Open(bytes));
}

bool IsMotionJpegAvi(const char* fileName) {
    AviVideo video;
    return video.Open(fileName) == AviStatus::kOk && video.IsMotionJpeg();
}

bool AviVideo::ReadMotionJpeg(const FrameChunk& chunk, BYTE* pixels) {
    std::span<const uint8_t> jpeg;
    if (m_file == INVALID_HANDLE_VALUE) {
        if (uint64_t{chunk.offset} + chunk.size > m_fileSize) {
            return false;
        }
        jpeg = m_bytes.subspan(chunk.offset, chunk.size);
    } else {
        // A chunk is at most the file; it grows the buffer only beyond the largest so far.
        if (chunk.size > kMaxFrameBytes) {
            return false;
        }
        try {
            m_chunk.resize(chunk.size);
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!ReadAt(chunk.offset, m_chunk.data(), chunk.size)) {
            return false;
        }
        jpeg = m_chunk;
    }
    const BITMAPINFOHEADER header = FrameHeader();
    return m_jpeg.Decode(jpeg, m_scale, static_cast<uint32_t>(header.biWidth),
                         static_cast<uint32_t>(header.biHeight), pixels, m_stride);
}

bool AviVideo::ReadFrame(int32_t index, std::vector<BYTE>& picture) {
    if (index < 0 || static_cast<size_t>(index) >= m_frames.size() || m_packedSize == 0 ||
        picture.size() < m_packedSize) {
        return false;
    }
    const FrameChunk& chunk = m_frames[static_cast<size_t>(index)];
    const BITMAPINFOHEADER header = FrameHeader();
    const uint32_t rows = static_cast<uint32_t>(header.biHeight);
    std::memcpy(picture.data(), &header, sizeof header);
    size_t pixelsAt = sizeof header;
    if (header.biBitCount == 8) {
        std::memcpy(picture.data() + pixelsAt, m_colours, sizeof m_colours);
        pixelsAt += sizeof m_colours;
    }
    BYTE* pixels = picture.data() + pixelsAt;
    if (m_motionJpeg) {
        return ReadMotionJpeg(chunk, pixels);
    }
    const uint32_t rowBytes = static_cast<uint32_t>(m_format.biWidth) * m_format.biBitCount / 8;
    if (chunk.size >= header.biSizeImage) {
        if (!ReadAt(chunk.offset, pixels, header.biSizeImage)) {
            return false;
        }
    } else if (chunk.size >= rowBytes * rows) {
        // Some writers leave the rows unpadded: spread them out to 4-byte strides.
        if (!ReadAt(chunk.offset, pixels, rowBytes * rows)) {
            return false;
        }
        for (uint32_t r = rows; r-- > 0;) {
            std::memmove(pixels + r * m_stride, pixels + r * rowBytes, rowBytes);
            std::memset(pixels + r * m_stride + rowBytes, 0, m_stride - rowBytes);
        }
    } else {
        return false;
    }
    if (m_format.biHeight < 0) { // stored top row first: turn it into bottom row first
        // Swapped in place: frames are read while the scene draws, which allocates nothing.
        for (uint32_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
            std::swap_ranges(pixels + top * m_stride, pixels + (top + 1) * m_stride,
                             pixels + bottom * m_stride);
        }
    }
    return true;
}
