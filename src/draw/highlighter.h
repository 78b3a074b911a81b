// The highlighter on the working image: each piece of a highlighter stroke (a dot, a segment, a
// finished shape) is drawn by GDI into the stroke's coverage mask and blended from there into
// the image's pixels at HighligterOpacity, once per pixel for the whole stroke (the arithmetic is
// in draw/highlight_blend.h). The mask lives from a zoom's first highlighter stroke to the end
// of the zoom. It calls no mode.
#pragma once

#include <windows.h>

#include <functional>

#include "draw/draw_geometry.h"

// Starts a highlighter stroke with nothing blended yet. False when its mask cannot be made; the
// stroke is then drawn with the pen, so it is not lost.
bool BeginHighlightStroke();
// Blends what `cover` draws into the mask: white on black, with a white pen of the active width
// and the null brush selected. Only the pixels within `area` are looked at.
void Highlight(const std::function<void(HDC mask)>& cover, ImageRect area);
// A segment from a to b (a dot where they are the same), as the pen would draw it.
void HighlightSegment(CapturePoint a, CapturePoint b);
// Frees the mask with the zoom's surfaces.
void ReleaseHighlighter();
