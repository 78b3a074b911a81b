// The zoom view's arithmetic: the visible part for a magnification and zoom point, the wheel's
// notches and magnification sequence, and the animation's tick counts.
#include <gtest/gtest.h>

#include "zoom/zoom_geometry.h"

namespace {

TEST(ComputeSourceOrigin, KeepsThePointInViewWithAMarginOfAnEighth) {
    // 4x on 1920 x 1080 at (1900, 540): the view is 480 wide; the proportional origin 1425
    // leaves the point 5 pixels from the right edge, so the margin rule pushes it to 1440.
    EXPECT_EQ(ComputeSourceOrigin(4.0f, {1900, 540}, 1920, 1080), (CapturePoint{1440, 405}));
    // Proportional placement without margin correction: the centre stays the centre.
    EXPECT_EQ(ComputeSourceOrigin(2.0f, {960, 540}, 1920, 1080), (CapturePoint{480, 270}));
    // Near the left edge of the view the point keeps an eighth of the view (60 pixels at 4x).
    EXPECT_EQ(ComputeSourceOrigin(4.0f, {100, 100}, 1920, 1080).x, 40);
}

TEST(ComputeSourceOrigin, CornersShowTheCapturesCorners) {
    for (float zoom : {1.0f, 1.25f, 2.0f, 4.0f, 32.0f}) {
        SCOPED_TRACE(zoom);
        EXPECT_EQ(ComputeSourceOrigin(zoom, {0, 0}, 1920, 1080), (CapturePoint{0, 0}));
        const CapturePoint far = ComputeSourceOrigin(zoom, {1919, 1079}, 1920, 1080);
        EXPECT_EQ(far.x + VisibleExtent(1920, zoom), 1920);
        EXPECT_EQ(far.y + VisibleExtent(1080, zoom), 1080);
    }
    EXPECT_EQ(ComputeSourceOrigin(1.0f, {1234, 567}, 1920, 1080), (CapturePoint{0, 0}));
}

TEST(ComputeSourceOrigin, TheViewNeverLeavesTheCapture) {
    for (float zoom : {1.1f, 1.5f, 3.0f, 8.0f, 16.0f}) {
        for (int x = 0; x < 3840; x += 97) {
            const CapturePoint origin = ComputeSourceOrigin(zoom, {x, x % 2160}, 3840, 2160);
            ASSERT_GE(origin.x, 0);
            ASSERT_LE(origin.x + VisibleExtent(3840, zoom), 3840);
            ASSERT_GE(origin.y, 0);
            ASSERT_LE(origin.y + VisibleExtent(2160, zoom), 2160);
        }
    }
}

TEST(WheelNotches, AnyMovementIsAtLeastOneNotch) {
    EXPECT_EQ(WheelNotches(0), 0);
    EXPECT_EQ(WheelNotches(30), 1);
    EXPECT_EQ(WheelNotches(120), 1);
    EXPECT_EQ(WheelNotches(121), 2);
    EXPECT_EQ(WheelNotches(240), 2);
    EXPECT_EQ(WheelNotches(-30), -1);
    EXPECT_EQ(WheelNotches(-120), -1);
    EXPECT_EQ(WheelNotches(-240), -2);
}

// Targets reached by one notch at a time, without animation.
float TargetAfter(float from, int notches) {
    ZoomMotion motion = {from, from, 0.0f};
    ApplyWheelZoom(motion, notches, false);
    EXPECT_EQ(motion.current, motion.target);
    return motion.target;
}

TEST(ApplyWheelZoom, LevelsUpAndDown) {
    EXPECT_EQ(TargetAfter(1.0f, 1), 2.0f);
    EXPECT_EQ(TargetAfter(1.25f, 1), 2.0f);
    EXPECT_EQ(TargetAfter(2.0f, 1), 4.0f);
    EXPECT_EQ(TargetAfter(16.0f, 1), 32.0f);
    EXPECT_EQ(TargetAfter(2.0f, 2), 8.0f);
    // One notch down is two steps.
    EXPECT_EQ(TargetAfter(32.0f, -1), 8.0f);
    EXPECT_EQ(TargetAfter(8.0f, -1), 2.0f);
    EXPECT_EQ(TargetAfter(2.0f, -1), 1.125f);
    EXPECT_EQ(TargetAfter(1.125f, -1), 1.0f);
}

TEST(ApplyWheelZoom, LimitsChangeNothingAndStartNoTimer) {
    ZoomMotion top = {20.0f, 32.0f, 1.1f};
    EXPECT_FALSE(ApplyWheelZoom(top, 1, true));
    EXPECT_EQ(top.target, 32.0f);
    EXPECT_EQ(top.current, 32.0f);  // shown at once
    ZoomMotion bottom = {1.0f, 1.0f, 0.8f};
    EXPECT_FALSE(ApplyWheelZoom(bottom, -3, true));
    EXPECT_EQ(bottom.target, 1.0f);
    ZoomMotion still = {2.0f, 2.0f, 0.0f};
    EXPECT_FALSE(ApplyWheelZoom(still, 0, true));
    EXPECT_EQ(still.target, 2.0f);
}

TEST(ApplyWheelZoom, AnimatedStepsMoveTheShownLevelOneTickAhead) {
    ZoomMotion motion = {2.0f, 2.0f, 0.0f};
    EXPECT_TRUE(ApplyWheelZoom(motion, 1, true));
    EXPECT_EQ(motion.target, 4.0f);
    EXPECT_FLOAT_EQ(motion.current, 2.2f);
    EXPECT_FLOAT_EQ(motion.step, 1.1f);
    // Without animation the first tick shows the target.
    ZoomMotion jump = {2.0f, 2.0f, 0.0f};
    EXPECT_TRUE(ApplyWheelZoom(jump, -1, false));
    EXPECT_EQ(jump.current, 1.125f);
    EXPECT_FLOAT_EQ(jump.step, 0.8f);
}

int TicksUntilArrival(ZoomMotion motion) {
    int ticks = 1;
    while (!AdvanceZoom(motion)) {
        ++ticks;
    }
    EXPECT_EQ(motion.current, motion.target);
    return ticks;
}

TEST(AdvanceZoom, AnimationTickCounts) {
    EXPECT_EQ(TicksUntilArrival({1.1f, 2.0f, 1.1f}), 7);  // zoom-in from 1.1 to 2.0
    EXPECT_EQ(TicksUntilArrival({2.0f, 1.0f, 0.8f}), 4);  // zoom-out from 2.0 to 1.0
    EXPECT_EQ(TicksUntilArrival({1.1f, 4.0f, 1.1f}), 14);
    ZoomMotion jump = {1.0f, 1.0f, 0.0f};
    EXPECT_TRUE(AdvanceZoom(jump));  // no step: the tick only ends the animation
    EXPECT_EQ(jump.current, 1.0f);
}

} // namespace
