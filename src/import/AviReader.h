// A small reader of AVI files (RIFF "AVI "): the first video stream, uncompressed frames of
// 8 (with colour table), 16 (5-5-5), 24 or 32 bits per pixel, or Motion-JPEG frames decoded
// to 32 bits per pixel, delivered as packed pictures.
// It stands in for the system's video library where there is none (the native build and the
// tools), through the same eight entry points. Every size in the file is checked against the
// file and against the chunk that holds it, so a hostile file gives an error, never a read
// outside a buffer.
#pragma once

#include "import/MotionJpegFrame.h"
#include "import/VideoPicture.h"

#include <cstdint>
#include <span>
#include <vector>

enum class AviStatus {
    kOk,
    kCannotOpen,    // the file cannot be opened for reading
    kNotAvi,        // no RIFF "AVI " header
    kNoMainHeader,  // no main header, or one that counts no streams
    kNoVideoStream, // no stream header of type "vids" with its format
    kCompressed,    // frames are compressed other than as Motion-JPEG
    kBadFormat,     // depth other than 8, 16, 24, 32 or a width/height out of range
    kNoFrames,      // no frame chunk of the video stream
};
const char* AviStatusText(AviStatus status);

class AviVideo {
  public:
    AviVideo() = default;
    ~AviVideo();
    AviVideo(const AviVideo&) = delete;
    AviVideo& operator=(const AviVideo&) = delete;

    AviStatus Open(const char* fileName);
    // The same for a file's bytes, which must outlive the video.
    AviStatus Open(std::span<const uint8_t> bytes);

    const AviStreamInfo& Info() const { return m_info; }
    // The stream's format as the file gives it (compression, depth, width, height).
    const BITMAPINFOHEADER& Format() const { return m_format; }
    uint32_t FrameCount() const { return static_cast<uint32_t>(m_frames.size()); }
    // True when the frames are Motion-JPEG (compression "MJPG" or one of its aliases).
    bool IsMotionJpeg() const { return m_motionJpeg; }
    // Motion-JPEG frames are decoded at 1/denominator of their size (1, 2, 4 or 8), which
    // the library does at a fraction of the cost; other frames keep their size. Changes
    // PackedSize.
    void SetDecodeScale(int denominator);
    // Bytes of the packed picture of one frame: header, colour table, pixel rows.
    size_t PackedSize() const { return m_packedSize; }
    // Reads frame `index` into `picture` (PackedSize bytes); false when there is no such
    // frame, its chunk is too short or its JPEG is damaged (the picture may then hold part
    // of it).
    bool ReadFrame(int32_t index, std::vector<BYTE>& picture);

    // Streams are shared by the frame getters made from them.
    long m_refCount = 1;

  private:
    struct FrameChunk {
        uint32_t offset; // of the pixel data
        uint32_t size;
    };
    struct Range {
        uint64_t begin, end;
    };
    AviStatus Parse();
    bool ReadAt(uint64_t offset, void* buffer, uint32_t bytes) const;
    template <typename Visit> void ForEachChunk(Range range, Visit visit) const;
    void ReadStreamList(Range strl, int streamNumber);
    void IndexFrames(Range movi, int depth);
    AviStatus CheckFormat();
    void SetPackedSize();
    BITMAPINFOHEADER FrameHeader() const;
    bool ReadMotionJpeg(const FrameChunk& chunk, BYTE* pixels);

    // The file, or its bytes when there is no handle.
    HANDLE m_file = INVALID_HANDLE_VALUE;
    std::span<const uint8_t> m_bytes;
    uint64_t m_fileSize = 0;
    AviStreamInfo m_info{};
    BITMAPINFOHEADER m_format{};
    RGBQUAD m_colours[256]{};
    int m_videoStream = -1; // number of the first video stream, -1 while none seen
    bool m_haveFormat = false;
    DWORD m_chunkIdDb = 0, m_chunkIdDc = 0; // "NNdb" and "NNdc" of the video stream
    std::vector<FrameChunk> m_frames;
    size_t m_packedSize = 0;
    uint32_t m_stride = 0;
    bool m_motionJpeg = false;
    int m_scale = 1;
    MotionJpegFrame m_jpeg;
    std::vector<uint8_t> m_chunk; // a Motion-JPEG frame read from a file, kept for its capacity
};

// True when the file is an AVI whose first video stream is Motion-JPEG that our reader
// plays: read from its headers and its frame index, no frame decoded.
bool IsMotionJpegAvi(const char* fileName);

// True when the file is an AVI file with a main header and a video stream, whatever its
// frame format: the structure any video library needs before it can do more.
bool HasAviVideoStructure(const char* fileName);
bool HasAviVideoStructure(std::span<const uint8_t> bytes);

// The eight entry points backed by AviVideo.
const VideoEntryPoints& AviReaderEntryPoints();
