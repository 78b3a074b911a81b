// The zoom view (see zoom_view.h).
#include "zoom/zoom_view.h"

#include <windowsx.h>

#include "draw/highlighter.h"
#include "draw/pen_state.h"
#include "draw/sticky_keys.h"
#include "draw/undo_stack.h"
#include "livezoom/live_zoom_rules.h"
#include "shared/clock.h"
#include "shell/optional_functions.h"
#include "zoom/app_state.h"
#include "zoom/hotkey_value.h"
#include "zoom/message_ids.h"
#include "zoom/monitor_view.h"
#include "zoom/zoom_geometry.h"
#include "zoom/zoom_levels.h"

#include <utility>

DWORD zoomExitPauseMs = 250;
DWORD spareSurfacesKeptMs = 10 * 60 * 1000;
ZoomEntryTimes* zoomEntryTimes = nullptr;

namespace {

constexpr UINT kAnimationIntervalMs = 20;

void PutCursorOnZoomPoint() {
    SetCursorPos(app.monitorRect.left + app.zoomPoint.x, app.monitorRect.top + app.zoomPoint.y);
}

// Hands the zoom's monitor-sized bitmaps to the spare record for the next zoom, with the size
// and format they were made in (read from the clean copy, the display's own format). Their DCs
// are gone already, so none is selected anywhere.
void KeepSurfacesForNextZoom() {
    if (app.imageBitmap == nullptr && app.cleanBitmap == nullptr && app.scratchBitmap == nullptr &&
        app.viewBitmap == nullptr) {
        return; // no zoom was under way: what is kept stays kept
    }
    ReleaseSpareSurfaces(); // one set is kept, the latest
    BITMAP format = {};
    if (app.imageBitmap == nullptr || app.cleanBitmap == nullptr || app.scratchBitmap == nullptr ||
        GetObjectW(app.cleanBitmap, sizeof format, &format) == 0) {
        // A zoom whose surfaces were not all made keeps nothing.
        DeleteAndClear(app.imageBitmap);
        app.imageBits = nullptr;
        DeleteAndClear(app.cleanBitmap);
        DeleteAndClear(app.scratchBitmap);
        DeleteAndClear(app.viewBitmap);
        app.viewBits = nullptr;
        KeepUndoSurfaces({});
        return;
    }
    SpareSurfaces& spare = app.spareSurfaces;
    KeepUndoSurfaces(spare.undo);
    spare.image = std::exchange(app.imageBitmap, nullptr);
    spare.imageBits = std::exchange(app.imageBits, nullptr);
    spare.clean = std::exchange(app.cleanBitmap, nullptr);
    spare.scratch = std::exchange(app.scratchBitmap, nullptr);
    spare.view = std::exchange(app.viewBitmap, nullptr);
    spare.viewBits = std::exchange(app.viewBits, nullptr);
    spare.width = format.bmWidth;
    spare.height = format.bmHeight;
    spare.bitsPerPixel = format.bmBitsPixel;
    spare.planes = format.bmPlanes;
}

// Ends a zoom's hold on its surfaces and GDI objects. The DCs go first so that nothing is still
// selected into one when its bitmap, pen or font is deleted or kept.
void DeleteZoomObjects() {
    ReleasePenMarker();
    ReleaseHighlighter();
    DeleteAndClear(app.displayDC);
    DeleteAndClear(app.imageDC);
    DeleteAndClear(app.cleanDC);
    DeleteAndClear(app.scratchDC);
    DeleteAndClear(app.viewDC);
    DeleteAndClear(app.typingFont);
    KeepSurfacesForNextZoom();
    DeleteAndClear(app.pen);
}

// Takes the kept surfaces for a zoom of this size and display format; kept ones of another
// size or format are released. Whatever is not kept is made afresh by the caller.
void TakeSpareSurfaces(int width, int height, UINT bitsPerPixel, UINT planes) {
    SpareSurfaces& spare = app.spareSurfaces;
    if (spare.width != width || spare.height != height || spare.bitsPerPixel != bitsPerPixel ||
        spare.planes != planes) {
        ReleaseSpareSurfaces();
        return;
    }
    app.imageBitmap = spare.image;
    app.imageBits = spare.imageBits;
    app.cleanBitmap = spare.clean;
    app.scratchBitmap = spare.scratch;
    app.viewBitmap = spare.view;
    app.viewBits = spare.viewBits;
    TakeKeptUndoSurfaces(spare.undo);
    spare = SpareSurfaces{}; // the zoom owns them now
}

// A 32-bit top-down DIB section of the capture's size, and its pixels.
HBITMAP CreatePixelBitmap(HDC compatible, uint32_t*& bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = app.captureWidth;
    info.bmiHeader.biHeight = -app.captureHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(compatible, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bits = bitmap != nullptr ? static_cast<uint32_t*>(pixels) : nullptr;
    return bitmap;
}

PixelSurface Surface(uint32_t* bits) {
    return {bits, app.captureWidth, app.captureHeight, app.captureWidth};
}

// The view at a magnification other than 1 into `area` of the window: by the view's scaler
// through viewDC, or by StretchBlt straight into the window, whichever measured faster here.
void PaintMagnifiedView(HDC dc, const RECT& area) {
    const float zoom = app.currentZoom;
    const CapturePoint origin = ViewOrigin(zoom);
    const int visibleWidth = VisibleExtent(app.captureWidth, zoom);
    const int visibleHeight = VisibleExtent(app.captureHeight, zoom);
    ViewPainter painter = ChoosePainter(app.painterChoice, zoom);
    // The view surface is selected at the scaler's first paint of a zoom: kept from the last
    // zoom of this size, or made now.
    if (painter == ViewPainter::Scaler && app.viewDC == nullptr && app.imageBits != nullptr) {
        if (app.viewBitmap == nullptr) {
            app.viewBitmap = CreatePixelBitmap(app.imageDC, app.viewBits);
        }
        if (app.viewBitmap != nullptr) {
            app.viewDC = CreateCompatibleDC(app.imageDC);
            SelectObject(app.viewDC, app.viewBitmap);
        }
    }
    if (app.viewDC == nullptr || app.imageBits == nullptr) {
        painter = ViewPainter::StretchBlt; // no pixels to scale: GDI stretches
    }
    const bool whole = area.left == 0 && area.top == 0 && area.right >= app.captureWidth &&
                       area.bottom >= app.captureHeight;
    const double start = PerformanceCounterMs();
    if (painter == ViewPainter::Scaler) {
        GdiFlush(); // drawing into the image must have landed before its pixels are read
        ScaleView(Surface(app.imageBits), {origin.x, origin.y, visibleWidth, visibleHeight},
                  Surface(app.viewBits), {area.left, area.top, area.right, area.bottom},
                  app.viewScratch);
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, app.viewDC,
               area.left, area.top, SRCCOPY);
    } else {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, 0, 0, app.captureWidth, app.captureHeight, app.imageDC, origin.x, origin.y,
                   visibleWidth, visibleHeight, kCaptureCopy);
    }
    if (whole) {
        GdiFlush();
        RecordPaint(app.painterChoice, zoom, painter, PerformanceCounterMs() - start);
    }
}

