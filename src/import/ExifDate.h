// The date a photo was taken, from the Exif block of a JPEG: DateTimeOriginal (tag 0x9003
// in the Exif IFD), else the picture's DateTime (tag 0x0132 in IFD0). Only for ordering
// photos by date: the camera's local time, read as if it were UTC.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

// How many bytes of a file to read for its date: the Exif block precedes the picture data
// and rarely passes 64 KiB (an APP1 segment cannot).
constexpr uint32_t kExifDateBytes = 65536 + 4;

// Seconds since 1970 of the date in the JPEG's first bytes; none without a readable date.
std::optional<uint64_t> ExifDateTaken(std::span<const uint8_t> bytes);
