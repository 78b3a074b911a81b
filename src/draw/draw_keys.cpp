// The zoom window's keys (see draw_keys.h).
#include "draw/draw_keys.h"

#include "draw/pen.h"
#include "draw/pen_state.h"
#include "draw/strokes.h"
#include "draw/typing.h"
#include "draw/undo_stack.h"
#include "shared/picture_files.h"
#include "zoom/app_state.h"
#include "zoom/hotkey_value.h"
#include "zoom/message_ids.h"

namespace {

constexpr int kBlackPad = 'K';
constexpr int kWhitePad = 'W';

// The marker painted at the pen over the picture as it now is.
void ShowMarkerAtPen(HWND window) {
    ShowPenMarker(app.penPoint.x, app.penPoint.y);
    InvalidateSegment(window, {app.penPoint.x, app.penPoint.y}, {app.penPoint.x, app.penPoint.y});
}

// E, K, W and T wait for the left button to come up, as Ctrl+Z and Space do: a stroke or a
// rubber band half drawn over a picture that changed under it would leave its pieces behind.
void EraseAll(HWND window) {
    if (!app.imageModified || app.typingActive || app.strokeActive) {
        return;
    }
    ClearUndoStack(); // erase-all cannot be undone
    BitBlt(app.imageDC, 0, 0, app.captureWidth, app.captureHeight, app.cleanDC, 0, 0, SRCCOPY);
    ForgetPenMarker();
    app.imageModified = 0;
    if (app.drawMode) {
        ShowMarkerAtPen(window);
        app.imageModified = 1;
    }
    InvalidateRect(window, nullptr, FALSE);
    app.padKind = 0;
}

void ShowPad(HWND window, int kind) {
    if (!app.zoomActive || app.typingActive || app.strokeActive) {
        return;
    }
    if (!app.drawMode) {
        // As a click at the zoom point would: draw mode, and one undo snapshot. During the zoom
        // animation that click is ignored, and so is the key.
        SendMessageW(window, WM_LBUTTONDOWN, 0, MAKELPARAM(app.zoomPoint.x, app.zoomPoint.y));
        if (!app.drawMode) {
            return;
        }
    }
    HidePenMarker();
    PushUndoSnapshot(); // one Ctrl+Z takes the pad away
    app.padKind = kind;
    app.imageModified = 1;
    LoadPadPicture(kind);
    FillPad({0, 0, app.captureWidth, app.captureHeight}, kind);
    InvalidateRect(window, nullptr, FALSE);
    ShowMarkerAtPen(window);
}

void CentrePen(HWND window) {
    // While typing, Space types a space and leaves the pen where it is.
    if (!app.drawMode || app.strokeActive || app.typingActive) {
        return;
    }
    const int x = app.captureWidth / 2;
    const int y = app.captureHeight / 2;
    SetCursorPos(app.monitorRect.left + x, app.monitorRect.top + y);
    HoverTo(window, ClientPositionToImage(MAKELPARAM(x, y)));
}

void WheelNotchFromKey(HWND window, WPARAM virtualKey) {
    // Ctrl as it was when this key was pressed, not as it is now: keys that were queued (a busy
    // moment, a remote control, a macro tool) must not lose the Ctrl released after them.
    const bool ctrl = CtrlShortcutHeld();
    const short delta = virtualKey == VK_UP ? WHEEL_DELTA : -WHEEL_DELTA;
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(ctrl ? MK_CONTROL : 0, delta), 0);
}

} // namespace

bool CtrlShortcutHeld() {
    // The key state of the message being handled, not the keyboard's now.
    return GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0;
}

bool UndoLastChange(HWND window) {
    if (!app.imageModified || app.strokeActive || !PopUndoSnapshot()) {
        return false;
    }
    ForgetPenMarker(); // no snapshot holds the marker or the caret
    if (app.typingActive) {
        ResumeCaretAfterUndo(window);
    } else if (app.drawMode) {
        ShowMarkerAtPen(window);
    }
    InvalidateRect(window, nullptr, FALSE);
    return true;
}