// Freezes the live-zoom window's magnified picture for drawing at 1.0: the capture already
// shows it, so only the cursor is mapped to where the magnified cursor was.
void TakeOverLiveZoom(HWND window) {
    const auto* source = reinterpret_cast<const RECT*>(
        SendMessageW(app.liveZoomWindow, kLiveZoomGetSourceMessage, 0, 0));
    if (source != nullptr) {
        app.liveZoomSource = *source;
    }
    const auto* factor = reinterpret_cast<const float*>(
        SendMessageW(app.liveZoomWindow, kLiveZoomGetFactorMessage, 0, 0));
    if (factor != nullptr) {
        app.liveZoomFactor = *factor;
    }
    SendMessageW(app.liveZoomWindow, kLiveZoomSetMessage, 1, 0);
    app.fromLiveZoom = 1;

    POINT cursor = {};
    GetCursorPos(&cursor);
    const RECT& s = app.liveZoomSource;
    const RECT& m = app.monitorRect;
    const LivePoint mapped =
        TakeoverCursor({cursor.x, cursor.y}, {s.left, s.top, s.right, s.bottom}, app.liveZoomFactor,
                       {m.left, m.top, m.right, m.bottom});
    app.zoomPoint = {mapped.x - m.left, mapped.y - m.top};
    SetCursorPos(mapped.x, mapped.y);
    UpdateWindow(window);
    SendMessageW(window, WM_LBUTTONDOWN, 0, MAKELPARAM(app.zoomPoint.x, app.zoomPoint.y));
    UpdateWindow(window);
    ShowWindow(app.liveZoomWindow, SW_HIDE);
}

// The animation's ticks count from the level shown now, on the clock from here on.
void AnchorAnimation() {
    app.zoomAnimationFrom = app.currentZoom;
    app.zoomAnimationStartMs = clockMs();
}

// (Re)starts an animation from the level shown now.
void StartAnimation(HWND window, MainTimer timer) {
    AnchorAnimation();
    SetTimer(window, static_cast<UINT_PTR>(timer), kAnimationIntervalMs, nullptr);
}

} // namespace

