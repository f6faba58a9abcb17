// Which member of the ISO media file family a file is, from the brands of its leading
// `ftyp` box: HEIF pictures (HEVC-coded, phones' HEIC) and AVIF pictures (AV1-coded) share
// one container and one decoder, but are told apart for the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace picture {

enum class HeifBrand : uint8_t { kNone, kHeif, kAvif };

// The bytes a probe reads: the box header, the major brand, the minor version and up to
// 60 compatible brands.
constexpr size_t kFtypProbeBytes = 256;

// The brand family of a file starting with `head` (its first bytes, up to
// kFtypProbeBytes): kAvif when the major or any compatible brand is avif or avis, else
// kHeif for heic, heix, hevc, hevx, heim, heis, hevm, hevs, mif1 or msf1, else kNone. Only
// brands inside the box's stated size count; a box too short or too long is kNone.
HeifBrand BrandOfFtyp(std::span<const uint8_t> head);

} // namespace picture
