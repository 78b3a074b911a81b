// The break screen: a full-monitor countdown on the main window.
#pragma once

#include <windows.h>

// Ends a running break: hides the main window and frees the break screen's objects.
void EndBreak(HWND mainWindow);
