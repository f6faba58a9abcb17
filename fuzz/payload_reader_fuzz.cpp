// Runs the payload reader on arbitrary file contents: the input is the whole saver file.
// Face files go to a private temporary folder, which must be empty again after the reader's
// files are deleted: a face file the reader forgot to name (and so to delete) is a fault.
// The saver file and the folder last one run each.
#include "app/Payload.h"
#include "import_fuzz_support.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <unistd.h>

namespace {
// A temporary folder of the run's own for the face files, removed again before the run
// ends (libFuzzer may leave the process without running exit handlers).
class FaceFolder {
  public:
    FaceFolder() {
        const char* dir = std::getenv("TMPDIR");
        std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/vcfuzz-faces-XXXXXX";
        if (mkdtemp(pattern.data())) {
            m_path = pattern;
        }
        platform::SetTempPathOverride(m_path.empty() ? nullptr : m_path.c_str());
    }
    ~FaceFolder() {
        platform::SetTempPathOverride(nullptr);
        if (!m_path.empty()) {
            rmdir(m_path.c_str());
        }
    }
    bool made() const { return !m_path.empty(); }
    bool IsEmpty() const {
        DIR* d = opendir(m_path.c_str());
        if (!d) {
            return false;
        }
        bool empty = true;
        while (dirent* e = readdir(d)) {
            empty &= std::string(e->d_name) == "." || std::string(e->d_name) == "..";
        }
        closedir(d);
        return empty;
    }

  private:
    std::string m_path;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const importfuzz::ScratchFile saver(data, size);
    const FaceFolder faces;
    if (!saver.written() || !faces.made()) {
        return 0;
    }
    PayloadContents contents;
    ReadPayload(saver.path(), contents);
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        if ((contents.faceStates[i] == FaceEntryState::kExtracted) ==
            contents.faceFiles[i].empty()) {
            std::abort();
        }
    }
    DeletePayloadFiles(contents);
    if (!faces.IsEmpty()) {
        std::abort();
    }
    return 0;
}