void LoadPadPicture(int kind) {
    DeleteAndClear(app.padPictureDC);
    DeleteAndClear(app.padPictureBitmap);
    const Settings& s = app.settings;
    const bool usePicture = kind == kWhitePad ? s.UseBKBmpW != 0 : s.UseBKBmpK != 0;
    if (!usePicture) {
        return;
    }
    HBITMAP picture =
        LoadPictureFile(kind == kWhitePad ? s.WPadBackgroundFile : s.KPadBackgroundFile);
    if (picture == nullptr) {
        return; // unreadable or undecodable: the pad keeps its plain colour
    }
    app.padPictureDC = CreateCompatibleDC(app.displayDC);
    app.padPictureBitmap =
        CreateBitmap(app.captureWidth, app.captureHeight, GetDeviceCaps(app.displayDC, PLANES),
                     GetDeviceCaps(app.displayDC, BITSPIXEL), nullptr);
    SelectObject(app.padPictureDC, app.padPictureBitmap);
    HDC pictureDC = CreateCompatibleDC(app.displayDC);
    HGDIOBJ previous = SelectObject(pictureDC, picture);
    BITMAP size = {};
    GetObjectW(picture, sizeof size, &size);
    SetStretchBltMode(app.padPictureDC, HALFTONE);
    SetBrushOrgEx(app.padPictureDC, 0, 0, nullptr);
    StretchBlt(app.padPictureDC, 0, 0, app.captureWidth, app.captureHeight, pictureDC, 0, 0,
               size.bmWidth, size.bmHeight, SRCCOPY);
    SelectObject(pictureDC, previous);
    DeleteDC(pictureDC);
    DeleteObject(picture);
}

void FillPad(const RECT& area, int kind) {
    HBRUSH brush =
        CreateSolidBrush(kind == kBlackPad ? app.settings.PadColorK : app.settings.PadColorW);
    FillRect(app.imageDC, &area, brush);
    DeleteObject(brush);
    const bool usePicture =
        kind == kBlackPad ? app.settings.UseBKBmpK != 0 : app.settings.UseBKBmpW != 0;
    if (usePicture && app.padPictureDC != nullptr) {
        BitBlt(app.imageDC, area.left, area.top, area.right - area.left, area.bottom - area.top,
               app.padPictureDC, area.left, area.top, SRCCOPY);
    }
}

LRESULT OnDrawKeyDown(HWND window, WPARAM virtualKey) {
    if (OnTypingKey(window, virtualKey)) {
        return 0; // Enter, Backspace and Delete edit the text
    }
    switch (virtualKey) {
    case VK_ESCAPE:
        if (app.typingActive) {
            SendMessageW(window, kEndTypingMessage, 0, 0);
        } else {
            // Leaves the zoom view, drawing or the break screen.
            PostMessageW(window, WM_HOTKEY, static_cast<WPARAM>(HotkeyId::Zoom), 0);
        }
        break;
    case VK_SPACE:
        CentrePen(window);
        break;
    case VK_UP:
    case VK_DOWN:
        WheelNotchFromKey(window, virtualKey);
        break;
    case 'E':
        EraseAll(window);
        break;
    case kBlackPad:
    case kWhitePad:
        ShowPad(window, static_cast<int>(virtualKey));
        break;
    case 'Z':
        // While typing, Ctrl+Z arrives as its character (0x1A), which AltGr+Z never makes.
        if (!app.typingActive && CtrlShortcutHeld()) {
            UndoLastChange(window);
        }
        break;
    case 'H':
        SwitchHighlighterForKey(window, virtualKey);
        break;
    default:
        // R, G, B, O, Y and P pick a pen colour; every other key does nothing (T starts
        // typing on its key-up).
        SelectPenColorForKey(window, virtualKey);
        break;
    }
    return 0;
}
