// What the saver would show for a face file, found with the saver's own loaders: the
// picture importer first, then the video reader, as the settings object tries them.
#pragma once

#include <string>

enum class FaceVerdict {
    kShown,   // a picture or a video the saver shows
    kMaybe,   // a compressed video: shown only where Windows has its codec
    kDefault, // the saver falls back to the default picture
};

struct FaceCheck {
    FaceVerdict verdict = FaceVerdict::kDefault;
    std::string description; // what the file is, or why it falls back
};

FaceCheck CheckFaceFile(const std::string& path);
