// Handing the screen on: Ctrl+C copies what the primary display shows to the clipboard, Ctrl+S
// saves the zoomed view with its annotations as a PNG file, at its size on screen or at the
// size of the captured pixels.
#pragma once

#include <windows.h>

// Command 40002: the monitor being presented during a zoom (else the primary display) to the
// clipboard as a bitmap. A clipboard that another program holds is tried again for about half a
// second; then, as for any failure, an error box says so. Returns 0.
LRESULT CopyScreenToClipboard(HWND mainWindow);
// Command 40001: the save dialog, then the PNG; a file that cannot be written is reported in an
// error box. Returns 0.
LRESULT SaveZoomedImage(HWND mainWindow);
// 0 on success, else the system's reason (the last error code, or ERROR_CANNOT_MAKE).
DWORD SaveBitmapAsPng(const wchar_t* path, HBITMAP bitmap);
// The index of the PNG encoder with its class id, or -1.
int FindPngEncoder(CLSID& encoder);
