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

int32_t ParseDecimalHandle(std::string_view text) {
    // The white space of the C locale, whatever locale the process runs in.
    const size_t start = text.find_first_not_of(" \t\n\v\f\r");
    text.remove_prefix(start == std::string_view::npos ? text.size() : start);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // Unsigned arithmetic wraps by definition, which is the modulo 2^32 wanted here.
    uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10u + static_cast<uint32_t>(c - '0');
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

SaverCommand ParseSaverCommandLine(const char* arguments) {
    Tokenizer tokens(arguments ? std::string_view(arguments) : std::string_view());
    std::string_view first = tokens.Next();
    if (first.empty()) {
        return {SaverMode::kConfigureWithoutOwner};
    }
    if (first[0] == '/' || first[0] == '-') {
        first.remove_prefix(1);
    }

    if (IsSwitch(first, 's')) {
        return {SaverMode::kRun};
    }
    if (IsSwitch(first, 'p')) {
        const std::string_view handle = tokens.Next();
        if (handle.empty()) {
            return {SaverMode::kExit};
        }
        // Converted within the token's bounds, so that a token of tabs alone does not let
        // the white-space skip run on into the next token.
        return {SaverMode::kPreview, ParseDecimalHandle(handle)};
    }
    if (IsSwitch(first, 'c')) {
        return {SaverMode::kConfigureForForeground};
    }
    if (IsSwitch(first, 'a')) {
        return {SaverMode::kChangePassword};
    }
    return {SaverMode::kExit};
}
