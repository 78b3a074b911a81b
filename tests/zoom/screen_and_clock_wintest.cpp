// How the main window's modes meet the screen and the clock, in the test's own process: each
// mode shows with its first frame already painted, the zoom's animation and the break's count
// follow the clock however late the ticks come, a break keeps the display on until it ends, and
// the second-display option leaves a display in use alone and stores nothing. The clock, the
// desktop's cloaking, the execution state and the display settings are stand-ins.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "breaktimer/break_screen.h"
#include "support/main_window_fixture.h"
#include "support/system_stand_ins.h"
#include "zoom/app_state.h"
#include "zoom/hotkey_value.h"
#include "zoom/message_ids.h"

namespace {

class Modes : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(CreateMain());
    }
    void Hotkey(HotkeyId id) { SendMessageW(window, WM_HOTKEY, static_cast<WPARAM>(id), 0); }
    void Tick(MainTimer timer) { SendMessageW(window, WM_TIMER, static_cast<WPARAM>(timer), 0); }
};

TEST_F(Modes, EachModeShowsItsFirstFramePaintedAndTheZoomAndBreakMoveByTheClock) {
    // The first level shown: 1.1 for the zoom, 1.0 for drawing, none (0) for the break.
    for (const auto& [id, firstZoom] :
         {std::pair{HotkeyId::Zoom, 1.1f}, std::pair{HotkeyId::Draw, 1.0f},
          std::pair{HotkeyId::Break, 0.0f}}) {
        SCOPED_TRACE(static_cast<int>(id));
        RecordCloaking();
        Hotkey(id);
        ASSERT_EQ(cloakCalls.size(), 2u);
        const CloakCall &hidden = cloakCalls[0], &shown = cloakCalls[1];
        EXPECT_TRUE(hidden.cloaked && !hidden.visible);
        EXPECT_TRUE(!shown.cloaked && shown.visible && !shown.paintPending);
        EXPECT_TRUE(firstZoom == 0.0f || shown.zoomShown == firstZoom) << shown.zoomShown;
        app.settings.AnimateZoom = 0; // the zoom hotkey ends each at once
        Hotkey(HotkeyId::Zoom);
        app.settings.AnimateZoom = 1;
        ASSERT_FALSE(IsWindowVisible(window));
    }

    // 1.1 to 2.0 takes 125.4 ms of the clock, 2.0 to 1.0 takes 62.1 ms.
    FakeClock clock;
    app.settings.ZoominSliderLevel = 3; // 2.0
    Hotkey(HotkeyId::Zoom);
    ASSERT_EQ(app.currentZoom, 1.1f);
    clock.Advance(62); // a tick three steps late
    Tick(MainTimer::ZoomIn);
    EXPECT_NEAR(app.currentZoom, 1.47814f, 1e-4f);
    clock.Advance(64);
    Tick(MainTimer::ZoomIn);
    EXPECT_EQ(app.currentZoom, 2.0f);
    EXPECT_FALSE(KillTimer(window, static_cast<UINT_PTR>(MainTimer::ZoomIn))); // still running

    Hotkey(HotkeyId::Zoom);
    clock.Advance(63);
    Tick(MainTimer::ZoomOut);
    EXPECT_EQ(app.zoomActive, 0);

    // The break counts the clock's seconds and keeps the display on until it ends.
    const auto secondsAfter = [&](double ms) {
        clock.Advance(ms);
        Tick(MainTimer::BreakCountdown); // one tick, however long the queue kept it
        return app.breakSecondsLeft;
    };
    Hotkey(HotkeyId::Break); // 10 minutes
    ASSERT_EQ(app.breakSecondsLeft, 600);
    EXPECT_EQ(standInExecutionState, kDisplayKeptOn);
    EXPECT_EQ(secondsAfter(5400), 595);
    // Right makes 600, counted on from a full second later.
    SendMessageW(window, WM_KEYDOWN, VK_RIGHT, 0);
    ASSERT_EQ(app.breakSecondsLeft, 600);
    EXPECT_EQ(secondsAfter(999), 600);
    EXPECT_EQ(secondsAfter(1), 599);
    // A restart counts from the full time again.
    clock.Advance(3000);
    Hotkey(HotkeyId::Break);
    EXPECT_EQ(app.breakSecondsLeft, 600);
    EXPECT_EQ(secondsAfter(2500), 598);
    EXPECT_EQ(standInExecutionState, kDisplayKeptOn);
    Hotkey(HotkeyId::Zoom); // ends the break
    EXPECT_EQ(standInExecutionState, DWORD(ES_CONTINUOUS));
}

