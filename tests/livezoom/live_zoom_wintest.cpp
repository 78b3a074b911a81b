// The live-zoom window in the test's own process: its answers and the takeover messages, Ctrl+Down
// through the registered hotkey, a start whose magnifier fails, its styles, activation and first
// frame, a takeover's capture after the magnifier drew without its cursor, the system pointer off
// its monitor, the level by the clock, and, before Windows 7, the keep-alive that keeps or
// destroys a hidden window by the user notification state (decided natively, carried out here).
// The state, the magnification functions (Wine has none) and the desktop's cloaking are stand-ins
// in the optional-function table.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "livezoom/live_zoom_window.h"
#include "shell/optional_functions.h"
#include "support/main_window_fixture.h"
#include "support/mode_cycles.h"
#include "support/system_stand_ins.h"
#include "support/wait_until.h"
#include "zoom/app_state.h"
#include "zoom/main_window.h"
#include "zoom/message_ids.h"

namespace {

constexpr int kAccepts = 5, kBusy = 3; // QUNS_ACCEPTS_NOTIFICATIONS, QUNS_RUNNING_D3D_FULL_SCREEN
constexpr WORD kWindowsXp = 0x0105, kWindows10 = 0x000A;

int notificationState, initializeCalls, cursorSwitches;
BOOL systemCursorShown;
bool failInitialize, failControl;
MagnifierTransform lastTransform;
RECT lastSource;
// The magnifier's paints: whether each drew the magnified cursor, and whether the frozen zoom
// was on screen then (a takeover captures the screen just before it shows).
struct MagnifierPaint {
    bool cursor, zoomShown;
};
std::vector<MagnifierPaint> magnifierPaints;

LRESULT CALLBACK StandInMagnifier(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE && failControl) {
        return FALSE;
    }
    if (message == WM_PAINT) {
        constexpr LONG kShowMagnifiedCursor = 0x0001;
        magnifierPaints.push_back({(GetWindowLongW(window, GWL_STYLE) & kShowMagnifiedCursor) != 0,
                                   IsWindowVisible(app.mainWindow) != FALSE});
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// As the system library: initialising registers the "Magnifier" class.
BOOL WINAPI StandInInitialize() {
    ++initializeCalls;
    WNDCLASSW type = {CS_GLOBALCLASS, StandInMagnifier, 0, 0, GetModuleHandleW(nullptr), 0, 0, 0, 0,
                      L"Magnifier"};
    if (failInitialize) {
        return FALSE;
    }
    RegisterClassW(&type); // a class left from before serves as well
    return TRUE;
}

class LiveZoomTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        notificationState = kAccepts;
        initializeCalls = cursorSwitches = 0;
        systemCursorShown = TRUE;
        failInitialize = failControl = false;
        lastTransform = {};
        lastSource = {};
        OptionalFunctions& f = optionalFunctions;
        f.MagInitialize = StandInInitialize;
        f.MagSetWindowTransform = [](HWND, MagnifierTransform* t) {
            return lastTransform = *t, TRUE;
        };
        f.MagSetWindowSource = [](HWND, RECT source) { return lastSource = source, TRUE; };
        f.ShowSystemCursor = [](BOOL show) {
            return ++cursorSwitches, systemCursorShown = show, TRUE;
        };
        f.SHQueryUserNotificationState = [](int* state) {
            return *state = notificationState, S_OK;
        };
        f.DwmIsCompositionEnabled = nullptr; // composition off: levels jump, as under Wine
        ASSERT_NO_FATAL_FAILURE(CreateMain());
        app.windowsVersion = kWindows10;
    }
    void TearDown() override {
        if (app.liveZoomWindow != nullptr) {
            DestroyWindow(app.liveZoomWindow);
        }
        MainWindowTest::TearDown();
        UnregisterClassW(kLiveZoomClass, GetModuleHandleW(nullptr));
        UnregisterClassW(L"Magnifier", GetModuleHandleW(nullptr));
    }
    // The live-zoom hotkey, as the main window gets it.
    HWND LiveZoomHotkey() {
        SendMessageW(window, WM_HOTKEY, 1, 0);
        return app.liveZoomWindow;
    }
    static void Tick(HWND live, LiveTimer timer = LiveTimer::Tick) {
        SendMessageW(live, WM_TIMER, static_cast<WPARAM>(timer), 0);
    }
    // The hotkey while shown aims at 1.0; the next tick hides the window.
    void HideLiveZoom(HWND live) {
        ASSERT_TRUE(IsWindowVisible(live));
        LiveZoomHotkey();
        Tick(live);
    }
};

