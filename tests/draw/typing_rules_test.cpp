// The arithmetic of typing: the text height from the monitor height, the magnification and
// FontScale, and what the wheel does to FontScale.
#include <gtest/gtest.h>

#include "draw/typing_rules.h"

namespace {

void ExpectSize(float zoom, int32_t fontScale, int32_t height, bool nonAntialiased) {
    const TextSize size = TypingTextSize(1080, zoom, fontScale);
    EXPECT_EQ(size.height, height) << "zoom " << zoom << ", FontScale " << fontScale;
    EXPECT_EQ(size.nonAntialiased, nonAntialiased)
        << "zoom " << zoom << ", FontScale " << fontScale;
}

TEST(TypingTextSize, FollowsTheVisibleHeightDownToTheSmallestAndDropsAntialiasingBelow20) {
    ExpectSize(1.0f, 10, 108, false);  // antialiasing left as the font has it
    ExpectSize(8.0f, 10, 13, true);    // 135 visible rows
    ExpectSize(16.0f, 10, 12, true);   // 67 / 10 is below the smallest
    ExpectSize(2.0f, 27, 20, false);   // 540 / 27: the first antialiased height
    ExpectSize(1.0f, 57, 18, true);    // 1080 / 57 = 18.9
}

TEST(TypingTextSize, AFontScaleOfZeroOrBelowGivesTheSmallestHeight) {
    ExpectSize(1.0f, 0, 12, true);
    ExpectSize(1.0f, -5, 12, true);
}

TEST(NextFontScale, StepsAgainstTheWheelAndStopsAtTheLimits) {
    EXPECT_EQ(NextFontScale(10, 1), 9);     // forward: larger text
    EXPECT_EQ(NextFontScale(10, -2), 12);   // backward: smaller text
    EXPECT_EQ(NextFontScale(1, 1), 1);      // one notch forward at 1 stays 1
    EXPECT_EQ(NextFontScale(3, 3), 1);
    EXPECT_EQ(NextFontScale(-19, 1), -20);
    EXPECT_EQ(NextFontScale(49, -1), 50);
    EXPECT_EQ(NextFontScale(50, -1), std::nullopt);
    EXPECT_EQ(NextFontScale(-20, 1), std::nullopt);
    EXPECT_EQ(NextFontScale(10, 0), std::nullopt);
}

} // namespace
