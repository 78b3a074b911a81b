// Drawing mode on the frozen screen: entering and leaving it, freehand strokes and the shapes
// (line, rectangle, ellipse, arrow) with their rubber-band previews, and the mouse messages
// of the zoom window.
#pragma once

#include <windows.h>

#include "draw/draw_geometry.h"

// The wParam of an internal re-entry into drawing (a pen-width change): no modifiers, no
// undo snapshot, at the pen point.
constexpr WPARAM kReenterDrawing = static_cast<WPARAM>(-1);

LRESULT OnLeftButtonDown(HWND window, WPARAM keys, LPARAM position);
LRESULT OnLeftButtonUp(HWND window, LPARAM position);
// The pointer while drawing (the main window routes it here in drawing mode, not typing).
LRESULT OnDrawMouseMove(HWND window, LPARAM position);
LRESULT OnRightButtonDown(HWND window);
// The mouse is captured from a stroke's press to its release; losing the capture (to the system
// or another window) ends the stroke there, as a release would.
LRESULT OnCaptureChanged(HWND window);
// Ends a stroke under way at the pen, as a release there would; nothing without one. The zoom's
// end calls it, so that no zoom ends with a stroke still open.
void FinishStrokeNow(HWND window);
// Forgets any stroke, drawing nothing, and gives back the mouse capture it took. The capture
// goes last, so the capture change that causes finds no stroke left to finish.
void ClearStroke(HWND window);

// The image point shown at a client position of the current view; releases any cursor clip.
CapturePoint ClientPositionToImage(LPARAM position);
// The hover branch of a pointer move: the marker follows to image point p.
void HoverTo(HWND window, CapturePoint p);
// Invalidates the part of the window that shows segment a-b plus the marker's margin.
void InvalidateSegment(HWND window, CapturePoint a, CapturePoint b);
// While a shape is dragged: takes its rubber band out of the picture, and draws it again (with
// the pen as it is then). Nothing for a freehand stroke or with the button up.
void TakeOutShapePreview();
void PutBackShapePreview(HWND window);
// Leaves drawing mode without touching the image or the sticky-keys setting (the pen-width
// change re-enters at once).
void LeaveDrawMode();
