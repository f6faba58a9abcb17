// A phone or web clip converted into the Motion-JPEG AVI a video face stores, in memory.
#pragma once

#include "make/video/ClipConversion.h"

#include <cstdint>
#include <string>
#include <vector>

struct ConvertedClip {
    std::vector<uint8_t> avi;
    ClipFrames frames;
};

// False with the reason in words in `error` (kClipCancelledText when cancelled). `limitBytes`
// bounds the AVI (a face's share of the project).
bool ConvertClipToAvi(ClipInput& input, const ClipCallbacks& callbacks, uint64_t limitBytes,
                      ConvertedClip& clip, std::string& error);

// What the conversion made, for the notes: "Motion-JPEG AVI, 1280 x 720, 30 frames per
// second, 900 frames (30.0 s), JPEG quality 62 to 90".
std::string ConvertedClipText(const ClipFrames& frames);
