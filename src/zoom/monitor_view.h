// The monitor a mode works on and the part of it the view shows, shared by the zoom view,
// drawing, typing, the break screen and the copy: which monitor is under the cursor, whether it
// is still there, the capture of a screen area, the view's origin and the cursor clip to it.
// It calls no mode.
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
// The top-left image point of the view shown at magnification `zoom` around zoomPoint.
CapturePoint ViewOrigin(float zoom);
// Sets app.viewRect to the part of the capture shown at `zoom` and clips the cursor to it.
void ClipToView(float zoom);
// While drawing in a magnified view the cursor stays inside the part shown; otherwise it is free.
void UpdateCursorClip();
