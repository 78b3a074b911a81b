#include <gtest/gtest.h>

#include "zoom/zoom_levels.h"

TEST(StartMagnification, EachLevelPicksItsMagnification) {
    const float expected[] = {1.25f, 1.5f, 1.75f, 2.0f, 3.0f, 4.0f};
    for (uint32_t level = 0; level < 6; ++level) {
        EXPECT_EQ(StartMagnification(level), expected[level]) << level;
    }
}

TEST(StartMagnification, LevelOutsideTheTableFallsBackToTwo) {
    EXPECT_EQ(StartMagnification(6), 2.0f);
    EXPECT_EQ(StartMagnification(100), 2.0f);
    EXPECT_EQ(StartMagnification(0xFFFFFFFF), 2.0f);
}
