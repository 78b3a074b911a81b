// The break screen: the main window turned into a full-monitor countdown over the window
// colour, a picture or the faded desktop, with an alarm at zero and, optionally, the time since.
#pragma once

#include <windows.h>

// Command 1011 (tray menu, break hotkey): starts the break, or starts it again from the full
// time. Returns 0.
LRESULT StartBreak(HWND mainWindow);
// Timer 0: one second less; the alarm on the tick that reaches exactly 0.
void BreakTick(HWND mainWindow);
// WM_PAINT while the break is up.
void PaintBreakScreen(HWND mainWindow);
// Left and Right during the break; false for other keys or outside a break.
bool AdjustBreakSeconds(HWND mainWindow, WPARAM virtualKey);
// The wheel, Up and Down during the break.
void WheelBreak(HWND mainWindow, int notches);
// Ends the break: hides the window, frees the break's objects, puts the presenter's screen
// saver back, lets the display go dark again, and takes the translucency away.
void EndBreak(HWND mainWindow);

// Plays the alarm at expiry; PlaySoundW, replaced by tests to see what is asked of it.
extern BOOL(WINAPI* playAlarmSound)(LPCWSTR sound, HMODULE module, DWORD flags);
// Keeps the display on during a break; SetThreadExecutionState, replaced by tests.
extern EXECUTION_STATE(WINAPI* setThreadExecutionState)(EXECUTION_STATE flags);
// The display settings the second-display option reads and changes: EnumDisplayDevicesW and
// ChangeDisplaySettingsExW, replaced by tests (no test machine has a second display device).
struct DisplaySettingsCalls {
    BOOL(WINAPI* enumDevices)(LPCWSTR device, DWORD index, PDISPLAY_DEVICEW found, DWORD flags);
    LONG(WINAPI* change)(LPCWSTR device, DEVMODEW* mode, HWND, DWORD flags, LPVOID);
};
extern DisplaySettingsCalls displaySettings;
