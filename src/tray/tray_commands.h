// The notification-area icon, its popup menu, and the tray's commands on the main window.
#pragma once

#include <windows.h>

// Adds the icon when ShowTrayIcon is set, removes it otherwise.
void UpdateTrayIcon(HWND mainWindow);
// Message 1124: lParam is the mouse message that happened over the icon. Returns 0.
LRESULT OnTrayNotify(HWND mainWindow, LPARAM mouseMessage);
// The popup menu at the cursor: Options, Break Timer, Draw, Zoom, Exit.
void ShowTrayMenu(HWND mainWindow);
// Exit: removes the tray icon, writes FontScale and PenColor, destroys the main window (its
// WM_DESTROY ends the message loop).
void ExitProgram(HWND mainWindow);
