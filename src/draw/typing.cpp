// Typing mode (see typing.h).
#include "draw/typing.h"

#include <imm.h>

#include <new>

#include "draw/draw_keys.h"
#include "draw/pen.h"
#include "draw/pen_state.h"
#include "draw/strokes.h"
#include "draw/typing_rules.h"
#include "draw/undo_stack.h"
#include "settings/registry_store.h"
#include "zoom/app_state.h"
#include "zoom/message_ids.h"
#include "zoom/monitor_view.h"

namespace {

void FreeTypedGlyphs() {
    while (app.typedCharacters != nullptr) {
        TypedGlyph* glyph = app.typedCharacters;
        app.typedCharacters = glyph->previous;
        delete glyph;
    }
}

void RemoveCaret() {
    const RECT& r = app.caretRect;
    BitBlt(app.imageDC, r.left, r.top, r.right - r.left, r.bottom - r.top, app.scratchDC, 0, 0,
           SRCCOPY);
}

// The client point that shows an image point in the current view.
POINT ClientPointOf(POINT image) {
    const CapturePoint origin = ViewOrigin(app.currentZoom);
    return {static_cast<LONG>((image.x - origin.x) * app.currentZoom),
            static_cast<LONG>((image.y - origin.y) * app.currentZoom)};
}

// An input method's composition and candidates open at the caret, in the text's size as the
// view shows it, not in a corner of the monitor in view of the audience.
void PlaceInputMethodAtCaret(HWND window) {
    HIMC context = ImmGetContext(window);
    if (context == nullptr) {
        return; // no input method
    }
    const POINT top = ClientPointOf({app.caretRect.left, app.caretRect.top});
    const POINT bottom = ClientPointOf({app.caretRect.right, app.caretRect.bottom});
    COMPOSITIONFORM composition = {CFS_POINT, top, {}};
    ImmSetCompositionWindow(context, &composition);
    CANDIDATEFORM candidates = {
        0, CFS_EXCLUDE, {top.x, bottom.y}, {top.x, top.y, bottom.x, bottom.y}};
    ImmSetCandidateWindow(context, &candidates);
    ImmReleaseContext(window, context);
}

// The composition in the caret's height as the view shows it. Set once as typing begins: the
// height stays until the text size changes, which begins typing again.
void SizeInputMethodFont(HWND window) {
    HIMC context = ImmGetContext(window);
    if (context == nullptr) {
        return;
    }
    LOGFONTW font = TypingLogFont(app.settings);
    font.lfHeight =
        ClientPointOf({0, app.caretRect.bottom}).y - ClientPointOf({0, app.caretRect.top}).y;
    ImmSetCompositionFontW(context, &font);
    ImmReleaseContext(window, context);
}

void DrawCaret(HWND window, POINT at) {
    app.caretRect = {at.x, at.y, at.x, at.y};
    DrawTextW(app.imageDC, L"|", 1, &app.caretRect, DT_CALCRECT);
    const RECT& r = app.caretRect;
    BitBlt(app.scratchDC, 0, 0, r.right - r.left, r.bottom - r.top, app.imageDC, r.left, r.top,
           SRCCOPY);
    DrawTextW(app.imageDC, L"|", 1, &app.caretRect, 0);
    InvalidateRect(window, nullptr, TRUE);
    PlaceInputMethodAtCaret(window);
}

// The typing font, sized from the monitor height, the magnification and FontScale.
void SizeTypingFont() {
    // The font leaves the DC before it is deleted.
    SelectObject(app.imageDC, GetStockObject(SYSTEM_FONT));
    DeleteAndClear(app.typingFont);
    const TextSize size =
        TypingTextSize(app.captureHeight, app.currentZoom, app.settings.FontScale);
    app.settings.Font.lfHeight = size.height;
    if (size.nonAntialiased) {
        app.settings.Font.lfQuality = NONANTIALIASED_QUALITY;
    }
    const LOGFONTW font = TypingLogFont(app.settings);
    app.typingFont = CreateFontIndirectW(&font);
    SelectObject(app.imageDC, app.typingFont);
}

// The screen position that shows an image point in the current view.
POINT ScreenPointOf(POINT image) {
    const POINT client = ClientPointOf(image);
    return {app.monitorRect.left + client.x, app.monitorRect.top + client.y};
}

void BeginTyping(HWND window, LPARAM lParam) {
    // T waits for the left button to come up, as the other keys that change the picture do.
    if (app.typingActive || !app.zoomActive || app.strokeActive) {
        return;
    }
    const bool internal = lParam == 0;
    if (!app.drawMode && internal) {
        // Entering drawing moves the pen to the press; a new text size (the wheel) goes on
        // where the caret was.
        const POINT resumeAt = app.penPoint;
        SendMessageW(window, WM_LBUTTONDOWN, 0, MAKELPARAM(app.zoomPoint.x, app.zoomPoint.y));
        app.penPoint = resumeAt;
    }
    // The caret takes the marker's place; its entry dot as well.
    HidePenMarker();
    app.typingReturnPoint = app.zoomPoint;
    app.textPoint = app.penPoint;
    app.typingActive = 1;
    app.caretFixed = 0;
    app.pendingHighSurrogate = 0;
    UseInputMethod(window, true);
    SizeTypingFont();
    if (app.drawMode && !internal) {
        PushUndoSnapshot(); // one Ctrl+Z takes away everything typed in this visit
    } else if (!app.drawMode && !internal) {
        // From plain zoom the text starts under the pointer, mapped through the view as every
        // pointer position is.
        const CapturePoint p = ClientPositionToImage(MAKELPARAM(app.zoomPoint.x, app.zoomPoint.y));
        app.textPoint = {p.x, p.y};
    }
    DrawCaret(window, app.textPoint);
    SizeInputMethodFont(window);
}

} // namespace

