// One folder photo read and decoded for a face, on the photo worker: at the size the face
// needs (a JPEG through the library's DCT scaling, the smallest of 1/1 to 1/8 whose longer
// side still covers the face), in the layout the renderer draws.
#pragma once

#include "import/PackedPicture.h"

#include <cstdint>
#include <span>
#include <string>

// A photo file longer than this is passed over: no photo of a camera comes near it.
constexpr uint64_t kMaxPhotoFileBytes = uint64_t{64} << 20;
// The pixel rows a decoded folder photo may hold: 8 megapixels at 32 bits. A JPEG is
// scaled down before this applies; a larger picture of another format is passed over.
constexpr uint32_t kMaxPhotoPixelBytes = uint32_t{32} << 20;

enum class PhotoRead {
    kOk,
    kCannotOpen, // the file is not there now (its folder gone, a share away)
    kNoPicture,  // read, but not a picture the saver shows, or too large
};

struct DecodedPhoto {
    PhotoRead result = PhotoRead::kNoPicture;
    PackedPicture picture;
};

// The width and height a JPEG's frame header gives; false when the bytes hold none.
bool JpegFrameSize(std::span<const uint8_t> bytes, uint32_t& width, uint32_t& height);
// 1, 2, 4 or 8: the largest divisor that leaves the longer side at least `side` pixels.
unsigned JpegScaleFor(uint32_t width, uint32_t height, uint32_t side);

// Decodes the bytes of a photo for a face about `side` pixels across.
DecodedPhoto DecodePhotoBytes(std::span<const uint8_t> bytes, uint32_t side);
// Reads the file and decodes it; never throws.
DecodedPhoto DecodePhotoFile(const std::string& path, uint32_t side);
