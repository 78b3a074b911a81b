// The arithmetic of drawing: arrow polygons, line snapping, the pen width rules, the marker, the
// area a segment repaints, the view-to-image mapping and the shape a press starts.
#include <gtest/gtest.h>

#include <array>

#include "draw/draw_geometry.h"

namespace {

using Polygon = std::array<CapturePoint, 6>;

ImageRect Snapped(ImageRect line) {
    SnapLine(line);
    return line;
}

// An arrow as a drag draws it: tip where the press was, tail where the release was, snapped
// first, head 4w long and 4w wide.
Polygon DraggedArrow(CapturePoint press, CapturePoint release, int32_t penWidth) {
    const ImageRect r = Snapped({press.x, press.y, release.x, release.y});
    return ArrowPolygon({r.left, r.top}, {r.right, r.bottom}, 4 * penWidth, 4 * penWidth);
}

TEST(ArrowPolygon, WorkedExamplesAndTheDegenerateCases) {
    // Tail snapped one pixel up; tip at the press, wings 12 back and 6 to each side, notch 6
    // back, the shaft running from the tail to the notch.
    EXPECT_EQ(DraggedArrow({500, 500}, {100, 500}, 3),
              (Polygon{{{100, 499}, {494, 500}, {488, 506}, {500, 500}, {488, 494}, {494, 500}}}));
    // Not snapped. Rounding adds a half and truncates toward zero, so the head is slightly
    // asymmetric where components are negative.
    EXPECT_EQ(DraggedArrow({100, 100}, {400, 500}, 3),
              (Polygon{{{400, 500}, {103, 104}, {110, 106}, {100, 100}, {102, 112}, {103, 104}}}));
    // Zero length: the diagonal unit vector (1, 1) rather than a division by zero.
    EXPECT_EQ(ArrowPolygon({50, 50}, {50, 50}, 12, 12),
              (Polygon{{{50, 50}, {44, 44}, {32, 44}, {50, 50}, {44, 32}, {44, 44}}}));
}

TEST(SnapLine, WithinATenthOfAnAxisTheEndMovesOntoIt) {
    // The line is drawn one past its end: (100, 100) to (300, 105) ends at (301, 100).
    EXPECT_EQ(Snapped({100, 100, 300, 105}), (ImageRect{100, 100, 300, 99}));
    EXPECT_EQ(Snapped({300, 40, 100, 40}), (ImageRect{300, 40, 100, 39}));
    EXPECT_EQ(Snapped({100, 100, 103, 300}), (ImageRect{100, 100, 99, 300}));
    EXPECT_EQ(Snapped({100, 300, 96, 100}), (ImageRect{100, 300, 99, 100}));
    EXPECT_EQ(Snapped({0, 0, 200, 19}), (ImageRect{0, 0, 200, -1}));
    // Exactly a tenth, diagonals, short lines and points stay as they are.
    for (const ImageRect line : {ImageRect{0, 0, 200, 20}, ImageRect{0, 0, 20, 200},
                                 ImageRect{100, 100, 400, 500}, ImageRect{10, 10, 15, 13},
                                 ImageRect{10, 10, 15, 10}, ImageRect{10, 10, 10, 10}}) {
        EXPECT_EQ(Snapped(line), line);
    }
}

TEST(AcceptedPenWidth, TwoToThirtyExceptThatTheLiveZoomHandOffMayExceedThirty) {
    for (int32_t refused : {-4, 0, 1, 31}) {
        EXPECT_EQ(AcceptedPenWidth(refused, false), std::nullopt) << refused;
    }
    EXPECT_EQ(AcceptedPenWidth(2, false), 2);
    EXPECT_EQ(AcceptedPenWidth(30, false), 30);
    EXPECT_EQ(AcceptedPenWidth(45, true), 45);
    EXPECT_EQ(AcceptedPenWidth(1, true), std::nullopt);
}

TEST(UseCrossMarker, ThinPensOnAViewWideEnoughForThem) {
    EXPECT_TRUE(UseCrossMarker(3, 1920, 1080, 1.0f));   // 300 < 1080
    EXPECT_FALSE(UseCrossMarker(5, 1920, 1080, 1.0f));  // never from width 5 on
    EXPECT_FALSE(UseCrossMarker(3, 1920, 1080, 4.0f));  // 300 is not below 270
    EXPECT_FALSE(UseCrossMarker(3, 1920, 1200, 4.0f));  // 300 is not below 300
    EXPECT_FALSE(UseCrossMarker(3, 280, 1080, 1.0f));   // the width counts as well
    EXPECT_FALSE(UseCrossMarker(-1, 1920, 1080, 1.0f)) << "compared unsigned";
}

TEST(SegmentClientRect, TheSegmentWithItsMarginScaledFromTheViewOriginClippedAtZero) {
    EXPECT_EQ(SegmentClientRect({10, 40}, {5, 20}, 3, {0, 0}, 1.0f), (ClientRect{2, 17, 13, 43}));
    EXPECT_EQ(SegmentClientRect({500, 300}, {510, 290}, 10, {480, 270}, 2.0f),
              (ClientRect{20, 20, 80, 80}));
    EXPECT_EQ(SegmentClientRect({475, 265}, {490, 280}, 3, {480, 270}, 2.0f),
              (ClientRect{0, 0, 26, 26}));
    // Fractions are cut: (1000 + 3 - 600) x 1.25 = 503.75.
    EXPECT_EQ(SegmentClientRect({1000, 1000}, {1000, 1000}, 3, {600, 600}, 1.25f).right, 503);
}

TEST(ClientToImage, DividesByTheZoomFromTheViewOriginInSixteenBits) {
    EXPECT_EQ(ClientToImage(100, 51, {480, 270}, 2.0f), (CapturePoint{530, 295}));
    EXPECT_EQ(ClientToImage(7, 9, {10, 20}, 1.25f), (CapturePoint{15, 27}));
    // Just left of or above the window arrives as 65535; the result wraps as well.
    EXPECT_EQ(ClientToImage(65535, 65535, {0, 0}, 1.0f), (CapturePoint{-1, -1}));
    EXPECT_EQ(ClientToImage(40000, 100, {0, 0}, 1.0f), (CapturePoint{-25536, 100}));
}

TEST(ShapeForModifiers, ShiftAndCtrlWinOverTab) {
    EXPECT_EQ(ShapeForModifiers(false, false, false), ShapeKind::Freehand);
    EXPECT_EQ(ShapeForModifiers(false, false, true), ShapeKind::Ellipse);
    EXPECT_EQ(ShapeForModifiers(true, false, true), ShapeKind::Line);
    EXPECT_EQ(ShapeForModifiers(false, true, true), ShapeKind::Rectangle);
    EXPECT_EQ(ShapeForModifiers(true, true, true), ShapeKind::Arrow);
}

} // namespace
