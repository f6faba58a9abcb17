#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

SaverMode ModeOf(const char* arguments) {
    return ParseSaverCommandLine(arguments).mode;
}

TEST(CommandLine, RunSwitchAcceptsPrefixCaseAndSeparators) {
    for (const char* arguments : {"/s", "-S", "s", "/s:", "/s ", "  /S  ", ":/s", "/s extra"}) {
        EXPECT_EQ(ModeOf(arguments), SaverMode::kRun) << '"' << arguments << '"';
    }
}

TEST(CommandLine, LongerOrDoubledSwitchesEndTheProgram) {
    for (const char* arguments : {"/save", "/s5", "//s", "/-s", "-", "/", "x", "/x", "sp"}) {
        EXPECT_EQ(ModeOf(arguments), SaverMode::kExit) << '"' << arguments << '"';
    }
}

TEST(CommandLine, NoTokenConfiguresWithoutOwner) {
    for (const char* arguments : {"", "   ", ":", " : :: ", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(ModeOf(arguments), SaverMode::kConfigureWithoutOwner);
    }
}

TEST(CommandLine, ConfigureIgnoresTheHandleAndUsesTheForeground) {
    for (const char* arguments : {"/c", "/c:5678", "-C 5678", "c"}) {
        EXPECT_EQ(ModeOf(arguments), SaverMode::kConfigureForForeground) << arguments;
    }
}

TEST(CommandLine, PreviewTakesTheNextTokenAsDecimalHandle) {
    for (const char* arguments : {"/p 1234", "/p:1234", "-P  1234", "p::1234 99"}) {
        const SaverCommand command = ParseSaverCommandLine(arguments);
        EXPECT_EQ(command.mode, SaverMode::kPreview) << arguments;
        EXPECT_EQ(command.previewParent, 1234) << arguments;
    }
    // atol semantics: digits up to the first non-digit, none gives 0.
    EXPECT_EQ(ParseSaverCommandLine("/p 12ab").previewParent, 12);
    EXPECT_EQ(ParseSaverCommandLine("/p abc").previewParent, 0);
    EXPECT_EQ(ParseSaverCommandLine("/p -42").previewParent, -42);
}

TEST(CommandLine, PreviewWithoutHandleEndsTheProgram) {
    EXPECT_EQ(ModeOf("/p"), SaverMode::kExit);
    EXPECT_EQ(ModeOf("/p: "), SaverMode::kExit);
}

TEST(CommandLine, PasswordChangeIsRecognised) {
    EXPECT_EQ(ModeOf("/a"), SaverMode::kChangePassword);
    EXPECT_EQ(ModeOf("-A 1234"), SaverMode::kChangePassword);
}

TEST(CommandLine, PreviewHandleIsTheWholeToken) {
    // Every digit counts, however many leading zeros come first.
    const SaverCommand padded =
        ParseSaverCommandLine("/p 000000000000000000000000000000000000000000001234");
    EXPECT_EQ(padded.mode, SaverMode::kPreview);
    EXPECT_EQ(padded.previewParent, 1234);
    // The conversion ends with the token: white space that is no separator is skipped, but
    // not on into the next token.
    EXPECT_EQ(ParseSaverCommandLine("/p \t56").previewParent, 56);
    EXPECT_EQ(ParseSaverCommandLine("/p \t 56").previewParent, 0);
    EXPECT_EQ(ParseSaverCommandLine("/p +:56").previewParent, 0);
}

TEST(CommandLine, HandleConversionFollowsAtol) {
    EXPECT_EQ(ParseDecimalHandle(" \t\n\v\f\r+77x"), 77);
    EXPECT_EQ(ParseDecimalHandle("-0"), 0);
    EXPECT_EQ(ParseDecimalHandle("+-5"), 0);
    EXPECT_EQ(ParseDecimalHandle("- 5"), 0);
    EXPECT_EQ(ParseDecimalHandle("12 34"), 12);
    EXPECT_EQ(ParseDecimalHandle(""), 0);
    EXPECT_EQ(ParseDecimalHandle("   "), 0);
}

// A handle has 32 significant bits, so values beyond int32 wrap modulo 2^32: the signed,
// unsigned 32-bit and sign-extended 64-bit spellings of one handle give the same window.
TEST(CommandLine, HandleConversionWrapsToThirtyTwoBits) {
    EXPECT_EQ(ParseDecimalHandle("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseDecimalHandle("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDecimalHandle("2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDecimalHandle("4294967295"), -1);
    EXPECT_EQ(ParseDecimalHandle("4294967296"), 0);
    EXPECT_EQ(ParseDecimalHandle("4294968530"), 1234);
    EXPECT_EQ(ParseDecimalHandle("18446744071562067968"), INT32_MIN); // 0xFFFFFFFF80000000
    EXPECT_EQ(ParseDecimalHandle("-4294967295"), 1);
    // 10^40 = 2^40 * 5^40, a multiple of 2^32.
    EXPECT_EQ(ParseDecimalHandle("10000000000000000000000000000000000000000"), 0);
    EXPECT_EQ(ParseDecimalHandle("10000000000000000000000000000000000001234"), 1234);
}

} // namespace
