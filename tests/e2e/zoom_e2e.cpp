// End to end: the zoom hotkey freezes the screen and magnifies it around the cursor. Over the
// coordinate slide each screenshot tells which part of the capture is shown and how large.
#include <gtest/gtest.h>

#include "e2e/program_test.h"

namespace {

void TurnWheel(int delta) {
    SendMouse(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(delta));
}

class Zoom : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        MoveMouseTo(960, 540);
        slide = std::make_unique<PatternWindow>();
    }
    void TearDown() override {
        ProgramTest::TearDown();
        slide.reset();
    }
    void Start() {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        ASSERT_TRUE(WaitUntil(ScreenShowsPlainPattern));
    }
    void ZoomAt(int x, int y, float zoom) {
        MoveMouseTo(x, y);
        PressZoomHotkey();
        ASSERT_TRUE(ViewShownSoon(zoom, {x, y}));
    }
    void ExpectZoomEndedOver(int x, int y) {
        EXPECT_TRUE(WaitHidden());
        EXPECT_TRUE(WaitUntil([this] { return GetForegroundWindow() == slide->window; }));
        EXPECT_TRUE(CursorAt({x, y}));
        EXPECT_TRUE(WaitUntil(ScreenShowsPlainPattern));
    }
    std::unique_ptr<PatternWindow> slide;
};

// Panning, the wheel and the arrows, Escape and the right button; the wheel's last notch to 1.0
// needs no animation, so with the mouse still only the wheel itself can repaint.
TEST_F(Zoom, MagnifiesAroundTheCursorPansWheelsToOneAndEndsWithEscapeOrTheRightButton) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ZoomAt(700, 400, 2.0f));
    EXPECT_EQ(GetForegroundWindow(), mainWindow);
    MoveMouseTo(1000, 600);
    EXPECT_TRUE(ViewShownSoon(2.0f, {1000, 600}));
    TurnWheel(WHEEL_DELTA); // 2 -> 4
    EXPECT_TRUE(ViewShownSoon(4.0f, {1000, 600}));
    PressKey(VK_DOWN); // one notch down is two steps: 4 -> 2 -> 1.5
    EXPECT_TRUE(ViewShownSoon(1.5f, {1000, 600}));
    PressKey(VK_UP);
    EXPECT_TRUE(ViewShownSoon(2.0f, {1000, 600}));
    TurnWheel(-WHEEL_DELTA); // 2 -> 1.5 -> 1.125
    ASSERT_TRUE(ViewShownSoon(1.125f, {1000, 600}));
    TurnWheel(-WHEEL_DELTA);
    EXPECT_TRUE(WaitUntil(ScreenShowsPlainPattern)) << "the view still shows 1.125";
    PressKey(VK_ESCAPE);
    ExpectZoomEndedOver(1000, 600);

    ASSERT_NO_FATAL_FAILURE(ZoomAt(300, 800, 2.0f));
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    SendMouse(MOUSEEVENTF_RIGHTUP);
    ExpectZoomEndedOver(300, 800);
}

// Ctrl down, Up twice, Ctrl up in one go: the program reads the last Up long after Ctrl went up.
TEST_F(Zoom, QueuedCtrlUpWidensThePenInsteadOfZooming) {
    WriteSettingDword(L"PenWidth", 5);
    ASSERT_NO_FATAL_FAILURE(Start());
    MoveMouseTo(300, 300);
    PressDrawHotkey();
    ASSERT_TRUE(WaitForKeys());
    PressWithCtrlQueued(VK_UP, 2);
    EXPECT_TRUE(WaitUntil([] { return StoredSetting(L"PenWidth") == 7u; }))
        << "PenWidth " << StoredSetting(L"PenWidth").value_or(0);
    EXPECT_EQ(ViewMismatches(CaptureScreen(), 1.0f, {0, 0}), "") << "an Up lost its Ctrl";
    PressKey(VK_ESCAPE);
    ExpectZoomEndedOver(300, 300);
}

} // namespace
