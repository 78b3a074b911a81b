// The options dialog's rules: which version translation it reads and how it asks for a
// version string, the minutes field, and the link's colour.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "options/options_rules.h"

namespace {

// Exact, else the first of the language's family, else US English, else any English, else the
// first; the query path is hexadecimal and always terminated.
TEST(OptionsRules, VersionTranslationFallsBackAndIsQueriedInHex) {
    const std::vector<VersionTranslation> pairs = {
        {0x0407, 1200}, {0x0804, 1200}, {0x0809, 1252}, {0x0409, 1200}, {0x0C04, 1200}};
    const std::vector<VersionTranslation> noUs = {{0x0407, 1200}, {0x0809, 1252}};
    const std::vector<VersionTranslation> neither = {{0x0407, 1200}, {0x040C, 1200}};
    const std::tuple<const std::vector<VersionTranslation>*, uint16_t, std::size_t> rows[] = {
        {&pairs, 0x0C04, 4}, {&pairs, 0x1004, 1}, {&pairs, 0x040C, 3}, {&noUs, 0x040C, 1},
        {&neither, 0x0411, 0}};
    for (const auto& [list, language, chosen] : rows)
        EXPECT_EQ(ChooseVersionTranslation(*list, language), chosen) << language;
    EXPECT_EQ(ChooseVersionTranslation({}, 0x0409), 0u);
    std::array<Utf16Unit, kVersionQueryUnits> out;
    out.fill(u'#');
    ComposeVersionQuery({0x0409, 0x04B0}, u"FileVersion", out);
    EXPECT_EQ(std::u16string(out.data()), u"\\StringFileInfo\\040904B0\\FileVersion");
    ComposeVersionQuery({0xABCD, 0x00EF}, std::u16string(300, u'x'), out);
    EXPECT_EQ(out.back(), 0);
    EXPECT_EQ(std::u16string(out.data()).substr(0, 25), u"\\StringFileInfo\\ABCD00EF\\");
}

TEST(OptionsRules, MinutesReadLikeADecimalNumberAndTheLinkStaysVisible) {
    const std::pair<const char16_t*, int> minutes[] = {
        {u"", 0}, {u"25", 25}, {u"  7x", 7}, {u"-3", -3}, {u"abc", 0},
        {u"99999999999999999999", 2147483647}, {u"-99999999999999999999", -2147483647 - 1}};
    for (const auto& [text, value] : minutes)
        EXPECT_EQ(ParseMinutesText(text), value);
    // The system colour, unless it vanishes into the background.
    EXPECT_EQ(LinkTextColour(0x00CC6600, 0x00F0F0F0), 0x00CC6600u); // blue on grey
    EXPECT_EQ(LinkTextColour(0x00E0E0E0, 0x00F5F5F5), 0x00CC6600u); // grey on grey
    EXPECT_EQ(LinkTextColour(0x0000FFFF, 0x00000000), 0x0000FFFFu); // yellow on black
}

} // namespace