void UseInputMethod(HWND window, bool use) {
    // Without a context the keys of drawing (R, G, W, T...) and Shift go straight to the window
    // and no composition window opens; typing gets the thread's default one back.
    ImmAssociateContextEx(window, nullptr, use ? IACE_DEFAULT : 0);
}

LRESULT OnKeyUp(HWND window, WPARAM virtualKey, LPARAM lParam) {
    if (virtualKey == 'T') {
        BeginTyping(window, lParam);
    }
    return 0;
}

LRESULT EndTyping(HWND window, WPARAM reason) {
    if (!app.typingActive) {
        return 1;
    }
    app.typingActive = 0;
    UseInputMethod(window, false);
    RemoveCaret();
    InvalidateRect(window, nullptr, FALSE);
    FreeTypedGlyphs();
    const bool sizeChange = reason == 1;
    if (app.drawMode && sizeChange) {
        return 1;
    }
    if (app.drawMode) {
        app.penPoint = {app.caretRect.left, app.caretRect.top};
        const POINT screen = ScreenPointOf(app.penPoint);
        SetCursorPos(screen.x, screen.y);
        ShowPenMarker(app.penPoint.x, app.penPoint.y);
        InvalidateRect(window, nullptr, FALSE);
    } else {
        // No marker outside drawing: the next press puts the pen where it lands.
        app.penPoint = app.typingReturnPoint;
        SetCursorPos(app.monitorRect.left + app.typingReturnPoint.x,
                     app.monitorRect.top + app.typingReturnPoint.y);
        SendMessageW(window, WM_MOUSEMOVE, 0,
                     MAKELPARAM(app.typingReturnPoint.x, app.typingReturnPoint.y));
    }
    return 1;
}

