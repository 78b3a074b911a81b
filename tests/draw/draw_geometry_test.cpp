// The arithmetic of drawing: arrow polygons, line snapping, the pen width rules, the marker's
// shape, the window area a segment repaints, the view-to-image mapping and the shape a press
// starts.
#include <gtest/gtest.h>

#include <array>

#include "draw/draw_geometry.h"

namespace {

using Polygon = std::array<CapturePoint, 6>;

// An arrow as a drag draws it: tip where the press was, tail where the release was, snapped
// first, head 4w long and 4w wide.
Polygon DraggedArrow(CapturePoint press, CapturePoint release, int32_t penWidth) {
    ImageRect r = {press.x, press.y, release.x, release.y};
    SnapLine(r);
    return ArrowPolygon({r.left, r.top}, {r.right, r.bottom}, 4 * penWidth, 4 * penWidth);
}

TEST(ArrowPolygon, ANearlyHorizontalDragSnapsAndPointsAtThePress) {
    // Tail snapped one pixel up; tip at the press, wings 12 back and 6 to each side, notch 6
    // back, the shaft running from the tail to the notch.
    const Polygon expected = {{{100, 499}, {494, 500}, {488, 506}, {500, 500}, {488, 494},
                               {494, 500}}};
    EXPECT_EQ(DraggedArrow({500, 500}, {100, 500}, 3), expected);
}

TEST(ArrowPolygon, ADiagonalDragIsNotSnappedAndRoundsNegativeComponentsUpward) {
    // Rounding adds a half and truncates toward zero, so the head is slightly asymmetric.
    const Polygon expected = {{{400, 500}, {103, 104}, {110, 106}, {100, 100}, {102, 112},
                               {103, 104}}};
    EXPECT_EQ(DraggedArrow({100, 100}, {400, 500}, 3), expected);
}

TEST(ArrowPolygon, AZeroLengthArrowUsesTheDiagonalUnitVector) {
    // ux = uy = 1: a = b = 12, c = d = 6.
    const Polygon expected = {{{50, 50}, {44, 44}, {32, 44}, {50, 50}, {44, 32}, {44, 44}}};
    EXPECT_EQ(ArrowPolygon({50, 50}, {50, 50}, 12, 12), expected);
}

TEST(ArrowPolygon, AnAxisAlignedArrowIsSymmetric) {
    // Pointing down the page: wings 40 back and 20 to either side, notch 20 back.
    const Polygon expected = {{{300, 100}, {300, 580}, {280, 560}, {300, 600}, {320, 560},
                               {300, 580}}};
    EXPECT_EQ(ArrowPolygon({300, 600}, {300, 100}, 40, 40), expected);
}

TEST(SnapLine, NearlyHorizontalBecomesHorizontal) {
    // Drawn one past the end, (100, 100) to (300, 105) ends at (301, 100).
    ImageRect line = {100, 100, 300, 105};
    SnapLine(line);
    EXPECT_EQ(line, (ImageRect{100, 100, 300, 99}));
    // Already horizontal, in either direction.
    line = {300, 40, 100, 40};
    SnapLine(line);
    EXPECT_EQ(line, (ImageRect{300, 40, 100, 39}));
}

TEST(SnapLine, NearlyVerticalBecomesVertical) {
    ImageRect line = {100, 100, 103, 300};
    SnapLine(line);
    EXPECT_EQ(line, (ImageRect{100, 100, 99, 300}));
    line = {100, 300, 96, 100};
    SnapLine(line);
    EXPECT_EQ(line, (ImageRect{100, 300, 99, 100}));
}

TEST(SnapLine, SnapsOnlyBelowATenth) {
    ImageRect line = {0, 0, 200, 19};
    SnapLine(line);
    EXPECT_EQ(line, (ImageRect{0, 0, 200, -1}));
    line = {0, 0, 200, 20};  // exactly a tenth stays slanted
    SnapLine(line);
    EXPECT_EQ(line, (ImageRect{0, 0, 200, 20}));
    line = {0, 0, 20, 200};
    SnapLine(line);
    EXPECT_EQ(line, (ImageRect{0, 0, 20, 200}));
}

TEST(SnapLine, LeavesDiagonalsShortLinesAndPointsAlone) {
    for (const ImageRect original : {ImageRect{100, 100, 400, 500}, ImageRect{10, 10, 15, 13},
                                     ImageRect{10, 10, 10, 10}, ImageRect{10, 10, 15, 10}}) {
        ImageRect line = original;
        SnapLine(line);
        EXPECT_EQ(line, original) << original.left << "," << original.top << " "
                                  << original.right << "," << original.bottom;
    }
}

TEST(AcceptedPenWidth, KeepsTheWidthBetweenTwoAndThirty) {
    EXPECT_EQ(AcceptedPenWidth(1, false), std::nullopt);
    EXPECT_EQ(AcceptedPenWidth(0, false), std::nullopt);
    EXPECT_EQ(AcceptedPenWidth(-4, false), std::nullopt);
    EXPECT_EQ(AcceptedPenWidth(2, false), 2);
    EXPECT_EQ(AcceptedPenWidth(17, false), 17);
    EXPECT_EQ(AcceptedPenWidth(30, false), 30);
    EXPECT_EQ(AcceptedPenWidth(31, false), std::nullopt);
}

TEST(AcceptedPenWidth, TheLiveZoomHandOffMayExceedThirtyButNotGoBelowTwo) {
    EXPECT_EQ(AcceptedPenWidth(31, true), 31);
    EXPECT_EQ(AcceptedPenWidth(45, true), 45);
    EXPECT_EQ(AcceptedPenWidth(30, true), 30);
    EXPECT_EQ(AcceptedPenWidth(1, true), std::nullopt);
}

TEST(UseCrossMarker, ThinPensOnAWideEnoughViewGetTheCross) {
    EXPECT_TRUE(UseCrossMarker(3, 1920, 1080, 1.0f));   // 300 < 1080
    EXPECT_TRUE(UseCrossMarker(4, 1920, 1080, 2.0f));   // 400 < 540
    EXPECT_FALSE(UseCrossMarker(5, 1920, 1080, 1.0f));  // never from width 5 on
    EXPECT_FALSE(UseCrossMarker(30, 3840, 2160, 1.0f));
    EXPECT_FALSE(UseCrossMarker(3, 1920, 1080, 4.0f));  // 300 is not below 270
    EXPECT_FALSE(UseCrossMarker(3, 1920, 1200, 4.0f));  // 300 is not below 300
    EXPECT_FALSE(UseCrossMarker(3, 280, 1080, 1.0f));   // the width counts as well
}

TEST(UseCrossMarker, ComparesUnsigned) {
    // A negative width from a damaged registry value is larger than any view.
    EXPECT_FALSE(UseCrossMarker(-1, 1920, 1080, 1.0f));
}

TEST(SegmentClientRect, AtZoomOneIsTheSegmentWithItsMargin) {
    EXPECT_EQ(SegmentClientRect({10, 40}, {5, 20}, 3, {0, 0}, 1.0f),
              (ClientRect{2, 17, 13, 43}));
    // Clipped at the window's top-left, not at its bottom-right.
    EXPECT_EQ(SegmentClientRect({2, 1}, {1915, 1075}, 10, {0, 0}, 1.0f),
              (ClientRect{0, 0, 1925, 1085}));
}

TEST(SegmentClientRect, AtZoomTwoIsScaledFromTheViewOrigin) {
    EXPECT_EQ(SegmentClientRect({500, 300}, {510, 290}, 10, {480, 270}, 2.0f),
              (ClientRect{20, 20, 80, 80}));
    // Left of and above the view: clipped to 0.
    EXPECT_EQ(SegmentClientRect({475, 265}, {490, 280}, 3, {480, 270}, 2.0f),
              (ClientRect{0, 0, 26, 26}));
    // Fractions are cut: (1000 + 3 - 600) x 1.25 = 503.75.
    EXPECT_EQ(SegmentClientRect({1000, 1000}, {1000, 1000}, 3, {600, 600}, 1.25f).right, 503);
}

TEST(ClientToImage, DividesByTheZoomFromTheViewOrigin) {
    EXPECT_EQ(ClientToImage(640, 360, {0, 0}, 1.0f), (CapturePoint{640, 360}));
    EXPECT_EQ(ClientToImage(100, 51, {480, 270}, 2.0f), (CapturePoint{530, 295}));
    EXPECT_EQ(ClientToImage(101, 53, {480, 270}, 2.0f), (CapturePoint{530, 296}));
    EXPECT_EQ(ClientToImage(7, 9, {10, 20}, 1.25f), (CapturePoint{15, 27}));
}

TEST(ClientToImage, WorksInSixteenBits) {
    // A position just left of or above the window arrives as 65535 and maps to -1.
    EXPECT_EQ(ClientToImage(65535, 65535, {0, 0}, 1.0f), (CapturePoint{-1, -1}));
    // The result wraps as well.
    EXPECT_EQ(ClientToImage(40000, 100, {0, 0}, 1.0f), (CapturePoint{-25536, 100}));
    EXPECT_EQ(ClientToImage(32767, 0, {10, 0}, 1.0f), (CapturePoint{-32759, 0}));
}

TEST(ShapeForModifiers, ShiftAndCtrlWinOverTab) {
    EXPECT_EQ(ShapeForModifiers(false, false, false), ShapeKind::Freehand);
    EXPECT_EQ(ShapeForModifiers(false, false, true), ShapeKind::Ellipse);
    EXPECT_EQ(ShapeForModifiers(true, false, false), ShapeKind::Line);
    EXPECT_EQ(ShapeForModifiers(true, false, true), ShapeKind::Line);
    EXPECT_EQ(ShapeForModifiers(false, true, false), ShapeKind::Rectangle);
    EXPECT_EQ(ShapeForModifiers(false, true, true), ShapeKind::Rectangle);
    EXPECT_EQ(ShapeForModifiers(true, true, false), ShapeKind::Arrow);
    EXPECT_EQ(ShapeForModifiers(true, true, true), ShapeKind::Arrow);
}

} // namespace