// Hotkeys and timers arrive as messages of this thread, which owns the window.
template <typename Condition> bool PumpUntil(Condition condition) {
    return WaitUntil([&] { return PumpMessages(), condition(); });
}

const auto TransformLevel = [] { return lastTransform.v[0][0]; };
using XY = std::pair<float, float>;

TEST_F(LiveZoomTest, ItsAnswersAndTheTakeoverMessagesHandOverLevelAndSource) {
    HWND live = LiveZoomHotkey();
    ASSERT_NE(live, nullptr);
    EXPECT_EQ(SendMessageW(live, kLiveZoomGetFactorMessage, 0, 0),
              reinterpret_cast<LRESULT>(&liveZoom.liveLevel));
    EXPECT_EQ(SendMessageW(live, kLiveZoomGetSourceMessage, 0, 0),
              reinterpret_cast<LRESULT>(&liveZoom.liveSource));
    // 1128: the whole level, applied at once as a pure scale of a source around the centre of
    // the rectangle given (or of the last), sized for the level and kept on the monitor; the
    // step stays.
    const float step = liveZoom.liveStep;
    RECT source = {100, 50, 740, 410}; // 640 x 360: the size at 3
    EXPECT_EQ(SendMessageW(live, kLiveZoomSetMessage, 3, reinterpret_cast<LPARAM>(&source)), 0);
    EXPECT_TRUE(EqualRect(&liveZoom.liveSource, &source) && EqualRect(&lastSource, &source));
    EXPECT_EQ(std::vector<float>({liveZoom.liveLevel, liveZoom.liveTarget, liveZoom.liveStep}),
              std::vector<float>({3, 3, step}));
    const float(&m)[3][3] = lastTransform.v;
    EXPECT_EQ(std::vector<float>({m[0][0], m[0][1], m[0][2], m[1][0], m[1][1], m[1][2]}),
              std::vector<float>({3, 0, 0, 0, 3, 0}));
    EXPECT_EQ(SendMessageW(live, kLiveZoomSetMessage, 2, 0), 0);
    const RECT atTwo = {0, 0, 960, 540}; // around (420, 230), held on the monitor
    EXPECT_TRUE(EqualRect(&liveZoom.liveSource, &atTwo) && EqualRect(&lastSource, &atTwo));
    EXPECT_EQ(TransformLevel(), 2.0f);
    // A whole level of 1 hides live zoom at the next tick.
    SendMessageW(live, kLiveZoomSetMessage, 1, 0);
    EXPECT_TRUE(IsWindowVisible(live));
    Tick(live);
    EXPECT_FALSE(IsWindow(live));
    EXPECT_EQ(app.liveZoomWindow, nullptr);
}

// Ctrl and the key pressed and released, as the presenter types them.
void PressWithCtrl(WORD key) {
    INPUT keys[4] = {};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki = {i % 3 ? key : WORD(VK_CONTROL), 0, DWORD(i / 2 * KEYEVENTF_KEYUP), 0, 0};
    }
    SendInput(4, keys, sizeof(INPUT));
}

TEST_F(LiveZoomTest, CtrlDownFromTwoStepsThroughOneAndAHalfAndOneAndAnEighthToHidden) {
    app.settings.ZoominSliderLevel = 3; // 2.0
    HWND live = LiveZoomHotkey();
    ASSERT_NE(live, nullptr);
    ASSERT_TRUE(PumpUntil([] { return TransformLevel() == 2.0f; }));
    for (const float next : {1.5f, 1.125f}) {
        PressWithCtrl(VK_DOWN);
        ASSERT_TRUE(PumpUntil([next] { return TransformLevel() == next; })) << TransformLevel();
        EXPECT_EQ(XY(liveZoom.liveTarget, liveZoom.liveStep), XY(next, 0.8f));
    }
    PressWithCtrl(VK_DOWN); // 0.84375, raised to 1.0: hidden, and from Windows 7 on destroyed
    ASSERT_TRUE(PumpUntil([] { return app.liveZoomWindow == nullptr; }));
    EXPECT_FALSE(IsWindow(live));
    EXPECT_TRUE(systemCursorShown);
    EXPECT_FALSE(HotkeyHeld(MOD_CONTROL, VK_DOWN));
}

