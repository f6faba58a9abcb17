// A small picture of what a face shows first, for the maker's face slots.
#pragma once

#include "make/picture/RgbaImage.h"
#include "import/GifAnimation.h"

#include <cstdint>
#include <span>

struct FaceThumbnail {
    RgbaImage image; // at most maxSide x maxSide, aspect kept; empty when nothing decodes
    // A video or an animated GIF: the image is its first frame (empty for a video whose
    // frames need a codec this process does not have).
    bool moving = false;
};

// How much a thumbnail may decode. Beyond these the image stays empty: the defaults take
// a 32-megapixel photo, which is about as much as the 32-bit maker can hold twice over.
struct ThumbnailLimits {
    DWORD pictureBytes = DWORD{96} << 20; // the importer's pixel rows
    uint64_t pixels = 32'000'000;         // a picture or frame unpacked before shrinking
};

// Decodes face file bytes as the saver decides them (DecideFace: an animated GIF, a still
// picture, else a video) and shrinks the first image to fit `maxSide`. Never fails: a file
// the saver would not show gives an empty image. Pictures and uncompressed videos are
// decoded from memory; only a video that needs a codec goes to a temporary file, because
// the system's video library reads files by name.
FaceThumbnail MakeFaceThumbnail(std::span<const uint8_t> data, int maxSide);
FaceThumbnail MakeFaceThumbnail(std::span<const uint8_t> data, int maxSide,
                                const ThumbnailLimits& limits);
