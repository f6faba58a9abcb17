// Makes a face file ready for the payload, as a user would want it stored: photos larger
// than the faces need are shrunk and re-encoded, photos taken turned are stood upright,
// phone and web clips are converted in process to Motion-JPEG AVI, other animations the saver
// cannot play to AVI with ffmpeg where it is on the PATH (or the command that would do it is
// given). Every other file is stored exactly as given.
#pragma once

#include "make/FaceCheck.h"
#include "make/FaceThumbnail.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

constexpr int kDefaultMaxSide = 2048;

struct FacePlan {
    int maxSide = kDefaultMaxSide; // 0 keeps every picture's size
    bool turn = true;              // JPEG photos taken turned are stood upright
    // Full name of ffmpeg; empty when it is not on the PATH. Phone and web clips (MP4, MOV,
    // 3GP, MKV, WebM) are converted in process without it; it only converts the other
    // animations (GIFs beyond what the saver animates, animated WebP and PNG, other clips).
    std::string ffmpeg;
    // Set by another thread to stop the preparation: a conversion is ended at once, and
    // PrepareFace returns false with kCancelledText.
    const std::atomic<bool>* cancel = nullptr;
    // The bytes the project's other faces hold: a file that would not fit the budget beside
    // them (ProjectBudget.h) is refused before it is read. None: no budget.
    std::optional<uint64_t> otherFaces;
    // How far a clip's conversion is, from 0 to 1 (on the preparing thread).
    std::function<void(double)> progress;
    // Above 0: a thumbnail of this side is made from the decoding done anyway.
    int thumbnailSide = 0;
};

// PrepareFace's error when it was cancelled.
extern const char kCancelledText[];

struct PreparedFace {
    std::vector<uint8_t> data;      // what the payload stores
    FaceCheck check;                // the saver's verdict on `data`
    std::vector<std::string> notes; // what was done to the file, or what the user can do
    FaceThumbnail thumbnail;        // when the plan asked for one
    // What was done to the file, for the words a person reads (the notes give the details).
    bool turned = false;    // stood upright from its orientation tag
    bool shrunk = false;    // made smaller to fit the faces
    bool converted = false; // a clip turned into a video the saver plays
};

// False, with the reason in `error`, only when the file cannot be read, is over the budget
// or the preparation was cancelled; a file that cannot be reworked is stored as given, with
// a note saying why. A picture's file is opened once and decoded at most twice (the saver's
// decision on it, and that on what is stored when it was reworked).
bool PrepareFace(const std::string& path, const FacePlan& plan, PreparedFace& face,
                 std::string& error);
