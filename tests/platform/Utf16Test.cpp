#include "platform/Utf16.h"

#include <gtest/gtest.h>

namespace {

struct RoundTrip {
    const char* utf8;
    std::u16string utf16;
};

// Each width of UTF-8 sequence, at both ends of its range, and a pair of surrogates.
const RoundTrip kRoundTrips[] = {
    {"", u""},
    {"Caf\xC3\xA9 \xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 \xE6\x9D\xB1\xE4\xBA\xAC.bmp",
     u"Café Ωμέγα 東京.bmp"},
    {"\x7F\xC2\x80\xDF\xBF", u"\u007F\u0080\u07FF"},
    {"\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF", u"\u0800\uD7FF\uE000\uFFFF"},
    {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", u"\U00010000\U0010FFFF"},
    {"\xF0\x9F\x93\xB7 photo", u"\U0001F4F7 photo"},
};

TEST(Utf16, ConvertsWellFormedTextBothWays) {
    for (const RoundTrip& row : kRoundTrips) {
        std::u16string wide;
        std::string narrow;
        EXPECT_TRUE(utf16::FromUtf8(row.utf8, wide)) << row.utf8;
        EXPECT_EQ(wide, row.utf16) << row.utf8;
        EXPECT_TRUE(utf16::ToUtf8(row.utf16, narrow)) << row.utf8;
        EXPECT_EQ(narrow, row.utf8);
    }
}

TEST(Utf16, RefusesIllFormedUtf8) {
    const char* const kIllFormed[] = {
        "\x80",             // a continuation byte first
        "a\xC3",            // truncated at the end
        "\xC3(",            // a missing continuation
        "\xC0\xAF",         // overlong '/'
        "\xC1\xBF",         // overlong, two bytes
        "\xE0\x9F\xBF",     // overlong, three bytes
        "\xF0\x8F\xBF\xBF", // overlong, four bytes
        "\xED\xA0\x80",     // an encoded high surrogate
        "\xED\xBF\xBF",     // an encoded low surrogate
        "\xF4\x90\x80\x80", // beyond U+10FFFF
        "\xF5\x80\x80\x80", // a lead byte that never occurs
        "\xFF",
        "\xE6\x9D", // a Japanese character cut short
    };
    for (const char* text : kIllFormed) {
        std::u16string wide = u"left over";
        EXPECT_FALSE(utf16::FromUtf8(text, wide)) << testing::PrintToString(text);
        EXPECT_TRUE(wide.empty());
    }
    std::u16string wide;
    EXPECT_FALSE(utf16::FromUtf8(std::string_view("a\0\xC3", 3), wide));
    EXPECT_TRUE(utf16::FromUtf8(std::string_view("a\0b", 3), wide));
    EXPECT_EQ(wide, std::u16string(u"a\0b", 3));
}

TEST(Utf16, RefusesLoneSurrogatesAndShowsThemReplaced) {
    struct Row {
        std::u16string text;
        const char* shown;
    };
    const Row kLone[] = {
        {u"\xD800", "\xEF\xBF\xBD"},
        {u"\xDC00x", "\xEF\xBF\xBDx"},
        {u"a\xD83D", "a\xEF\xBF\xBD"},
        {u"\xD83D"
         u"b",
         "\xEF\xBF\xBD"
         "b"},
        {u"\xDC37\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {u"\xD83D\xD83D\xDCF7", "\xEF\xBF\xBD\xF0\x9F\x93\xB7"},
    };
    for (const Row& row : kLone) {
        std::string narrow = "left over";
        EXPECT_FALSE(utf16::ToUtf8(row.text, narrow));
        EXPECT_TRUE(narrow.empty());
        EXPECT_EQ(utf16::ToUtf8Lossy(row.text), row.shown);
    }
    EXPECT_EQ(utf16::ToUtf8Lossy(u"Ελλάδα.png"), "Ελλάδα.png");
}

} // namespace
