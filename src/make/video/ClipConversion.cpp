#include "make/video/ClipConversion.h"

#include "make/picture/Orientation.h"
#include "make/video/ClipDecoder.h"
#include "make/video/JpegRateControl.h"

#include <algorithm>
#include <new>
#include <utility>

const char kClipCancelledText[] = "cancelled";

namespace {
// Exif orientations that turn a picture 0, 1, 2 or 3 quarters clockwise.
constexpr int kTurnOrientation[4] = {1, 6, 3, 8};

class Conversion {
  public:
    Conversion(ClipFrameSink& sink, const ClipCallbacks& callbacks, ClipFrames& result)
        : m_sink(sink), m_callbacks(callbacks), m_result(result), m_rate(1.0) {}

    bool Run(ClipInput& input, std::string& error);

  private:
    bool Cancelled() const { return m_callbacks.cancel && m_callbacks.cancel->load(); }
    bool Start(const ClipInfo& info, std::string& error);
    bool Show(const RgbaImage& frame, int64_t times, std::string& error);

    ClipFrameSink& m_sink;
    const ClipCallbacks& m_callbacks;
    ClipFrames& m_result;
    JpegRateControl m_rate;
    int m_turn = 1;
};

bool Conversion::Start(const ClipInfo& info, std::string& error) {
    m_result.codec = info.codec;
    m_result.sourceWidth = info.sourceWidth;
    m_result.sourceHeight = info.sourceHeight;
    m_result.quarterTurns = info.quarterTurns;
    const bool across = info.quarterTurns % 2 == 1;
    m_result.width = across ? info.frameHeight : info.frameWidth;
    m_result.height = across ? info.frameWidth : info.frameHeight;
    m_result.rate = info.rate;
    m_result.lowestQuality = kClipTopQuality;
    m_result.highestQuality = 0;
    m_turn = kTurnOrientation[info.quarterTurns & 3];
    m_rate = JpegRateControl(info.rate.PerSecond());
    if (!m_sink.Begin(m_result)) {
        error = "the frames cannot be stored";
        return false;
    }
    return true;
}

// The frame goes to the sink once and is repeated for the rest of the output frames it
// fills; a frame that fills none (a 60-frame clip's every other one) is never encoded.
bool Conversion::Show(const RgbaImage& frame, int64_t times, std::string& error) {
    times = std::min(times, kClipMaxFrames - m_result.frames);
    if (times <= 0) {
        return true;
    }
    const int quality = m_rate.Quality();
    uint64_t bytes = 0;
    const bool added = m_turn == 1 ? m_sink.Add(frame, quality, bytes)
                                   : m_sink.Add(Upright(frame, m_turn), quality, bytes);
    for (int64_t i = 1; added && i < times; ++i) {
        if (!m_sink.Repeat()) {
            error = "the frames cannot be stored";
            return false;
        }
    }
    if (!added) {
        error = "the frames cannot be stored";
        return false;
    }
    m_result.frames += times;
    m_result.jpegBytes += bytes;
    m_result.lowestQuality = std::min(m_result.lowestQuality, quality);
    m_result.highestQuality = std::max(m_result.highestQuality, quality);
    m_rate.Spent(bytes, times);
    return true;
}

bool Conversion::Run(ClipInput& input, std::string& error) {
    ClipDecoder decoder;
    decoder.SetCancel(m_callbacks.cancel);
    if (!decoder.Open(input, error) || !Start(decoder.Info(), error)) {
        if (Cancelled()) {
            error = kClipCancelledText;
        }
        return false;
    }
    FramePicker picker(decoder.Info().rate);
    RgbaImage waiting, next; // the frame shown until the next one's time, and that one
    bool any = false;
    for (;;) {
        if (Cancelled()) {
            error = kClipCancelledText;
            return false;
        }
        double seconds = 0.0;
        const ClipStep step = decoder.Next(next, seconds, error);
        if (step == ClipStep::kFailed && !any) {
            return false;
        }
        if (step != ClipStep::kFrame) {
            break; // the end, or damage after the first frame: the clip ends there
        }
        if (any && !Show(waiting, picker.Arrive(seconds), error)) {
            return false;
        }
        if (!any) {
            picker.Arrive(seconds);
            any = true;
        }
        std::swap(waiting, next);
        if (picker.Emitted() >= kClipMaxFrames) {
            m_result.cut = true;
            break;
        }
        if (m_callbacks.progress) {
            m_callbacks.progress(decoder.Progress());
        }
    }
    if (!any) {
        error = "it holds no frame that decodes";
        return false;
    }
    if (!m_result.cut && !Show(waiting, picker.Finish(decoder.EndSeconds()), error)) {
        return false;
    }
    if (m_callbacks.progress) {
        m_callbacks.progress(1.0);
    }
    return true;
}
} // namespace

bool ConvertClipFrames(ClipInput& input, ClipFrameSink& sink, const ClipCallbacks& callbacks,
                       ClipFrames& result, std::string& error) {
    result = ClipFrames{};
    try {
        Conversion conversion(sink, callbacks, result);
        return conversion.Run(input, error);
    } catch (const std::bad_alloc&) {
        error = "out of memory";
        return false;
    }
}
