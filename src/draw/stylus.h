// The stylus eraser: touching down with the eraser end of a pen undoes the last change, like
// Ctrl+Z. A pen reports its eraser end in contact as the eraser flag on some tablets and as
// "inverted" on others; both count. Everything else a pen does arrives as mouse messages.
#pragma once

#include <windows.h>

// WM_POINTERDOWN of the main window: 0 when the eraser undid a step, otherwise the default
// handling (so the system goes on to produce mouse messages for the contact). Works only where
// GetPointerPenInfo exists (optionalFunctions).
LRESULT UndoWithPenEraser(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
