// The stylus eraser (see stylus.h). The pointer-input types are Windows 8 headers; the function
// itself is bound at run time.
#undef _WIN32_WINNT
#undef WINVER
#define _WIN32_WINNT 0x0602
#define WINVER 0x0602
#include "draw/stylus.h"

#include "draw/draw_keys.h"
#include "shell/optional_functions.h"

LRESULT UndoWithPenEraser(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto getPenInfo = optionalFunctions.GetPointerPenInfo;
    if (getPenInfo != nullptr) {
        POINTER_PEN_INFO pen = {};
        if (getPenInfo(GET_POINTERID_WPARAM(wParam), &pen) &&
            pen.pointerInfo.pointerType == PT_PEN &&
            (pen.penFlags & (PEN_FLAG_ERASER | PEN_FLAG_INVERTED)) != 0 && UndoLastChange(window)) {
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
