#include "import/AviReader.h"
#include "import/VideoPicture.h"
#include "platform/Wide.h"

#include <cstring>

namespace {
template <typename Fn> bool Bind(HMODULE library, const char* name, Fn& entry) {
    FARPROC proc = GetProcAddress(library, name);
    static_assert(sizeof proc == sizeof entry);
    std::memcpy(&entry, &proc, sizeof entry);
    return proc != nullptr;
}

// The table's names are UTF-8, as every name inside the program; the library is handed the
// wide name, so that a video in a folder of any script opens.
using OpenWide = LONG(WINAPI*)(AviStreamHandle* stream, LPCWSTR file, DWORD type, LONG number,
                               UINT mode, void* handlerClass);
OpenWide g_systemOpen = nullptr;

// A face file reaches the system's library only when it has the structure of an AVI video:
// that library may abort the whole process on a file without it (a main header counting no
// streams, for one), and a face file is anybody's file.
LONG WINAPI OpenCheckedStream(AviStreamHandle* stream, LPCSTR file, DWORD type, LONG number,
                              UINT mode, void* handlerClass) {
    const std::wstring name = file ? wide::FromUtf8(file) : std::wstring();
    if (name.empty() || !HasAviVideoStructure(file)) {
        if (stream) {
            *stream = nullptr;
        }
        return static_cast<LONG>(0x80004005u);
    }
    return g_systemOpen(stream, name.c_str(), type, number, mode, handlerClass);
}
} // namespace

// The library stays loaded until the process ends.
bool LoadSystemVideoLibrary(VideoEntryPoints& t) {
    HMODULE library = LoadLibraryA("avifil32");
    if (!library) {
        return false;
    }
    bool all = Bind(library, "AVIFileInit", t.AVIFileInit);
    all &= Bind(library, "AVIFileExit", t.AVIFileExit);
    all &= Bind(library, "AVIStreamOpenFromFileW", g_systemOpen);
    all &= Bind(library, "AVIStreamRelease", t.AVIStreamRelease);
    all &= Bind(library, "AVIStreamInfo", t.AVIStreamInfo);
    all &= Bind(library, "AVIStreamGetFrameOpen", t.AVIStreamGetFrameOpen);
    all &= Bind(library, "AVIStreamGetFrameClose", t.AVIStreamGetFrameClose);
    all &= Bind(library, "AVIStreamGetFrame", t.AVIStreamGetFrame);
    t.AVIStreamOpenFromFile = g_systemOpen ? OpenCheckedStream : nullptr;
    return all;
}
