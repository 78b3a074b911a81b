// End to end: live zoom over the desktop with the stand-in magnification library, whose record
// of transforms tells the level and the source origin (e2e/live_standin.h).
#include <gtest/gtest.h>

#include "e2e/program_test.h"
#include "e2e/live_standin.h"

namespace {

class LiveZoom : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(standIn.Install());
    }
    bool WaitForTransform(Transform expected) const { return standIn.WaitFor(expected); }
    StandIn standIn;
};

TEST_F(LiveZoom, FollowsTheCursorOverTheMonitorAndTheDrawHotkeyTakesOverUntilEscape) {
    WriteSettingDword(L"ZoominSliderLevel", 2); // 1.75, and Ctrl+Up makes 3.5
    MoveMouseTo(1000, 600);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressShifted('4');
    ASSERT_TRUE(WaitUntil(LiveShown));
    EXPECT_EQ(standIn.record->initializeCalls, 1);
    RECT rect = {};
    GetWindowRect(LiveWindow(), &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 1920);
    EXPECT_EQ(rect.bottom, 1080);

    // At 1.75 the source is trunc(1920 / 1.75) = 1097 by trunc(1080 / 1.75) = 617.
    ASSERT_TRUE(WaitForTransform({1.75f, 1000 - 548, 600 - 308}));
    MoveMouseTo(1100, 650);
    EXPECT_TRUE(WaitForTransform({1.75f, 1100 - 548, 650 - 308}));
    MoveMouseTo(1000, 600);
    EXPECT_TRUE(WaitForTransform({1.75f, 1000 - 548, 600 - 308}));
    // Queued keys keep their Ctrl: 1.75 -> 3.5 -> 7 -> 3.5.
    PressWithCtrlQueued(VK_UP, 2);
    ASSERT_TRUE(WaitForTransform({7.0f, 1000 - 137, 600 - 77}));
    PressWithCtrl(VK_DOWN);
    // The source is trunc(1920 / 3.5) = 548 by trunc(1080 / 3.5) = 308.
    ASSERT_TRUE(WaitForTransform({3.5f, 1000 - 274, 600 - 154}));

    // Drawing at 1.0 over the frozen image, the cursor where the magnifier showed it: the
    // source is centred on it, so at the monitor's centre; the pen widened to trunc(3 x 3.5).
    PressShifted('2');
    ASSERT_TRUE(WaitShown());
    EXPECT_TRUE(WaitUntil([] { return !LiveShown(); }));
    POINT cursor = {};
    EXPECT_TRUE(WaitUntil([&] {
        GetCursorPos(&cursor);
        return cursor.x == 960 && cursor.y == 540;
    })) << cursor.x
        << ", " << cursor.y;
    EXPECT_EQ(StoredSetting(L"PenWidth"), 10u);

    // Escape ends the drawing: the cursor goes back to the source's centre, where it was, and
    // live zoom comes back at 3.0 (the whole part of 3.5) around it; the pen at 3.
    EXPECT_TRUE(Escape());
    EXPECT_TRUE(WaitUntil(LiveShown));
    EXPECT_TRUE(WaitForTransform({3.0f, 1000 - 320, 600 - 180}));
    EXPECT_TRUE(WaitUntil([] { return StoredSetting(L"PenWidth") == 3u; }));
    // The hotkey hides the window; from Windows 7 on it is destroyed.
    PressShifted('4');
    EXPECT_TRUE(WaitUntil([] { return LiveWindow() == nullptr; }));
}

} // namespace
