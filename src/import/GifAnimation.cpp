#include "import/GifAnimation.h"

#include "import/GifBlocks.h"
#include "import/ImageImporter.h"
#include "import/PictureLimits.h"
#include "import/PixelLayouts.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

using gif::kApplicationLabel;
using gif::kExtensionIntroducer;
using gif::kGraphicControlLabel;
using gif::kImageSeparator;
using picture::Le16;

namespace {

constexpr size_t kScreenDescriptorEnd = 13;
constexpr int kDisposeToBackground = 2;
constexpr int kDisposeToPrevious = 3;
constexpr uint32_t kHeaderWords = sizeof(BITMAPINFOHEADER) / sizeof(uint32_t);
static_assert(sizeof(BITMAPINFOHEADER) % sizeof(uint32_t) == 0);

// Delays of 0 and 1 hundredths are shown for 10, as browsers do: files written for
// "as fast as possible" would otherwise flicker or spin.
uint64_t DelayMilliseconds(uint16_t hundredths) {
    return (hundredths <= 1 ? 10u : hundredths) * uint64_t{10};
}

} // namespace

// Walks the blocks of the file once, bounds-checked, and records a Frame per image. A
// block cut short by the end of the file ends the walk; the frames before it stay.
struct GifAnimation::Parser {
    explicit Parser(const std::vector<uint8_t>& bytes) : file(bytes) {}

    const std::vector<uint8_t>& file;
    size_t position = kScreenDescriptorEnd;
    uint32_t globalTable = 0;
    uint16_t globalColours = 0;
    // What the last graphic control extension set for the next image.
    Frame next;
    uint16_t delay = 0;
    bool hasLoop = false;
    uint32_t loops = 0;

    bool Has(size_t count) const { return file.size() - position >= count; }

    // The next sub-block: false at a cut, else its start and length (0 for the
    // terminator).
    bool SubBlock(const uint8_t** data, size_t* length) {
        if (!Has(1)) {
            return false;
        }
        *length = file[position++];
        if (!Has(*length)) {
            return false;
        }
        *data = file.data() + position;
        position += *length;
        return true;
    }
    bool SkipSubBlocks() {
        const uint8_t* data = nullptr;
        size_t length = 0;
        do {
            if (!SubBlock(&data, &length)) {
                return false;
            }
        } while (length != 0);
        return true;
    }
    // A colour table of `colours` entries at the position; false when it is cut.
    bool Table(uint16_t colours, uint32_t* offset) {
        if (!Has(size_t{3} * colours)) {
            return false;
        }
        *offset = static_cast<uint32_t>(position);
        position += size_t{3} * colours;
        return true;
    }

    // After the introducer: the graphic control extension sets the next image's
    // disposal, delay and transparent colour; the first loop extension the loop count.
    bool Extension() {
        if (!Has(1)) {
            return false;
        }
        const uint8_t label = file[position++];
        const uint8_t* block = nullptr;
        size_t length = 0;
        if (!SubBlock(&block, &length)) {
            return false;
        }
        if (label == kGraphicControlLabel && length >= 4) {
            next.disposal = static_cast<uint8_t>((block[0] >> 2) & 7);
            delay = Le16(block + 1);
            next.transparent = (block[0] & 1) ? block[3] : -1;
        } else if (label == kApplicationLabel && length == 11 && !hasLoop &&
                   (std::memcmp(block, "NETSCAPE2.0", 11) == 0 ||
                    std::memcmp(block, "ANIMEXTS1.0", 11) == 0)) {
            if (!SubBlock(&block, &length)) {
                return false;
            }
            if (length >= 3 && block[0] == 1) {
                hasLoop = true;
                loops = Le16(block + 1);
            }
        }
        return length == 0 || SkipSubBlocks();
    }

    // After the separator: the descriptor, the colour table in force and the extent of
    // the code stream. False when the image is cut.
    bool Image(uint64_t start, Frame* frame) {
        if (!Has(9)) {
            return false;
        }
        const uint8_t* descriptor = file.data() + position;
        position += 9;
        *frame = next;
        frame->left = Le16(descriptor);
        frame->top = Le16(descriptor + 2);
        frame->width = Le16(descriptor + 4);
        frame->height = Le16(descriptor + 6);
        frame->interlaced = (descriptor[8] & 0x40) != 0;
        frame->palette = globalTable;
        frame->colours = globalColours;
        if (descriptor[8] & 0x80) {
            frame->colours = static_cast<uint16_t>(2u << (descriptor[8] & 7));
            if (!Table(frame->colours, &frame->palette)) {
                return false;
            }
        }
        if (!Has(1)) {
            return false;
        }
        frame->data = static_cast<uint32_t>(position++);
        if (!SkipSubBlocks()) {
            return false;
        }
        frame->dataEnd = static_cast<uint32_t>(position);
        frame->decodable = UINT32_MAX;
        frame->end = start + DelayMilliseconds(delay);
        next = Frame{};
        delay = 0;
        return true;
    }

