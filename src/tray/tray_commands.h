// The notification-area icon, its popup menu, and the tray's commands on the main window.
#pragma once

#include <windows.h>

// Adds the icon when ShowTrayIcon is set, removes it otherwise. Also called when the shell
// (re)starts and announces "TaskbarCreated": its new notification area has no icons yet.
void UpdateTrayIcon(HWND mainWindow);
// Message 1124: lParam is the mouse message that happened over the icon. Returns 0.
LRESULT OnTrayNotify(HWND mainWindow, LPARAM mouseMessage);
// The popup menu at the cursor: Options, Break Timer, Draw, Zoom, Exit.
void ShowTrayMenu(HWND mainWindow);
// Takes the icon away (the program is ending). The main window's ExitProgram calls it on every
// way out.
void RemoveTrayIcon(HWND mainWindow);
