// Writes a Motion-JPEG AVI file as it goes: RIFF "AVI ", one video stream ("vids", handler and
// compression "MJPG"), every frame a baseline JPEG (4:2:0) in a "00dc" chunk, and an "idx1"
// index; no sound. The headers are written with placeholders at Begin and their counts and
// sizes patched at Finish, so the caller's frames pass through one at a time and a clip is
// never held whole. A plain RIFF AVI stays below 1 GiB; a frame that would pass that is
// refused and leaves the file as it was before it, still finishable.
#pragma once

#include "make/picture/RgbaImage.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

// Where the file goes: appended bytes, and a few bytes overwritten at an offset already
// written (the sizes and counts, at Finish).
class AviSink {
  public:
    virtual ~AviSink() = default;
    virtual bool Write(const void* bytes, size_t size) = 0;
    virtual bool Patch(uint64_t offset, const void* bytes, size_t size) = 0;
};

// A file opened for writing ("wb") by the caller, written from its current position on.
class FileAviSink : public AviSink {
  public:
    explicit FileAviSink(std::FILE* file) : m_file(file) {}
    bool Write(const void* bytes, size_t size) override;
    bool Patch(uint64_t offset, const void* bytes, size_t size) override;

  private:
    std::FILE* m_file;
    int64_t m_start = -1; // the file position of the AVI's first byte
};

class MemoryAviSink : public AviSink {
  public:
    bool Write(const void* bytes, size_t size) override;
    bool Patch(uint64_t offset, const void* bytes, size_t size) override;
    std::vector<uint8_t> bytes;
};

class MotionJpegAviWriter {
  public:
    using Sink = AviSink;
    // The largest file written: a RIFF size field is 32 bits, and players that read no
    // extended index stop at 1 GiB.
    static constexpr uint64_t kMaxFileBytes = uint64_t{1} << 30;

    // Starts the file: frames of width x height pixels shown at rate / scale frames per
    // second. False for a size a JPEG cannot hold, a zero rate or scale, or a failed write.
    bool Begin(Sink& sink, int width, int height, uint32_t rate, uint32_t scale);
    // Appends one frame of Begin's size, encoded at `quality` (1 to 100), which the caller
    // may change from frame to frame to meet a size.
    bool AddFrame(const RgbaImage& frame, int quality);
    // The same from packed rows of red, green, blue, top row first, `stride` bytes apart.
    bool AddFrameRgb(const uint8_t* rgb, size_t stride, int quality);
    // Shows the previous frame once more (an empty chunk): the frame of a variable-rate
    // source that lasts longer than one frame time. Costs 24 bytes.
    bool RepeatFrame();
    // Writes the index and patches the headers. The sink then holds a complete file.
    bool Finish();

    // A bound below kMaxFileBytes for this file (a project's budget for one face), set after
    // Begin; frames that would pass it are refused as the 1 GiB bound refuses them.
    void LimitFileBytes(uint64_t bytes) { m_limit = std::min(bytes, kMaxFileBytes); }

    uint64_t BytesWritten() const { return m_written; }
    uint32_t FrameCount() const { return static_cast<uint32_t>(m_index.size()); }
    // Bytes of the last frame's JPEG, for the caller's rate control.
    size_t LastFrameBytes() const { return m_lastFrameBytes; }

  private:
    struct IndexEntry {
        uint32_t offset; // of the chunk header, from the "movi" list type
        uint32_t size;
        bool key;
    };
    bool AddEncoded(const uint8_t* jpeg, size_t size);
    bool Put(const void* bytes, size_t size);
    bool PatchU32(uint64_t offset, uint32_t value);

    Sink* m_sink = nullptr;
    int m_width = 0, m_height = 0;
    uint32_t m_rate = 0, m_scale = 0;
    uint64_t m_written = 0;
    uint64_t m_limit = kMaxFileBytes;
    uint64_t m_moviTypeAt = 0; // offset of the "movi" list type
    uint32_t m_largestFrame = 0;
    size_t m_lastFrameBytes = 0;
    bool m_failed = false;
    std::vector<IndexEntry> m_index;
    std::vector<uint8_t> m_jpeg; // the frame being written, kept for its capacity
};
