// What the saver would show for a face file, found with the saver's own decision
// (DecideFace: an animated GIF, then a still picture, then a video). A file none of them
// takes is recognised by content where possible, so that the verdict names what it is and
// what is missing.
#pragma once

#include "import/FaceDecision.h"

#include <cstdint>
#include <span>
#include <string>

enum class FaceVerdict {
    kShown,   // a picture or a video the saver shows
    kMaybe,   // a compressed video: shown only where Windows has its codec
    kDefault, // the saver falls back to the default picture
};

// Why the saver falls back to the default picture, for words a person reads.
enum class FaceProblem {
    kNone,
    kUnknownKind, // no picture or video the saver reads
    kDamaged,     // a known format, but the file is damaged or a variant the saver refuses
    kTooLarge,    // a picture larger than the saver holds
    kVideo,       // a video the saver cannot play
    kNoMemory,
    kCannotOpen,
};

struct FaceCheck {
    FaceVerdict verdict = FaceVerdict::kDefault;
    FaceProblem problem = FaceProblem::kNone; // for kDefault
    std::string description;                  // what the file is, or why it falls back
    // For a picture the importer decoded: its format code (ImageImporter::Format), size and
    // number of images (more than one for an animated GIF or PNG); 0 otherwise.
    int pictureFormat = 0;
    int width = 0;
    int height = 0;
    int images = 0;
    // A picture of a known format refused only because the saver cannot hold its pixels;
    // width and height give its size then.
    bool tooLarge = false;
    // An animated GIF beyond what the saver animates: it shows its first frame, still.
    bool stillAnimation = false;
    // For an AVI video: its frames' compression (BI_RGB, or a four-character code).
    uint32_t videoCompression = 0;
};

FaceCheck CheckFaceBytes(std::span<const uint8_t> bytes);
// The same from a decision already taken on the bytes (nothing is decoded again).
FaceCheck CheckFaceDecision(std::span<const uint8_t> bytes, const FaceDecision& decision);
// Reads the file whole and checks its bytes.
FaceCheck CheckFaceFile(const std::string& path);