// A wheel notch that lands at once while the animation runs (here at the largest level) holds:
// the next tick counts from the level the wheel showed, not from where the animation started.
TEST_F(Modes, AWheelNotchThatLandsAtOnceHoldsAgainstTheRunningAnimation) {
    FakeClock clock;
    app.settings.ZoominSliderLevel = 3; // 2.0
    const auto wheel = [&](int notches) {
        SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, notches * WHEEL_DELTA), 0);
    };
    Hotkey(HotkeyId::Zoom);
    clock.Advance(200);
    Tick(MainTimer::ZoomIn);
    wheel(3); // 4, 8, 16
    clock.Advance(400);
    Tick(MainTimer::ZoomIn);
    ASSERT_EQ(app.currentZoom, 16.0f);
    wheel(1); // toward 32 from 17.6
    clock.Advance(100);
    Tick(MainTimer::ZoomIn);
    ASSERT_NEAR(app.currentZoom, 28.3448f, 1e-3f);
    wheel(1); // at the limit: 32 at once
    ASSERT_EQ(app.currentZoom, 32.0f);
    Tick(MainTimer::ZoomIn);
    EXPECT_EQ(app.currentZoom, 32.0f);
    EXPECT_FALSE(KillTimer(window, static_cast<UINT_PTR>(MainTimer::ZoomIn))); // arrived
}

// The display devices as the second-display option sees them, and what it asks to change.
struct DisplayChange {
    std::wstring device;
    DWORD width, flags;
};
std::vector<DisplayChange> displayChanges;
DWORD secondDisplayState = 0;
LONG changeAnswer = DISP_CHANGE_SUCCESSFUL;

TEST_F(Modes, TheSecondDisplayIsAttachedForTheBreakOnlyWhenSwitchedOffAndNothingIsStored) {
    const DisplaySettingsCalls real = std::exchange(
        displaySettings,
        DisplaySettingsCalls{
            [](LPCWSTR, DWORD index, PDISPLAY_DEVICEW device, DWORD) {
                lstrcpyW(device->DeviceName, index == 0 ? L"\\\\.\\DISPLAY1" : L"\\\\.\\DISPLAY2");
                device->StateFlags =
                    index == 0 ? DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | DISPLAY_DEVICE_PRIMARY_DEVICE
                               : secondDisplayState;
                return BOOL(index <= 1);
            },
            [](LPCWSTR device, DEVMODEW* mode, HWND, DWORD flags, LPVOID) {
                displayChanges.push_back({device != nullptr ? device : L"",
                                          mode != nullptr ? mode->dmPelsWidth : 0, flags});
                return changeAnswer;
            }});
    app.settings.BreakOnSecondary = 1;
    const struct {
        const char* name;
        DWORD state;
        LONG answer;
        size_t changes; // attach and detach
    } rows[] = {
        {"in use", DISPLAY_DEVICE_ATTACHED_TO_DESKTOP, DISP_CHANGE_SUCCESSFUL, 0},
        {"switched off", 0, DISP_CHANGE_SUCCESSFUL, 2},
        {"cannot be attached", 0, DISP_CHANGE_FAILED, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        displayChanges.clear();
        secondDisplayState = row.state;
        changeAnswer = row.answer;
        Hotkey(HotkeyId::Break);
        Hotkey(HotkeyId::Zoom); // ends it
        ASSERT_EQ(displayChanges.size(), row.changes);
        for (const DisplayChange& change : displayChanges) {
            EXPECT_EQ(change.device, L"\\\\.\\DISPLAY2");
            EXPECT_EQ(change.flags & (CDS_UPDATEREGISTRY | CDS_NORESET), 0u); // nothing stored
        }
        if (row.changes == 2) { // attached at the screen's width, then detached
            EXPECT_EQ(displayChanges[0].width, DWORD(GetSystemMetrics(SM_CXSCREEN)));
            EXPECT_EQ(displayChanges[1].width, 0u);
        }
    }
    displaySettings = real;
}

} // namespace
