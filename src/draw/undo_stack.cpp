// Undo snapshots (see undo_stack.h).
#include "draw/undo_stack.h"

#include "zoom/app_state.h"

void ClearUndoStack() {
    while (app.undoStack != nullptr) {
        UndoSnapshot* snapshot = app.undoStack;
        app.undoStack = snapshot->next;
        DeleteAndClear(snapshot->dc);  // deselects the bitmap so it can go
        DeleteAndClear(snapshot->bitmap);
        delete snapshot;
    }
}
