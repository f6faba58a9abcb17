#include "app/MakerLaunch.h"

#include <gtest/gtest.h>

namespace {

// The C runtime's splitting rules: 2n backslashes before a quote are n and the quote
// delimits, 2n+1 are n and a literal quote; backslashes elsewhere are literal.
TEST(MakerLaunch, QuotesArgumentsAsTheRuntimeSplitsThem) {
    const struct {
        const wchar_t* argument;
        const wchar_t* quoted;
    } cases[] = {
        {L"", L"\"\""},
        {L"C:\\Program Files\\VomraCube\\My saver.scr",
         L"\"C:\\Program Files\\VomraCube\\My saver.scr\""},
        {L"C:\\folder\\", L"\"C:\\folder\\\\\""},
        {L"say \"hi\"", L"\"say \\\"hi\\\"\""},
        {L"a\\\"b", L"\"a\\\\\\\"b\""},
        {L"\\\\server\\share\\x.scr", L"\"\\\\server\\share\\x.scr\""},
        {L"\x5c4f\x4fdd.scr", L"\"\x5c4f\x4fdd.scr\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QuoteArgument(c.argument), c.quoted);
    }
}

} // namespace
