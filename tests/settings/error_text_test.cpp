#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "settings/error_text.h"

namespace {

// Composes into a buffer full of garbage, so that a missing terminator shows.
std::u16string Compose(std::u16string_view text, std::u16string_view systemText) {
    std::array<Utf16Unit, kErrorTextUnits> out;
    out.fill(u'#');
    ComposeErrorText(text, systemText, out);
    const auto end = std::find(out.begin(), out.end(), Utf16Unit{0});
    EXPECT_NE(end, out.end()) << "not terminated";
    return std::u16string(out.begin(), end);
}

} // namespace

TEST(ComposeErrorText, JoinsTextAndSystemText) {
    EXPECT_EQ(Compose(u"Error configuring auto start",
                      u"The system cannot find the file specified.\r\n"),
              u"Error configuring auto start: The system cannot find the file specified.\r\n");
}

TEST(ComposeErrorText, NoSystemTextLeavesTheSeparator) {
    EXPECT_EQ(Compose(u"Error configuring auto start", u""), u"Error configuring auto start: ");
}

TEST(ComposeErrorText, LongTextIsCutTo511Units) {
    EXPECT_EQ(Compose(std::u16string(600, u'a'), u"ignored"), std::u16string(511, u'a'));
    EXPECT_EQ(Compose(std::u16string(511, u'a'), u""), std::u16string(511, u'a'));
}

TEST(ComposeErrorText, SystemTextIsCutToFitTheBuffer) {
    const std::u16string text(500, u't');
    const std::u16string systemText(100, u's');
    EXPECT_EQ(Compose(text, systemText), text + u": " + std::u16string(9, u's'));
    // Room for the colon but not the space after it.
    EXPECT_EQ(Compose(std::u16string(510, u't'), systemText), std::u16string(510, u't') + u":");
}
