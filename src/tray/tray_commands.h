// The tray icon's commands carried out on the main window.
#pragma once

#include <windows.h>

// Exit: removes the tray icon, writes FontScale and PenColor, destroys the main window (its
// WM_DESTROY ends the message loop).
void ExitProgram(HWND mainWindow);
