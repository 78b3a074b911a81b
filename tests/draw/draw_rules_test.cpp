// The drawing's platform-free rules: arrow polygons, line snapping, the pen width, the marker,
// the highlighter's blend, the area a segment repaints, the view-to-image mapping, the shape a
// press starts, the typing text size and FontScale, and the advanced dialogs' lists, radios and
// starting folder.
#include <gtest/gtest.h>

#include "draw/highlight_blend.h"
#include "draw/typing_rules.h"
#include "shared/dialog_rules.h"

using Polygon = std::array<CapturePoint, 6>;

TEST(ArrowPolygon, WorkedExamplesAndTheDegenerateCases) {
    // A drag from (500, 500) to (100, 500) with pen 3, its tail snapped one pixel up: tip at the
    // press, wings 12 back and 6 to each side, notch 6 back, the shaft from the tail to the notch.
    // Not snapped, rounding adds a half and truncates toward zero, so the head is slightly
    // asymmetric where components are negative. At zero length the unit vector is (1, 1).
    EXPECT_EQ(ArrowPolygon({500, 500}, {100, 499}, 12, 12),
              (Polygon{{{100, 499}, {494, 500}, {488, 506}, {500, 500}, {488, 494}, {494, 500}}}));
    EXPECT_EQ(ArrowPolygon({100, 100}, {400, 500}, 12, 12),
              (Polygon{{{400, 500}, {103, 104}, {110, 106}, {100, 100}, {102, 112}, {103, 104}}}));
    EXPECT_EQ(ArrowPolygon({50, 50}, {50, 50}, 12, 12),
              (Polygon{{{50, 50}, {44, 44}, {32, 44}, {50, 50}, {44, 32}, {44, 44}}}));
}

TEST(SnapLine, WithinATenthOfAnAxisTheEndMovesOntoIt) {
    // The line is drawn one past its end: (100, 100) to (300, 105) ends at (301, 100). Exactly
    // a tenth, diagonals, short lines and points stay as they are.
    const std::pair<ImageRect, ImageRect> rows[] = {
        {{100, 100, 300, 105}, {100, 100, 300, 99}}, {{300, 40, 100, 40}, {300, 40, 100, 39}},
        {{100, 100, 103, 300}, {100, 100, 99, 300}}, {{100, 300, 96, 100}, {100, 300, 99, 100}},
        {{0, 0, 200, 19}, {0, 0, 200, -1}},          {{0, 0, 200, 20}, {0, 0, 200, 20}},
        {{0, 0, 20, 200}, {0, 0, 20, 200}},          {{100, 100, 400, 500}, {100, 100, 400, 500}},
        {{10, 10, 15, 13}, {10, 10, 15, 13}},        {{10, 10, 15, 10}, {10, 10, 15, 10}},
        {{10, 10, 10, 10}, {10, 10, 10, 10}},
    };
    for (auto [line, snapped] : rows) {
        SnapLine(line);
        EXPECT_EQ(line, snapped) << snapped.right << "," << snapped.bottom;
    }
}

TEST(PenRules, WidthTwoToThirtyUnlessHandedOverByLiveZoomAndTheCrossOnlyForThinPens) {
    const std::tuple<int32_t, bool, int32_t> widths[] = {
        {-4, false, 0}, {0, false, 0},   {1, false, 0},  {31, false, 0},
        {2, false, 2},  {30, false, 30}, {45, true, 45}, {1, true, 0}};
    for (const auto& [width, live, accepted] : widths) {
        EXPECT_EQ(AcceptedPenWidth(width, live).value_or(0), accepted) << width;
    }
    EXPECT_TRUE(UseCrossMarker(3, 1920, 1080, 1.0f));   // 300 < 1080
    EXPECT_FALSE(UseCrossMarker(5, 1920, 1080, 1.0f));  // never from width 5 on
    EXPECT_FALSE(UseCrossMarker(3, 1920, 1080, 4.0f));  // 300 is not below 270
    EXPECT_FALSE(UseCrossMarker(3, 1920, 1200, 4.0f));  // 300 is not below 300
    EXPECT_FALSE(UseCrossMarker(3, 280, 1080, 1.0f));   // the width counts as well
    EXPECT_FALSE(UseCrossMarker(-1, 1920, 1080, 1.0f)); // compared unsigned
    // The marker's save-under: room for the cross, or for a dot of any width, cut to the image.
    EXPECT_EQ(MarkerArea({500, 500}, 3, 1920, 1080), (ImageRect{492, 492, 509, 509}));
    EXPECT_EQ(MarkerArea({500, 500}, 72, 1920, 1080), (ImageRect{462, 462, 539, 539}));
    EXPECT_EQ(MarkerArea({1915, 2}, 30, 1920, 1080), (ImageRect{1898, 0, 1920, 20}));
    const ImageRect off = MarkerArea({-100, 500}, 3, 1920, 1080);
    EXPECT_GE(off.left, off.right) << "a point off the image saves nothing";
}

