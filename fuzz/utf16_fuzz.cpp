// The name conversions: the input read as UTF-8 and, from its first byte on, as UTF-16 units.
// What converts comes back unchanged the other way; what does not leaves nothing; the lossy
// form always gives well-formed UTF-8 that equals the strict form wherever that succeeds.
#include "platform/Utf16.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::u16string units;
    std::string back;
    if (utf16::FromUtf8(bytes, units)) {
        if (!utf16::ToUtf8(units, back) || back != bytes) {
            std::abort();
        }
    } else if (!units.empty()) {
        std::abort();
    }

    std::u16string given(size / 2, u'\0');
    std::memcpy(given.data(), data, given.size() * 2);
    const std::string shown = utf16::ToUtf8Lossy(given);
    std::u16string again;
    if (!utf16::FromUtf8(shown, again)) {
        std::abort();
    }
    if (utf16::ToUtf8(given, back) ? (back != shown || again != given) : !back.empty()) {
        std::abort();
    }
    return 0;
}
