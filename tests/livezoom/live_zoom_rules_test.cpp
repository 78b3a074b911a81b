// Live zoom's arithmetic: the part of the monitor shown and its matrix, the level's animation
// by the clock and keys, the frozen zoom's takeover, and the keep-alive rules before Windows 7.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "livezoom/live_zoom_rules.h"

namespace {

constexpr LiveRect kMonitor = {0, 0, 1920, 1080};
constexpr LiveRect kRightMonitor = {1920, -100, 3200, 924}; // 1280 x 1024, above the primary

// The levels a show passes through at ticks 20 ms apart on the clock, until it rests.
std::vector<float> Animate(LiveLevels levels) {
    std::vector<float> seen;
    const float from = levels.level;
    while (levels.level != levels.target && seen.size() < 100) {
        AdvanceLiveLevel(levels, from, 20.0 * static_cast<double>(seen.size() + 1));
        seen.push_back(levels.level);
    }
    return seen;
}

} // namespace

TEST(LiveSource, CentresOnTheCursorStaysOnTheMonitorAndIsAPureScale) {
    // At 4.0 the source is 480 x 270.
    EXPECT_EQ(LiveSource({960, 540}, kMonitor, 4.0f), (LiveRect{720, 405, 1200, 675}));
    EXPECT_EQ(LiveTransform(4.0f), (std::array<float, 9>{4, 0, 0, 0, 4, 0, 0, 0, 1}));
    EXPECT_EQ(LiveSource({0, 0}, kMonitor, 4.0f), (LiveRect{0, 0, 480, 270}));
    EXPECT_EQ(LiveSource({1919, 1079}, kMonitor, 4.0f), (LiveRect{1440, 810, 1920, 1080}));
    // Another monitor, with the cursor beyond it: the source stays on that monitor.
    EXPECT_EQ(LiveSource({100, 2000}, kRightMonitor, 2.0f), (LiveRect{1920, 412, 2560, 924}));
    EXPECT_EQ(LiveSource({2560, 412}, kRightMonitor, 2.0f), (LiveRect{2240, 156, 2880, 668}));
    // The source is sized with trunc(W / level): 1920 / 1.5 = 1280, 1080 / 1.5 = 720.
    EXPECT_EQ(LiveSource({1000, 500}, kMonitor, 1.5f), (LiveRect{360, 140, 1640, 860}));
    // A level of 0 counts as 1 rather than sizing the source infinite.
    EXPECT_EQ(LiveSource({960, 540}, kMonitor, 0.0f), kMonitor);
    // A monitor left of and above the primary one.
    constexpr LiveRect kLeftMonitor = {-1280, -200, 0, 824};
    EXPECT_EQ(LiveSource({-640, 312}, kLeftMonitor, 2.0f), (LiveRect{-960, 56, -320, 568}));
    EXPECT_EQ(LiveSource({-1279, -199}, kLeftMonitor, 4.0f), (LiveRect{-1280, -200, -960, 56}));
    EXPECT_EQ(LiveSource({5, 900}, kLeftMonitor, 1.0f), kLeftMonitor);
}

TEST(LiveLevels, FirstShowGrowsByATenthPer20MsWithCompositionAndStartsAt19Without) {
    const LiveLevels with = ShowLevels(false, 2.0f, true);
    EXPECT_EQ(with.level, 1.0f);
    const std::vector<float> seen = Animate(with);
    ASSERT_EQ(seen.size(), 8u); // 1.1, 1.21, ... 1.9487, then 2.0
    EXPECT_FLOAT_EQ(seen[0], 1.1f);
    EXPECT_NEAR(seen[6], 1.9487171f, 1e-5f);
    EXPECT_EQ(seen.back(), 2.0f);

    // Without composition 1.9 reaches targets up to 2.09 at the first tick.
    EXPECT_EQ(Animate(ShowLevels(false, 2.0f, false)), (std::vector<float>{2.0f}));
    EXPECT_EQ(Animate(ShowLevels(false, 1.25f, false)), (std::vector<float>{1.25f}));
    EXPECT_EQ(Animate(ShowLevels(false, 4.0f, false)).size(), 8u);

    // Back after a takeover: aimed at 2.0 from 1.9, reached at once.
    const LiveLevels back = ShowLevels(true, 4.0f, true);
    EXPECT_EQ(back.level, 1.9f);
    EXPECT_EQ(Animate(back), (std::vector<float>{2.0f}));
}

