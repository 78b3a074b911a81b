// The arithmetic of drawing on the frozen screen: mapping the view back to the image, the pen
// width rules, the pen marker's shape choice, the window area a segment covers, line snapping,
// shape kinds and the arrow polygon.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "settings/settings_values.h"
#include "zoom/zoom_geometry.h"

// Shapes as the modifier keys at the press choose them.
enum class ShapeKind : int { Freehand = 0, Rectangle = 1, Ellipse = 2, Line = 3, Arrow = 4 };

// Shift with Ctrl: arrow; Shift: line; Ctrl: rectangle; Tab: ellipse (Shift and Ctrl win).
ShapeKind ShapeForModifiers(bool shift, bool ctrl, bool tab);

struct ImageRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    bool operator==(const ImageRect&) const = default;
    bool IsPoint() const { return left == right && top == bottom; }
};

// The image point a client point of the view shows. Client coordinates are signed: with the
// mouse captured during a stroke, the pointer left of or above the window (on another monitor)
// is negative, and the point lies off the image.
CapturePoint ClientToImage(int32_t clientX, int32_t clientY, CapturePoint viewOrigin, float zoom);

// The width a request leads to, or none when the request is ignored (below 2, or above 30
// outside a zoom taken over from live zoom, where the hand-off may exceed 30).
std::optional<int32_t> AcceptedPenWidth(int32_t requested, bool fromLiveZoom);

// True when the pen marker is a small cross rather than a dot of the pen's width: thin pens on
// a view wide enough for it.
bool UseCrossMarker(int32_t penWidth, int32_t captureWidth, int32_t captureHeight, float zoom);

// The part of the image that the pen marker at `p` may paint, the cross or a dot of the pen's
// width with a little room for how GDI rounds them, cut to the image: the pixels its
// save-under keeps. Empty (left >= right) when the point lies off the image.
ImageRect MarkerArea(CapturePoint p, int32_t penWidth, int32_t captureWidth, int32_t captureHeight);

// The client rectangle that shows segment a-b with `margin` around it, at the view's origin
// and zoom (left and top at least 0).
struct ClientRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    bool operator==(const ClientRect&) const = default;
};
ClientRect SegmentClientRect(CapturePoint a, CapturePoint b, int32_t margin,
                             CapturePoint viewOrigin, float zoom);
// The margin of that rectangle: the pen's width, or room for the cross marker.
int32_t SegmentMargin(int32_t penWidth, bool crossMarker);

// The rectangle spanned by two points, left <= right and top <= bottom.
ImageRect SpannedRect(CapturePoint a, CapturePoint b);

// Lines and arrows within a tenth of horizontal or vertical snap to it at release.
void SnapLine(ImageRect& line);

// The six points of an arrow pointing at `tip` from `tail` (head length and width in pixels),
// with the unit vector from the single-precision fast reciprocal square root.
std::array<CapturePoint, 6> ArrowPolygon(CapturePoint tip, CapturePoint tail, int32_t headLength,
                                         int32_t headWidth);
