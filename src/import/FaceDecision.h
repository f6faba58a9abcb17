// What the saver shows for a face: the one decision that the saver, the face check, the
// thumbnails and the pack tool all take, so that a verdict and the saver cannot disagree.
// The order is the saver's: an animated GIF or WebP first, then a still picture, then a
// video.
#pragma once

#include "import/GifAnimation.h"
#include "import/ImageImporter.h"
#include "import/PackedPicture.h"
#include "import/PictureLimits.h"
#include "import/WebpAnimation.h"

#include <cstdint>
#include <span>

enum class FaceKind : uint8_t {
    kAnimatedGif,  // a GIF of two or more frames within the animation limits
    kAnimatedWebp, // a WebP animation of two or more frames within its limits
    kStillPicture, // a picture the importer decodes (a GIF of one frame among them)
    // Neither: the saver hands the file to the video library, and shows the default
    // picture when that cannot play it either.
    kVideo,
};

struct FaceDecision {
    FaceKind kind = FaceKind::kVideo;
    // The work the decision did, handed on so that nothing is decoded twice: the indexed
    // animation for kAnimatedGif or kAnimatedWebp, the imported picture for kStillPicture,
    // in the layout the renderer draws (ToDrawableLayout).
    GifAnimation animation;
    WebpAnimation webpAnimation;
    PackedPicture picture;
    // The still importer's findings (format, result, detail); for kVideo they say why the
    // bytes are no picture.
    ImportReport report;
};

// Decides what the bytes of a face file show. `pixelLimit` bounds the still importer's
// pixel rows (a picture beyond it is no picture to the saver either). Never throws.
FaceDecision DecideFace(std::span<const uint8_t> bytes, DWORD pixelLimit = picture::kMaxPixelBytes);

// False only when DecideFace would surely answer kVideo without decoding anything: bytes
// longer than a picture file may be, or bytes that no picture format's probe takes and that
// do not start as a GIF. The saver uses it to send a video face's bytes to their file
// without holding them in memory first.
bool CouldBePictureFace(std::span<const uint8_t> bytes);
