#include "platform/Utf16.h"

#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// Decodes one scalar value at `text[i]` and advances `i`; false at an ill-formed sequence.
// The ranges of the second byte rule out overlong forms, surrogates and values beyond
// U+10FFFF, as the Unicode standard's table of well-formed byte sequences does.
bool DecodeUtf8(std::string_view text, size_t& i, char32_t& c) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(i);
    if (lead < 0x80) {
        c = lead;
        ++i;
        return true;
    }
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0Fu;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07u;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return false;
    }
    if (text.size() - i < length) {
        return false;
    }
    for (size_t k = 1; k < length; ++k) {
        const uint8_t next = byte(i + k);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) {
            return false;
        }
        c = (c << 6) | (next & 0x3Fu);
    }
    i += length;
    return true;
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Decodes one scalar value at `text[i]` and advances `i` past it; false (with `i` past the
// one offending unit) at a lone surrogate.
bool DecodeUtf16(std::u16string_view text, size_t& i, char32_t& c) {
    const char32_t first = text[i++];
    if (!IsSurrogate(first)) {
        c = first;
        return true;
    }
    if (first >= 0xDC00 || i == text.size() || text[i] < 0xDC00 || text[i] > 0xDFFF) {
        return false;
    }
    c = 0x10000 + ((first - 0xD800) << 10) + (text[i++] - 0xDC00);
    return true;
}

} // namespace

namespace utf16 {

bool FromUtf8(std::string_view text, std::u16string& out) {
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t c = 0;
        if (!DecodeUtf8(text, i, c)) {
            out.clear();
            return false;
        }
        if (c < 0x10000) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return true;
}

bool ToUtf8(std::u16string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size();) {
        char32_t c = 0;
        if (!DecodeUtf16(text, i, c)) {
            out.clear();
            return false;
        }
        AppendUtf8(c, out);
    }
    return true;
}

std::string ToUtf8Lossy(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        char32_t c = 0;
        AppendUtf8(DecodeUtf16(text, i, c) ? c : kReplacement, out);
    }
    return out;
}

} // namespace utf16