void EnterZoom(HWND window, ZoomEntry entry) {
    const double start = zoomEntryTimes != nullptr ? PerformanceCounterMs() : 0.0;
    app.zoomActive = 1;
    // No part of a wheel notch is left from before (no stroke either: FinishZoom, the end of
    // every zoom, cleared it).
    app.wheelRest = 0;
    // Whatever an interrupted zoom left goes first (its surfaces into the spare record).
    DeleteZoomObjects();
    KillTimer(window, static_cast<UINT_PTR>(MainTimer::ReleaseSpares));
    app.displayDC = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    app.imageDC = CreateCompatibleDC(app.displayDC);
    app.cleanDC = CreateCompatibleDC(app.displayDC);
    app.scratchDC = CreateCompatibleDC(app.displayDC);

    const POINT cursor = SelectMonitorUnderCursor(app.displayDC);
    const int width = app.captureWidth;
    const int height = app.captureHeight;
    app.zoomPoint = {cursor.x - app.monitorRect.left, cursor.y - app.monitorRect.top};
    const UINT bitsPerPixel = GetDeviceCaps(app.displayDC, BITSPIXEL);
    const UINT planes = GetDeviceCaps(app.displayDC, PLANES);

    TakeSpareSurfaces(width, height, bitsPerPixel, planes);
    if (app.imageBitmap == nullptr) {
        app.imageBitmap = CreatePixelBitmap(app.displayDC, app.imageBits);
    }
    SelectObject(app.imageDC, app.imageBitmap);
    // The typing font's record keeps this height afterwards.
    app.settings.Font.lfHeight = height / 15;
    const LOGFONTW font = TypingLogFont(app.settings);
    app.typingFont = CreateFontIndirectW(&font);
    SelectObject(app.imageDC, app.typingFont);
    SetTextColor(app.imageDC, app.settings.PenColor);
    SetBkMode(app.imageDC, TRANSPARENT);
    if (app.cleanBitmap == nullptr) {
        app.cleanBitmap = CreateBitmap(width, height, planes, bitsPerPixel, nullptr);
    }
    SelectObject(app.cleanDC, app.cleanBitmap);
    if (app.scratchBitmap == nullptr) {
        app.scratchBitmap = CreateBitmap(300, height, planes, bitsPerPixel, nullptr);
    }
    SelectObject(app.scratchDC, app.scratchBitmap);

    const bool takeover = app.liveZoomWindow != nullptr && IsWindowVisible(app.liveZoomWindow);
    if (takeover) {
        // The magnifier's enlarged cursor would be frozen into the picture.
        SendMessageW(app.liveZoomWindow, kLiveZoomPrepareCaptureMessage, 0, 0);
    }
    const double surfacesMade = zoomEntryTimes != nullptr ? PerformanceCounterMs() : 0.0;
    CaptureScreenArea(app.imageDC, app.monitorRect);
    const double captured = zoomEntryTimes != nullptr ? PerformanceCounterMs() : 0.0;
    // The clean copy comes from memory: a second capture would cost as much as the first.
    BitBlt(app.cleanDC, 0, 0, width, height, app.imageDC, 0, 0, SRCCOPY);
    const double copied = zoomEntryTimes != nullptr ? PerformanceCounterMs() : 0.0;

    app.pen = CreatePen(PS_SOLID, app.settings.PenWidth, app.settings.PenColor);
    app.padKind = 0;
    app.caretFixed = 0;
    app.drawMode = 0;
    app.typingActive = 0;
    app.imageModified = 0;
    RestoreStickyKeys();
    app.previousForeground = GetForegroundWindow();

    // The first frame shows the level the zoom starts at: a takeover and the draw hotkey show
    // the capture as it is, the zoom hotkey the animation's first step.
    app.zoomStep = kZoomInStep;
    app.targetZoom = takeover || entry == ZoomEntry::AtOne
                         ? 1.0f
                         : StartMagnification(app.settings.ZoominSliderLevel);
    app.currentZoom =
        app.settings.AnimateZoom && app.targetZoom != 1.0f ? kZoomInStep : app.targetZoom;
    const FirstFrame frame = CloakUntilPainted(window);
    SetWindowPos(window, HWND_TOPMOST, app.monitorRect.left, app.monitorRect.top, width, height,
                 SWP_SHOWWINDOW);
    RevealPainted(frame);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    if (zoomEntryTimes != nullptr) {
        *zoomEntryTimes = {surfacesMade - start, captured - surfacesMade, copied - captured,
                           PerformanceCounterMs() - copied};
    }

    if (takeover) {
        TakeOverLiveZoom(window);
    } else if (app.targetZoom != 1.0f) {
        // Without animation the first tick shows the start level and places the cursor.
        StartAnimation(window, MainTimer::ZoomIn);
    }
}

void StartZoomOut(HWND window) {
    if (app.fromLiveZoom || !app.settings.AnimateZoom || app.targetZoom == 1.0f) {
        app.zoomStep = 0.0f;
        app.currentZoom = 1.0f;
        app.targetZoom = 1.0f;
        SendMessageW(window, WM_TIMER, static_cast<WPARAM>(MainTimer::ZoomOut), 0);
    } else {
        app.zoomStep = kZoomOutStep;
        app.targetZoom = 1.0f;
        StartAnimation(window, MainTimer::ZoomOut);
    }
}

