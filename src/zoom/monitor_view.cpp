// The monitor a mode works on and the part of it the view shows (see monitor_view.h).
#include "zoom/monitor_view.h"

#include "shell/optional_functions.h"
#include "zoom/app_state.h"

POINT SelectMonitorUnderCursor(HDC display) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    app.monitorRect = {0, 0, GetDeviceCaps(display, HORZRES), GetDeviceCaps(display, VERTRES)};
    if (optionalFunctions.MonitorFromPoint != nullptr) {
        HMONITOR monitor = optionalFunctions.MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST);
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) {
            app.monitorRect = info.rcMonitor;
        }
    }
    app.captureWidth = app.monitorRect.right - app.monitorRect.left;
    app.captureHeight = app.monitorRect.bottom - app.monitorRect.top;
    return cursor;
}

bool MonitorStillThere(const RECT& area) {
    if (optionalFunctions.MonitorFromPoint == nullptr) {
        HDC screen = GetDC(nullptr);
        const RECT primary = {0, 0, GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES)};
        ReleaseDC(nullptr, screen);
        return EqualRect(&primary, &area) != FALSE;
    }
    const POINT centre = {area.left + (area.right - area.left) / 2,
                          area.top + (area.bottom - area.top) / 2};
    HMONITOR monitor = optionalFunctions.MonitorFromPoint(centre, MONITOR_DEFAULTTONULL);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    return monitor != nullptr && GetMonitorInfoW(monitor, &info) &&
           EqualRect(&info.rcMonitor, &area) != FALSE;
}

void CaptureScreenArea(HDC target, const RECT& area) {
    // The screen DC has screen coordinates wherever a monitor lies. A DC made for "DISPLAY"
    // starts at the virtual screen's corner on some systems (Wine), where a monitor left of or
    // above the primary one would be captured from the wrong place, or as black.
    HDC screen = GetDC(nullptr);
    BitBlt(target, 0, 0, area.right - area.left, area.bottom - area.top, screen, area.left,
           area.top, kCaptureCopy);
    ReleaseDC(nullptr, screen);
}

namespace {
constexpr DWORD kCloak = 13; // DWMWA_CLOAK, Windows 8 and later
} // namespace

FirstFrame CloakUntilPainted(HWND window) {
    // A window already on screen keeps showing: cloaking it would blank it for a frame.
    const BOOL on = TRUE;
    const bool cloaked =
        !IsWindowVisible(window) && optionalFunctions.DwmSetWindowAttribute != nullptr &&
        SUCCEEDED(optionalFunctions.DwmSetWindowAttribute(window, kCloak, &on, sizeof on));
    return {window, cloaked};
}

void RevealPainted(const FirstFrame& frame) {
    RedrawWindow(frame.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (frame.cloaked) {
        GdiFlush(); // the paint reaches the window's surface before the cloak goes
        const BOOL off = FALSE;
        optionalFunctions.DwmSetWindowAttribute(frame.window, kCloak, &off, sizeof off);
    }
}

void WaitForComposedFrame() {
    GdiFlush();
    if (optionalFunctions.DwmFlush != nullptr) {
        optionalFunctions.DwmFlush(); // fails at once where nothing composes
    }
}

CapturePoint ViewOrigin(float zoom) {
    return ComputeSourceOrigin(zoom, {app.zoomPoint.x, app.zoomPoint.y}, app.captureWidth,
                               app.captureHeight);
}

void ClipToView(float zoom) {
    const CapturePoint origin = ViewOrigin(zoom);
    const int left = app.monitorRect.left + origin.x;
    const int top = app.monitorRect.top + origin.y;
    app.viewRect = {left, top, left + VisibleExtent(app.captureWidth, zoom),
                    top + VisibleExtent(app.captureHeight, zoom)};
    ClipCursor(&app.viewRect);
}

void UpdateCursorClip() {
    if (app.currentZoom != 1.0f && app.drawMode) {
        ClipToView(app.targetZoom);
    } else {
        ClipCursor(nullptr);
    }
}
