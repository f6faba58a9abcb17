// A small picture of what a face shows first, for the maker's face slots.
#pragma once

#include "RgbaImage.h"

#include <cstdint>
#include <span>

struct FaceThumbnail {
    RgbaImage image; // at most maxSide x maxSide, aspect kept; empty when nothing decodes
    bool moving = false; // a video or an animated GIF: the image is its first frame
};

// Decodes face file bytes with the saver's own loaders (picture importer, then the video
// reader) and shrinks the first image to fit `maxSide`. Never fails: a file the saver would
// not show gives an empty image.
FaceThumbnail MakeFaceThumbnail(std::span<const uint8_t> data, int maxSide);