TEST(Highlighter, ChannelsRoundToTheNearestLevelAtTheOpacityCutToTenToAHundred) {
    // Under (0x00RRGGBB), the colour (COLORREF), the opacity, the blend.
    const std::tuple<uint32_t, uint32_t, int32_t, uint32_t> rows[] = {
        {0xFFFFFF, 0x0000FF, 50, 0xFF8080},  // red on white: 127.5 rounds up
        {0x000000, 0x00FFFF, 50, 0x808000},  // yellow on black
        {0x102030, 0xFF0000, 10, 0x0E1D45},  // blue, a tenth: 14.4, 28.8, 43.2 + 25.5
        {0x102030, 0x80FF00, 100, 0x00FF80}, // all the colour
        {0x123456, 0xABCDEF, 0, 0x123456},
    };
    for (const auto& [under, colour, opacity, blended] : rows) {
        EXPECT_EQ(BlendPixel(under, colour, opacity), blended) << opacity;
    }
    EXPECT_EQ(HighlighterOpacity(0), 10);
    EXPECT_EQ(HighlighterOpacity(50), 50);
    EXPECT_EQ(HighlighterOpacity(500), 100);
}

// One row of 24 pixels: the stroke covers 2 to 20 in three pieces that overlap, and each pixel
// is blended once. Pixels outside a piece's area keep their fresh bits for a later piece.
TEST(Highlighter, EachCoveredPixelBlendsOnceAndOnlyWithinTheArea) {
    std::vector<uint32_t> pixels(24, 0xFFFFFF);
    std::vector<uint8_t> fresh(CoverageRowBytes(24)), blended(CoverageRowBytes(24));
    ASSERT_EQ(fresh.size(), 4u);
    const auto step = [&](int32_t from, int32_t to, int32_t left, int32_t right) {
        for (int32_t x = from; x < to; ++x) {
            fresh[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        BlendFreshCoverage({pixels.data(), 24, 1, 24}, {fresh.data(), 24, 1, 4},
                           {blended.data(), 24, 1, 4}, {left, 0, right, 1}, 0x0000FF, 50);
    };
    step(2, 12, 0, 10); // 10 and 11 lie outside: not yet
    EXPECT_EQ(fresh[1], 0x30) << "10 and 11 wait";
    step(6, 16, 0, 24);   // crosses what is blended
    step(14, 20, 13, 30); // cut to the image
    for (int32_t x = 0; x < 24; ++x) {
        EXPECT_EQ(pixels[x], x >= 2 && x < 20 ? 0xFF8080u : 0xFFFFFFu) << x;
    }
    EXPECT_EQ(fresh, std::vector<uint8_t>(4, 0));
    EXPECT_EQ(blended, (std::vector<uint8_t>{0x3F, 0xFF, 0xF0, 0}));
}

TEST(Highlighter, TheTipIsASquareOfTheWidthAndASegmentsAreaHoldsItsRoundEnds) {
    EXPECT_EQ(HighlighterTip({100, 50}, 20), (ImageRect{90, 40, 110, 60}));
    EXPECT_EQ(HighlighterTip({100, 50}, 5), (ImageRect{98, 48, 103, 53}));
    EXPECT_EQ(SegmentCoverage({100, 50}, {40, 60}, 20, 1920, 1080), (ImageRect{18, 28, 123, 83}));
    EXPECT_EQ(SegmentCoverage({5, 1075}, {5, 1075}, 20, 1920, 1080),
              (ImageRect{0, 1053, 28, 1080}));
    std::vector<uint32_t> pixels(4 * 3, 0);
    BlendRectangle({pixels.data(), 4, 3, 4}, {-2, 1, 2, 9}, 0xFFFFFF, 100);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0, 0, 0, 0, 0xFFFFFF, 0xFFFFFF, 0, 0, 0xFFFFFF,
                                             0xFFFFFF, 0, 0}));
}

