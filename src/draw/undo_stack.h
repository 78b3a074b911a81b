// The undo stack: whole-image snapshots of the working image, newest first, at most seven.
// Before each change the whole image is copied; Ctrl+Z copies the newest copy back. There is
// no redo. Each snapshot owns its DC and bitmap. Surfaces are recycled, because making a fresh
// monitor-sized bitmap costs several times the copy itself: a push over seven reuses the oldest
// one, a popped or erased one is kept for the next push, and the zoom hands its snapshot bitmaps
// to the spare surfaces for the next zoom of its size, as it does its image. Stack and spares
// together never hold more than seven.
#pragma once

#include <windows.h>

#include <span>

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
// Empties app.undoStack; its surfaces stay as spares for the next pushes.
void ClearUndoStack();
int UndoDepth();
// The zoom ends: every snapshot and spare bitmap goes into a free place of `kept` (its DC
// deleted, so none is selected), and is deleted when none is left; an empty `kept` deletes them
// all. The stack and the spares are empty after.
void KeepUndoSurfaces(std::span<HBITMAP> kept);
// The next zoom of the same size takes the kept bitmaps back as spares (and clears `kept`).
void TakeKeptUndoSurfaces(std::span<HBITMAP> kept);

// The empty-stack beep; tests replace it to observe the beep without a speaker.
extern BOOL(WINAPI* undoBeep)(DWORD frequency, DWORD durationMs);
