// A folder of photos as the source of the faces that have no file of their own: where it
// is, in which order its photos come, and how often a face may change its photo.
#pragma once

#include <cstdint>
#include <string>

enum class PhotoOrder : uint8_t {
    kShuffle = 0, // random, no photo twice until every photo has been shown
    kName = 1,    // by path, byte order of the UTF-8 names
    kDate = 2,    // by the date taken (Exif), else the file's last write time
};

// A path longer than this is refused: no system names a folder with more (32,767 UTF-16
// units become at most three bytes each, but a path that long is no real folder).
constexpr uint32_t kMaxPhotoFolderBytes = 4096;
constexpr uint32_t kDefaultChangeSeconds = 10;
constexpr uint32_t kMaxChangeSeconds = 24 * 60 * 60;

struct PhotoFolderSetting {
    std::string path; // UTF-8; empty: no folder
    PhotoOrder order = PhotoOrder::kShuffle;
    uint32_t changeSeconds = kDefaultChangeSeconds; // 1 to kMaxChangeSeconds

    bool Present() const { return !path.empty(); }
};

// "shuffle", "name", "date"; null for another value.
const char* PhotoOrderName(PhotoOrder order);
// The order a name gives; false for a name none has.
bool ParsePhotoOrder(const char* name, PhotoOrder& order);
