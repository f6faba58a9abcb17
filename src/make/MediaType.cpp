#include "make/MediaType.h"

#include <cstring>

namespace {
uint32_t Be32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}
bool At(std::span<const uint8_t> d, size_t offset, const char* text) {
    const size_t n = std::strlen(text);
    return offset <= d.size() && n <= d.size() - offset &&
           std::memcmp(d.data() + offset, text, n) == 0;
}

MediaType Kind(MediaKind kind, const char* name, bool moving) {
    return MediaType{kind, name, moving, 0};
}

// ISO base media files start with a box: size, type. "ftyp" names the major brand.
MediaType IsoMedia(std::span<const uint8_t> d) {
    if (d.size() < 12) {
        return {};
    }
    if (At(d, 4, "ftyp")) {
        const std::string brand(reinterpret_cast<const char*>(d.data() + 8), 4);
        if (brand == "qt  ") {
            return Kind(MediaKind::kQuickTime, "QuickTime (MOV) video", true);
        }
        if (brand.rfind("3gp", 0) == 0 || brand.rfind("3g2", 0) == 0) {
            return Kind(MediaKind::kThreeGp, "3GP video", true);
        }
        if (brand == "M4A " || brand == "M4B ") {
            return Kind(MediaKind::kMp4Audio, "MP4 audio (no picture)", false);
        }
        if (brand == "heic" || brand == "heix" || brand == "hevc" || brand == "heim" ||
            brand == "heis" || brand == "mif1" || brand == "msf1") {
            return Kind(MediaKind::kHeif, "HEIF/HEIC picture", false);
        }
        if (brand == "avif" || brand == "avis") {
            return Kind(MediaKind::kAvif, "AVIF picture", false);
        }
        return Kind(MediaKind::kMp4, "MP4 video", true);
    }
    // Older QuickTime files start with one of these boxes instead.
    if (At(d, 4, "moov") || At(d, 4, "mdat") || At(d, 4, "wide") || At(d, 4, "pnot")) {
        return Kind(MediaKind::kQuickTime, "QuickTime (MOV) video", true);
    }
    return {};
}

// EBML variable-length numbers: the count of leading zero bits of the first byte gives
// the length. An element ID keeps its marker bit, a size loses it.
bool ReadVint(std::span<const uint8_t> d, size_t& at, bool keepMarker, uint64_t& value) {
    if (at >= d.size() || d[at] == 0) {
        return false;
    }
    int length = 1;
    while (!(d[at] & (0x80 >> (length - 1)))) {
        ++length;
    }
    if (length > 8 || static_cast<size_t>(length) > d.size() - at) {
        return false;
    }
    value = keepMarker ? d[at] : d[at] & (0xFF >> length);
    for (int i = 1; i < length; ++i) {
        value = value << 8 | d[at + i];
    }
    at += length;
    return true;
}

MediaType Ebml(std::span<const uint8_t> d) {
    size_t at = 0;
    uint64_t id = 0, size = 0;
    if (!ReadVint(d, at, true, id) || id != 0x1A45DFA3 || !ReadVint(d, at, false, size)) {
        return {};
    }
    const size_t end = size < d.size() - at ? at + static_cast<size_t>(size) : d.size();
    while (at < end) {
        if (!ReadVint(d, at, true, id) || !ReadVint(d, at, false, size) || at > end ||
            size > end - at) {
            break;
        }
        if (id == 0x4282) { // DocType
            const std::string type(reinterpret_cast<const char*>(d.data() + at),
                                   static_cast<size_t>(size));
            if (type.rfind("webm", 0) == 0) {
                return Kind(MediaKind::kWebm, "WebM video", true);
            }
            break;
        }
        at += static_cast<size_t>(size);
    }
    return Kind(MediaKind::kMatroska, "Matroska (MKV) video", true);
}

