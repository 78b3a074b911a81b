// The frozen-screen zoom view on the main window: capturing the monitor under the cursor,
// showing it magnified around the zoom point with the 20 ms animation, the wheel, panning, the
// zoom keys, and the teardown when the zoom-out reaches 1.0.
#pragma once

#include <windows.h>

// How a zoom starts: animated to the start magnification (the zoom hotkey), or at 1.0 from its
// first frame (the draw hotkey, which then starts drawing).
enum class ZoomEntry { ToStartLevel, AtOne };

// Captures the monitor under the cursor into imageDC (and copies it to cleanDC), creates the pen
// and the typing font, shows the main window over that monitor, topmost, with its first frame
// painted, and starts the zoom-in (or takes over from a visible live zoom, at 1.0 either way).
void EnterZoom(HWND window, ZoomEntry entry);
// Begins leaving the zoom view: animated down to 1.0, or at once without animation, after a
// live-zoom takeover and when drawing without zoom.
void StartZoomOut(HWND window);
// One animation tick of timer 1 (zoom in, wheel) or 2 (zoom out): the level the clock says.
void ZoomTick(HWND window, UINT_PTR timerId);
// Changes the magnification by wheel notches and starts the animation.
void WheelZoom(HWND window, int notches);
// The end of the zoom-out: hides the window, gives the foreground back and frees every GDI
// object of the zoom but its monitor-sized bitmaps, which are kept for the next zoom.
void FinishZoom(HWND window);

// Message handlers of the zoom view, which the main window routes to it when no other mode owns
// the message.
LRESULT OnZoomPaint(HWND window);
LRESULT OnZoomMouseMove(HWND window, LPARAM position);
// Wheel notches change the magnification. Returns 1.
LRESULT OnZoomMouseWheel(HWND window, int notches);

// Where EnterZoom's time goes, in milliseconds, written on each entry while set (a seam for the
// benchmark): the surfaces made, the capture, the clean copy, and the window shown in front
// with its first frame.
struct ZoomEntryTimes {
    double surfaces;
    double capture;
    double cleanCopy;
    double window;
};
extern ZoomEntryTimes* zoomEntryTimes;

// The pause that lets the previous foreground window repaint before the frozen image is hidden.
// Tests that enter and leave zoom many times shorten it.
extern DWORD zoomExitPauseMs;

// How long after a zoom ends its surfaces stay kept for the next zoom of the same size (see
// SpareSurfaces); timer 3 then releases them. Tests shorten it.
extern DWORD spareSurfacesKeptMs;
