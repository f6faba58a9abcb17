#include "make/MotionJpegAviWriter.h"

#include "make/picture/JpegWriter.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

// The file as Begin lays it out, with the offsets Finish patches:
//
//   0    "RIFF" size "AVI "
//   12     "LIST" size "hdrl"
//   24       "avih" 56: microseconds per frame, ..., total frames (at 48), ...
//   88       "LIST" size "strl"
//   100        "strh" 56: "vids" "MJPG" ... scale, rate, start, length (at 140), buffer size
//   164        "strf" 40: the frame's BITMAPINFOHEADER, compression "MJPG"
//   212    "LIST" size "movi"      frames: "00dc" size JPEG [pad]
//          "idx1" size             16 bytes a frame: "00dc", flags, offset from "movi", size
namespace {
constexpr uint64_t kRiffSizeAt = 4;
constexpr uint64_t kAvihAt = 32; // data of "avih"
constexpr uint64_t kStrhAt = 108;
constexpr uint64_t kMoviSizeAt = 216;
constexpr uint64_t kHeaderBytes = 224; // up to and with the "movi" list type
constexpr uint32_t kHdrlBytes = 192;   // the "hdrl" list's size field
constexpr uint32_t kIndexEntryBytes = 16;
constexpr uint32_t kChunkHeaderBytes = 8;
constexpr uint32_t kHasIndex = 0x10; // avih flags: AVIF_HASINDEX
constexpr uint32_t kKeyFrame = 0x10; // idx1 flags: AVIIF_KEYFRAME
// Beyond the index that was not written yet: the 1 GiB bound holds for the whole file.
constexpr uint64_t kIndexHeaderBytes = 8;
// A clip longer than this (over nine hours at 30 frames a second) is refused frame by frame
// before its index could outgrow the file bound.
constexpr size_t kMaxFrames = 1u << 20;

void Put32(uint8_t* at, uint32_t v) {
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
    at[2] = static_cast<uint8_t>(v >> 16);
    at[3] = static_cast<uint8_t>(v >> 24);
}
void Put16(uint8_t* at, uint32_t v) {
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
}
void PutTag(uint8_t* at, const char* tag) {
    std::memcpy(at, tag, 4);
}

// The headers of a clip without frames; Finish fills in the counts and sizes.
void LayHeaders(uint8_t (&h)[kHeaderBytes], int width, int height, uint32_t rate, uint32_t scale) {
    std::memset(h, 0, sizeof h);
    PutTag(h + 0, "RIFF");
    PutTag(h + 8, "AVI ");
    PutTag(h + 12, "LIST");
    Put32(h + 16, kHdrlBytes);
    PutTag(h + 20, "hdrl");
    PutTag(h + 24, "avih");
    Put32(h + 28, 56);
    const uint64_t microseconds = uint64_t{scale} * 1000000u / rate;
    Put32(h + kAvihAt, static_cast<uint32_t>(
                           std::min<uint64_t>(microseconds, std::numeric_limits<uint32_t>::max())));
    Put32(h + kAvihAt + 12, kHasIndex);
    Put32(h + kAvihAt + 24, 1); // streams
    Put32(h + kAvihAt + 32, static_cast<uint32_t>(width));
    Put32(h + kAvihAt + 36, static_cast<uint32_t>(height));
    PutTag(h + 88, "LIST");
    Put32(h + 92, 4 + 8 + 56 + 8 + 40);
    PutTag(h + 96, "strl");
    PutTag(h + 100, "strh");
    Put32(h + 104, 56);
    PutTag(h + kStrhAt, "vids");
    PutTag(h + kStrhAt + 4, "MJPG");
    Put32(h + kStrhAt + 20, scale);
    Put32(h + kStrhAt + 24, rate);
    Put32(h + kStrhAt + 40, 0xFFFFFFFFu); // quality: the player's default
    Put16(h + kStrhAt + 52, static_cast<uint32_t>(width));
    Put16(h + kStrhAt + 54, static_cast<uint32_t>(height));
    PutTag(h + 164, "strf");
    Put32(h + 168, 40);
    uint8_t* bih = h + 172;
    Put32(bih, 40);
    Put32(bih + 4, static_cast<uint32_t>(width));
    Put32(bih + 8, static_cast<uint32_t>(height));
    Put16(bih + 12, 1);
    Put16(bih + 14, 24);
    PutTag(bih + 16, "MJPG");
    Put32(bih + 20, static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 3);
    PutTag(h + 212, "LIST");
    PutTag(h + 220, "movi");
}
} // namespace

bool FileAviSink::Write(const void* bytes, size_t size) {
    if (m_start < 0) {
        m_start = std::ftell(m_file);
        if (m_start < 0) {
            return false;
        }
    }
    return std::fwrite(bytes, 1, size, m_file) == size;
}

bool FileAviSink::Patch(uint64_t offset, const void* bytes, size_t size) {
    // The writer patches only below 1 GiB, which a long of the 32-bit build holds.
    if (m_start < 0 || offset > static_cast<uint64_t>(std::numeric_limits<long>::max() - m_start)) {
        return false;
    }
    const long end = std::ftell(m_file);
    return end >= 0 && std::fseek(m_file, static_cast<long>(m_start + offset), SEEK_SET) == 0 &&
           std::fwrite(bytes, 1, size, m_file) == size && std::fseek(m_file, end, SEEK_SET) == 0;
}

