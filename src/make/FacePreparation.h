// Makes a face file ready for the payload, as a user would want it stored: photos larger
// than the faces need are shrunk and re-encoded, photos taken turned are stood upright,
// clips in containers the saver cannot play are converted to AVI with ffmpeg (or the
// command that would do it is given). Every other file is stored exactly as given.
#pragma once

#include "make/FaceCheck.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kDefaultMaxSide = 2048;

struct FacePlan {
    int maxSide = kDefaultMaxSide; // 0 keeps every picture's size
    bool turn = true;              // JPEG photos taken turned are stood upright
    std::string ffmpeg;            // full name of ffmpeg; empty when it is not on the PATH
    // Set by another thread to stop the preparation: a conversion is ended at once, and
    // PrepareFace returns false with kCancelledText.
    const std::atomic<bool>* cancel = nullptr;
};

// PrepareFace's error when it was cancelled.
extern const char kCancelledText[];

struct PreparedFace {
    std::vector<uint8_t> data;      // what the payload stores
    FaceCheck check;                // the saver's verdict on `data`
    std::vector<std::string> notes; // what was done to the file, or what the user can do
};

// False, with the reason in `error`, only when the file cannot be read; a file that cannot
// be reworked is stored as given, with a note saying why.
bool PrepareFace(const std::string& path, const FacePlan& plan, PreparedFace& face,
                 std::string& error);
