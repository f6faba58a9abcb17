// Writing payloads (the authoring tool's side of Payload.h): a saver image is the template
// executable followed by one payload. Writing onto an image that already ends in a payload
// replaces that payload instead of stacking a second one behind it.
#pragma once

#include "app/Payload.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

struct PayloadFace {
    BYTE mode = 0; // 0 fits the picture inside the face, 1 fills the face
    std::vector<BYTE> data;
};

// A face as the streaming writer takes it: bytes held elsewhere, never copied.
struct PayloadFaceView {
    BYTE mode = 0;
    std::span<const BYTE> data;
};

// Takes the next bytes of the file being written; false when they could not be written.
using ByteSink = std::function<bool(std::span<const BYTE>)>;

// "n1,n2,...,n9", the form the reader parses.
std::string FormatSettingsText(const uint32_t* values);

// The length of the image without its payload: the payload's offset when the image ends in
// a payload the reader would accept, else the whole length.
size_t PayloadOffset(std::span<const BYTE> image);

// The size of the saver `image` (without a payload it ends in) followed by a payload of
// these settings and faces (and the extension block, make/PayloadExtensionWriter.h, when
// given); false when it would not fit in the layout's 32-bit offsets and lengths, or the
// block is longer than readers look at.
bool SaverSize(std::span<const BYTE> image, const uint32_t* settings, const PayloadFaceView* faces,
               uint64_t& size, std::span<const BYTE> extension = {});

// Gives `sink` the saver piece by piece: the image up to its payload, then the new payload,
// each face straight from where it is held. False when it would not fit the layout (nothing
// is written then) or the sink failed.
bool StreamSaver(std::span<const BYTE> image, const uint32_t* settings,
                 const PayloadFaceView* faces, const ByteSink& sink,
                 std::span<const BYTE> extension = {});

// Replaces the image's payload (if any) with one holding `settings` (nine values), the
// six faces and, when given, the extension block (make/PayloadExtensionWriter.h). False, with
// the image unchanged, when the result would not fit in the 32-bit offsets and lengths of
// the layout or the block is longer than readers look at.
bool WritePayload(std::vector<BYTE>& image, const uint32_t* settings, const PayloadFace* faces,
                  const std::vector<BYTE>* extension = nullptr);
