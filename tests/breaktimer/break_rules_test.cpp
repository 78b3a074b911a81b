// The break countdown's arithmetic: its texts, its place on the screen and what the keys and
// the wheel do to the count.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>

#include "breaktimer/break_rules.h"

namespace {

std::basic_string<Utf16Unit> Render(void (*text)(int32_t, std::span<Utf16Unit, 32>), int32_t s) {
    std::array<Utf16Unit, 32> buffer;
    text(s, buffer);
    return buffer.data();
}

TEST(BreakTexts, MinutesAndSecondsUntilExpiryThenZerosAndTheTimeSince) {
    EXPECT_EQ(Render(CountdownText, 600), UTF16("10:00"));
    EXPECT_EQ(Render(CountdownText, 0), UTF16("00:00"));
    EXPECT_EQ(Render(CountdownText, -75), UTF16("00:00"));
    EXPECT_EQ(Render(CountdownText, 100 * 60 + 5), UTF16("100:05"));
    EXPECT_EQ(Render(ExpiredText, -1), UTF16("-00:01"));
    EXPECT_EQ(Render(ExpiredText, INT_MIN), UTF16("-35791394:08")); // no overflow when negated
}

TEST(CountdownPlace, CornersKeepTheMarginCentreIsCentredAndOtherCellsAreTheOrigin) {
    auto expect = [](uint32_t cell, int32_t expired, int32_t left, int32_t top) {
        const TextPlace p = CountdownPlace(cell, 1920, 1080, 400, 200, expired);
        EXPECT_EQ(p.left, left) << "cell " << cell;
        EXPECT_EQ(p.top, top) << "cell " << cell;
    };
    expect(0, 0, 50, 50);
    expect(4, 0, 760, 440);
    expect(5, 100, 1470, 440); // only the bottom row makes room for the expired line
    expect(7, 0, 760, 830);
    expect(8, 100, 1470, 730);
    expect(9, 0, 0, 0);
    expect(UINT32_MAX, 0, 0, 0);
}

// Arrows move in whole tens, the wheel in whole minutes; neither goes below zero.
TEST(BreakAdjustment, ArrowsMoveWholeTensAndTheWheelWholeMinutesNeverBelowZero) {
    EXPECT_EQ(AdjustedBreakSeconds(125, 10), 130); // 2:05 -> 2:10
    EXPECT_EQ(AdjustedBreakSeconds(5, -10), 0);
    EXPECT_EQ(AdjustedBreakSeconds(-30, 10), 10); // after expiry the count starts anew
    EXPECT_EQ(AdjustedBreakSeconds(INT_MAX, 10), INT_MAX);
    EXPECT_EQ(WheeledBreakSeconds(125, 1), 180);
    EXPECT_EQ(WheeledBreakSeconds(125, -5), 0);
    EXPECT_EQ(WheeledBreakSeconds(-30, 1), 0); // the first notch after expiry only resets
    EXPECT_EQ(WheeledBreakSeconds(-30, 2), 60);
    EXPECT_EQ(WheeledBreakSeconds(-30, -3), 0);
    EXPECT_EQ(WheeledBreakSeconds(INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(WheeledBreakSeconds(INT_MIN, INT_MIN), 0);
}

// The count is the clock's: one less per whole second since it last showed a value, however
// late the ticks come, and the next tick when it next changes.
TEST(BreakClock, OneLessPerWholeSecondOfTheClockAndTheNextTickWhenTheCountChanges) {
    EXPECT_EQ(BreakSecondsAt(600, 0), 600);
    EXPECT_EQ(BreakSecondsAt(600, 999), 600);
    EXPECT_EQ(BreakSecondsAt(600, 5400), 595); // five seconds' ticks in one late tick
    EXPECT_EQ(BreakSecondsAt(1, 3000), -2);    // on past expiry
    EXPECT_EQ(BreakSecondsAt(600, -40), 600);  // a clock read before the start counts as 0
    EXPECT_EQ(BreakSecondsAt(INT_MIN + 1, 5000), INT_MIN);
    EXPECT_EQ(MsToNextSecond(0), 1000u);
    EXPECT_EQ(MsToNextSecond(5400), 600u);
    EXPECT_EQ(MsToNextSecond(999), 1u);
}

TEST(BreakStart, FullMinutesPlusOneSecondBoundedAndNegativeAsZero) {
    EXPECT_EQ(InitialBreakSeconds(10), 601);
    EXPECT_EQ(InitialBreakSeconds(0), 1);
    EXPECT_EQ(InitialBreakSeconds(INT_MIN), 1);
    EXPECT_GT(InitialBreakSeconds(INT_MAX), 0);
    EXPECT_EQ(BreakOpacityPercent(70), 70u);
    EXPECT_EQ(BreakOpacityPercent(250), 100u);
    EXPECT_EQ(BreakOpacityPercent(-1), 100u); // 0xFFFFFFFF as stored
}

} // namespace