LRESULT OnTypingChar(HWND window, WPARAM character) {
    constexpr WPARAM kCtrlZ = 0x1A; // what Ctrl+Z types; AltGr+Z types its letter instead
    if (!app.typingActive || character == VK_BACK) {
        return 0;
    }
    if (character == kCtrlZ) {
        UndoLastChange(window);
        return 0;
    }
    // A character outside the basic plane (an emoji, Extension B) comes as two messages, one
    // half of a surrogate pair each: drawn, measured and erased as one character.
    const wchar_t unit = static_cast<wchar_t>(character);
    if (IS_HIGH_SURROGATE(unit)) {
        app.pendingHighSurrogate = unit;
        return 0;
    }
    const wchar_t text[2] = {app.pendingHighSurrogate, unit};
    const bool pair = IS_LOW_SURROGATE(unit) && app.pendingHighSurrogate != 0;
    app.pendingHighSurrogate = 0;
    const wchar_t* first = pair ? text : text + 1;
    const int length = pair ? 2 : 1;
    app.caretFixed = 1;
    app.imageModified = 1;
    RemoveCaret();
    RECT r = {app.textPoint.x, app.textPoint.y, app.textPoint.x, app.textPoint.y};
    DrawTextW(app.imageDC, first, length, &r, DT_CALCRECT);
    DrawTextW(app.imageDC, first, length, &r, 0);
    InvalidateRect(window, nullptr, TRUE);
    app.textPoint.x += r.right - r.left;
    // Without memory for its record the character stays drawn but cannot be taken back.
    if (auto* glyph = new (std::nothrow) TypedGlyph{r, app.typedCharacters}) {
        app.typedCharacters = glyph;
    }
    DrawCaret(window, app.textPoint);
    return 0;
}

void ResumeCaretAfterUndo(HWND window) {
    // The caret's saved pixels and the glyphs typed belong to the picture that was undone.
    FreeTypedGlyphs();
    DrawCaret(window, app.textPoint);
}

bool OnTypingKey(HWND window, WPARAM virtualKey) {
    if (!app.typingActive) {
        return false;
    }
    if (virtualKey == VK_RETURN) {
        RemoveCaret();
        RECT line = {0, 0, 0, 0};
        DrawTextW(app.imageDC, L"X", 1, &line, DT_CALCRECT);
        // The new line starts in the column where the caret was last placed.
        app.textPoint = {app.penPoint.x, app.textPoint.y + line.bottom - line.top};
        DrawCaret(window, app.textPoint);
        return true;
    }
    if (virtualKey == VK_BACK || virtualKey == VK_DELETE) {
        TypedGlyph* glyph = app.typedCharacters;
        if (glyph != nullptr) {
            RemoveCaret();
            const RECT r = glyph->area;
            if (app.padKind != 0) {
                FillPad(r, app.padKind);
            } else {
                BitBlt(app.imageDC, r.left, r.top, r.right - r.left, r.bottom - r.top, app.cleanDC,
                       r.left, r.top, SRCCOPY);
            }
            InvalidateRect(window, nullptr, FALSE);
            app.textPoint = {r.left, r.top};
            app.typedCharacters = glyph->previous;
            delete glyph;
            DrawCaret(window, app.textPoint);
        }
        return true;
    }
    return false;
}

LRESULT OnTypingMouseMove(HWND window, LPARAM position) {
    if (app.caretFixed) {
        return 0;
    }
    RemoveCaret();
    // The pointer is mapped through the view, so the caret lands under it at every
    // magnification (a client position taken as an image position would be right at 1 only).
    const CapturePoint p = ClientPositionToImage(position);
    app.penPoint = {p.x, p.y};
    app.textPoint = app.penPoint;
    DrawCaret(window, app.textPoint);
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}

LRESULT OnTypingLeftButton(HWND window) {
    if (app.caretFixed) {
        SendMessageW(window, kEndTypingMessage, 0, 0);
    } else {
        app.caretFixed = 1;
    }
    return 0;
}

LRESULT OnTypingWheel(HWND window, int notches) {
    const std::optional<int32_t> scale = NextFontScale(app.settings.FontScale, notches);
    if (!scale) {
        return 0;
    }
    SendMessageW(window, kEndTypingMessage, 1, 0);
    app.settings.FontScale = *scale; // stored at Exit
    app.penPoint = {app.caretRect.left, app.caretRect.top};
    SendMessageW(window, WM_KEYUP, 'T', 0);
    if (app.currentZoom != 1.0f && app.drawMode) {
        ClipToView(app.targetZoom);
    } else {
        ClipCursor(nullptr);
    }
    return 0;
}
