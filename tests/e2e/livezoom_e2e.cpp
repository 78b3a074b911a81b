// End to end: live zoom over the desktop with the stand-in magnification library, whose record
// tells the level and the source rectangle (e2e/live_standin.h), and which fails a start on
// request.
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
    bool WaitForView(const LiveView& expected) const { return standIn.WaitFor(expected); }
    StandIn standIn;
};

TEST_F(LiveZoom, FollowsTheCursorOverTheMonitorAndTheDrawHotkeyTakesOverUntilEscape) {
    WriteSettingDword(L"ZoominSliderLevel", 2); // 1.75, and Ctrl+Up makes 3.5
    MoveMouseTo(1000, 600);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressLiveZoomHotkey();
    ASSERT_TRUE(WaitUntil(LiveShown));
    EXPECT_EQ(standIn.record->initializeCalls, 1);
    RECT rect = {};
    GetWindowRect(LiveWindow(), &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 1920);
    EXPECT_EQ(rect.bottom, 1080);

    // At 1.75 the source is trunc(1920 / 1.75) = 1097 by trunc(1080 / 1.75) = 617.
    ASSERT_TRUE(WaitForView(ShownAt(1.75f, 1000 - 548, 600 - 308, 1097, 617)));
    MoveMouseTo(1100, 650);
    EXPECT_TRUE(WaitForView(ShownAt(1.75f, 1100 - 548, 650 - 308, 1097, 617)));
    MoveMouseTo(1000, 600);
    EXPECT_TRUE(WaitForView(ShownAt(1.75f, 1000 - 548, 600 - 308, 1097, 617)));
    // Queued keys keep their Ctrl: 1.75 -> 3.5 -> 7 -> 3.5.
    PressWithCtrlQueued(VK_UP, 2);
    ASSERT_TRUE(WaitForView(ShownAt(7.0f, 1000 - 137, 600 - 77, 274, 154)));
    PressWithCtrl(VK_DOWN);
    // The source is trunc(1920 / 3.5) = 548 by trunc(1080 / 3.5) = 308.
    ASSERT_TRUE(WaitForView(ShownAt(3.5f, 1000 - 274, 600 - 154, 548, 308)));

    // Drawing at 1.0 over the frozen image, the cursor where the magnifier showed it: the
    // source is centred on it, so at the monitor's centre; the pen widened to trunc(3 x 3.5).
    PressDrawHotkey();
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
    EXPECT_TRUE(WaitForView(ShownAt(3.0f, 1000 - 320, 600 - 180, 640, 360)));
    EXPECT_TRUE(WaitUntil([] { return StoredSetting(L"PenWidth") == 3u; }));
    // The hotkey hides the window; from Windows 7 on it is destroyed.
    PressLiveZoomHotkey();
    EXPECT_TRUE(WaitUntil([] { return LiveWindow() == nullptr; }));
}

// Screen pixels off the coordinate slide, on a grid, outside the error box and the taskbar,
// which shows the box's button above the slide.
int PixelsOffTheSlide(const Screenshot& shot, const RECT& box) {
    const RECT taskbar = TaskbarRect();
    int off = 0;
    for (int y = 0; y < shot.height; y += 8) {
        for (int x = 0; x < shot.width; x += 8) {
            const POINT at = {x, y};
            const DecodedPoint shown = DecodePattern(shot.At(x, y));
            off += !PtInRect(&box, at) && !PtInRect(&taskbar, at) && (shown.x != x || shown.y != y);
        }
    }
    return off;
}

TEST_F(LiveZoom, AMagnifierThatFailsToStartLeavesTheDesktopUsableAndSaysSoOnce) {
    WriteSettingDword(L"ZoominSliderLevel", 3); // 2.0, and Ctrl+Up makes 4.0
    MoveMouseTo(1000, 600);
    PatternWindow slide; // the desktop that a grey window would cover
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    constexpr uint32_t kCtrlUp = 0x200 | VK_UP, kCtrlDown = 0x200 | VK_DOWN;
    for (volatile long* fail : {&standIn.record->failInitialize, &standIn.record->failControl}) {
        SCOPED_TRACE(fail == &standIn.record->failInitialize ? "MagInitialize fails"
                                                             : "the magnifier control fails");
        *fail = 1;
        PressLiveZoomHotkey();
        HWND box = WaitForDialog(vistrel.Id(), 5000);
        ASSERT_NE(box, nullptr) << "no error box";
        const DialogSnapshot shown = ReadDialog(box);
        EXPECT_EQ(shown.caption, L"Vistrel");
        EXPECT_EQ(shown.Text().rfind(L"Error starting live zoom: ", 0), 0u);
        EXPECT_EQ(LiveWindow(), nullptr);
        RECT boxRect = {};
        GetWindowRect(box, &boxRect);
        const Screenshot screen = CaptureSettledScreen();
        EXPECT_EQ(PixelsOffTheSlide(screen, boxRect), 0);
        if (HasFailure()) {
            KeepScreenshot(L"live-zoom-start-failed", screen);
        }
        EXPECT_FALSE(HotkeyHeldElsewhere(kCtrlUp));
        EXPECT_FALSE(HotkeyHeldElsewhere(kCtrlDown));
        DismissDialog(box);
        ASSERT_TRUE(WaitUntil([box] { return !IsWindow(box); })) << "the box stayed";
        EXPECT_TRUE(NoDialogWithin(vistrel.Id(), 300)) << "a second box";
        *fail = 0;
    }

    // The same hotkey starts live zoom once the library works, and Ctrl+Up is its own again.
    PressLiveZoomHotkey();
    ASSERT_TRUE(WaitUntil(LiveShown)) << "live zoom did not start";
    // At 2.0 the source is 960 by 540 around the cursor; at 4.0, 480 by 270.
    ASSERT_TRUE(WaitForView(ShownAt(2.0f, 1000 - 480, 600 - 270, 960, 540)));
    PressWithCtrl(VK_UP);
    EXPECT_TRUE(WaitForView(ShownAt(4.0f, 1000 - 240, 600 - 135, 480, 270)));
    PressLiveZoomHotkey();
    EXPECT_TRUE(WaitUntil([] { return LiveWindow() == nullptr; })) << "live zoom did not end";
}

} // namespace
