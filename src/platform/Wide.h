// Text crossing into and out of the wide Windows calls: UTF-8 inside, UTF-16 in Windows.
// wchar_t is a UTF-16 unit there. Windows code only.
#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace wide {

// Empty when `utf8` is not well-formed UTF-8 (or empty): a name that names no file.
std::wstring FromUtf8(std::string_view utf8);
// False (and `out` empty) at a lone surrogate, which no UTF-8 name can hold.
bool ToUtf8(std::wstring_view text, std::string& out);
// For texts that are shown: a lone surrogate becomes U+FFFD.
std::string ToUtf8Lossy(std::wstring_view text);

} // namespace wide

#endif
