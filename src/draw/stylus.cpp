// The stylus eraser (see stylus.h). The pointer-input types are Windows 8 headers; the function
// itself is bound at run time.
#undef _WIN32_WINNT
#undef WINVER
#define _WIN32_WINNT 0x0602
#define WINVER 0x0602
#include "draw/stylus.h"

#include "draw/pen.h"
#include "draw/pen_state.h"
#include "draw/strokes.h"
#include "draw/undo_stack.h"
#include "shell/optional_functions.h"
#include "zoom/app_state.h"

LRESULT UndoWithPenEraser(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto getPenInfo = optionalFunctions.GetPointerPenInfo;
    if (app.imageModified && !app.strokeActive && getPenInfo != nullptr) {
        POINTER_PEN_INFO pen = {};
        if (getPenInfo(GET_POINTERID_WPARAM(wParam), &pen) &&
            pen.pointerInfo.pointerType == PT_PEN && (pen.penFlags & PEN_FLAG_ERASER) != 0 &&
            PopUndoSnapshot()) {
            if (app.drawMode) {
                SaveUnderPen(app.penPoint.x, app.penPoint.y);
                DrawPenMarker(app.penPoint.x, app.penPoint.y);
            }
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
