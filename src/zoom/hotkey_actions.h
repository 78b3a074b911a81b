// What the four hotkeys do. WM_HOTKEY is the one entry to every mode: the registered hotkeys
// arrive here, and so do the tray's Zoom and Draw commands, Escape, the right button and focus
// loss, which send or post the zoom id.
#pragma once

#include <windows.h>

// wParam is the hotkey id (0 zoom, 1 live zoom, 2 draw without zoom, 3 break); returns 1.
LRESULT OnHotkey(HWND window, WPARAM id);
