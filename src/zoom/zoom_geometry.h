// The arithmetic of the zoom view: which part of the capture is visible for a magnification and
// a zoom point, the wheel's notches and magnification steps, and the 20 ms animation ticks.
// Magnifications are 32-bit floats; intermediate results keep extended precision and
// conversions to pixels truncate toward zero.
#pragma once

#include <cstdint>

struct CapturePoint {
    int32_t x;
    int32_t y;
    bool operator==(const CapturePoint&) const = default;
};

constexpr float kLargestWheelZoom = 32.0f;
constexpr float kZoomInStep = 1.1f;
constexpr float kZoomOutStep = 0.8f;

// Top-left corner, in capture coordinates, of the part of a width x height capture shown at
// magnification `zoom` around `zoomPoint`. The zoom point keeps its relative place in the view,
// at least an eighth of the view away from its edges unless the view touches the capture's edge.
CapturePoint ComputeSourceOrigin(float zoom, CapturePoint zoomPoint, int32_t width,
                                 int32_t height);

// Width or height of the visible part: trunc(size / zoom).
int32_t VisibleExtent(int32_t size, float zoom);

// Wheel deltas add up to whole notches of 120, as the wheel message's documentation asks: a
// precision touchpad or a free-spinning wheel sends many deltas far below 120 for one notch.
// `rest` keeps what has not made a notch yet, from one message to the next; a change of
// direction drops it, so turning back never first undoes what was left over.
int32_t TakeWheelNotches(int32_t& rest, int32_t delta);

// The animated magnification: shown now, aimed at, and the factor applied per animation step
// of 20 ms (1.1 in, 0.8 out, 0 to jump).
struct ZoomMotion {
    float current;
    float target;
    float step;
};
constexpr double kAnimationStepMs = 20.0;

// The magnification `elapsedMs` after the animation left `from`: one factor of the step per
// 20 ms of the clock, however late or seldom the timer's ticks come. True when the target is
// reached (or the step is 0): the caller stops the timer and puts the cursor back on the zoom
// point.
bool AdvanceZoom(ZoomMotion& motion, float from, double elapsedMs);

// The wheel's magnification change for `notches` (one notch down makes two zoom-out steps):
// from 2.0 up 4, 8, 16, 32; down 32 to 8, 8 to 2, 2 to 1.125, 1.125 to 1.0. True when the
// animation timer must (re)start.
bool ApplyWheelZoom(ZoomMotion& motion, int32_t notches, bool animate);
