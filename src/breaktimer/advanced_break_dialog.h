#pragma once

#include <windows.h>

// The modal "Advanced Break Options" dialog (template IDD_ADVANCED_BREAK): the alarm sound,
// opacity, countdown position and background of the break screen, stored at its OK.
INT_PTR CALLBACK AdvancedBreakDialogProc(HWND, UINT, WPARAM, LPARAM);
