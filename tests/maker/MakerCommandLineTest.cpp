#include "vomracube-maker/MakerCommandLine.h"
#include "make/system/ArgumentQuote.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(MakerCommandLine, SplitsAsTheWindowsRunTimeDoes) {
    EXPECT_EQ(SplitCommandLine(nullptr), Args{});
    EXPECT_EQ(SplitCommandLine("  \t "), Args{});
    EXPECT_EQ(SplitCommandLine("a.jpg  b.png\tc.gif"), (Args{"a.jpg", "b.png", "c.gif"}));
    EXPECT_EQ(SplitCommandLine(R"("C:\My Pictures\a b.jpg" -)"),
              (Args{R"(C:\My Pictures\a b.jpg)", "-"}));
    // Quotes may group part of an argument; "" is an empty argument.
    EXPECT_EQ(SplitCommandLine(R"(C:\My" Pictures"\x.jpg "")"),
              (Args{R"(C:\My Pictures\x.jpg)", ""}));
    // Backslashes: literal unless they precede a quote, where pairs halve and an odd one
    // makes the quote literal.
    EXPECT_EQ(SplitCommandLine(R"(a\\b a\\\"b "a\\" c)"),
              (Args{R"(a\\b)", R"(a\"b)", R"(a\)", "c"}));
    // An unclosed quote runs to the end of the line.
    EXPECT_EQ(SplitCommandLine(R"("open ended)"), (Args{"open ended"}));
}

TEST(MakerCommandLine, OneSaverOpensItElseFacesFillTheSlotsInOrder) {
    EXPECT_TRUE(IsSaverPath("C:\\x\\Holiday.SCR"));
    EXPECT_FALSE(IsSaverPath(".scr"));
    EXPECT_FALSE(IsSaverPath("photo.scr.jpg"));

    const MakerStart saver = ParseMakerArguments({"Holiday.scr"});
    EXPECT_EQ(saver.saver, "Holiday.scr");
    EXPECT_TRUE(saver.faces.empty());

    // A saver among other files is a face like any other (its verdict says what it is).
    const MakerStart faces = ParseMakerArguments({"a.jpg", "-", "Holiday.scr"});
    EXPECT_TRUE(faces.saver.empty());
    EXPECT_EQ(faces.faces, (Args{"a.jpg", "", "Holiday.scr"}));

    const MakerStart many = ParseMakerArguments({"1", "2", "3", "4", "5", "6", "7", "8"});
    EXPECT_EQ(many.faces.size(), 6u);
    EXPECT_EQ(many.faces.back(), "6");
    EXPECT_EQ(many.ignored, 2u);
    EXPECT_TRUE(ParseMakerArguments({}).faces.empty());
}

} // namespace

// What the converter is started with reaches it whole: each quoted argument splits back
// into itself, names in any script and the characters the rules treat specially included.
TEST(MakerCommandLine, QuotedArgumentsSplitBackIntoThemselves) {
    const Args kArgs[] = {
        {"C:\\Τεμπ 一時\\vcp1A2.TMP", "-i", "C:\\Ωμέγα 東京\\日本の写真.avi"},
        {"", "Café Ωμέγα 東京.bmp", "tab\there"},
        {"ends in a backslash\\", "two\\\\", "\\\\server\\share\\x"},
        {"a \"quoted\" word", "\\\"", "back\\\\\"slashes"},
    };
    for (const Args& args : kArgs) {
        std::string line;
        for (const std::string& arg : args) {
            line += QuoteArgument(arg) + " ";
        }
        EXPECT_EQ(SplitCommandLine(line.c_str()), args) << line;
    }
}
