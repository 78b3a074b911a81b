// The undo stack: whole-image snapshots of the working image, newest first, at most seven.
// Before each change the whole image is copied; Ctrl+Z copies the newest copy back. There is
// no redo. Each snapshot owns its DC and bitmap, but for one taken while nothing is drawn yet,
// which borrows the clean capture's DC: the picture is the capture then, and no copy is needed.
//
// A fresh monitor-sized bitmap costs several times the copy itself (its memory is mapped at the
// first touch), so no push should have to make one. Surfaces are recycled: a push over seven
// reuses the oldest one, a popped or erased one is kept for the next push, and the zoom hands
// its snapshot bitmaps to the spare surfaces for the next zoom of its size, as it does its
// image. While fewer than seven exist, the one the next push needs is made ahead, a slice at a
// time on the main window's PrepareUndo timer while no stroke is under way. Stack and spares
// together never hold more than seven surfaces.
#pragma once

#include <windows.h>

#include <span>

constexpr int kUndoDepth = 7;

struct UndoSnapshot {
    HDC dc = nullptr;             // compatible with imageDC, `bitmap` selected; or cleanDC
    HBITMAP bitmap = nullptr;     // W x H copy of the working image; none when dc is cleanDC
    int rowsTouched = 0;          // a spare's rows whose memory is mapped already
    UndoSnapshot* next = nullptr; // the next older snapshot
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
// One slice of making the next push's surface ahead (the PrepareUndo timer); the timer stops
// once nothing is left to prepare.
void PrepareUndoSurfaceSlice(HWND window);

// The empty-stack beep; tests replace it to observe the beep without a speaker.
extern BOOL(WINAPI* undoBeep)(DWORD frequency, DWORD durationMs);
