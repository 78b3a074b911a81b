#pragma once

#include <windows.h>

// The modal "Advanced Draw Options" dialog (template IDD_ADVANCED_DRAW): the six pen-colour
// slots, the pad colours and pad pictures of app.settings, stored at its OK.
INT_PTR CALLBACK AdvancedDrawDialogProc(HWND, UINT, WPARAM, LPARAM);
