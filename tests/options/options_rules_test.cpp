// The options dialog's rules: which version translation it reads and how it asks for a
// version string, the minutes field, and the link's colour.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "options/options_rules.h"

namespace {

TEST(OptionsRules, VersionTranslationFallsBackFromExactToPrimaryToEnglishToFirstAndIsQueriedInHex) {
    const std::vector<VersionTranslation> pairs = {
        {0x0407, 1200}, {0x0804, 1200}, {0x0809, 1252}, {0x0409, 1200}, {0x0C04, 1200}};
    EXPECT_EQ(ChooseVersionTranslation(pairs, 0x0C04), 4u); // exact
    EXPECT_EQ(ChooseVersionTranslation(pairs, 0x1004), 1u); // Chinese: first of its family
    EXPECT_EQ(ChooseVersionTranslation(pairs, 0x040C), 3u); // French: US English
    const std::vector<VersionTranslation> noUs = {{0x0407, 1200}, {0x0809, 1252}};
    EXPECT_EQ(ChooseVersionTranslation(noUs, 0x040C), 1u); // any English
    const std::vector<VersionTranslation> neither = {{0x0407, 1200}, {0x040C, 1200}};
    EXPECT_EQ(ChooseVersionTranslation(neither, 0x0411), 0u);
    EXPECT_EQ(ChooseVersionTranslation({}, 0x0409), 0u);
    // The query path is hexadecimal and always terminated.
    std::array<Utf16Unit, kVersionQueryUnits> out;
    out.fill(u'#');
    ComposeVersionQuery({0x0409, 0x04B0}, u"FileVersion", out);
    EXPECT_EQ(std::u16string(out.data()), u"\\StringFileInfo\\040904B0\\FileVersion");
    const std::u16string longName(300, u'x');
    ComposeVersionQuery({0xABCD, 0x00EF}, longName, out);
    EXPECT_EQ(out.back(), 0);
    EXPECT_EQ(std::u16string(out.data()).substr(0, 25), u"\\StringFileInfo\\ABCD00EF\\");
}

TEST(OptionsRules, MinutesReadLikeADecimalNumberAndAnEmptyFieldIsZero) {
    EXPECT_EQ(ParseMinutesText(u""), 0);
    EXPECT_EQ(ParseMinutesText(u"25"), 25);
    EXPECT_EQ(ParseMinutesText(u"  7x"), 7);
    EXPECT_EQ(ParseMinutesText(u"-3"), -3);
    EXPECT_EQ(ParseMinutesText(u"abc"), 0);
    EXPECT_EQ(ParseMinutesText(u"99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseMinutesText(u"-99999999999999999999"), -2147483647 - 1);
}

TEST(OptionsRules, TheLinkKeepsTheSystemColourUnlessItVanishesIntoTheBackground) {
    EXPECT_EQ(LinkTextColour(0x00CC6600, 0x00F0F0F0), 0x00CC6600u); // blue on grey
    EXPECT_EQ(LinkTextColour(0x00E0E0E0, 0x00F5F5F5), 0x00CC6600u); // grey on grey
    EXPECT_EQ(LinkTextColour(0x0000FFFF, 0x00000000), 0x0000FFFFu); // yellow on black
}

} // namespace
