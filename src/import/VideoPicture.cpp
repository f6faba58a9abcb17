#include "import/VideoPicture.h"

#include "import/AviReader.h"

#include <new>
#include <optional>

namespace {
VideoEntryPoints g_video{};
std::optional<VideoEntryPoints> g_installedLibrary;
bool g_videoAvailable = false;
// The tick value at which every video shows its frame 0; 0 while no video has had a time.
DWORD g_videoTimeOrigin = 0;

bool HasAllEntryPoints(const VideoEntryPoints& t) {
    return t.AVIFileInit && t.AVIFileExit && t.AVIStreamOpenFromFile && t.AVIStreamRelease &&
           t.AVIStreamInfo && t.AVIStreamGetFrameOpen && t.AVIStreamGetFrameClose &&
           t.AVIStreamGetFrame;
}
} // namespace

void SetVideoLibrary(const VideoEntryPoints* table) {
    if (table) {
        g_installedLibrary = *table;
    } else {
        g_installedLibrary.reset();
    }
}

int StartVideoSupport(int flag) {
    // A second start replaces the first, so that every AVIFileInit has its AVIFileExit.
    StopVideoSupport();
    if (flag == 0) {
        return 1;
    }
    VideoEntryPoints table{};
    if (g_installedLibrary) {
        table = *g_installedLibrary;
    } else if (!LoadSystemVideoLibrary(table)) {
        return 1;
    }
    if (!HasAllEntryPoints(table)) {
        return 1;
    }
    g_video = table;
    g_videoAvailable = true;
    g_video.AVIFileInit();
    return 1;
}

void StopVideoSupport() {
    if (!g_videoAvailable) {
        return;
    }
    g_videoAvailable = false;
    g_video.AVIFileExit();
}

bool IsVideoAvailable() {
    return g_videoAvailable;
}

void ResetVideoTimeOrigin() {
    g_videoTimeOrigin = 0;
}

DWORD VideoTimeSinceOrigin(DWORD milliseconds) {
    if (g_videoTimeOrigin == 0) {
        g_videoTimeOrigin = milliseconds;
    }
    return milliseconds - g_videoTimeOrigin;
}

// Motion-JPEG clips (what the making tools store) are decoded by our own reader wherever the
// system's library plays the others, so that no codec of the system is involved; chosen by
// the stream's header. A library a caller installed plays everything.
const VideoEntryPoints& LibraryFor(const char* fileName) {
    if (!g_installedLibrary && IsMotionJpegAvi(fileName)) {
        return AviReaderEntryPoints();
    }
    return g_video;
}

PictureSource* OpenVideo(const char* fileName) {
    if (!g_videoAvailable || !fileName) {
        return nullptr;
    }
    if (PictureSource* shared = FindSharedPicture(fileName)) {
        return shared;
    }
    const VideoEntryPoints& library = LibraryFor(fileName);
    AviStreamHandle stream = nullptr;
    if (library.AVIStreamOpenFromFile(&stream, fileName, kStreamTypeVideo, 0, kOpenShareDenyWrite,
                                      nullptr) != 0 ||
        !stream) {
        return nullptr;
    }
    // No wanted format: the library picks the decompressed one.
    AviFrameGetter getter = library.AVIStreamGetFrameOpen(stream, nullptr);
    if (!getter) {
        library.AVIStreamRelease(stream);
        return nullptr;
    }
    // The source keeps a copy of the name; without memory for it the face shows the
    // default picture.
    try {
        return new VideoPicture(fileName, library, stream, getter);
    } catch (const std::bad_alloc&) {
        library.AVIStreamGetFrameClose(getter);
        library.AVIStreamRelease(stream);
        return nullptr;
    }
}

VideoPicture::VideoPicture(const char* fileName, const VideoEntryPoints& library,
                           AviStreamHandle stream, AviFrameGetter getter)
    : PictureSource(fileName), m_library(library), m_stream(stream), m_getter(getter) {
    m_library.AVIStreamInfo(m_stream, &m_info, sizeof m_info);
    // A zero scale would make the rate infinite; such a stream stands still like one
    // without a rate.
    if (m_info.dwRate != 0 && m_info.dwScale != 0) {
        m_framesPerMillisecond = m_info.dwRate / (m_info.dwScale * 1000.0);
    }
}

VideoPicture::~VideoPicture() {
    if (m_getter) {
        m_library.AVIStreamGetFrameClose(m_getter);
    }
    if (m_stream) {
        m_library.AVIStreamRelease(m_stream);
    }
}

uint32_t VideoPicture::FrameIndexAt(DWORD elapsed) const {
    // Truncated towards zero through a 64-bit integer, of which the low 32 bits count (a
    // rate high enough to leave that range gives frame 0 instead of an undefined value).
    const double frames = elapsed * m_framesPerMillisecond;
    const uint32_t index = frames >= 0.0 && frames < 9223372036854775808.0
                               ? static_cast<uint32_t>(static_cast<uint64_t>(frames))
                               : 0;
    // A stream without frames has nothing to loop over: it asks for frame 0, which fails
    // and shows the default picture.
    return m_info.dwLength != 0 ? index % m_info.dwLength : 0;
}

void VideoPicture::SetTime(DWORD milliseconds) {
    const uint32_t index = FrameIndexAt(VideoTimeSinceOrigin(milliseconds));
    if (static_cast<int32_t>(index) != m_currentFrameIndex) {
        m_currentFrameIndex = static_cast<int32_t>(index);
        m_currentFrame = nullptr;
    }
    m_currentTime = milliseconds;
}

const BITMAPINFOHEADER* VideoPicture::GetBitmap() {
    if (!m_currentFrame && g_videoAvailable) {
        m_currentFrame = static_cast<const BITMAPINFOHEADER*>(
            m_library.AVIStreamGetFrame(m_getter, m_currentFrameIndex));
    }
    return m_currentFrame ? m_currentFrame : PictureSource::GetBitmap();
}
