// Video faces: a picture source whose current frame follows the clock and loops. The frames
// come from a video file library reached through eight entry points: on Windows the system
// library, loaded at run time; natively (and wherever a caller installs a table) any set of
// functions with the same contract, such as our own uncompressed AVI reader.
#pragma once

#include "import/PictureSource.h"

#include <cstdint>

using AviStreamHandle = void*;
using AviFrameGetter = void*;

// The library's stream information record (140 bytes). Only dwScale, dwRate and dwLength
// are read here.
struct AviStreamInfo {
    DWORD fccType;
    DWORD fccHandler;
    DWORD dwFlags;
    DWORD dwCaps;
    WORD wPriority;
    WORD wLanguage;
    DWORD dwScale;
    DWORD dwRate; // dwRate / dwScale = frames per second
    DWORD dwStart;
    DWORD dwLength; // in frames
    DWORD dwInitialFrames;
    DWORD dwSuggestedBufferSize;
    DWORD dwQuality;
    DWORD dwSampleSize;
    RECT rcFrame;
    DWORD dwEditCount;
    DWORD dwFormatChangeCount;
    char szName[64];
};
static_assert(sizeof(AviStreamInfo) == 140);

constexpr DWORD kStreamTypeVideo = 0x73646976; // "vids"
constexpr UINT kOpenShareDenyWrite = 0x20;

// The eight entry points, with the library's calling convention. Results of type HRESULT
// are LONG here: 0 is success, negative is failure.
struct VideoEntryPoints {
    void(WINAPI* AVIFileInit)();
    void(WINAPI* AVIFileExit)();
    LONG(WINAPI* AVIStreamOpenFromFile)
    (AviStreamHandle* stream, LPCSTR file, DWORD type, LONG streamNumber, UINT mode,
     void* handlerClass);
    ULONG(WINAPI* AVIStreamRelease)(AviStreamHandle stream);
    LONG(WINAPI* AVIStreamInfo)(AviStreamHandle stream, AviStreamInfo* info, LONG size);
    AviFrameGetter(WINAPI* AVIStreamGetFrameOpen)(AviStreamHandle stream, BITMAPINFOHEADER* wanted);
    LONG(WINAPI* AVIStreamGetFrameClose)(AviFrameGetter getter);
    LPVOID(WINAPI* AVIStreamGetFrame)(AviFrameGetter getter, LONG position);
};

// The table that the next StartVideoSupport uses instead of the system's library (copied;
// null returns to the platform's own choice: the system library on Windows, our AVI reader
// elsewhere).
void SetVideoLibrary(const VideoEntryPoints* table);

class VideoPicture : public PictureSource {
  public:
    // `library` opened the stream and serves it to the end.
    VideoPicture(const char* fileName, const VideoEntryPoints& library, AviStreamHandle stream,
                 AviFrameGetter getter);
    ~VideoPicture() override;
    const BITMAPINFOHEADER* GetBitmap() override;
    void SetTime(DWORD milliseconds) override;

    // The frame shown at `elapsed` milliseconds after the shared origin.
    uint32_t FrameIndexAt(DWORD elapsed) const;

    const VideoEntryPoints& m_library;
    AviStreamInfo m_info{};
    AviStreamHandle m_stream;
    AviFrameGetter m_getter;
    const BITMAPINFOHEADER* m_currentFrame = nullptr;
    int32_t m_currentFrameIndex = -1;
    double m_framesPerMillisecond = 0.0;
};

// Platform part: fills `table` from the system's video library; false when there is none.
bool LoadSystemVideoLibrary(VideoEntryPoints& table);
