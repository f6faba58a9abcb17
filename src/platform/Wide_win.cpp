#include "platform/Wide.h"

#include "platform/Utf16.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t));

namespace wide {

std::wstring FromUtf8(std::string_view utf8) {
    std::u16string units;
    if (!utf16::FromUtf8(utf8, units)) {
        return {};
    }
    return std::wstring(units.begin(), units.end());
}

bool ToUtf8(std::wstring_view text, std::string& out) {
    const std::u16string units(text.begin(), text.end());
    return utf16::ToUtf8(units, out);
}

std::string ToUtf8Lossy(std::wstring_view text) {
    const std::u16string units(text.begin(), text.end());
    return utf16::ToUtf8Lossy(units);
}

} // namespace wide
