// What the four hotkeys do. WM_HOTKEY is the one entry to every mode: the registered hotkeys
// arrive here, and so do the tray's Zoom and Draw commands, Escape, the right button and focus
// loss, which send or post the zoom id.
#pragma once

#include <windows.h>

// wParam is the hotkey id (0 zoom, 1 live zoom, 2 draw without zoom, 3 break); lParam, for a
// pressed hotkey, its modifiers and key (0 when the program sends the id itself). Returns 1.
// While the presenter types on the zoom, a hotkey whose keys type a character types it there,
// and the zoom or draw hotkey that types nothing ends typing, as Escape does: neither ends the
// zoom with the text. While the save dialog is open the zoom stays.
LRESULT OnHotkey(HWND window, WPARAM id, LPARAM keys);
