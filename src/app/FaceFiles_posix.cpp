// Face files natively: an open file outlives its name, so the name goes as soon as the video
// reader holds the file, and nothing is ever left for a later run to remove.
#include "app/Payload.h"

void RemoveStaleFaceFiles() {}

void ForgetOpenedFaceFile(std::string& name) {
    if (!name.empty()) {
        DeleteFileA(name.c_str());
        name.clear();
    }
}
