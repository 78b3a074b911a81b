// End to end: the zoom hotkey freezes the screen and magnifies it around the cursor. Over the
// coordinate slide each screenshot tells which part of the capture is shown and how large.
#include "e2e/program_test.h"

namespace {

using Zoom = ProgramTest;

// Panning, the wheel and the arrows, Escape and the right button; the wheel's last notch to 1.0
// needs no animation, so with the mouse still only the wheel itself can repaint.
TEST_F(Zoom,
       MagnifiesAroundTheCursorPansWheelsToOneEndsWithEscapeOrTheRightButtonAndKeepsQueuedCtrl) {
    MoveMouseTo({960, 540});
    const PatternWindow slide;
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_TRUE(WaitUntil(ScreenShowsPlainPattern));
    const auto wheel = [](int delta) { SendMouse(MOUSEEVENTF_WHEEL, 0, 0, DWORD(delta)); };
    const auto endedOver = [&](POINT at) {
        EXPECT_TRUE(WaitHidden());
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == slide.window; }));
        EXPECT_TRUE(CursorAt(at));
        EXPECT_TRUE(WaitUntil(ScreenShowsPlainPattern));
    };
    MoveMouseTo({700, 400});
    PressWithCtrl(kZoomKey);
    ASSERT_TRUE(ViewShownSoon(2.0f, {700, 400}));
    EXPECT_EQ(GetForegroundWindow(), mainWindow);
    MoveMouseTo({1000, 600});
    EXPECT_TRUE(ViewShownSoon(2.0f, {1000, 600}));
    wheel(WHEEL_DELTA); // 2 -> 4
    EXPECT_TRUE(ViewShownSoon(4.0f, {1000, 600}));
    PressKey(VK_DOWN); // one notch down is two steps: 4 -> 2 -> 1.5
    EXPECT_TRUE(ViewShownSoon(1.5f, {1000, 600}));
    PressKey(VK_UP);
    EXPECT_TRUE(ViewShownSoon(2.0f, {1000, 600}));
    wheel(-WHEEL_DELTA); // 2 -> 1.5 -> 1.125
    ASSERT_TRUE(ViewShownSoon(1.125f, {1000, 600}));
    wheel(-WHEEL_DELTA);
    EXPECT_TRUE(WaitUntil(ScreenShowsPlainPattern)) << "the view still shows 1.125";
    PressKey(VK_ESCAPE);
    endedOver({1000, 600});

    MoveMouseTo({300, 800});
    PressWithCtrl(kZoomKey);
    ASSERT_TRUE(ViewShownSoon(2.0f, {300, 800}));
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    SendMouse(MOUSEEVENTF_RIGHTUP);
    endedOver({300, 800});

    // Ctrl down, Up twice, Ctrl up in one go: the program reads the last Up long after Ctrl
    // went up, and still widens the pen (from 3) instead of zooming.
    PressWithCtrl(kDrawKey);
    ASSERT_TRUE(WaitForKeys());
    PressWithCtrlQueued(VK_UP, 2);
    EXPECT_TRUE(WaitUntil([] { return StoredSetting(L"PenWidth") == 5u; }));
    EXPECT_EQ(ViewMismatches(CaptureScreen(), 1.0f, {0, 0}), "") << "an Up lost its Ctrl";
    PressKey(VK_ESCAPE);
    endedOver({300, 800});
}

} // namespace
