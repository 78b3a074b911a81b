// The main window's own handlers (creation, the maximum size, focus loss, Exit) and registering
// the hotkeys.
#include <gtest/gtest.h>

#include "shell/optional_functions.h"
#include "support/main_window_fixture.h"
#include "zoom/app_state.h"
#include "zoom/hotkeys.h"
#include "zoom/main_window.h"

namespace {

using MainWindow = MainWindowTest;

// The id of a WM_HOTKEY the window posted to itself, or -1 when none is queued.
int TakePostedHotkey(HWND window) {
    MSG posted;
    return PeekMessageW(&posted, window, WM_HOTKEY, WM_HOTKEY, PM_REMOVE) ? int(posted.wParam) : -1;
}

TEST_F(MainWindow, CreationRunsTimeCriticalAndASecondWindowCannotBeMade) {
    CreateMain();
    EXPECT_EQ(app.mainWindow, window);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_TIME_CRITICAL);
    EXPECT_EQ(CreateMainWindow(GetModuleHandleW(nullptr)), nullptr) << "the class exists";
    EXPECT_EQ(app.mainWindow, window);
}

TEST_F(MainWindow, TheMaximumSizeIsTheCaptureAndAMissingRecordIsLeftAlone) {
    CreateMain();
    app.captureWidth = 1234;
    app.captureHeight = 567;
    MINMAXINFO limits = {};
    limits.ptMaxPosition = {-8, -8};
    EXPECT_EQ(SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits)), 1);
    EXPECT_EQ(limits.ptMaxSize.x, 1234);
    EXPECT_EQ(limits.ptMaxSize.y, 567);
    EXPECT_EQ(limits.ptMaxPosition.x, 0);
    EXPECT_EQ(limits.ptMaxPosition.y, 0);
    EXPECT_EQ(SendMessageW(window, WM_GETMINMAXINFO, 0, 0), 1);
}

TEST_F(MainWindow, FocusLossLeavesZoomUnlessSavingAndHidesTheBreakScreen) {
    CreateMain();
    app.zoomActive = 1;
    EXPECT_EQ(SendMessageW(window, WM_KILLFOCUS, 0, 0), 0);
    EXPECT_EQ(TakePostedHotkey(window), 0);
    EXPECT_EQ(TakePostedHotkey(window), -1) << "posted once";
    app.saveDialogOpen = 1;
    SendMessageW(window, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(TakePostedHotkey(window), -1);

    app.zoomActive = 0;
    app.breakActive = 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SendMessageW(window, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(app.breakActive, 1) << "the break goes on counting";
    EXPECT_EQ(TakePostedHotkey(window), -1);
}

TEST_F(MainWindow, ExitWritesItsSettingsFreesThePadPictureAndEndsTheLoop) {
    CreateMain();
    app.settings.FontScale = 17;
    app.settings.PenColor = 0x123456;
    HDC screen = GetDC(nullptr);
    HDC padDC = app.padPictureDC = CreateCompatibleDC(screen);
    HBITMAP padBitmap = app.padPictureBitmap = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);

    EXPECT_EQ(SendMessageW(window, WM_COMMAND, 2, 0), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(StoredSetting(L"FontScale"), 17u);
    EXPECT_EQ(StoredSetting(L"PenColor"), 0x123456u);
    EXPECT_EQ(app.padPictureDC, nullptr);
    EXPECT_EQ(app.padPictureBitmap, nullptr);
    EXPECT_EQ(GetObjectType(padDC), 0u);
    EXPECT_EQ(GetObjectType(padBitmap), 0u);
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

// Registered to this thread; "another program" holds a combination under kHeldElsewhere.
class Hotkeys : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        ReleaseOptionalFunctions(); // no magnification library
    }
    void TearDown() override {
        for (int id : {0, 1, 2, 3, kHeldElsewhere}) {
            UnregisterHotKey(nullptr, id);
        }
        ReleaseOptionalFunctions();
    }
    MessageBoxCollector boxes;
};

// Live zoom's 0 is never registered, so it raises no second box either.
TEST_F(Hotkeys, AllFourAreTriedDespiteAConflictWhichIsReportedOnce) {
    ASSERT_TRUE(RegisterHotKey(nullptr, kHeldElsewhere, MOD_SHIFT, '2'));
    const HotkeyBinding bindings[4] = {{HotkeyId::Zoom, 0x131},
                                       {HotkeyId::LiveZoom, 0},
                                       {HotkeyId::Draw, 0x132},
                                       {HotkeyId::Break, 0x133}};
    EXPECT_EQ(RegisterAllHotkeys(nullptr, std::span<const HotkeyBinding, 4>(bindings)), 0);
    EXPECT_EQ(boxes.Stop().size(), 1u);
    EXPECT_TRUE(UnregisterHotKey(nullptr, static_cast<int>(HotkeyId::Zoom)));
    EXPECT_TRUE(UnregisterHotKey(nullptr, static_cast<int>(HotkeyId::Break)));
    EXPECT_FALSE(UnregisterHotKey(nullptr, static_cast<int>(HotkeyId::LiveZoom)));
    EXPECT_FALSE(UnregisterHotKey(nullptr, static_cast<int>(HotkeyId::Draw)));
}

TEST_F(Hotkeys, QuietReRegistrationSkipsLiveZoomWithoutMagnification) {
    RegisterStoredHotkeysQuietly(nullptr);
    EXPECT_TRUE(HotkeyHeld(MOD_SHIFT, '1'));
    EXPECT_TRUE(HotkeyHeld(MOD_SHIFT, '3'));
    EXPECT_FALSE(HotkeyHeld(MOD_SHIFT, '4'));
    optionalFunctions.MagInitialize = []() -> BOOL { return TRUE; };
    RegisterStoredHotkeysQuietly(nullptr); // the others fail now, silently
    EXPECT_TRUE(HotkeyHeld(MOD_SHIFT, '4'));
    EXPECT_TRUE(boxes.Stop().empty());
}

} // namespace