TEST(ViewMapping, SegmentsRepaintFromTheViewOriginAndSignedClientPointsMapThroughTheView) {
    EXPECT_EQ(SegmentClientRect({10, 40}, {5, 20}, 3, {0, 0}, 1.0f), (ClientRect{2, 17, 13, 43}));
    EXPECT_EQ(SegmentClientRect({500, 300}, {510, 290}, 10, {480, 270}, 2.0f),
              (ClientRect{20, 20, 80, 80}));
    EXPECT_EQ(SegmentClientRect({475, 265}, {490, 280}, 3, {480, 270}, 2.0f),
              (ClientRect{0, 0, 26, 26}));
    // Fractions are cut: (1000 + 3 - 600) x 1.25 = 503.75.
    EXPECT_EQ(SegmentClientRect({1000, 1000}, {1000, 1000}, 3, {600, 600}, 1.25f).right, 503);
    EXPECT_EQ(ClientToImage(100, 51, {480, 270}, 2.0f), (CapturePoint{530, 295}));
    EXPECT_EQ(ClientToImage(7, 9, {10, 20}, 1.25f), (CapturePoint{15, 27}));
    // Left of or above the window (the mouse captured and out on another monitor), and far
    // beyond it: through the view, with nothing cut to 16 bits.
    EXPECT_EQ(ClientToImage(-1, -1, {0, 0}, 1.0f), (CapturePoint{-1, -1}));
    EXPECT_EQ(ClientToImage(-10, -300, {480, 270}, 2.0f), (CapturePoint{475, 120}));
    EXPECT_EQ(ClientToImage(40000, 100, {480, 270}, 2.0f), (CapturePoint{20480, 320}));
}

TEST(ShapeForModifiers, ShiftAndCtrlWinOverTab) {
    EXPECT_EQ(ShapeForModifiers(false, false, false), ShapeKind::Freehand);
    EXPECT_EQ(ShapeForModifiers(false, false, true), ShapeKind::Ellipse);
    EXPECT_EQ(ShapeForModifiers(true, false, true), ShapeKind::Line);
    EXPECT_EQ(ShapeForModifiers(false, true, true), ShapeKind::Rectangle);
    EXPECT_EQ(ShapeForModifiers(true, true, true), ShapeKind::Arrow);
}

// The height follows the visible rows down to the smallest, antialiased from 20 on; a FontScale
// of zero or below gives the smallest. Forward is larger text, backward smaller; one notch
// forward at 1 stays 1.
TEST(Typing, TextSizeFromTheVisibleHeightAndFontScaleStepsAgainstTheWheelToItsLimits) {
    const std::tuple<float, int32_t, int32_t, bool> sizes[] = {
        {1.0f, 10, 108, false}, {8.0f, 10, 13, true}, {16.0f, 10, 12, true}, {2.0f, 27, 20, false},
        {1.0f, 57, 18, true},   {1.0f, 0, 12, true},  {1.0f, -5, 12, true}};
    for (const auto& [zoom, scale, height, plain] : sizes) {
        const TextSize size = TypingTextSize(1080, zoom, scale);
        EXPECT_EQ(std::pair(size.height, size.nonAntialiased), std::pair(height, plain))
            << zoom << " " << scale;
    }
    const std::tuple<int32_t, int32_t, std::optional<int32_t>> steps[] = {
        {10, 1, 9},   {10, -2, 12}, {1, 1, 1},    {3, 3, 1},  {-19, 1, -20},
        {49, -1, 50}, {50, -1, {}}, {-20, 1, {}}, {10, 0, {}}};
    for (const auto& [scale, notches, next] : steps) {
        EXPECT_EQ(NextFontScale(scale, notches), next) << scale << ", " << notches;
    }
}

TEST(AdvancedDialogs, StoredValuesSelectTheirEntryOrRadioAndOutOfRangeNone) {
    const std::pair<uint32_t, int> percents[] = {{10, 0},         {50, 4}, {55, 4}, {100, 9},
                                                 {109, 9},        {9, -1}, {0, -1}, {110, -1},
                                                 {UINT32_MAX, -1}}; // the last a stored -1
    for (const auto& [value, entry] : percents) {
        EXPECT_EQ(PercentListSelection(value), entry) << value;
    }
    EXPECT_EQ(PositionRadioIndex(0), 0);
    EXPECT_EQ(PositionRadioIndex(8), 8);
    EXPECT_EQ(PositionRadioIndex(9), -1); // would be the control after the grid
    EXPECT_EQ(PositionRadioIndex(UINT32_MAX), -1);
}

TEST(AdvancedDialogs, TheChooserStartsUpToTheLastBackslashOrInItsFallbackWithoutOne) {
    EXPECT_EQ(InitialFolderLength(UTF16("C:\\Windows\\Media\\ding.wav")), 17u);
    EXPECT_EQ(InitialFolderLength(UTF16("C:\\pictures\\")), 12u);
    EXPECT_EQ(InitialFolderLength(UTF16("\\\\server\\share\\pad.png")), 15u);
    EXPECT_EQ(InitialFolderLength(UTF16("pad.png")), 0u);
    EXPECT_EQ(InitialFolderLength(UTF16("")), 0u);
    EXPECT_EQ(InitialFolderLength(UTF16("C:/pictures/pad.png")), 0u); // only a backslash counts
}
