#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

SaverMode ModeOf(const char* arguments) {
    return ParseSaverCommandLine(arguments).mode;
}

TEST(CommandLine, RunSwitchAcceptsPrefixCaseAndSeparators) {
    for (const char* arguments : {"/s", "-S", "s", "/s:", "/s ", "  /S  ", ":/s", "/s extra"})
        EXPECT_EQ(ModeOf(arguments), SaverMode::Run) << '"' << arguments << '"';
}

TEST(CommandLine, LongerOrDoubledSwitchesEndTheProgram) {
    for (const char* arguments : {"/save", "/s5", "//s", "/-s", "-", "/", "x", "/x", "sp"})
        EXPECT_EQ(ModeOf(arguments), SaverMode::Exit) << '"' << arguments << '"';
}

TEST(CommandLine, NoTokenConfiguresWithoutOwner) {
    for (const char* arguments : {"", "   ", ":", " : :: ", static_cast<const char*>(nullptr)})
        EXPECT_EQ(ModeOf(arguments), SaverMode::ConfigureWithoutOwner);
}

TEST(CommandLine, ConfigureIgnoresTheHandleAndUsesTheForeground) {
    for (const char* arguments : {"/c", "/c:5678", "-C 5678", "c"})
        EXPECT_EQ(ModeOf(arguments), SaverMode::ConfigureForForeground) << arguments;
}

TEST(CommandLine, PreviewTakesTheNextTokenAsDecimalHandle) {
    for (const char* arguments : {"/p 1234", "/p:1234", "-P  1234", "p::1234 99"}) {
        const SaverCommand command = ParseSaverCommandLine(arguments);
        EXPECT_EQ(command.mode, SaverMode::Preview) << arguments;
        EXPECT_EQ(command.previewParent, 1234) << arguments;
    }
    // atol semantics: digits up to the first non-digit, none gives 0.
    EXPECT_EQ(ParseSaverCommandLine("/p 12ab").previewParent, 12);
    EXPECT_EQ(ParseSaverCommandLine("/p abc").previewParent, 0);
    EXPECT_EQ(ParseSaverCommandLine("/p -42").previewParent, -42);
}

TEST(CommandLine, PreviewWithoutHandleEndsTheProgram) {
    EXPECT_EQ(ModeOf("/p"), SaverMode::Exit);
    EXPECT_EQ(ModeOf("/p: "), SaverMode::Exit);
}

TEST(CommandLine, PasswordChangeIsRecognised) {
    EXPECT_EQ(ModeOf("/a"), SaverMode::ChangePassword);
    EXPECT_EQ(ModeOf("-A 1234"), SaverMode::ChangePassword);
}

TEST(CommandLine, HandleConversionClampsInsteadOfOverflowing) {
    EXPECT_EQ(ParseDecimalHandle("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseDecimalHandle("2147483648"), INT32_MAX);
    EXPECT_EQ(ParseDecimalHandle("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDecimalHandle("-99999999999999999999999999"), INT32_MIN);
    EXPECT_EQ(ParseDecimalHandle("99999999999999999999999999999999999999999"), INT32_MAX);
    EXPECT_EQ(ParseDecimalHandle(" \t+77x"), 77);
    EXPECT_EQ(ParseDecimalHandle("+-5"), 0);
    EXPECT_EQ(ParseDecimalHandle(nullptr), 0);
    const SaverCommand longHandle =
        ParseSaverCommandLine("/p 000000000000000000000000000000000000000000001234");
    EXPECT_EQ(longHandle.mode, SaverMode::Preview);
}

} // namespace
