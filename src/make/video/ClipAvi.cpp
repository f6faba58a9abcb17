#include "make/video/ClipAvi.h"

#include "make/MotionJpegAviWriter.h"

#include <cstdio>
#include <new>

namespace {
class AviFrames final : public ClipFrameSink {
  public:
    explicit AviFrames(uint64_t limit) : m_limit(limit) {}
    bool Begin(const ClipFrames& clip) override {
        if (!m_writer.Begin(m_memory, clip.width, clip.height, clip.rate.rate, clip.rate.scale)) {
            return false;
        }
        m_writer.LimitFileBytes(m_limit);
        return true;
    }
    bool Add(const RgbaImage& frame, int quality, uint64_t& bytes) override {
        if (!m_writer.AddFrame(frame, quality)) {
            m_full = m_writer.FrameCount() > 0;
            return false;
        }
        bytes = m_writer.LastFrameBytes();
        return true;
    }
    bool Repeat() override {
        m_full = !m_writer.RepeatFrame();
        return !m_full;
    }
    bool Finish(std::vector<uint8_t>& avi) {
        if (!m_writer.Finish()) {
            return false;
        }
        avi = std::move(m_memory.bytes);
        return true;
    }
    bool Full() const { return m_full; }

  private:
    uint64_t m_limit;
    MemoryAviSink m_memory;
    MotionJpegAviWriter m_writer;
    bool m_full = false;
};

std::string MiB(uint64_t bytes) {
    return std::to_string((bytes + (1u << 19)) >> 20) + " MiB";
}
} // namespace

bool ConvertClipToAvi(ClipInput& input, const ClipCallbacks& callbacks, uint64_t limitBytes,
                      ConvertedClip& clip, std::string& error) {
    AviFrames frames(limitBytes);
    if (!ConvertClipFrames(input, frames, callbacks, clip.frames, error)) {
        if (frames.Full()) {
            error = "its frames would take more than the " + MiB(limitBytes) + " a face may hold";
        }
        return false;
    }
    try {
        if (!frames.Finish(clip.avi)) {
            error = "its AVI cannot be finished";
            return false;
        }
    } catch (const std::bad_alloc&) {
        error = "out of memory";
        return false;
    }
    return true;
}

std::string ConvertedClipText(const ClipFrames& f) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f",
                  f.rate.PerSecond() > 0 ? double(f.frames) / f.rate.PerSecond() : 0.0);
    char rate[32];
    std::snprintf(rate, sizeof rate, f.rate.scale == 1 ? "%.0f" : "%.2f", f.rate.PerSecond());
    std::string text = "Motion-JPEG AVI, " + std::to_string(f.width) + " x " +
                       std::to_string(f.height) + ", " + rate + " frames per second, " +
                       std::to_string(f.frames) + " frames (" + seconds + " s), JPEG quality " +
                       std::to_string(f.lowestQuality);
    if (f.highestQuality != f.lowestQuality) {
        text += " to " + std::to_string(f.highestQuality);
    }
    return text + ", no sound";
}
