#include "import/VideoPicture.h"

#include <cstring>

namespace {
template <typename Fn> bool Bind(HMODULE library, const char* name, Fn& entry) {
    FARPROC proc = GetProcAddress(library, name);
    static_assert(sizeof proc == sizeof entry);
    std::memcpy(&entry, &proc, sizeof entry);
    return proc != nullptr;
}
} // namespace

// The library stays loaded until the process ends.
bool LoadSystemVideoLibrary(VideoEntryPoints& t) {
    HMODULE library = LoadLibraryA("avifil32");
    if (!library)
        return false;
    bool all = Bind(library, "AVIFileInit", t.AVIFileInit);
    all &= Bind(library, "AVIFileExit", t.AVIFileExit);
    all &= Bind(library, "AVIStreamOpenFromFile", t.AVIStreamOpenFromFile);
    all &= Bind(library, "AVIStreamRelease", t.AVIStreamRelease);
    all &= Bind(library, "AVIStreamInfo", t.AVIStreamInfo);
    all &= Bind(library, "AVIStreamGetFrameOpen", t.AVIStreamGetFrameOpen);
    all &= Bind(library, "AVIStreamGetFrameClose", t.AVIStreamGetFrameClose);
    all &= Bind(library, "AVIStreamGetFrame", t.AVIStreamGetFrame);
    return all;
}
