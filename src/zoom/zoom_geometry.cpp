// Zoom view arithmetic (see zoom_geometry.h). Intermediate values are long double: the extended
// precision the view's rounding rules were tuned with.
#include "zoom/zoom_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

int32_t Trunc(long double value) { return static_cast<int32_t>(value); }

// One axis of ComputeSourceOrigin.
int32_t OriginAlong(float zoom, int32_t point, int32_t size) {
    const float visible = static_cast<float>(static_cast<long double>(size) / zoom);
    int32_t origin =
        std::min(Trunc(static_cast<long double>(size) - visible),
                 point - Trunc(static_cast<long double>(point) / size * visible));
    origin = std::max(origin, 0);
    const int32_t margin = Trunc(static_cast<long double>(visible) * 0.125L);
    if (point - origin < margin) {
        origin = std::max(point - margin, 0);
    } else {
        const int32_t span = Trunc(visible);
        if (origin + span - point < margin) {
            origin = std::min(point - span + margin, size - span);
        }
    }
    return origin;
}

} // namespace

CapturePoint ComputeSourceOrigin(float zoom, CapturePoint zoomPoint, int32_t width,
                                 int32_t height) {
    if (width <= 0 || height <= 0 || !(zoom > 0.0f)) {
        return {0, 0};  // nothing captured: nothing to place
    }
    return {OriginAlong(zoom, zoomPoint.x, width), OriginAlong(zoom, zoomPoint.y, height)};
}

int32_t VisibleExtent(int32_t size, float zoom) {
    return Trunc(static_cast<long double>(size) / zoom);
}

int32_t TakeWheelNotches(int32_t& rest, int32_t delta) {
    constexpr int32_t kNotch = 120; // WHEEL_DELTA
    if ((rest < 0 && delta > 0) || (rest > 0 && delta < 0)) {
        rest = 0;
    }
    rest += delta;
    const int32_t notches = rest / kNotch; // toward zero: the remainder keeps the sign
    rest -= notches * kNotch;
    return notches;
}

bool AdvanceZoom(ZoomMotion& motion, float from, double elapsedMs) {
    if (motion.step == 0.0f) {
        return true;
    }
    if (motion.step == 1.0f) {
        motion.current = motion.target; // a factor of 1 would never arrive
        return true;
    }
    const double steps = std::max(elapsedMs, 0.0) / kAnimationStepMs;
    motion.current = static_cast<float>(from * std::pow(static_cast<double>(motion.step), steps));
    if ((motion.step > 1.0f && motion.current >= motion.target) ||
        (motion.step < 1.0f && motion.current <= motion.target)) {
        motion.current = motion.target;
        return true;
    }
    return false;
}

bool ApplyWheelZoom(ZoomMotion& motion, int32_t notches, bool animate) {
    if (notches == 0) {
        return false;
    }
    const bool zoomIn = notches > 0;
    const int32_t steps = zoomIn ? notches : 1 - notches;
    bool startTimer = false;
    float t = motion.target;
    for (int32_t i = 0; i < steps; ++i) {
        const float before = t;
        if (zoomIn && t < kLargestWheelZoom) {
            t = t >= 2.0f ? t * 2.0f : 2.0f;
            motion.step = kZoomInStep;
        } else if (!zoomIn && t > 1.0f) {
            t = t > 2.0f ? t * 0.5f : std::max(t * 0.75f, 1.0f);
            motion.step = kZoomOutStep;
        }
        if (t == before) {
            if (i == 0) {
                motion.current = t;  // already at the limit: show it at once
            }
            break;
        }
        motion.target = t;
        if (animate) {
            const float c = motion.current * motion.step;
            motion.current = c;
            if (zoomIn ? c <= t : c >= t) {
                startTimer = true;
            } else {
                motion.current = t;
            }
        } else {
            motion.current = t;
            startTimer = true;  // the first tick shows t and places the cursor
        }
    }
    return startTimer;
}
