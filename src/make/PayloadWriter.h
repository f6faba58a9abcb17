// Writing payloads (the authoring tool's side of Payload.h): a saver image is the template
// executable followed by one payload. Writing onto an image that already ends in a payload
// replaces that payload instead of stacking a second one behind it.
#pragma once

#include "app/Payload.h"

#include <cstdint>
#include <string>
#include <vector>

struct PayloadFace {
    BYTE mode = 0; // 0 fits the picture inside the face, 1 fills the face
    std::vector<BYTE> data;
};

// "n1,n2,...,n9", the form the reader parses.
std::string FormatSettingsText(const uint32_t* values);

// The length of the image without its payload: the payload's offset when the image ends in
// a payload the reader would accept, else the whole length.
size_t PayloadOffset(const std::vector<BYTE>& image);

// Replaces the image's payload (if any) with one holding `settings` (nine values), the
// six faces and, when given, the extension block (make/PayloadExtensionWriter.h). False, with
// the image unchanged, when the result would not fit in the 32-bit offsets and lengths of
// the layout or the block is longer than readers look at.
bool WritePayload(std::vector<BYTE>& image, const uint32_t* settings, const PayloadFace* faces,
                  const std::vector<BYTE>* extension = nullptr);
