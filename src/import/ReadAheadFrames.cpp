#include "import/ReadAheadFrames.h"

#include <new>
#include <utility>

bool ReadAheadFrames::Open(const AviVideo& stream, int scale, bool readAhead) {
    if (m_video.OpenLike(stream) != AviStatus::kOk) {
        return false;
    }
    m_video.SetDecodeScale(scale);
    try {
        m_shown.resize(m_video.PackedSize());
        m_next.resize(m_video.PackedSize());
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_threaded = readAhead && m_video.FrameCount() > 1 && m_worker.Start();
    return true;
}

void ReadAheadFrames::ReadNext(void* self) {
    auto* frames = static_cast<ReadAheadFrames*>(self);
    frames->m_nextRead = frames->m_video.ReadFrame(frames->m_nextIndex, frames->m_next);
}

// Collects the thread's frame; it becomes the shown one when it is the frame asked for.
void ReadAheadFrames::TakeReadAhead(int32_t position) {
    if (!m_posted) {
        return;
    }
    m_worker.Wait();
    m_posted = false;
    if (m_nextRead && m_nextIndex == position) {
        std::swap(m_shown, m_next);
        m_shownIndex = position;
    }
}

// Guesses the next request from the last step (a clip played at its rate steps by one; a
// saver drawing fewer frames than the clip has skips some) and reads it ahead.
void ReadAheadFrames::PostReadAhead(int32_t position) {
    const int32_t count = static_cast<int32_t>(m_video.FrameCount());
    const int32_t step = m_lastAsked >= 0 && position > m_lastAsked ? position - m_lastAsked : 1;
    m_lastAsked = position;
    if (!m_threaded || step >= count) {
        return;
    }
    m_nextIndex = static_cast<int32_t>((int64_t{position} + step) % count);
    m_posted = true;
    m_worker.Post(&ReadAheadFrames::ReadNext, this);
}

const BYTE* ReadAheadFrames::Frame(int32_t position) {
    TakeReadAhead(position);
    if (m_shownIndex != position && m_video.ReadFrame(position, m_next)) {
        std::swap(m_shown, m_next);
        m_shownIndex = position;
    }
    PostReadAhead(position);
    return m_shownIndex >= 0 ? m_shown.data() : nullptr;
}