TEST(LiveLevels, CtrlDownSteps15Then1125ThenOneCtrlUpDoublesTo32AndEscapeAimsAtOne) {
    LiveLevels levels = {2.0f, 2.0f, kLiveInStep};
    for (float target : {1.5f, 1.125f, 1.0f}) {
        LiveZoomOut(levels, true);
        EXPECT_EQ(levels.target, target);
        EXPECT_EQ(levels.step, kLiveOutStep);
        Animate(levels);
        levels.level = levels.target;
    }
    // A press during an animation starts from the level reached, not the target.
    levels = {8.0f, 8.0f, kLiveInStep};
    LiveZoomOut(levels, true);
    AdvanceLiveLevel(levels, 8.0f, 20.0); // 6.4 on the way to 4
    LiveZoomOut(levels, true);
    EXPECT_FLOAT_EQ(levels.target, 3.2f);
    // Without composition the level jumps.
    levels = {2.0f, 2.0f, kLiveInStep};
    LiveZoomOut(levels, false);
    EXPECT_EQ(levels.level, 1.5f);
    // Ctrl+Up doubles below 32 and stops there; Escape aims at 1.
    levels = {16.0f, 16.0f, kLiveOutStep};
    LiveZoomIn(levels, false);
    EXPECT_EQ(levels.target, 32.0f);
    EXPECT_EQ(levels.level, 32.0f);
    EXPECT_EQ(levels.step, kLiveInStep);
    LiveZoomIn(levels, false);
    EXPECT_EQ(levels.target, 32.0f);

    levels = {4.0f, 4.0f, kLiveInStep};
    LiveZoomEnd(levels, true);
    EXPECT_EQ(levels.target, 1.0f);
    EXPECT_EQ(levels.level, 4.0f); // the next tick hides the window
}

TEST(Takeover, TheCursorOffsetScalesByTheWholeLevelAndThePenWidthComesBack) {
    const LiveRect source = {0, 0, 1920, 1080};
    EXPECT_EQ(TakeoverCursor({1000, 600}, source, 2.0f, kMonitor), (LivePoint{1040, 660}));
    EXPECT_EQ(TakeoverCursor({1000, 600}, source, 3.5f, kMonitor), (LivePoint{1080, 720}));
    // 1.5 counts as 1: the cursor stays where it is.
    EXPECT_EQ(TakeoverCursor({1000, 600}, source, 1.5f, kMonitor), (LivePoint{1000, 600}));
    // A source set by the frozen zoom's return and a monitor away from the origin.
    EXPECT_EQ(TakeoverCursor({2600, 400}, {1920, -100, 3200, 924}, 2.0f, kRightMonitor),
              (LivePoint{2640, 388}));
    // Near an edge the scaled offset would leave the monitor: it stops on its last pixel.
    EXPECT_EQ(TakeoverCursor({100, 1070}, source, 4.0f, kMonitor), (LivePoint{0, 1079}));

    EXPECT_EQ(RestoredPenWidth(10, 3, 3.5f), 3); // trunc(3 x 3.5) = 10: untouched
    EXPECT_EQ(RestoredPenWidth(12, 3, 3.5f), 3); // widened to 12: 12 / 3.5 = 3.43
    EXPECT_EQ(RestoredPenWidth(20, 3, 3.5f), 5);
    EXPECT_EQ(RestoredPenWidth(63, 2, 32.0f), 2);  // 63 / 32 would be below the smallest
    EXPECT_EQ(RestoredPenWidth(99, 30, 1.1f), 30); // 99 / 1.1 would be above the largest
}

TEST(BeforeWindows7, ComparesMajorThenMinorAndKeepsAHiddenWindowByTheNotificationState) {
    // XP 5.1, XP x64 5.2 and Vista 6.0; then 7, 8 and 10.
    const std::pair<uint16_t, bool> versions[] = {{0x0105, true},  {0x0205, true},
                                                  {0x0006, true},  {0x0106, false},
                                                  {0x0206, false}, {0x000A, false}};
    for (auto [version, before] : versions) {
        EXPECT_EQ(BeforeWindows7(version), before) << version;
    }

    using E = KeepAliveEvent;
    using A = KeepAliveAction;
    constexpr int kBusy = 3; // QUNS_RUNNING_D3D_FULL_SCREEN
    EXPECT_EQ(KeepAliveDecision(E::Creation, kBusy, true, true, false), A::StartTimer);
    EXPECT_EQ(KeepAliveDecision(E::Creation, 5, true, true, true), A::Nothing);
    EXPECT_EQ(KeepAliveDecision(E::Hide, 5, true, false, true), A::Destroy);
    EXPECT_EQ(KeepAliveDecision(E::Hide, kBusy, true, false, true), A::RestartTimer);
    EXPECT_EQ(KeepAliveDecision(E::Timer, kBusy, true, true, false), A::Nothing);
    EXPECT_EQ(KeepAliveDecision(E::Timer, 5, true, false, false), A::Nothing);
    EXPECT_EQ(KeepAliveDecision(E::Timer, kBusy, true, false, false), A::Destroy);
    EXPECT_EQ(KeepAliveDecision(E::SettingChange, 5, true, true, true), A::Nothing);
    EXPECT_EQ(KeepAliveDecision(E::SettingChange, kBusy, true, true, true), A::Destroy);
    EXPECT_EQ(KeepAliveDecision(E::SettingChange, 1, false, true, true), A::Destroy);
    EXPECT_EQ(KeepAliveDecision(E::SettingChange, 5, true, true, false), A::KillTimer);
    EXPECT_EQ(KeepAliveDecision(E::SettingChange, kBusy, true, true, false), A::Nothing);
}
