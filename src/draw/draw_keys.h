// The keyboard of the zoom window (WM_KEYDOWN): the complete key map, and the features behind
// its keys that are not the pen's or the view's: erase-all (E), the black and white sketch pads
// (K, W) with their pictures, centring the pen (Space) and undo (Ctrl+Z).
#pragma once

#include <windows.h>

LRESULT OnKeyDown(HWND window, WPARAM virtualKey);

// Rebuilds padPictureDC for a pad kind ('K' or 'W'): the pad's picture stretched to the
// capture, when the pad shows one and the file decodes; none otherwise.
void LoadPadPicture(int kind);
// Paints a rectangle of the working image with the pad: its colour, and its picture on top.
void FillPad(const RECT& area, int kind);
