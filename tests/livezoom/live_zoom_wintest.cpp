// The live-zoom window in the test's own process before Windows 7, where a hidden window is kept
// or destroyed by the user notification state (decided natively, carried out here). The state and
// the magnification functions (Wine has none) are stand-ins in the optional-function table.
#include <gtest/gtest.h>

#include "livezoom/live_zoom_window.h"
#include "shell/optional_functions.h"
#include "support/main_window_fixture.h"
#include "zoom/app_state.h"
#include "zoom/main_window.h"

namespace {

constexpr int kAccepts = 5;
constexpr int kBusy = 3; // QUNS_RUNNING_D3D_FULL_SCREEN
constexpr WORD kWindowsXp = 0x0105;

int notificationState = kAccepts;
int initializeCalls = 0;
BOOL systemCursorShown = TRUE;

class KeepAlive : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        notificationState = kAccepts;
        initializeCalls = 0;
        systemCursorShown = TRUE;
        OptionalFunctions& f = optionalFunctions;
        f.MagInitialize = []() -> BOOL { return ++initializeCalls, TRUE; };
        f.MagSetWindowTransform = [](HWND, MagnifierTransform*) -> BOOL { return TRUE; };
        f.ShowSystemCursor = [](BOOL show) -> BOOL { return systemCursorShown = show, TRUE; };
        f.SHQueryUserNotificationState = [](int* state) -> HRESULT {
            *state = notificationState;
            return S_OK;
        };
        ASSERT_NO_FATAL_FAILURE(CreateMain());
        app.windowsVersion = kWindowsXp;
    }
    void TearDown() override {
        if (app.liveZoomWindow != nullptr) {
            DestroyWindow(app.liveZoomWindow);
        }
        MainWindowTest::TearDown();
        UnregisterClassW(kLiveZoomClass, GetModuleHandleW(nullptr));
    }

    // The live-zoom hotkey, as the main window gets it.
    HWND LiveZoomHotkey() {
        SendMessageW(window, WM_HOTKEY, 1, 0);
        return app.liveZoomWindow;
    }
    // The hotkey while shown aims at 1.0; the next tick hides the window.
    void HideLiveZoom(HWND live) {
        ASSERT_TRUE(IsWindowVisible(live));
        LiveZoomHotkey();
        SendMessageW(live, WM_TIMER, static_cast<WPARAM>(LiveTimer::Tick), 0);
    }
    static void KeepAliveTimer(HWND live) {
        SendMessageW(live, WM_TIMER, static_cast<WPARAM>(LiveTimer::KeepAlive), 0);
    }
};

TEST_F(KeepAlive, HiddenWhileBusyWaitsForTheTimerWhichDestroysUnlessNotificationsCameBack) {
    notificationState = kBusy;
    HWND live = LiveZoomHotkey();
    ASSERT_NE(live, nullptr);
    EXPECT_FALSE(systemCursorShown);
    ASSERT_NO_FATAL_FAILURE(HideLiveZoom(live));
    EXPECT_TRUE(IsWindow(live)); // kept hidden, the two-hour timer restarted
    EXPECT_TRUE(systemCursorShown);

    notificationState = kAccepts;
    KeepAliveTimer(live);
    ASSERT_TRUE(IsWindow(live));
    // Shown again without a new initialisation; the timer leaves a visible window alone.
    EXPECT_EQ(LiveZoomHotkey(), live);
    EXPECT_TRUE(IsWindowVisible(live));
    EXPECT_EQ(initializeCalls, 1);
    notificationState = kBusy;
    KeepAliveTimer(live);
    EXPECT_TRUE(IsWindowVisible(live));

    ASSERT_NO_FATAL_FAILURE(HideLiveZoom(live));
    KeepAliveTimer(live);
    EXPECT_FALSE(IsWindow(live));
    EXPECT_EQ(app.liveZoomWindow, nullptr);
}

TEST_F(KeepAlive, HiddenWhileNotificationsAreAcceptedIsDestroyedAtOnce) {
    HWND live = LiveZoomHotkey();
    ASSERT_NE(live, nullptr);
    ASSERT_NO_FATAL_FAILURE(HideLiveZoom(live));
    EXPECT_FALSE(IsWindow(live));
    EXPECT_EQ(app.liveZoomWindow, nullptr);

    // From Windows 7 on every hide destroys, whatever the state.
    app.windowsVersion = 0x000A; // Windows 10 reports 10.0
    notificationState = kBusy;
    live = LiveZoomHotkey();
    ASSERT_NO_FATAL_FAILURE(HideLiveZoom(live));
    EXPECT_FALSE(IsWindow(live));
}

TEST_F(KeepAlive, SettingChangeDestroysWhenNotificationsStopAndStopsTheTimerWhenTheyCome) {
    HWND live = LiveZoomHotkey();
    SendMessageW(live, WM_SETTINGCHANGE, 0, 0);
    EXPECT_TRUE(IsWindowVisible(live));
    notificationState = kBusy;
    SendMessageW(live, WM_SETTINGCHANGE, 0, 0);
    EXPECT_FALSE(IsWindow(live));
    // Destroyed while shown: the system cursor comes back and the hotkeys are free again.
    EXPECT_TRUE(systemCursorShown);
    EXPECT_TRUE(RegisterHotKey(nullptr, 0, MOD_CONTROL, VK_UP));
    UnregisterHotKey(nullptr, 0);

    live = LiveZoomHotkey(); // created busy: the keep-alive timer runs
    SendMessageW(live, WM_SETTINGCHANGE, 0, 0);
    EXPECT_TRUE(IsWindow(live));
    notificationState = kAccepts;
    SendMessageW(live, WM_SETTINGCHANGE, 0, 0);
    EXPECT_TRUE(IsWindowVisible(live));
    EXPECT_FALSE(KillTimer(live, static_cast<UINT_PTR>(LiveTimer::KeepAlive))); // already gone

    // Exit while showing gives the system cursor back.
    ASSERT_FALSE(systemCursorShown);
    ExitProgram(window);
    EXPECT_FALSE(IsWindow(live));
    EXPECT_TRUE(systemCursorShown);
}

} // namespace