void ZoomTick(HWND window, UINT_PTR timerId) {
    ZoomMotion motion = {app.currentZoom, app.targetZoom, app.zoomStep};
    if (AdvanceZoom(motion, app.zoomAnimationFrom, clockMs() - app.zoomAnimationStartMs)) {
        KillTimer(window, timerId);
        PutCursorOnZoomPoint();
    }
    app.currentZoom = motion.current;
    if (timerId == static_cast<UINT_PTR>(MainTimer::ZoomOut) && app.currentZoom == 1.0f) {
        FinishZoom(window);
    }
    InvalidateRect(window, nullptr, FALSE);
}

void WheelZoom(HWND window, int notches) {
    const float shownBefore = app.currentZoom;
    ZoomMotion motion = {app.currentZoom, app.targetZoom, app.zoomStep};
    const bool startTimer = ApplyWheelZoom(motion, notches, app.settings.AnimateZoom != 0);
    app.currentZoom = motion.current;
    app.targetZoom = motion.target;
    app.zoomStep = motion.step;
    if (startTimer) {
        StartAnimation(window, MainTimer::ZoomIn);
    } else if (app.currentZoom != shownBefore) {
        // Landed on the target at once (the limit, or a step past it): a tick still running
        // would count from the level it left and take the view back.
        AnchorAnimation();
    }
    const bool animating = app.currentZoom != app.targetZoom;
    // The pen marker leaves the image while the view moves; the next move paints it again.
    if (animating && app.drawMode && !app.strokeActive) {
        HidePenMarker();
    }
    // A step that lands at once (1.125 to 1.0 jumps with no timer) must show too.
    if (animating || app.currentZoom != shownBefore) {
        InvalidateRect(window, nullptr, FALSE);
    }
}

void FinishZoom(HWND window) {
    app.zoomActive = 0;
    // A zoom-in tick still pending would put the cursor back on the zoom point after the
    // presenter has moved on.
    KillTimer(window, static_cast<UINT_PTR>(MainTimer::ZoomIn));
    if (app.fromLiveZoom) {
        const RECT& s = app.liveZoomSource;
        SetCursorPos(s.left + (s.right - s.left) / 2, s.top + (s.bottom - s.top) / 2);
        SendMessageW(window, WM_HOTKEY, static_cast<WPARAM>(HotkeyId::LiveZoom), 0);
    }
    ClearUndoStack();
    SetForegroundWindow(app.previousForeground);
    Sleep(zoomExitPauseMs);
    ShowWindow(window, SW_HIDE);
    ClipCursor(nullptr);
    app.imageModified = 0;
    app.typingActive = 0;
    app.caretFixed = 0;
    app.drawMode = 0;
    // No stroke outlives its zoom, nor the mouse capture it took.
    app.strokeActive = 0;
    app.shapeKind = 0;
    if (GetCapture() == window) {
        ReleaseCapture();
    }
    RestoreStickyKeys();
    DeleteZoomObjects();
    // The kept surfaces cost memory in the tray: a talk zooms again within minutes, a
    // presenter who has moved on gets the memory back.
    SetTimer(window, static_cast<UINT_PTR>(MainTimer::ReleaseSpares), spareSurfacesKeptMs,
             nullptr);
    SetFocus(app.previousForeground);
    if (app.fromLiveZoom) {
        SendMessageW(app.liveZoomWindow, kLiveZoomSetMessage,
                     static_cast<WPARAM>(static_cast<int>(app.liveZoomFactor)),
                     reinterpret_cast<LPARAM>(&app.liveZoomSource));
        app.fromLiveZoom = 0;
        // Strokes were widened by the live level for the frozen magnified image; the pen
        // gets its own width back (nothing was widened when drawing never started).
        RestoreWidthsAfterLiveZoom();
    }
}

LRESULT OnZoomPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (app.zoomActive && app.imageDC != nullptr) {
        const RECT& area = paint.rcPaint;
        if (app.currentZoom == 1.0f) {
            BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   app.imageDC, area.left, area.top, SRCCOPY); // one capture pixel per pixel
        } else {
            PaintMagnifiedView(dc, area);
        }
    }
    EndPaint(window, &paint);
    return 0;
}

LRESULT OnZoomMouseMove(HWND window, LPARAM position) {
    if (!app.zoomActive || app.drawMode || app.typingActive || app.saveDialogOpen) {
        return 0;
    }
    // Client coordinates of the zoom window are capture coordinates.
    app.zoomPoint = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}

LRESULT OnZoomMouseWheel(HWND window, int notches) {
    WheelZoom(window, notches);
    UpdateCursorClip();
    return 1;
}
