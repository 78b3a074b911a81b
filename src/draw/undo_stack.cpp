// Undo snapshots (see undo_stack.h).
#include "draw/undo_stack.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <utility>

#include "zoom/app_state.h"
#include "zoom/message_ids.h"

static_assert(std::size(SpareSurfaces{}.undo) == kUndoDepth);

BOOL(WINAPI* undoBeep)(DWORD, DWORD) = Beep;

namespace {

// About 4 MB of a surface's memory mapped per tick: a millisecond or two, so a press that comes
// meanwhile hardly waits.
constexpr int kPreparedBytesPerSlice = 4 << 20;
constexpr UINT kPrepareIntervalMs = USER_TIMER_MINIMUM;

bool Borrowed(const UndoSnapshot* snapshot) {
    return snapshot->bitmap == nullptr;
}

void FreeSnapshot(UndoSnapshot* snapshot) {
    if (!Borrowed(snapshot)) {
        DeleteAndClear(snapshot->dc); // deselects the bitmap so it can go
        DeleteAndClear(snapshot->bitmap);
    }
    delete snapshot;
}

// A snapshot leaves the stack: its surface waits for the next push; a borrowed one just goes.
void Recycle(UndoSnapshot* snapshot) {
    if (Borrowed(snapshot)) {
        delete snapshot;
        return;
    }
    snapshot->next = app.undoSpares;
    app.undoSpares = snapshot;
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

UndoSnapshot* TakeSpare() {
    UndoSnapshot* spare = app.undoSpares;
    if (spare != nullptr) {
        app.undoSpares = spare->next;
    }
    return spare;
}

int SurfaceCount() {
    int count = 0;
    for (const UndoSnapshot* list : {app.undoStack, app.undoSpares}) {
        for (const UndoSnapshot* s = list; s != nullptr; s = s->next) {
            count += Borrowed(s) ? 0 : 1;
        }
    }
    return count;
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
        Recycle(TakeOldestSnapshot()); // the oldest is dropped; its surface serves again
    }
    UndoSnapshot* snapshot = nullptr;
    if (!app.imageModified) {
        // Nothing drawn in this zoom, or all erased: the picture is the clean capture.
        snapshot = new (std::nothrow) UndoSnapshot;
        if (snapshot != nullptr) {
            snapshot->dc = app.cleanDC;
        }
    } else {
        snapshot = TakeSpare();
        snapshot = snapshot != nullptr ? snapshot : NewSnapshot();
        if (snapshot != nullptr) {
            BitBlt(snapshot->dc, 0, 0, app.captureWidth, app.captureHeight, app.imageDC, 0, 0,
                   SRCCOPY);
            snapshot->rowsTouched = app.captureHeight;
        }
    }
    if (snapshot == nullptr) {
        return; // no memory for a snapshot: this change cannot be undone
    }
    snapshot->next = app.undoStack;
    app.undoStack = snapshot;
    // The next push's surface is made while the presenter draws this change.
    if (app.mainWindow != nullptr && app.undoSpares == nullptr && SurfaceCount() < kUndoDepth) {
        SetTimer(app.mainWindow, static_cast<UINT_PTR>(MainTimer::PrepareUndo), kPrepareIntervalMs,
                 nullptr);
    }
}

bool PopUndoSnapshot() {
    UndoSnapshot* top = app.undoStack;
    if (top == nullptr) {
        undoBeep(700, 200);
        return false;
    }
    BitBlt(app.imageDC, 0, 0, app.captureWidth, app.captureHeight, top->dc, 0, 0, SRCCOPY);
    app.undoStack = top->next;
    Recycle(top);
    return true;
}

void ClearUndoStack() {
    while (app.undoStack != nullptr) {
        UndoSnapshot* snapshot = app.undoStack;
        app.undoStack = snapshot->next;
        Recycle(snapshot);
    }
}

void KeepUndoSurfaces(std::span<HBITMAP> kept) {
    ClearUndoStack();
    while (UndoSnapshot* snapshot = TakeSpare()) {
        DeleteAndClear(snapshot->dc); // lets go of the bitmap
        // One still being made ahead goes: a kept surface is one whose memory is all mapped.
        const auto place = std::find(kept.begin(), kept.end(), nullptr);
        if (place != kept.end() && snapshot->rowsTouched >= app.captureHeight) {
            *place = std::exchange(snapshot->bitmap, nullptr);
        }
        FreeSnapshot(snapshot); // deletes a bitmap that found no place
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
        snapshot->rowsTouched = app.captureHeight; // in use before
        SelectObject(dc, snapshot->bitmap);
        Recycle(snapshot);
    }
}

void PrepareUndoSurfaceSlice(HWND window) {
    if (app.strokeActive) {
        return; // after the stroke: it must not wait for this
    }
    UndoSnapshot* spare = app.undoSpares;
    while (spare != nullptr && spare->rowsTouched >= app.captureHeight) {
        spare = spare->next;
    }
    if (spare == nullptr && app.zoomActive && app.imageDC != nullptr && app.undoSpares == nullptr &&
        SurfaceCount() < kUndoDepth) {
        spare = NewSnapshot();
        if (spare != nullptr) {
            Recycle(spare);
        }
    }
    if (spare == nullptr) {
        KillTimer(window, static_cast<UINT_PTR>(MainTimer::PrepareUndo));
        return;
    }
    // Writing the rows maps their memory, which the push's copy would otherwise pay for.
    const int rows = std::max(1, kPreparedBytesPerSlice / (4 * std::max(app.captureWidth, 1)));
    const int count = std::min(rows, app.captureHeight - spare->rowsTouched);
    PatBlt(spare->dc, 0, spare->rowsTouched, app.captureWidth, count, BLACKNESS);
    GdiFlush();
    spare->rowsTouched += count;
}
