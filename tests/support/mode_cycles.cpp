// One cycle of each mode, and the leak counts (see mode_cycles.h).
#include "support/mode_cycles.h"

#include <psapi.h>

#include "zoom/app_state.h"
#include "zoom/message_ids.h"

namespace {

void Stroke(HWND mainWindow, int x, int y) {
    SendMessageW(mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    for (int i = 1; i <= 10; ++i) {
        SendMessageW(mainWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 8 * i, y + 3 * i));
        UpdateWindow(mainWindow);
    }
    SendMessageW(mainWindow, WM_LBUTTONUP, 0, MAKELPARAM(x + 80, y + 30));
}

void CALLBACK CancelOptions(HWND, UINT, UINT_PTR, DWORD) {
    if (app.optionsDialog != nullptr && IsWindowVisible(app.optionsDialog)) {
        PostMessageW(app.optionsDialog, WM_COMMAND, IDCANCEL, 0);
    }
}

} // namespace

void Hotkey(HWND mainWindow, HotkeyId id) {
    SendMessageW(mainWindow, WM_HOTKEY, static_cast<WPARAM>(id), 0);
}

void HoldKey(int key, bool down) {
    BYTE keyboard[256];
    GetKeyboardState(keyboard);
    keyboard[key] = down ? 0x80 : 0;
    SetKeyboardState(keyboard);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

void ZoomCycle(HWND mainWindow) {
    Hotkey(mainWindow, HotkeyId::Zoom);
    Hotkey(mainWindow, HotkeyId::Zoom);
}

void DrawCycle(HWND mainWindow, int i) {
    Hotkey(mainWindow, HotkeyId::Draw);
    Stroke(mainWindow, 200 + i % 300, 200);
    Stroke(mainWindow, 400, 300 + i % 200);
    HoldKey(VK_CONTROL, true);
    SendMessageW(mainWindow, WM_KEYDOWN, 'Z', 0);
    HoldKey(VK_CONTROL, false);
    Hotkey(mainWindow, HotkeyId::Zoom);
}

void BreakCycle(HWND mainWindow, int i) {
    app.settings.BreakShowBackgroundFile = i % 2;
    app.settings.BreakShowDesktop = i % 2;
    Hotkey(mainWindow, HotkeyId::Break);
    UpdateWindow(mainWindow);
    Hotkey(mainWindow, HotkeyId::Zoom); // ends the break
}

void OptionsCycle(HWND mainWindow) {
    // The dialog runs its own modal loop, which dispatches this thread's timer.
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, CancelOptions);
    SendMessageW(mainWindow, WM_COMMAND, static_cast<WPARAM>(Command::Options), 0);
    KillTimer(nullptr, timer);
}

DWORD GdiObjectCount() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) {
        return reported;
    }
    DWORD count = 0;
    for (ULONG_PTR index = 1; index <= 0xFFFF; ++index) {
        count += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
    }
    return count;
}

SIZE_T WorkingSetBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}