    // Every frame up to the trailer, a cut or an unknown block; false when there are more
    // than `maxFrames`.
    bool Frames(uint32_t maxFrames, std::vector<Frame>& frames) {
        while (Has(1)) {
            const uint8_t introducer = file[position++];
            if (introducer == kExtensionIntroducer) {
                if (!Extension()) {
                    break;
                }
                continue;
            }
            Frame frame;
            if (introducer != kImageSeparator ||
                !Image(frames.empty() ? 0 : frames.back().end, &frame)) {
                break;
            }
            if (frames.size() >= maxFrames) {
                return false;
            }
            frames.push_back(frame);
        }
        return true;
    }
};

bool GifAnimation::Load(std::vector<uint8_t> file, const GifAnimationLimits& limits) {
    *this = GifAnimation();
    const uint8_t* d = file.data();
    if (file.size() < kScreenDescriptorEnd || file.size() > limits.maxFileBytes ||
        std::memcmp(d, "GIF", 3) != 0 || !std::isdigit(d[3]) || !std::isdigit(d[4])) {
        return false;
    }
    const uint32_t width = Le16(d + 6);
    const uint32_t height = Le16(d + 8);
    if (width == 0 || height == 0 || uint64_t{width} * height > limits.maxScreenPixels) {
        return false;
    }
    Parser parser(file);
    if (d[10] & 0x80) {
        parser.globalColours = static_cast<uint16_t>(2u << (d[10] & 7));
        if (!parser.Table(parser.globalColours, &parser.globalTable)) {
            return false;
        }
    }
    try {
        std::vector<Frame> frames;
        if (!parser.Frames(limits.maxFrames, frames) || frames.empty()) {
            return false;
        }
        const bool needsPrevious = std::any_of(frames.begin(), frames.end(), [](const Frame& f) {
            return f.disposal == kDisposeToPrevious;
        });
        const size_t pixels = size_t{width} * height;
        std::vector<uint32_t> packed(kHeaderWords + pixels, 0);
        std::vector<uint32_t> previous(needsPrevious ? pixels : 0, 0);
        m_frames = std::move(frames);
        m_packed = std::move(packed);
        m_previous = std::move(previous);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_width = width;
    m_height = height;
    // Restoring to the background shows the global table's background colour; without
    // one, black.
    const uint8_t backgroundIndex = d[11];
    m_background = parser.globalTable && backgroundIndex < parser.globalColours
                       ? pixel::canvas::FromRgbTriple(d + parser.globalTable + 3 * backgroundIndex)
                       : 0;
    m_playCount = parser.hasLoop && parser.loops != 0 ? parser.loops + 1 : 0;
    m_file = std::move(file);
    m_canvas = m_packed.data() + kHeaderWords;
    BITMAPINFOHEADER header;
    picture::SetHeader(header, static_cast<LONG>(m_width), static_cast<LONG>(m_height), 32);
    header.biSizeImage = m_width * m_height * 4;
    std::memcpy(m_packed.data(), &header, sizeof header);
    return true;
}

uint32_t GifAnimation::FrameAt(uint64_t elapsed) const {
    if (m_frames.empty()) {
        return 0;
    }
    const uint64_t play = PlayLength();
    if (m_playCount != 0 && elapsed / play >= m_playCount) {
        return FrameCount() - 1;
    }
    const uint64_t into = elapsed % play;
    const auto after = std::upper_bound(m_frames.begin(), m_frames.end(), into,
                                        [](uint64_t t, const Frame& f) { return t < f.end; });
    return static_cast<uint32_t>(after - m_frames.begin());
}

const BITMAPINFOHEADER* GifAnimation::Picture() const {
    return m_canvas ? reinterpret_cast<const BITMAPINFOHEADER*>(m_packed.data()) : nullptr;
}

void GifAnimation::ShowFrame(uint32_t index) {
    while (!AdvanceTowards(index, UINT64_MAX)) {
    }
}

bool GifAnimation::AdvanceTowards(uint32_t index, uint64_t work) {
    if (m_frames.empty()) {
        return true;
    }
    index = std::min(index, FrameCount() - 1);
    const int64_t target = index;
    // Going back, or changing course in the middle of a later frame, starts again.
    if (m_shown > target || (m_drawing.frame > target)) {
        m_shown = -1;
        m_drawing = Drawing();
    }
    if (m_shown < 0 && m_drawing.frame < 0) {
        Restart();
    }
    while (m_shown < target) {
        if (m_drawing.frame < 0) {
            BeginFrame();
        }
        if (!ContinueFrame(work)) {
            return false;
        }
        m_shown = m_drawing.frame;
        m_drawing.frame = -1;
    }
    return true;
}

// Before the first frame the screen is clear, showing the background colour where
// transparency is not drawn.
void GifAnimation::Restart() {
    std::fill(m_canvas, m_canvas + size_t{m_width} * m_height, m_background | kClear);
    m_shown = -1;
}

// Disposes of the frame shown and sets up the next one's palette, decoder and clipping.
void GifAnimation::BeginFrame() {
    if (m_shown >= 0) {
        Dispose(m_frames[static_cast<size_t>(m_shown)]);
    }
    const int64_t next = m_shown + 1;
    Frame& frame = m_frames[static_cast<size_t>(next)];
    if (frame.disposal == kDisposeToPrevious) {
        SaveArea(frame);
    }
    m_drawing = Drawing();
    m_drawing.frame = next;
    const Area area = Clip(frame);
    const uint8_t codeSize = m_file[frame.data];
    if (area.left == area.right || area.top == area.bottom ||
        codeSize > GifDecoder::kMaxInitialCodeSize) {
        return; // nothing of it can be seen: its codes are never decoded
    }
    // Rows are stored top down, or in four interlaced passes; either way decoding can stop
    // once every row on the screen is done. A frame that still asks for more values than
    // the limit stops there.
    m_drawing.rowsLeft = area.bottom - area.top;
    const uint64_t lastNeeded = frame.interlaced ? uint64_t{frame.height} * frame.width
                                                 : uint64_t{area.bottom - frame.top} * frame.width;
    m_drawing.valueLimit = static_cast<uint32_t>(
        std::min<uint64_t>({lastNeeded, frame.decodable, picture::kMaxGifFrameValues}));
    m_drawing.order = picture::GifRowOrder(frame.height, frame.interlaced);
    for (uint32_t i = 0; i < 256; ++i) {
        if (frame.palette == 0) {
            m_palette[i] = i * 0x010101u;
        } else {
            m_palette[i] = i < frame.colours
                               ? pixel::canvas::FromRgbTriple(m_file.data() + frame.palette + 3 * i)
                               : 0;
        }
    }
    m_decoder.Init(codeSize, m_file.data() + frame.data + 1, frame.dataEnd - frame.data - 1);
}

// Pixels outside the logical screen are dropped; values beyond the colour table are
// black. A frame without any colour table is drawn in greys. True when the frame is done;
// false when `work` ran out first.
bool GifAnimation::ContinueFrame(uint64_t& work) {
    Drawing& d = m_drawing;
    Frame& frame = m_frames[static_cast<size_t>(d.frame)];
    try {
        while (d.decoded < d.valueLimit && d.rowsLeft > 0) {
            if (work == 0) {
                return false;
            }
            --work;
            const int value = m_decoder.NextValue();
            if (value == GifDecoder::kNoValueYet) {
                continue;
            }
            if (value < 0) {
                return true;
            }
            ++d.decoded;
            const uint32_t x = frame.left + d.column;
            const uint32_t y = frame.top + d.row;
            const bool onScreen = y < m_height;
            if (value != frame.transparent && x < m_width && onScreen) {
                Row(y)[x] = value < 256 ? m_palette[value] : 0;
            }
            if (++d.column == frame.width) {
                d.column = 0;
                d.rowsLeft -= onScreen ? 1 : 0;
                const LONG nextRow = d.order.Next();
                if (nextRow < 0) {
                    return true;
                }
                d.row = static_cast<uint32_t>(nextRow);
            }
        }
    } catch (...) {
        // Decoding is deterministic: the next play stops at the same value without
        // raising again.
        frame.decodable = d.decoded;
    }
    return true;
}

// Restoring to the background clears a frame that has a transparent colour (as browsers
// and most decoders do) and paints the background colour where it has none. Methods 4 to
// 7 are undefined and leave the frame in place, as 0 and 1 do.
void GifAnimation::Dispose(const Frame& frame) {
    if (frame.disposal == kDisposeToBackground) {
        Fill(frame, frame.transparent >= 0 ? m_background | kClear : m_background);
    } else if (frame.disposal == kDisposeToPrevious) {
        const Area area = Clip(frame);
        for (uint32_t y = area.top; y < area.bottom; ++y) {
            const size_t offset = size_t{m_height - 1 - y} * m_width;
            std::copy(m_previous.data() + offset + area.left,
                      m_previous.data() + offset + area.right, m_canvas + offset + area.left);
        }
    }
}

// Only the frame's area is kept, in the same place of the second canvas.
void GifAnimation::SaveArea(const Frame& frame) {
    const Area area = Clip(frame);
    for (uint32_t y = area.top; y < area.bottom; ++y) {
        const size_t offset = size_t{m_height - 1 - y} * m_width;
        std::copy(m_canvas + offset + area.left, m_canvas + offset + area.right,
                  m_previous.data() + offset + area.left);
    }
}

void GifAnimation::Fill(const Frame& frame, uint32_t value) {
    const Area area = Clip(frame);
    for (uint32_t y = area.top; y < area.bottom; ++y) {
        std::fill(Row(y) + area.left, Row(y) + area.right, value);
    }
}

// The part of the frame inside the logical screen; empty (left == right, or top ==
// bottom) when there is none.
GifAnimation::Area GifAnimation::Clip(const Frame& frame) const {
    Area area;
    area.right = std::min<uint32_t>(frame.left + uint32_t{frame.width}, m_width);
    area.bottom = std::min<uint32_t>(frame.top + uint32_t{frame.height}, m_height);
    area.left = std::min<uint32_t>(frame.left, area.right);
    area.top = std::min<uint32_t>(frame.top, area.bottom);
    return area;
}