TEST_F(LiveZoomTest, AMagnifierThatFailsToStartLeavesNothingBehindAndSaysSoOnce) {
    for (const bool initialize : {true, false}) {
        SCOPED_TRACE(initialize ? "MagInitialize fails" : "the magnifier control fails");
        failInitialize = initialize;
        failControl = !initialize;
        MessageBoxCollector collector;
        EXPECT_EQ(LiveZoomHotkey(), nullptr);
        const std::vector<DialogSnapshot> shown = collector.Stop();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].caption, L"Vistrel");
        EXPECT_EQ(shown[0].Text().rfind(L"Error starting live zoom: ", 0), 0u) << shown[0].Text();
        EXPECT_EQ(FindWindowW(kLiveZoomClass, nullptr), nullptr);
        EXPECT_EQ(cursorSwitches, 0); // the system cursor was never hidden
        EXPECT_FALSE(HotkeyHeld(MOD_CONTROL, VK_UP) || HotkeyHeld(MOD_CONTROL, VK_DOWN));
        EXPECT_TRUE(HotkeyHeld(MOD_CONTROL, '4')); // the live-zoom hotkey itself stays
    }
    // With the library working again the same hotkey starts live zoom.
    failInitialize = failControl = false;
    MessageBoxCollector none;
    HWND live = LiveZoomHotkey();
    EXPECT_TRUE(IsWindowVisible(live));
    EXPECT_FALSE(systemCursorShown);
    EXPECT_TRUE(HotkeyHeld(MOD_CONTROL, VK_UP));
    EXPECT_TRUE(none.Stop().empty());
}

// The presenter's application, in front with a menu open, say: it must never lose activation.
int deactivations = 0;
LRESULT CALLBACK PresenterWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    deactivations += message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE;
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(LiveZoomTest, AToolWindowThatNeverTakesActivationShownWithItsFirstFramePainted) {
    WNDCLASSW type = {0, PresenterWindow, 0, 0, GetModuleHandleW(nullptr), 0, 0, 0, 0, L"Shown"};
    RegisterClassW(&type);
    HWND presenter = CreateWindowW(L"Shown", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                   nullptr, nullptr, type.hInstance, nullptr);
    SetForegroundWindow(presenter);
    ASSERT_TRUE(PumpUntil([presenter] { return GetForegroundWindow() == presenter; }));
    deactivations = 0;
    RecordCloaking();

    HWND live = LiveZoomHotkey();
    ASSERT_NE(live, nullptr);
    PumpMessages(); // what the show queued
    constexpr LONG kStyle =
        WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    EXPECT_EQ(GetWindowLongW(live, GWL_EXSTYLE) & kStyle, kStyle);
    EXPECT_EQ(GetForegroundWindow(), presenter);
    EXPECT_EQ(deactivations, 0);
    // Cloaked while hidden, uncloaked once shown with the magnifier drawn.
    ASSERT_EQ(cloakCalls.size(), 2u);
    EXPECT_TRUE(cloakCalls[0].cloaked && !cloakCalls[0].visible);
    EXPECT_TRUE(!cloakCalls[1].cloaked && cloakCalls[1].visible && !cloakCalls[1].paintPending);
    DestroyWindow(presenter);
    UnregisterClassW(L"Shown", type.hInstance);
}

TEST_F(LiveZoomTest, ATakeoverCapturesTheScreenOnceTheMagnifierDrewWithoutItsCursor) {
    ASSERT_NE(LiveZoomHotkey(), nullptr);
    magnifierPaints.clear();
    SendMessageW(window, WM_HOTKEY, 0, 0); // the zoom hotkey takes over
    ASSERT_EQ(app.fromLiveZoom, 1);
    const auto capture = std::find_if(magnifierPaints.rbegin(), magnifierPaints.rend(),
                                      [](const MagnifierPaint& p) { return !p.zoomShown; });
    ASSERT_NE(capture, magnifierPaints.rend()) << "no paint before the capture";
    EXPECT_FALSE(capture->cursor);
    SendMessageW(window, WM_HOTKEY, 0, 0); // back to live zoom, which the fixture ends
}

