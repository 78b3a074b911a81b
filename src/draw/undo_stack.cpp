// Undo snapshots (see undo_stack.h).
#include "draw/undo_stack.h"

#include "zoom/app_state.h"

BOOL(WINAPI* undoBeep)(DWORD, DWORD) = Beep;

namespace {

void FreeSnapshot(UndoSnapshot* snapshot) {
    DeleteAndClear(snapshot->dc);  // deselects the bitmap so it can go
    DeleteAndClear(snapshot->bitmap);
    delete snapshot;
}

void DropOldestSnapshot() {
    UndoSnapshot** link = &app.undoStack;
    if (*link == nullptr) {
        return;
    }
    while ((*link)->next != nullptr) {
        link = &(*link)->next;
    }
    FreeSnapshot(*link);
    *link = nullptr;
}

} // namespace

int UndoDepth() {
    int depth = 0;
    for (const UndoSnapshot* s = app.undoStack; s != nullptr; s = s->next) {
        ++depth;
    }
    return depth;
}

void PushUndoSnapshot() {
    if (UndoDepth() >= kUndoDepth) {
        DropOldestSnapshot();
    }
    HBITMAP bitmap = CreateCompatibleBitmap(app.imageDC, app.captureWidth, app.captureHeight);
    if (bitmap == nullptr) {
        return;
    }
    auto* snapshot = new UndoSnapshot;
    snapshot->bitmap = bitmap;
    snapshot->dc = CreateCompatibleDC(app.imageDC);
    SelectObject(snapshot->dc, snapshot->bitmap);
    BitBlt(snapshot->dc, 0, 0, app.captureWidth, app.captureHeight, app.imageDC, 0, 0, SRCCOPY);
    snapshot->next = app.undoStack;
    app.undoStack = snapshot;
}

bool PopUndoSnapshot() {
    UndoSnapshot* top = app.undoStack;
    if (top == nullptr) {
        undoBeep(700, 200);
        return false;
    }
    BitBlt(app.imageDC, 0, 0, app.captureWidth, app.captureHeight, top->dc, 0, 0, SRCCOPY);
    app.undoStack = top->next;
    FreeSnapshot(top);
    return true;
}

void ClearUndoStack() {
    while (app.undoStack != nullptr) {
        UndoSnapshot* snapshot = app.undoStack;
        app.undoStack = snapshot->next;
        FreeSnapshot(snapshot);
    }
}
