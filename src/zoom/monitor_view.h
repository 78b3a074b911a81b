// The monitor a mode works on and the part of it the view shows, shared by the zoom view,
// drawing, typing, the break screen, live zoom and the copy: which monitor is under the cursor,
// whether it is still there, the capture of a screen area, a window shown over it with its first
// frame already painted, the view's origin and the cursor clip to it. It calls no mode.
#pragma once

#include <windows.h>

#include "zoom/zoom_geometry.h"

// SRCCOPY with CAPTUREBLT: layered windows are part of the capture.
constexpr DWORD kCaptureCopy = SRCCOPY | CAPTUREBLT;

// Makes the monitor under the cursor the screen's area (monitorRect, captureWidth and
// captureHeight); without per-monitor support, or an answer, the primary display's size from
// (0, 0), read from `display`. Returns the cursor position.
POINT SelectMonitorUnderCursor(HDC display);
// True when a monitor with exactly this rectangle (screen coordinates) is still connected.
bool MonitorStillThere(const RECT& area);
// Copies the screen's `area` (screen coordinates, any monitor) to (0, 0) of `target`, layered
// windows included.
void CaptureScreenArea(HDC target, const RECT& area);
// A window about to show with its first frame painted before anyone sees it. Where the desktop
// composes windows (Windows 8 on) a hidden window is cloaked while it is shown and painted, so
// the audience never sees what its surface held before (black, the last zoom, a grey window
// whose magnifier has not drawn yet); elsewhere it is painted the moment it shows.
struct FirstFrame {
    HWND window;
    bool cloaked;
};
// Before the window is shown.
FirstFrame CloakUntilPainted(HWND window);
// After it was shown: paints it and its children now, then lifts the cloak.
void RevealPainted(const FirstFrame& frame);
// Waits until the desktop has composed what was just painted, where it composes: a capture
// then reads it.
void WaitForComposedFrame();

// The top-left image point of the view shown at magnification `zoom` around zoomPoint.
CapturePoint ViewOrigin(float zoom);
// Sets app.viewRect to the part of the capture shown at `zoom` and clips the cursor to it.
void ClipToView(float zoom);
// While drawing in a magnified view the cursor stays inside the part shown; otherwise it is free.
void UpdateCursorClip();
