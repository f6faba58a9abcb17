#include "vomracube-maker/SettingWords.h"

#include <gtest/gtest.h>

namespace {
const SettingInfo& Find(PayloadSetting slot) {
    return SettingTable()[slot];
}

// The parsed value, or the sentence that refuses the text.
std::string Typed(PayloadSetting slot, const std::string& text, const std::string& decimal) {
    int64_t value = 0;
    std::string error;
    return ParseTyped(Find(slot), text, decimal, value, error) ? std::to_string(value) : error;
}

TEST(SettingWords, EverySettingHasHelpAndTheChoicesHaveNames) {
    for (const SettingInfo& setting : SettingTable()) {
        EXPECT_GT(std::string(SettingHelp(setting)).size(), 10u) << setting.label;
    }
    EXPECT_EQ(ControlOf(Find(kMotionStyle)), SettingControl::kChoice);
    EXPECT_EQ(ControlOf(Find(kRegionOption)), SettingControl::kSwitch);
    EXPECT_EQ(ControlOf(Find(kBoxCount)), SettingControl::kNumber);
    // One name for each pattern the range allows, and none beyond.
    for (int64_t p = Find(kMotionStyle).low; p <= Find(kMotionStyle).high; ++p) {
        ASSERT_NE(MotionPatternName(static_cast<int>(p)), nullptr) << p;
    }
    EXPECT_EQ(MotionPatternName(kMotionPatternCount), nullptr);
    EXPECT_EQ(MotionPatternName(-1), nullptr);
}

TEST(SettingWords, TheLocalesDecimalSeparatorIsWrittenAndRead) {
    struct Case {
        PayloadSetting slot;
        const char* text;
        const char* decimal;
        const char* value;
    };
    const Case cases[] = {
        {kCubeSize, "2,5", ",", "2500"},    // German
        {kCubeSize, "2.5", ",", "2500"},    // a full stop is taken everywhere
        {kCubeSize, " 0,125 ", ",", "125"}, // spaces around are no fault
        {kCubeSize, "2.5", ".", "2500"},    // English
        {kBoxSpeed, "1", ",", "1000"},      // whole numbers need no separator
        {kCubeCount, "-1", ",", "-1"},      // counts keep their sign
        {kBoxCount, "10000", ".", "10000"}, // the whole range is reachable by typing
        {kBoxPhaseStep, "1000", ".", "1000000"},
        {kCubeSize,
         "1\xC2\xA0"
         "5",
         "\xC2\xA0", "1500"}, // a separator of two bytes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Typed(c.slot, c.text, c.decimal), c.value) << c.text << " with " << c.decimal;
    }
    EXPECT_EQ(FormatTyped(Find(kCubeSize), 2500, ","), "2,5");
    EXPECT_EQ(FormatTyped(Find(kCubeSize), 2000, ","), "2");
    EXPECT_EQ(FormatTyped(Find(kBoxCount), 25, ","), "25");
}

TEST(SettingWords, RefusalsNameTheFieldAndItsRangeInWords) {
    // 20000 boxes was once stored as 2000: out of range is refused, never cut.
    EXPECT_EQ(Typed(kBoxCount, "20000", "."), "Boxes goes from 0 to 10000; 20000 is too large.");
    EXPECT_EQ(Typed(kCubeCount, "-2", "."), "Picture cubes goes from -1 to 1000; -2 is too small.");
    EXPECT_EQ(Typed(kCubeSize, "", ","), "Cube size is empty: type a number from 0,001 to 100.");
    EXPECT_EQ(Typed(kCubeSize, "2,5,1", ","),
              "Cube size takes a number from 0,001 to 100; \"2,5,1\" is not one.");
    // A comma is no separator where the locale writes a full stop: "2,5" is not 25.
    EXPECT_EQ(Typed(kCubeSize, "2,5", "."),
              "Cube size takes a number from 0.001 to 100; \"2,5\" is not one.");
    for (const char* text : {"x", "1e3", "0x10", "1.5", "--boxes"}) {
        const std::string error = Typed(kBoxCount, text, ".");
        EXPECT_EQ(error.rfind("Boxes takes a whole number from 0 to 10000", 0), 0u) << error;
    }
    for (const SettingInfo& setting : SettingTable()) {
        int64_t value = 0;
        std::string error;
        ASSERT_FALSE(ParseTyped(setting, "?", ".", value, error));
        EXPECT_EQ(error.find("--"), std::string::npos) << error;
    }
}
} // namespace
