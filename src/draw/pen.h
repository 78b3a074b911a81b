// The pen: its colour slots and width, the GDI pen selected into the working image, and the
// refresh of its marker (draw/pen_state.h).
#pragma once

#include <windows.h>

#include <functional>

// The colour keys R, G, B, O, Y, P pick their slot; other keys return false.
bool SelectPenColorForKey(HWND window, WPARAM virtualKey);
// H in drawing switches between the pen and the highlighter, when the highlighter is offered;
// false (nothing done) for other keys and at other times.
bool SwitchHighlighterForKey(HWND window, WPARAM virtualKey);
// Validates and applies a new width of the active tool at the pen point (x, y), then re-enters
// drawing there so the marker shows the new width at once.
void SetPenWidth(HWND window, int x, int y, int requested);
// Replaces the pen of imageDC with one of the active tool's width and PenColor; text colour
// follows.
void RebuildPen();

// The hover refresh at `penPoint`: marker out, pixels saved again, marker painted, area shown.
void RefreshPenMarker(HWND window);
// Runs `change` (a new colour or width; false when it changed nothing) and rebuilds the pen.
// While the left button is held a shape's rubber band is taken out before and drawn again
// after, so the drag goes on with the new pen; the marker is not touched.
bool ChangePen(HWND window, const std::function<bool()>& change);
