// Names and texts are UTF-8 inside the program and UTF-16 at the Windows boundary; these
// two conversions are the only way between them. Both are strict: a string that is not
// well-formed in its encoding (a truncated or overlong sequence, an encoded surrogate, a
// value beyond U+10FFFF, a lone surrogate) is refused, not patched, because a patched file
// name names another file.
#pragma once

#include <string>
#include <string_view>

namespace utf16 {

// False (and `out` empty) when `text` is not well-formed UTF-8.
bool FromUtf8(std::string_view text, std::u16string& out);

// False (and `out` empty) when `text` holds a surrogate without its partner.
bool ToUtf8(std::u16string_view text, std::string& out);

// For showing a text that may not convert: every ill-formed unit becomes U+FFFD.
std::string ToUtf8Lossy(std::u16string_view text);

} // namespace utf16
