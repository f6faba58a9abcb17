// The frames of an animated GIF, composed one after another onto a canvas the size of the
// logical screen: each frame at its position, with its own colour table and transparent
// colour, and the disposal its graphic control extension asks for once it has been shown.
//
// Memory: the file's bytes, an index entry per frame, the canvas (4 bytes per screen
// pixel) and, only when some frame restores the previous picture, a second canvas for
// the part it covers. All of it is allocated by Load; showing frames allocates nothing.
// Frames are decoded when they are shown, never kept.
//
// Work: a frame is clipped to the logical screen before it is decoded. Its codes must
// still be decoded in storage order up to the last row that can be seen, but decoding
// stops there, and at picture::kMaxGifFrameValues values in any case, so no frame costs
// more than a bounded number of values whatever its stated size. Advance works in steps
// of a given size, so that a caller that must not wait (the saver's frame) spreads a long
// way through the frames over several calls.
#pragma once

#include "import/GifDecoder.h"
#include "import/GifRowOrder.h"
#include "import/PixelLayouts.h"
#include "platform/Win32.h"

#include <cstdint>
#include <vector>

// What Load accepts; beyond any of these the file is not animated (its first frame can
// still be imported as a still picture).
struct GifAnimationLimits {
    uint64_t maxFileBytes = uint64_t{32} << 20;
    // 4 Mpixels: 16 MiB per canvas.
    uint64_t maxScreenPixels = uint64_t{1} << 22;
    uint32_t maxFrames = 100000;
};

class GifAnimation {
  public:
    // A clear canvas pixel (pixel::canvas).
    static constexpr uint32_t kClear = pixel::canvas::kClear;

    // Indexes the frames of a whole GIF file and allocates the canvases. False (and
    // nothing kept) when the bytes are no GIF, hold no frame, exceed a limit or memory
    // runs out. A file cut short keeps the frames before the cut. Never throws.
    bool Load(std::vector<uint8_t> file, const GifAnimationLimits& limits = {});

    uint32_t FrameCount() const { return static_cast<uint32_t>(m_frames.size()); }
    // How often the frames play: 0 for ever (a loop count of 0, or no loop extension),
    // else the loop count plus the first play.
    uint32_t PlayCount() const { return m_playCount; }
    // Milliseconds one play lasts.
    uint64_t PlayLength() const { return m_frames.empty() ? 0 : m_frames.back().end; }
    // The frame shown `elapsed` milliseconds after the first frame appeared; the last
    // frame stays once every play is over.
    uint32_t FrameAt(uint64_t elapsed) const;

    // Makes the canvas show frame `index` (clamped to the last) composed over the frames
    // before it, continuing from the frame shown or starting again from the first.
    // Never throws: a frame whose code stream breaks shows what was decoded before the
    // break, the same on every play.
    void ShowFrame(uint32_t index);
    // ShowFrame in steps: does at most about `work` units of decoding (a value or a code
    // each) towards frame `index` and returns true once the canvas shows it. Between
    // calls the canvas holds whatever has been drawn so far; the same index continues
    // where the last call stopped.
    bool AdvanceTowards(uint32_t index, uint64_t work);
    // The frame the canvas shows, or -1 before the first ShowFrame.
    int64_t ShownFrame() const { return m_shown; }

    // The canvas as a packed picture: a 32-bit header and the rows, bottom row first.
    // Null before a successful Load.
    const BITMAPINFOHEADER* Picture() const;

  private:
    struct Frame {
        uint64_t end = 0;       // milliseconds into a play at which the frame gives way
        uint32_t data = 0;      // offset of the LZW minimum code size
        uint32_t dataEnd = 0;   // offset just past the block terminator
        uint32_t palette = 0;   // offset of the colour table in force, 0 for none
        uint32_t decodable = 0; // pixel values that decode before a broken stream
        uint16_t colours = 0;
        uint16_t left = 0, top = 0, width = 0, height = 0;
        int16_t transparent = -1;
        uint8_t disposal = 0;
        bool interlaced = false;
    };
    struct Area {
        uint32_t left = 0, right = 0, top = 0, bottom = 0;
    };
    struct Parser;

    // Where the decoding of the frame being drawn stands.
    struct Drawing {
        int64_t frame = -1; // -1 between frames
        uint32_t row = 0, column = 0;
        uint32_t decoded = 0;    // values so far
        uint32_t valueLimit = 0; // values after which nothing more can be seen
        uint32_t rowsLeft = 0;   // rows on the screen not yet finished
        picture::GifRowOrder order{0, false};
    };

    void Restart();
    void BeginFrame();
    bool ContinueFrame(uint64_t& work);
    void Dispose(const Frame& frame);
    void SaveArea(const Frame& frame);
    void Fill(const Frame& frame, uint32_t value);
    Area Clip(const Frame& frame) const;
    uint32_t* Row(uint32_t y) { return m_canvas + size_t{m_height - 1 - y} * m_width; }

    std::vector<uint8_t> m_file;
    std::vector<Frame> m_frames;
    // The packed picture: header in the first ten words, then the canvas.
    std::vector<uint32_t> m_packed;
    std::vector<uint32_t> m_previous;
    uint32_t* m_canvas = nullptr;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_background = 0;
    uint32_t m_playCount = 0;
    int64_t m_shown = -1;
    Drawing m_drawing;
    uint32_t m_palette[256] = {};
    GifDecoder m_decoder;
};
