#include "app/CommandLine.h"

#include <cctype>
#include <cstdint>
#include <string_view>

namespace {

constexpr std::string_view kSeparators = " :";

// Hands out the tokens of the argument text one after the other.
class Tokenizer {
  public:
    explicit Tokenizer(std::string_view text) : m_rest(text) {}

    // The next token, or an empty view when none is left.
    std::string_view Next() {
        const size_t start = m_rest.find_first_not_of(kSeparators);
        if (start == std::string_view::npos) {
            m_rest = {};
            return {};
        }
        m_rest.remove_prefix(start);
        const size_t end = m_rest.find_first_of(kSeparators);
        const std::string_view token = m_rest.substr(0, end);
        m_rest.remove_prefix(end == std::string_view::npos ? m_rest.size() : end);
        return token;
    }

  private:
    std::string_view m_rest;
};

bool IsSwitch(std::string_view token, char letter) {
    return token.size() == 1 &&
           std::tolower(static_cast<unsigned char>(token[0])) == static_cast<unsigned char>(letter);
}

} // namespace

int32_t ParseDecimalHandle(const char* text) {
    if (!text)
        return 0;
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    // Accumulate the magnitude with a ceiling just past the int32 range, so any number of
    // digits is safe.
    constexpr int64_t kCeiling = int64_t{INT32_MAX} + 1;
    int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        if (magnitude <= kCeiling)
            magnitude = magnitude * 10 + (*text - '0');
    if (negative)
        return magnitude >= kCeiling ? INT32_MIN : static_cast<int32_t>(-magnitude);
    return magnitude > INT32_MAX ? INT32_MAX : static_cast<int32_t>(magnitude);
}

SaverCommand ParseSaverCommandLine(const char* arguments) {
    Tokenizer tokens(arguments ? std::string_view(arguments) : std::string_view());
    std::string_view first = tokens.Next();
    if (first.empty())
        return {SaverMode::ConfigureWithoutOwner};
    if (first[0] == '/' || first[0] == '-')
        first.remove_prefix(1);

    if (IsSwitch(first, 's'))
        return {SaverMode::Run};
    if (IsSwitch(first, 'p')) {
        const std::string_view handle = tokens.Next();
        if (handle.empty())
            return {SaverMode::Exit};
        // The token is a view into the caller's text; copy it so the conversion stops at
        // the token's end even where a digit follows a separator.
        char digits[32] = {};
        const size_t length = handle.size() < sizeof digits - 1 ? handle.size() : sizeof digits - 1;
        handle.copy(digits, length);
        return {SaverMode::Preview, ParseDecimalHandle(digits)};
    }
    if (IsSwitch(first, 'c'))
        return {SaverMode::ConfigureForForeground};
    if (IsSwitch(first, 'a'))
        return {SaverMode::ChangePassword};
    return {SaverMode::Exit};
}
