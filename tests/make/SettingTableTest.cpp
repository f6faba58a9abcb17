#include "make/SettingTable.h"

#include <gtest/gtest.h>

#include <set>

namespace {
const SettingInfo& Setting(PayloadSetting slot) {
    return SettingTable()[slot];
}

// The parsed value, or the error message when parsing fails.
std::string Parsed(PayloadSetting slot, const std::string& text) {
    int64_t value = 0;
    std::string error;
    return ParseSetting(Setting(slot), text, value, error) ? std::to_string(value) : error;
}
} // namespace

TEST(SettingTable, EntriesFollowThePayloadWithTheirDefaultsInRange) {
    ASSERT_EQ(SettingTable().size(), size_t{kPayloadSettingCount});
    std::set<std::string> options, labels;
    for (size_t i = 0; i < SettingTable().size(); ++i) {
        const SettingInfo& s = SettingTable()[i];
        EXPECT_EQ(s.slot, static_cast<PayloadSetting>(i));
        const int64_t defaultValue = SettingValue(s, kSettingDefaults[i]);
        EXPECT_GE(defaultValue, s.low) << s.option;
        EXPECT_LE(defaultValue, s.high) << s.option;
        EXPECT_TRUE(options.insert(s.option).second) << s.option;
        EXPECT_TRUE(labels.insert(s.label).second) << s.label;
        EXPECT_EQ(FindSettingOption(s.option), &s);
    }
    EXPECT_EQ(FindSettingOption("--speed"), nullptr);
    EXPECT_EQ(FindSettingOption("boxes"), nullptr);
}

TEST(SettingTable, ValuesAreWrittenAsTheyAreTyped) {
    EXPECT_EQ(FormatSetting(Setting(kCubeSize), 1250), "1.25");
    EXPECT_EQ(FormatSetting(Setting(kCubeSize), 1000), "1");
    EXPECT_EQ(FormatSetting(Setting(kBoxPhaseStep), 125), "0.125");
    EXPECT_EQ(FormatSetting(Setting(kBoxPhaseStep), 0), "0");
    EXPECT_EQ(FormatSetting(Setting(kBoxPhaseStep), 1000000), "1000");
    EXPECT_EQ(FormatSetting(Setting(kCubeSize), -1500), "-1.5");
    EXPECT_EQ(FormatSetting(Setting(kCubeCount), -1), "-1");
    EXPECT_EQ(FormatSetting(Setting(kBoxCount), 10000), "10000");
    EXPECT_EQ(SettingRangeText(Setting(kBoxSize)), "from 0.001 to 100");
    EXPECT_EQ(SettingRangeText(Setting(kCubeCount)), "from -1 to 1000");
}

TEST(SettingTable, ParsingTakesWholeNumbersAndUpToThreeDecimals) {
    EXPECT_EQ(Parsed(kCubeSize, "1.5"), "1500");
    EXPECT_EQ(Parsed(kCubeSize, ".25"), "250");
    EXPECT_EQ(Parsed(kCubeSize, "7."), "7000");
    EXPECT_EQ(Parsed(kBoxPhaseStep, "0.125"), "125");
    EXPECT_EQ(Parsed(kBoxPhaseStep, "1000"), "1000000");
    EXPECT_EQ(Parsed(kCubeCount, "-1"), "-1");
    EXPECT_EQ(Parsed(kMotionStyle, "3"), "3");
    for (const char* text : {"", ".", "1.2.3", "0.0001", "1e3", "-1", "+1", " 1", "1 ", "x",
                             "1234567890", "99999999999999999999"}) {
        EXPECT_EQ(Parsed(kBoxSize, text),
                  "--box-size takes a number from 0.001 to 100, not \"" + std::string(text) + "\"");
    }
    for (const char* text : {"", "1.5", "0x3", "4", "-0x1", "3 "}) {
        EXPECT_EQ(Parsed(kMotionStyle, text),
                  "--motion takes a whole number from 0 to 3, not \"" + std::string(text) + "\"");
    }
    EXPECT_EQ(Parsed(kCubeCount, "-2"), "--cubes takes a whole number from -1 to 1000, not \"-2\"");
    EXPECT_EQ(Parsed(kBoxSize, "0"), "--box-size takes a number from 0.001 to 100, not \"0\"");
}

TEST(SettingTable, NegativeCountsSurviveTheirStoredForm) {
    int64_t value = 0;
    std::string error;
    ASSERT_TRUE(ParseSetting(Setting(kCubeCount), "-1", value, error));
    const uint32_t stored = static_cast<uint32_t>(value);
    EXPECT_EQ(stored, 4294967295u);
    EXPECT_EQ(SettingValue(Setting(kCubeCount), stored), -1);
    EXPECT_EQ(SettingValue(Setting(kBoxCount), stored), -1);
    // Thousandths are never negative: a huge stored value stays huge (and out of range).
    EXPECT_EQ(SettingValue(Setting(kBoxSpeed), stored), 4294967295);
}
