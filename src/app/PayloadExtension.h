// The payload's extension block: what later savers add to the payload without changing the
// layout older savers read. It lies after face entry 5, in the bytes the face reader leaves
// before the final offset P (Payload.h), which savers without it do not have:
//
//   "VCXB"      magic
//   version     32-bit, 1; a block of another version is ignored whole
//   records     to the end of the block, each: 4-byte tag, 32-bit length N, N bytes
//
// Integers little-endian. A reader takes the records it knows and skips the others by
// their length; a record whose length runs past the block ends the reading (the records
// before it stand). A known record whose bytes it cannot use leaves its setting at the
// default. Records:
//
//   "PICT"  1 byte: how picture faces are drawn, 0 exact, 1 smooth (PictureMode)
//   "NAME"  1 byte: a face's index, 0 to 5; then the name of the file it was made from, UTF-8,
//           without its folder, 1 to kMaxFaceNameBytes bytes, no control characters. One
//           record per named face; the maker shows the names when the saver is opened again.
//   "FOLD"  the folder whose photos the faces without a file show (PhotoFolderSetting):
//           1 byte order (0 shuffle, 1 name, 2 date), 32-bit seconds between changes
//           (1 to kMaxChangeSeconds), then the folder's path in UTF-8 to the record's end
//           (1 to kMaxPhotoFolderBytes bytes, no NUL); a record breaking any of these
//           leaves the saver without a folder
#pragma once

#include "import/PhotoFolderSetting.h"
#include "scene/SceneSettings.h"

#include <cstddef>
#include <cstdint>
#include <string>

constexpr char kExtensionMagic[4] = {'V', 'C', 'X', 'B'};
constexpr uint32_t kExtensionVersion = 1;
constexpr uint32_t kExtensionHeadBytes = 8;
constexpr uint32_t kExtensionRecordHeadBytes = 8;
// The largest block a reader looks at; a longer one is ignored whole.
constexpr uint32_t kExtensionMaxBytes = 32768;

constexpr char kPictureModeTag[4] = {'P', 'I', 'C', 'T'};
constexpr char kFaceNameTag[4] = {'N', 'A', 'M', 'E'};
constexpr uint32_t kMaxFaceNameBytes = 1024;
constexpr int kExtensionFaceCount = 6; // the payload's faces (kPayloadFaceCount)
constexpr char kPhotoFolderTag[4] = {'F', 'O', 'L', 'D'};
constexpr uint32_t kPhotoFolderHeadBytes = 5;

struct PayloadExtension {
    bool present = false; // a block of a known version was found
    int records = 0;      // records read, known or not
    // Savers without the block draw exact, as they always did.
    PictureMode pictureMode = PictureMode::kExact;
    // The faces' original file names; empty where the saver stores none.
    std::string faceNames[kExtensionFaceCount];
    PhotoFolderSetting photoFolder; // no folder unless a FOLD record gives one
};

// A name the block can carry as it is: well-formed UTF-8 of 1 to kMaxFaceNameBytes bytes
// without control characters.
bool IsStorableFaceName(const std::string& name);

// Reads a block of `size` bytes; `out` keeps its defaults for anything the bytes do not
// give. Never reads outside [bytes, bytes + size).
void ParsePayloadExtension(const uint8_t* bytes, size_t size, PayloadExtension& out);
