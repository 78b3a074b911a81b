// The main window fixture (see main_window_fixture.h).
#include "support/main_window_fixture.h"

#include <utility>

#include "breaktimer/break_screen.h"
#include "draw/sticky_keys.h"
#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "support/mode_cycles.h"
#include "support/stored_settings.h"
#include "zoom/app_state.h"
#include "zoom/main_window.h"
#include "zoom/zoom_view.h"

#include <shellapi.h> // after windows.h

STICKYKEYS standInStickyKeys = {};
int stickyKeysWrites = 0;
int stickyKeysBroadcasts = 0;
EXECUTION_STATE standInExecutionState = ES_CONTINUOUS;

namespace {

BOOL WINAPI StandInStickyKeysParameters(UINT action, UINT size, PVOID record, UINT flags) {
    if (size != sizeof(STICKYKEYS) || record == nullptr) {
        return FALSE;
    }
    if (action == SPI_GETSTICKYKEYS) {
        *static_cast<STICKYKEYS*>(record) = standInStickyKeys;
        return TRUE;
    }
    if (action == SPI_SETSTICKYKEYS) {
        standInStickyKeys = *static_cast<const STICKYKEYS*>(record);
        ++stickyKeysWrites;
        stickyKeysBroadcasts += flags != 0 ? 1 : 0;
        return TRUE;
    }
    return FALSE;
}

} // namespace

void MainWindowTest::SetUp() {
    standInStickyKeys = {sizeof(STICKYKEYS), SKF_AVAILABLE | SKF_HOTKEYACTIVE};
    stickyKeysWrites = 0;
    stickyKeysBroadcasts = 0;
    stickyKeysParameters = StandInStickyKeysParameters;
    standInExecutionState = ES_CONTINUOUS;
    setThreadExecutionState = [](EXECUTION_STATE state) {
        return std::exchange(standInExecutionState, state);
    };
    RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKeyPath);
    ASSERT_TRUE(WriteSettings({{L"OptionShown", 1}}));
    ResetAppState();
    BindOptionalFunctions();
    zoomExitPauseMs = 0;
}

void MainWindowTest::CreateMain() {
    MessageBoxCollector collector;
    window = CreateMainWindow(GetModuleHandleW(nullptr));
    boxes = collector.Stop();
    ASSERT_NE(window, nullptr);
}

void MainWindowTest::TearDown() {
    if (IsWindow(window)) {
        if (app.zoomActive) {
            app.settings.AnimateZoom = 0;
            Hotkey(window, HotkeyId::Zoom);
        }
        for (int id = 0; id < 4; ++id) {
            UnregisterHotKey(window, id);
        }
        DestroyWindow(window);
    }
    UnregisterHotKey(nullptr, kHeldElsewhere);
    MSG message; // WM_DESTROY posted WM_QUIT: it would end the next modal loop
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassW(kMainWindowClass, GetModuleHandleW(nullptr));
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    ReleaseOptionalFunctions();
    zoomExitPauseMs = 250;
    stickyKeysParameters = SystemParametersInfoW;
    setThreadExecutionState = SetThreadExecutionState;
}

bool TrayIconThere(HWND window) {
    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_TIP;
    return Shell_NotifyIconW(NIM_MODIFY, &icon);
}

bool HotkeyHeld(UINT modifiers, UINT key) {
    const bool free = RegisterHotKey(nullptr, 0xBEEF, modifiers, key);
    UnregisterHotKey(nullptr, 0xBEEF);
    return !free;
}
