// The advanced dialogs' rules: which percentage entry and which position radio a stored value
// selects, and where the file chooser starts.
#include <gtest/gtest.h>

#include <cstdint>

#include "draw/advanced_rules.h"

namespace {

TEST(PercentList, StoredValuesSelectTheirTenAndOutOfRangeSelectsNothing) {
    EXPECT_EQ(PercentListSelection(10), 0);
    EXPECT_EQ(PercentListSelection(50), 4);
    EXPECT_EQ(PercentListSelection(55), 4);
    EXPECT_EQ(PercentListSelection(100), 9);
    EXPECT_EQ(PercentListSelection(109), 9);
    EXPECT_EQ(PercentListSelection(9), -1);
    EXPECT_EQ(PercentListSelection(0), -1);
    EXPECT_EQ(PercentListSelection(110), -1);
    EXPECT_EQ(PercentListSelection(UINT32_MAX), -1); // a stored -1
    for (int index = 0; index < kPercentListEntries; ++index) {
        EXPECT_EQ(PercentListSelection(PercentListValue(index)), index);
    }
}

TEST(PositionRadios, TheNineCellsCheckTheirRadioAnythingElseNone) {
    for (uint32_t cell = 0; cell <= 8; ++cell) {
        EXPECT_EQ(PositionRadioIndex(cell), static_cast<int>(cell));
    }
    EXPECT_EQ(PositionRadioIndex(9), -1); // would be the control after the grid
    EXPECT_EQ(PositionRadioIndex(UINT32_MAX), -1);
}

TEST(InitialFolder, UpToTheLastBackslashOrTheFallbackWithoutOne) {
    EXPECT_EQ(InitialFolderLength(UTF16("C:\\Windows\\Media\\ding.wav")), 17u);
    EXPECT_EQ(InitialFolderLength(UTF16("C:\\pictures\\")), 12u);
    EXPECT_EQ(InitialFolderLength(UTF16("\\\\server\\share\\pad.png")), 15u);
    EXPECT_EQ(InitialFolderLength(UTF16("pad.png")), 0u);
    EXPECT_EQ(InitialFolderLength(UTF16("")), 0u);
    EXPECT_EQ(InitialFolderLength(UTF16("C:/pictures/pad.png")), 0u); // only a backslash counts
}

TEST(SwatchVeil, CoversEveryOtherPixelInACheckerboard) {
    EXPECT_TRUE(SwatchVeilCovers(0, 0));
    EXPECT_FALSE(SwatchVeilCovers(1, 0));
    EXPECT_FALSE(SwatchVeilCovers(0, 1));
    EXPECT_TRUE(SwatchVeilCovers(1, 1));
    EXPECT_TRUE(SwatchVeilCovers(-1, 1));
    EXPECT_FALSE(SwatchVeilCovers(-1, 0));
}

} // namespace
