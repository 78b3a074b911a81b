// The undo stack: whole-image snapshots of the working image, newest first, at most seven.
#pragma once

#include <windows.h>

struct UndoSnapshot {
    HDC dc = nullptr;          // memory DC compatible with imageDC, owns `bitmap` while selected
    HBITMAP bitmap = nullptr;  // W x H copy of the working image
    UndoSnapshot* next = nullptr;  // the next older snapshot
};

// Frees every snapshot (bitmap, then DC, then the record) and empties app.undoStack.
void ClearUndoStack();
