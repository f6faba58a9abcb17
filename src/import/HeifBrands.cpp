#include "import/HeifBrands.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace picture {
namespace {

constexpr size_t kBoxHeader = 8;
constexpr size_t kBrandsStart = 16; // after the major brand and the minor version

bool IsOneOf(const uint8_t* brand, std::span<const char* const> names) {
    return std::any_of(names.begin(), names.end(),
                       [brand](const char* name) { return std::memcmp(brand, name, 4) == 0; });
}

} // namespace

HeifBrand BrandOfFtyp(std::span<const uint8_t> head) {
    static constexpr std::array<const char*, 2> kAvif = {"avif", "avis"};
    // mif1 and msf1 say only "an image (sequence) in this container"; a file that names
    // AVIF anywhere is AVIF, so those are checked after the whole list.
    static constexpr std::array<const char*, 10> kHeif = {"heic", "heix", "hevc", "hevx", "heim",
                                                          "heis", "hevm", "hevs", "mif1", "msf1"};
    if (head.size() < kBrandsStart || std::memcmp(head.data() + 4, "ftyp", 4) != 0) {
        return HeifBrand::kNone;
    }
    const uint32_t size =
        uint32_t{head[0]} << 24 | uint32_t{head[1]} << 16 | uint32_t{head[2]} << 8 | head[3];
    if (size < kBrandsStart || size > kFtypProbeBytes || (size - kBrandsStart) % 4 != 0) {
        return HeifBrand::kNone;
    }
    const size_t end = std::min<size_t>(size, head.size());
    // The major brand, then each compatible brand (the minor version between is skipped).
    auto brands = [&](auto&& test) {
        if (test(head.data() + kBoxHeader)) {
            return true;
        }
        for (size_t at = kBrandsStart; at + 4 <= end; at += 4) {
            if (test(head.data() + at)) {
                return true;
            }
        }
        return false;
    };
    if (brands([](const uint8_t* b) { return IsOneOf(b, kAvif); })) {
        return HeifBrand::kAvif;
    }
    if (brands([](const uint8_t* b) { return IsOneOf(b, kHeif); })) {
        return HeifBrand::kHeif;
    }
    return HeifBrand::kNone;
}

} // namespace picture
