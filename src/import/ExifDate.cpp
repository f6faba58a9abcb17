#include "import/ExifDate.h"

#include <cstring>

namespace {

// The TIFF structure inside the APP1 segment, every read bounded by it.
struct Tiff {
    std::span<const uint8_t> bytes;
    bool little = true;

    uint32_t U16(uint64_t at) const {
        if (at + 2 > bytes.size()) {
            return 0;
        }
        return little ? bytes[at] | (uint32_t{bytes[at + 1]} << 8)
                      : (uint32_t{bytes[at]} << 8) | bytes[at + 1];
    }
    uint32_t U32(uint64_t at) const {
        return little ? U16(at) | (U16(at + 2) << 16) : (U16(at) << 16) | U16(at + 2);
    }
    // The value offset of `tag` in the IFD at `ifd`; 0 when it has none.
    uint32_t Find(uint32_t ifd, uint32_t tag) const {
        const uint32_t count = U16(ifd);
        // 64-bit sums: an offset near 4 GiB must not wrap on the 32-bit build.
        for (uint32_t i = 0;
             i < count && uint64_t{ifd} + 2 + 12 * (uint64_t{i} + 1) <= bytes.size(); ++i) {
            const size_t entry = ifd + 2 + 12 * size_t{i};
            if (U16(entry) == tag) {
                return U32(entry + 8);
            }
        }
        return 0;
    }
};

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// "YYYY:MM:DD HH:MM:SS" at `at` (19 characters); none for anything else, blanks included.
std::optional<uint64_t> ParseDate(const Tiff& tiff, uint32_t at) {
    if (at == 0 || uint64_t{at} + 19 > tiff.bytes.size()) {
        return std::nullopt;
    }
    const uint8_t* t = tiff.bytes.data() + at;
    unsigned v[6];
    const int starts[6] = {0, 5, 8, 11, 14, 17};
    const int lengths[6] = {4, 2, 2, 2, 2, 2};
    for (int f = 0; f < 6; ++f) {
        v[f] = 0;
        for (int k = 0; k < lengths[f]; ++k) {
            const uint8_t c = t[starts[f] + k];
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            v[f] = v[f] * 10 + (c - '0');
        }
    }
    if (v[0] < 1970 || v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > 31 || v[3] > 23 || v[4] > 59 ||
        v[5] > 60) {
        return std::nullopt;
    }
    const int64_t days = DaysFromCivil(v[0], v[1], v[2]);
    return static_cast<uint64_t>(days * 86400 + v[3] * 3600 + v[4] * 60 + v[5]);
}

// The TIFF block of the first APP1 Exif segment.
std::optional<Tiff> FindExif(std::span<const uint8_t> bytes) {
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
        return std::nullopt;
    }
    size_t at = 2;
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
        const uint8_t marker = bytes[at + 1];
        const size_t length = (size_t{bytes[at + 2]} << 8) | bytes[at + 3];
        if (marker == 0xDA || marker == 0xD9 || length < 2) {
            return std::nullopt;
        }
        const size_t end = at + 2 + length;
        if (marker == 0xE1 && length >= 8 && end <= bytes.size() &&
            std::memcmp(&bytes[at + 4], "Exif\0\0", 6) == 0) {
            Tiff tiff{bytes.subspan(at + 10, end - at - 10)};
            if (tiff.bytes.size() < 8) {
                return std::nullopt;
            }
            tiff.little = tiff.bytes[0] == 'I';
            return tiff;
        }
        at = end;
    }
    return std::nullopt;
}

} // namespace

std::optional<uint64_t> ExifDateTaken(std::span<const uint8_t> bytes) {
    const std::optional<Tiff> tiff = FindExif(bytes);
    if (!tiff) {
        return std::nullopt;
    }
    const uint32_t ifd0 = tiff->U32(4);
    if (const uint32_t exif = tiff->Find(ifd0, 0x8769)) {
        if (const std::optional<uint64_t> taken = ParseDate(*tiff, tiff->Find(exif, 0x9003))) {
            return taken;
        }
    }
    return ParseDate(*tiff, tiff->Find(ifd0, 0x0132));
}
