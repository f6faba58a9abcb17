#include "import/WebpAnimation.h"

#include "import/ImageImporter.h"
#include "import/RgbaRows.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <webp/demux.h>

namespace {

// Frames of 0 to 10 ms are shown for 100, as browsers do: files written for "as fast as
// possible" would otherwise flicker.
uint64_t FrameMilliseconds(int duration) {
    return duration <= 10 ? 100u : static_cast<uint64_t>(duration);
}

struct DemuxFree {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};

} // namespace

void WebpAnimation::DecoderFree::operator()(WebPAnimDecoder* decoder) const {
    WebPAnimDecoderDelete(decoder);
}

WebpAnimation::WebpAnimation() = default;
WebpAnimation::WebpAnimation(WebpAnimation&&) noexcept = default;
WebpAnimation& WebpAnimation::operator=(WebpAnimation&&) noexcept = default;
WebpAnimation::~WebpAnimation() = default;

bool WebpAnimation::Load(std::vector<uint8_t> file, const WebpAnimationLimits& limits) {
    *this = WebpAnimation();
    if (file.size() > limits.maxFileBytes) {
        return false;
    }
    try {
        const WebPData data = {file.data(), file.size()};
        std::unique_ptr<WebPDemuxer, DemuxFree> demux(WebPDemux(&data));
        if (!demux || !(WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS) & ANIMATION_FLAG)) {
            return false;
        }
        const uint32_t width = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH);
        const uint32_t height = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT);
        const uint32_t frames = WebPDemuxGetI(demux.get(), WEBP_FF_FRAME_COUNT);
        if (width == 0 || height == 0 || uint64_t{width} * height > limits.maxCanvasPixels ||
            frames < 2 || frames > limits.maxFrames) {
            return false;
        }
        std::vector<uint64_t> ends;
        ends.reserve(frames);
        WebPIterator frame;
        uint64_t end = 0;
        if (WebPDemuxGetFrame(demux.get(), 1, &frame)) {
            do {
                end += FrameMilliseconds(frame.duration);
                ends.push_back(end);
            } while (WebPDemuxNextFrame(&frame));
            WebPDemuxReleaseIterator(&frame);
        }
        if (ends.size() < 2) {
            return false;
        }
        m_playCount = WebPDemuxGetI(demux.get(), WEBP_FF_LOOP_COUNT);
        demux.reset();

        WebPAnimDecoderOptions options;
        if (!WebPAnimDecoderOptionsInit(&options)) {
            return false;
        }
        options.color_mode = MODE_RGBA;
        options.use_threads = 0;
        m_file = std::move(file);
        const WebPData held = {m_file.data(), m_file.size()};
        m_decoder.reset(WebPAnimDecoderNew(&held, &options));
        if (!m_decoder) {
            *this = WebpAnimation();
            return false;
        }
        m_ends = std::move(ends);
        m_width = width;
        m_height = height;
        const uint64_t stride = picture::RowStride(width, 32);
        m_packed.assign(sizeof(BITMAPINFOHEADER) + stride * height, 0);
        BITMAPINFOHEADER header;
        picture::SetHeader(header, static_cast<LONG>(width), static_cast<LONG>(height), 32);
        std::memcpy(m_packed.data(), &header, sizeof header);
        return true;
    } catch (const std::bad_alloc&) {
        *this = WebpAnimation();
        return false;
    }
}

uint32_t WebpAnimation::FrameAt(uint64_t elapsed) const {
    if (m_ends.empty()) {
        return 0;
    }
    const uint64_t play = PlayLength();
    if (m_playCount != 0 && elapsed / play >= m_playCount) {
        return FrameCount() - 1;
    }
    const auto after = std::upper_bound(m_ends.begin(), m_ends.end(), elapsed % play);
    return static_cast<uint32_t>(after - m_ends.begin());
}

const BITMAPINFOHEADER* WebpAnimation::Picture() const {
    return m_packed.empty() ? nullptr : reinterpret_cast<const BITMAPINFOHEADER*>(m_packed.data());
}

void WebpAnimation::ShowFrame(uint32_t index) {
    while (!AdvanceTowards(index, UINT64_MAX)) {
    }
}

// The decoder composes frames only forwards; a frame before the one shown means starting
// over from the first. A frame that fails to decode leaves the canvas as it was and ends
// the way there, so a broken file shows what it has instead of decoding for ever.
bool WebpAnimation::AdvanceTowards(uint32_t index, uint64_t pixels) {
    if (!m_decoder) {
        return true;
    }
    index = std::min(index, FrameCount() - 1);
    if (m_shown > static_cast<int64_t>(index)) {
        WebPAnimDecoderReset(m_decoder.get());
        m_shown = -1;
    }
    const uint64_t framePixels = uint64_t{m_width} * m_height;
    uint64_t done = 0;
    while (m_shown < static_cast<int64_t>(index)) {
        if (done != 0 && done + framePixels > pixels) {
            return false;
        }
        if (!DecodeNext()) {
            m_shown = index;
            return true;
        }
        done += framePixels;
    }
    return true;
}

bool WebpAnimation::DecodeNext() {
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderHasMoreFrames(m_decoder.get()) ||
        !WebPAnimDecoderGetNext(m_decoder.get(), &canvas, &timestamp) || !canvas) {
        return false;
    }
    ++m_shown;
    picture::PackRgbRows(canvas, size_t{m_width} * 4, 4, m_width, m_height,
                         m_packed.data() + sizeof(BITMAPINFOHEADER),
                         picture::RowStride(m_width, 32));
    return true;
}
