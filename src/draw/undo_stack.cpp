// Undo snapshots (see undo_stack.h).
#include "draw/undo_stack.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <utility>

#include "zoom/app_state.h"

static_assert(std::size(SpareSurfaces{}.undo) == kUndoDepth);

BOOL(WINAPI* undoBeep)(DWORD, DWORD) = Beep;

namespace {

void FreeSnapshot(UndoSnapshot* snapshot) {
    DeleteAndClear(snapshot->dc); // deselects the bitmap so it can go
    DeleteAndClear(snapshot->bitmap);
    delete snapshot;
}

// Unlinks the bottom (oldest) snapshot and hands it over.
UndoSnapshot* TakeOldestSnapshot() {
    UndoSnapshot** link = &app.undoStack;
    if (*link == nullptr) {
        return nullptr;
    }
    while ((*link)->next != nullptr) {
        link = &(*link)->next;
    }
    UndoSnapshot* oldest = *link;
    *link = nullptr;
    return oldest;
}

UndoSnapshot* NewSnapshot() {
    HBITMAP bitmap = CreateCompatibleBitmap(app.imageDC, app.captureWidth, app.captureHeight);
    if (bitmap == nullptr) {
        return nullptr;
    }
    auto* snapshot = new (std::nothrow) UndoSnapshot;
    if (snapshot == nullptr) {
        DeleteObject(bitmap);
        return nullptr;
    }
    snapshot->bitmap = bitmap;
    snapshot->dc = CreateCompatibleDC(app.imageDC);
    SelectObject(snapshot->dc, snapshot->bitmap);
    return snapshot;
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
    UndoSnapshot* snapshot = nullptr;
    if (UndoDepth() >= kUndoDepth) {
        snapshot = TakeOldestSnapshot(); // the oldest is dropped; its surface is reused
    } else if (app.undoSpares != nullptr) {
        snapshot = app.undoSpares;
        app.undoSpares = snapshot->next;
    } else {
        snapshot = NewSnapshot();
    }
    if (snapshot == nullptr) {
        return; // no memory for a snapshot: this change cannot be undone
    }
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
    top->next = app.undoSpares;
    app.undoSpares = top;
    return true;
}

void ClearUndoStack() {
    while (app.undoStack != nullptr) {
        UndoSnapshot* snapshot = app.undoStack;
        app.undoStack = snapshot->next;
        snapshot->next = app.undoSpares;
        app.undoSpares = snapshot;
    }
}

void KeepUndoSurfaces(std::span<HBITMAP> kept) {
    for (UndoSnapshot** list : {&app.undoStack, &app.undoSpares}) {
        while (*list != nullptr) {
            UndoSnapshot* snapshot = *list;
            *list = snapshot->next;
            DeleteAndClear(snapshot->dc); // lets go of the bitmap
            const auto place = std::find(kept.begin(), kept.end(), nullptr);
            if (place != kept.end()) {
                *place = std::exchange(snapshot->bitmap, nullptr);
            }
            FreeSnapshot(snapshot); // deletes a bitmap that found no place
        }
    }
}

void TakeKeptUndoSurfaces(std::span<HBITMAP> kept) {
    for (HBITMAP& bitmap : kept) {
        if (bitmap == nullptr) {
            continue;
        }
        auto* snapshot = new (std::nothrow) UndoSnapshot;
        HDC dc = snapshot != nullptr ? CreateCompatibleDC(app.imageDC) : nullptr;
        if (dc == nullptr) {
            delete snapshot;
            DeleteAndClear(bitmap);
            continue;
        }
        snapshot->dc = dc;
        snapshot->bitmap = std::exchange(bitmap, nullptr);
        SelectObject(dc, snapshot->bitmap);
        snapshot->next = app.undoSpares;
        app.undoSpares = snapshot;
    }
}
