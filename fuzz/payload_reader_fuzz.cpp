// Runs the payload reader on arbitrary file contents: the input is the whole saver file.
// Face files go to a private temporary folder, which must be empty again after the reader's
// files are deleted: a face file the reader forgot to name (and so to delete) is a fault.
#include "app/Payload.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <unistd.h>

namespace {
struct Folders {
    std::string saver;
    std::string temp;
    Folders() {
        char a[] = "/tmp/vc-fuzz-saver-XXXXXX";
        char b[] = "/tmp/vc-fuzz-temp-XXXXXX";
        if (!mkdtemp(a) || !mkdtemp(b))
            std::abort();
        saver = std::string(a) + "/saver.scr";
        temp = b;
        platform::SetTempPathOverride(temp.c_str());
    }
};

bool IsEmptyFolder(const std::string& path) {
    DIR* d = opendir(path.c_str());
    if (!d)
        return false;
    bool empty = true;
    while (dirent* e = readdir(d))
        empty &= std::string(e->d_name) == "." || std::string(e->d_name) == "..";
    closedir(d);
    return empty;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Folders folders;
    std::FILE* f = std::fopen(folders.saver.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
        std::abort();
    PayloadContents contents;
    ReadPayload(folders.saver.c_str(), contents);
    for (int i = 0; i < kPayloadFaceCount; ++i)
        if ((contents.faceStates[i] == FaceEntryState::Extracted) == contents.faceFiles[i].empty())
            std::abort();
    DeletePayloadFiles(contents);
    if (!IsEmptyFolder(folders.temp))
        std::abort();
    return 0;
}
