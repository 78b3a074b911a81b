// The undo stack: whole-image snapshots of the working image, newest first, at most seven.
// Before each change the whole image is copied; Ctrl+Z copies the newest copy back. There is
// no redo. Each snapshot owns its DC and bitmap. Surfaces are recycled within a zoom: a push
// over seven reuses the oldest one, and a popped one is kept for the next push, because making
// a fresh monitor-sized bitmap costs several times the copy itself. Stack and spares together
// never hold more than seven.
#pragma once

#include <windows.h>

constexpr int kUndoDepth = 7;

struct UndoSnapshot {
    HDC dc = nullptr;          // memory DC compatible with imageDC, `bitmap` selected
    HBITMAP bitmap = nullptr;  // W x H copy of the working image
    UndoSnapshot* next = nullptr;  // the next older snapshot
};

// Saves imageDC on top, dropping the oldest when seven are held. Skipped silently when the
// bitmap cannot be made.
void PushUndoSnapshot();
// Restores imageDC from the newest snapshot and frees it; beeps (700 Hz, 200 ms) and returns
// false when there is none.
bool PopUndoSnapshot();
// Frees every snapshot and spare and empties app.undoStack.
void ClearUndoStack();
int UndoDepth();

// The empty-stack beep; tests replace it to observe the beep without a speaker.
extern BOOL(WINAPI* undoBeep)(DWORD frequency, DWORD durationMs);
