// The options dialog, opened by command 1004 (tray menu, a second start, the first run).
#pragma once

#include <windows.h>

// Runs the modal options dialog over the main window.
void OpenOptionsDialog(HWND mainWindow);
