// The options dialog: six pages in a tab control, opened by command 1004 (tray menu, a second
// start, the first run). While it is open the main window's hotkeys are off, so the hotkey
// controls can take any combination; OK registers and stores the new ones, Cancel the old ones.
#pragma once

#include <windows.h>

// Runs the modal options dialog over the main window. A second call while it is open only
// raises the open one.
void OpenOptionsDialog(HWND mainWindow);

// The dialog procedure (template IDD_OPTIONS, owner the main window).
INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// OK: registers the four hotkeys in order, stopping at the first conflict (then all four are off
// and the dialog stays open, returning 0); otherwise stores and writes the dialog's settings and
// ends the dialog with 1.
INT_PTR OptionsOk(HWND dialog);
// Cancel and the close box: registers the stored hotkeys again without reports and ends the
// dialog with 2.
INT_PTR OptionsCancel(HWND dialog);