bool MemoryAviSink::Write(const void* data, size_t size) {
    try {
        const auto* b = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), b, b + size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool MemoryAviSink::Patch(uint64_t offset, const void* data, size_t size) {
    if (offset > bytes.size() || size > bytes.size() - offset) {
        return false;
    }
    std::memcpy(bytes.data() + offset, data, size);
    return true;
}

bool MotionJpegAviWriter::Put(const void* bytes, size_t size) {
    if (m_failed || !m_sink->Write(bytes, size)) {
        m_failed = true;
        return false;
    }
    m_written += size;
    return true;
}

bool MotionJpegAviWriter::PatchU32(uint64_t offset, uint32_t value) {
    uint8_t bytes[4];
    Put32(bytes, value);
    return m_sink->Patch(offset, bytes, sizeof bytes);
}

bool MotionJpegAviWriter::Begin(Sink& sink, int width, int height, uint32_t rate, uint32_t scale) {
    // 16-bit frame rectangle in the stream header; JPEG's own bound is 65,500.
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767 || rate == 0 || scale == 0) {
        return false;
    }
    m_sink = &sink;
    m_width = width;
    m_height = height;
    m_rate = rate;
    m_scale = scale;
    m_written = 0;
    m_limit = kMaxFileBytes;
    m_largestFrame = 0;
    m_lastFrameBytes = 0;
    m_failed = false;
    m_index.clear();
    uint8_t headers[kHeaderBytes];
    LayHeaders(headers, width, height, rate, scale);
    m_moviTypeAt = kHeaderBytes - 4;
    return Put(headers, sizeof headers);
}

bool MotionJpegAviWriter::AddEncoded(const uint8_t* jpeg, size_t size) {
    const uint64_t padded = uint64_t{size} + (size & 1);
    // The file with this chunk and every index entry, this one's too, must stay in bounds.
    const uint64_t after = m_written + kChunkHeaderBytes + padded + kIndexHeaderBytes +
                           uint64_t{kIndexEntryBytes} * (m_index.size() + 1);
    if (!m_sink || m_failed || m_index.size() >= kMaxFrames || after > m_limit) {
        return false;
    }
    try {
        m_index.reserve(m_index.size() + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const uint32_t offset = static_cast<uint32_t>(m_written - m_moviTypeAt);
    uint8_t header[kChunkHeaderBytes];
    PutTag(header, "00dc");
    Put32(header + 4, static_cast<uint32_t>(size));
    const uint8_t pad = 0;
    if (!Put(header, sizeof header) || (size && !Put(jpeg, size)) ||
        ((size & 1) && !Put(&pad, 1))) {
        return false;
    }
    m_index.push_back(IndexEntry{offset, static_cast<uint32_t>(size), size != 0});
    m_largestFrame = std::max(m_largestFrame, static_cast<uint32_t>(size));
    return true;
}

bool MotionJpegAviWriter::AddFrameRgb(const uint8_t* rgb, size_t stride, int quality) {
    const JpegRows rows{rgb, stride, m_width, m_height, JpegRows::kRgb};
    if (!m_sink || !EncodeJpegRows(rows, quality, m_jpeg)) {
        return false;
    }
    m_lastFrameBytes = m_jpeg.size();
    return AddEncoded(m_jpeg.data(), m_jpeg.size());
}

bool MotionJpegAviWriter::AddFrame(const RgbaImage& frame, int quality) {
    if (frame.width != m_width || frame.height != m_height ||
        frame.pixels.size() / 4 / static_cast<size_t>(m_width) < static_cast<size_t>(m_height)) {
        return false;
    }
    const JpegRows rows{frame.pixels.data(), static_cast<size_t>(m_width) * 4, m_width, m_height,
                        JpegRows::kRgbx};
    if (!m_sink || !EncodeJpegRows(rows, quality, m_jpeg)) {
        return false;
    }
    m_lastFrameBytes = m_jpeg.size();
    return AddEncoded(m_jpeg.data(), m_jpeg.size());
}

bool MotionJpegAviWriter::RepeatFrame() {
    // A repeat before any frame would show nothing.
    return !m_index.empty() && AddEncoded(nullptr, 0);
}

bool MotionJpegAviWriter::Finish() {
    if (!m_sink || m_failed) {
        return false;
    }
    const uint64_t moviEnd = m_written;
    uint8_t entry[kIndexEntryBytes];
    PutTag(entry, "idx1");
    Put32(entry + 4, static_cast<uint32_t>(m_index.size() * kIndexEntryBytes));
    if (!Put(entry, kIndexHeaderBytes)) {
        return false;
    }
    for (const IndexEntry& e : m_index) {
        PutTag(entry, "00dc");
        Put32(entry + 4, e.key ? kKeyFrame : 0);
        Put32(entry + 8, e.offset);
        Put32(entry + 12, e.size);
        if (!Put(entry, sizeof entry)) {
            return false;
        }
    }
    const uint32_t frames = static_cast<uint32_t>(m_index.size());
    const uint32_t buffer = m_largestFrame + kChunkHeaderBytes;
    const bool patched = PatchU32(kRiffSizeAt, static_cast<uint32_t>(m_written - 8)) &&
                         PatchU32(kMoviSizeAt, static_cast<uint32_t>(moviEnd - m_moviTypeAt)) &&
                         PatchU32(kAvihAt + 16, frames) && PatchU32(kAvihAt + 28, buffer) &&
                         PatchU32(kStrhAt + 32, frames) && PatchU32(kStrhAt + 36, buffer);
    m_failed = !patched;
    m_sink = nullptr;
    return patched;
}
