// The notification-area icon, its popup menu, and the tray's commands on the main window.
#pragma once

#include <windows.h>

// Adds the icon when ShowTrayIcon is set (or gives the shell the icon anew when it has it),
// removes it otherwise. Also called when the shell (re)starts and announces "TaskbarCreated":
// its new notification area has no icons yet, and may have another DPI.
void UpdateTrayIcon(HWND mainWindow);
// The program's icon at the size of a small icon at `dpi` (0: the system's), from the image of
// that size in the icon resource (16, 20, 24, 32 and 48 pixels), so the shell scales nothing.
// The caller owns it.
HICON LoadSmallIcon(UINT dpi);
// Message 1124: lParam is the mouse message that happened over the icon. Returns 0. The shell
// sends a double click as down, up, double click, up: a single left click opens the menu once
// the double-click time has passed (OnTrayClickTimer), a double click opens the options and
// nothing else, the right button opens the menu at once.
LRESULT OnTrayNotify(HWND mainWindow, LPARAM mouseMessage);
// Timer MainTimer::TrayClick: no double click followed the single click.
void OnTrayClickTimer(HWND mainWindow);
// The popup menu at `at`: Options, Break Timer, Draw, Zoom, Exit.
void ShowTrayMenu(HWND mainWindow, POINT at);
// Takes the icon away (the program is ending). The main window's ExitProgram calls it on every
// way out.
void RemoveTrayIcon(HWND mainWindow);
