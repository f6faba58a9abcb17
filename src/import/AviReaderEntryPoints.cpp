#include "import/AviReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

// The entry points. A stream handle is an AviVideo; a frame getter holds its stream and two
// frame buffers: the frame it delivered last, which stays valid until its next request, and
// the one the next frame is read into. A frame that cannot be read (a damaged JPEG, a chunk
// cut short) leaves the last one shown, so a clip with a bad frame stutters, never blanks.
namespace {
struct FrameGetter {
    AviVideo* video;
    std::vector<BYTE> shown;
    std::vector<BYTE> next;
    bool haveShown = false;
};
constexpr LONG kFailed = static_cast<LONG>(0x80004005u); // E_FAIL
long g_initCount = 0;

void WINAPI ReaderInit() {
    ++g_initCount;
}
void WINAPI ReaderExit() {
    --g_initCount;
}

LONG WINAPI ReaderOpen(AviStreamHandle* stream, LPCSTR file, DWORD type, LONG number, UINT, void*) {
    if (!stream) {
        return kFailed;
    }
    *stream = nullptr;
    if (type != kStreamTypeVideo || number != 0 || !file) {
        return kFailed;
    }
    // A system library's entry point reports failures; it does not throw, not even when a
    // long frame index cannot be held.
    auto* video = new (std::nothrow) AviVideo;
    bool opened = false;
    try {
        opened = video && video->Open(file) == AviStatus::kOk;
    } catch (const std::bad_alloc&) {
    }
    if (!opened) {
        delete video;
        return kFailed;
    }
    *stream = video;
    return 0;
}

ULONG WINAPI ReaderRelease(AviStreamHandle stream) {
    auto* video = static_cast<AviVideo*>(stream);
    if (!video) {
        return 0;
    }
    const long left = --video->m_refCount;
    if (left <= 0) {
        delete video;
    }
    return static_cast<ULONG>(left > 0 ? left : 0);
}

LONG WINAPI ReaderInfo(AviStreamHandle stream, AviStreamInfo* info, LONG size) {
    if (!stream || !info || size < 0) {
        return kFailed;
    }
    const AviStreamInfo& own = static_cast<AviVideo*>(stream)->Info();
    std::memcpy(info, &own, std::min<size_t>(static_cast<size_t>(size), sizeof own));
    return 0;
}

// The largest DCT scaling that leaves a Motion-JPEG frame at least as large as `wanted`
// (a 32-bit frame no larger than the stream's); other wishes change nothing.
int DecodeScaleFor(const AviVideo& video, const BITMAPINFOHEADER* wanted) {
    if (!wanted || !video.IsMotionJpeg() || wanted->biWidth <= 0 || wanted->biHeight == 0) {
        return 1;
    }
    const uint32_t width = static_cast<uint32_t>(video.Format().biWidth);
    const uint32_t height = static_cast<uint32_t>(std::abs(video.Format().biHeight));
    const uint32_t wantedWidth = static_cast<uint32_t>(wanted->biWidth);
    const uint32_t wantedHeight = static_cast<uint32_t>(std::abs(wanted->biHeight));
    int scale = 1;
    while (scale < 8 && MotionJpegFrame::ScaledSide(width, scale * 2) >= wantedWidth &&
           MotionJpegFrame::ScaledSide(height, scale * 2) >= wantedHeight) {
        scale *= 2;
    }
    return scale;
}

AviFrameGetter WINAPI ReaderFrameOpen(AviStreamHandle stream, BITMAPINFOHEADER* wanted) {
    auto* video = static_cast<AviVideo*>(stream);
    if (!video) {
        return nullptr;
    }
    video->SetDecodeScale(DecodeScaleFor(*video, wanted));
    FrameGetter* getter = nullptr;
    try {
        getter = new FrameGetter{video, std::vector<BYTE>(video->PackedSize()),
                                 std::vector<BYTE>(video->PackedSize())};
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    ++video->m_refCount;
    return getter;
}

LONG WINAPI ReaderFrameClose(AviFrameGetter getter) {
    auto* g = static_cast<FrameGetter*>(getter);
    if (!g) {
        return kFailed;
    }
    ReaderRelease(g->video);
    delete g;
    return 0;
}

LPVOID WINAPI ReaderFrame(AviFrameGetter getter, LONG position) {
    auto* g = static_cast<FrameGetter*>(getter);
    if (!g) {
        return nullptr;
    }
    if (g->video->ReadFrame(position, g->next)) {
        std::swap(g->shown, g->next);
        g->haveShown = true;
    }
    return g->haveShown ? g->shown.data() : nullptr;
}
} // namespace

const VideoEntryPoints& AviReaderEntryPoints() {
    static const VideoEntryPoints table{ReaderInit,       ReaderExit, ReaderOpen,
                                        ReaderRelease,    ReaderInfo, ReaderFrameOpen,
                                        ReaderFrameClose, ReaderFrame};
    return table;
}