// RIFF "WEBP": chunks of fourcc, little-endian size, data padded to even length.
MediaType Webp(std::span<const uint8_t> d) {
    for (size_t at = 12; at + 8 <= d.size();) {
        if (At(d, at, "ANIM") || At(d, at, "ANMF")) {
            return Kind(MediaKind::kAnimatedWebp, "animated WebP", true);
        }
        const uint64_t size = Le32(d.data() + at + 4);
        if (size + (size & 1) > d.size() - at - 8) {
            break;
        }
        at += 8 + static_cast<size_t>(size + (size & 1));
    }
    return Kind(MediaKind::kWebp, "WebP picture", false);
}

// A PNG is animated when an acTL chunk comes before the first IDAT; others are not ours.
MediaType Png(std::span<const uint8_t> d) {
    for (size_t at = 8; at + 8 <= d.size();) {
        const uint64_t length = Be32(d.data() + at);
        if (At(d, at + 4, "IDAT") || At(d, at + 4, "IEND")) {
            break;
        }
        if (At(d, at + 4, "acTL") && length >= 8 && at + 12 <= d.size()) {
            MediaType t = Kind(MediaKind::kAnimatedPng, "animated PNG", true);
            t.frames = static_cast<int>(Be32(d.data() + at + 8) & 0x7FFFFFFF);
            return t;
        }
        if (length > d.size() - at - 8) {
            break;
        }
        at += 12 + static_cast<size_t>(length);
    }
    return {};
}

MediaType Bmp(std::span<const uint8_t> d) {
    if (d.size() < 18) {
        return {};
    }
    const uint32_t header = Le32(d.data() + 14);
    const uint32_t compression = d.size() >= 34 && header >= 40 ? Le32(d.data() + 30) : 0;
    MediaType t = Kind(MediaKind::kBmp, "", false);
    if (compression == 4 || compression == 5) {
        t.name = compression == 4 ? "BMP with embedded JPEG data" : "BMP with embedded PNG data";
    } else {
        t.name = "BMP with a " + std::to_string(header) + "-byte header";
    }
    return t;
}

bool MpegTransport(std::span<const uint8_t> d) {
    if (d.size() < 188 * 4) {
        return false;
    }
    for (size_t at = 0; at < 188 * 4; at += 188) {
        if (d[at] != 0x47) {
            return false;
        }
    }
    return true;
}
} // namespace

MediaType RecogniseMedia(std::span<const uint8_t> d) {
    static const uint8_t kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    static const uint8_t kAsf[] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11};
    if (d.size() >= 8 && std::memcmp(d.data(), kPng, 8) == 0) {
        return Png(d);
    }
    if (At(d, 0, "RIFF") && At(d, 8, "WEBP")) {
        return Webp(d);
    }
    if (d.size() >= 8 && std::memcmp(d.data(), kAsf, 8) == 0) {
        return Kind(MediaKind::kAsf, "Windows Media (ASF/WMV) video", true);
    }
    if (At(d, 0, "OggS")) {
        return Kind(MediaKind::kOgg, "Ogg video", true);
    }
    if (At(d, 0, "FLV\x01")) {
        return Kind(MediaKind::kFlv, "Flash (FLV) video", true);
    }
    static const uint8_t kMpegPack[] = {0x00, 0x00, 0x01, 0xBA};
    if (d.size() >= 4 && std::memcmp(d.data(), kMpegPack, 4) == 0) {
        return Kind(MediaKind::kMpegProgram, "MPEG video", true);
    }
    if (At(d, 0, "\x1A\x45\xDF\xA3")) {
        return Ebml(d);
    }
    if (At(d, 0, "BM")) {
        return Bmp(d);
    }
    static const uint8_t kJxlBox[] = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    if ((d.size() >= 2 && d[0] == 0xFF && d[1] == 0x0A) ||
        (d.size() >= sizeof kJxlBox && std::memcmp(d.data(), kJxlBox, sizeof kJxlBox) == 0)) {
        return Kind(MediaKind::kJpegXl, "JPEG XL picture", false);
    }
    if (d.size() >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) {
        return Kind(MediaKind::kJpeg, "JPEG file whose header is damaged", false);
    }
    if (MpegTransport(d)) {
        return Kind(MediaKind::kMpegTransport, "MPEG transport stream video", true);
    }
    return IsoMedia(d);
}
