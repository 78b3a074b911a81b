// The keyboard of the zoom window (WM_KEYDOWN): the key map of the zoom view, drawing and
// typing, and the features behind its keys that are not the pen's or the view's: erase-all (E),
// the black and white sketch pads (K, W) with their pictures, centring the pen (Space) and undo
// (Ctrl+Z). The break screen's keys go to it from the main window.
#pragma once

#include <windows.h>

LRESULT OnDrawKeyDown(HWND window, WPARAM virtualKey);
// Ctrl as a shortcut holds it for the key being handled: Ctrl down and Alt up. Windows reports
// AltGr as left Ctrl with right Alt, so AltGr+Z ("ż" in Polish, "æ" in US-International) must
// not count as Ctrl+Z.
bool CtrlShortcutHeld();
// One step back (Ctrl+Z, the stylus eraser): the newest snapshot comes back, then the marker or,
// while typing, the caret over it. Nothing while the left button is held or before anything was
// drawn in this zoom; false then, and when the stack was empty (it beeps).
bool UndoLastChange(HWND window);

// Rebuilds padPictureDC for a pad kind ('K' or 'W'): the pad's picture stretched to the
// capture, when the pad shows one and the file decodes; none otherwise.
void LoadPadPicture(int kind);
// Paints a rectangle of the working image with the pad: its colour, and its picture on top.
void FillPad(const RECT& area, int kind);