TEST_F(LiveZoomTest, ThePointerShowsOffTheMonitorByTheMagnifiersSwitchAndLevelsGrowByTheClock) {
    optionalFunctions.MagShowSystemCursor = [](BOOL show) {
        return systemCursorShown = show, TRUE;
    };
    HWND live = LiveZoomHotkey();
    ASSERT_NE(live, nullptr);
    EXPECT_FALSE(systemCursorShown);
    // The cursor beside the monitor, as on another one.
    POINT cursor = {};
    GetCursorPos(&cursor);
    RECT& monitor = liveZoom.liveMonitor.rcMonitor;
    const RECT real = monitor;
    monitor = {cursor.x + 1, cursor.y + 1, cursor.x + 641, cursor.y + 361};
    Tick(live);
    EXPECT_TRUE(systemCursorShown);
    monitor = real;
    Tick(live);
    EXPECT_FALSE(systemCursorShown);
    ASSERT_NO_FATAL_FAILURE(HideLiveZoom(live));
    EXPECT_TRUE(systemCursorShown);
    EXPECT_EQ(cursorSwitches, 0); // user32's switch, where the magnifier has its own

    // With composition the level grows by the clock however late the ticks come.
    app.settings.ZoominSliderLevel = 3; // 2.0, from 1.0
    optionalFunctions.DwmIsCompositionEnabled = [](BOOL* on) { return *on = TRUE, S_OK; };
    FakeClock clock;
    live = LiveZoomHotkey();
    EXPECT_EQ(TransformLevel(), 1.0f);
    clock.Advance(100); // five steps of 20 ms, one tick
    Tick(live);
    EXPECT_NEAR(TransformLevel(), 1.61051f, 1e-4f);
    clock.Advance(60);
    Tick(live);
    EXPECT_EQ(TransformLevel(), 2.0f);
}

// Before Windows 7 a window hidden while notifications are held back waits for the two-hour
// timer, which destroys it unless it was shown again; from Windows 7 on every hide destroys. A
// setting change destroys it once notifications stop.
TEST_F(LiveZoomTest, BeforeWindows7AHiddenWindowIsKeptWhileNotificationsAreHeldBack) {
    app.windowsVersion = kWindowsXp;
    HWND live = LiveZoomHotkey();
    ASSERT_NO_FATAL_FAILURE(HideLiveZoom(live));
    EXPECT_FALSE(IsWindow(live)) << "hidden while notifications are accepted";

    notificationState = kBusy;
    initializeCalls = 0;
    live = LiveZoomHotkey();
    ASSERT_NO_FATAL_FAILURE(HideLiveZoom(live));
    EXPECT_TRUE(IsWindow(live)); // kept hidden, the timer restarted
    EXPECT_TRUE(systemCursorShown);
    notificationState = kAccepts;
    Tick(live, LiveTimer::KeepAlive);
    ASSERT_TRUE(IsWindow(live));
    // Shown again without a new initialisation; the timer leaves a visible window alone.
    EXPECT_EQ(LiveZoomHotkey(), live);
    EXPECT_TRUE(IsWindowVisible(live));
    EXPECT_EQ(initializeCalls, 1);
    notificationState = kBusy;
    Tick(live, LiveTimer::KeepAlive);
    EXPECT_TRUE(IsWindowVisible(live));
    ASSERT_NO_FATAL_FAILURE(HideLiveZoom(live));
    Tick(live, LiveTimer::KeepAlive);
    EXPECT_FALSE(IsWindow(live));
    EXPECT_EQ(app.liveZoomWindow, nullptr);

    app.windowsVersion = kWindows10; // which reports 10.0
    live = LiveZoomHotkey();
    ASSERT_NO_FATAL_FAILURE(HideLiveZoom(live));
    EXPECT_FALSE(IsWindow(live));

    // A setting change destroys it when notifications stop.
    app.windowsVersion = kWindowsXp;
    notificationState = kAccepts;
    live = LiveZoomHotkey();
    SendMessageW(live, WM_SETTINGCHANGE, 0, 0);
    EXPECT_TRUE(IsWindowVisible(live));
    notificationState = kBusy;
    SendMessageW(live, WM_SETTINGCHANGE, 0, 0);
    EXPECT_FALSE(IsWindow(live));
    // Destroyed while shown: the system cursor comes back and the hotkeys are free again.
    EXPECT_TRUE(systemCursorShown);
    EXPECT_FALSE(HotkeyHeld(MOD_CONTROL, VK_UP));

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
