// End to end: the zoom hotkey freezes the screen and magnifies it around the cursor. A
// full-screen pattern window, whose every pixel encodes its own position, stands in for a slide,
// so each screenshot tells exactly which part of the capture is shown and how large.
#include <gtest/gtest.h>

#include <cmath>

#include "e2e/program_test.h"
#include "zoom/zoom_geometry.h"

namespace {

// The magnification a screenshot shows, read from the pattern along the top row: 1.0 for the
// plain pattern. The origin is the capture point shown at the top-left corner.
struct ShownView {
    float zoom;
    DecodedPoint origin;
};

ShownView ReadView(const Screenshot& shot) {
    const int row = shot.height / 3;
    const DecodedPoint left = DecodePattern(shot.At(0, row));
    const DecodedPoint right = DecodePattern(shot.At(shot.width - 1, row));
    const int span = right.x - left.x + 1;
    return {span > 0 ? static_cast<float>(shot.width) / span : 0.0f, DecodePattern(shot.At(0, 0))};
}

// True when the screen shows the capture magnified `zoom` times around `zoomPoint`: the corners
// and the centre decode to where the view's geometry puts them (within the one pixel of
// rounding that stretching allows).
bool ShowsView(const Screenshot& shot, float zoom, CapturePoint zoomPoint) {
    const CapturePoint origin = ComputeSourceOrigin(zoom, zoomPoint, shot.width, shot.height);
    const int visibleWidth = VisibleExtent(shot.width, zoom);
    const int visibleHeight = VisibleExtent(shot.height, zoom);
    const struct {
        int x, y;
    } probes[] = {{0, 0},
                  {shot.width - 1, 0},
                  {shot.width / 2, shot.height / 2},
                  {0, shot.height - 1},
                  {shot.width - 1, shot.height - 1}};
    for (const auto& probe : probes) {
        const DecodedPoint shown = DecodePattern(shot.At(probe.x, probe.y));
        const int expectedX = origin.x + probe.x * visibleWidth / shot.width;
        const int expectedY = origin.y + probe.y * visibleHeight / shot.height;
        if (std::abs(shown.x - expectedX) > 1 || std::abs(shown.y - expectedY) > 1) {
            return false;
        }
    }
    return true;
}

bool ScreenShowsView(float zoom, CapturePoint zoomPoint) {
    return ShowsView(CaptureScreen(), zoom, zoomPoint);
}

bool CursorAt(int x, int y) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    return cursor.x == x && cursor.y == y;
}

class Zoom : public ProgramTest {
protected:
    // Starts the program over the pattern with the cursor at (x, y).
    void Start(int x, int y) {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        ASSERT_TRUE(WaitUntil([] { return ScreenShowsView(1.0f, {0, 0}); }));
        MoveMouseTo(x, y);
        ASSERT_TRUE(WaitUntil([=] { return CursorAt(x, y); }));
    }
    void ExpectZoomEndedOver(int x, int y) {
        EXPECT_TRUE(WaitUntil([this] { return !IsWindowVisible(mainWindow); }));
        EXPECT_TRUE(WaitUntil([this] { return GetForegroundWindow() == slide.window; }));
        EXPECT_TRUE(CursorAt(x, y));
        EXPECT_TRUE(WaitUntil([] { return ScreenShowsView(1.0f, {0, 0}); }));
    }
    PatternWindow slide;
};

TEST_F(Zoom, MagnifiesAroundTheCursorPansWheelsAndLeavesWithEscape) {
    ASSERT_NO_FATAL_FAILURE(Start(700, 400));
    PressShifted('1');
    ASSERT_TRUE(WaitUntil([] { return ScreenShowsView(2.0f, {700, 400}); }));
    EXPECT_TRUE(IsWindowVisible(mainWindow));
    EXPECT_EQ(GetForegroundWindow(), mainWindow);

    MoveMouseTo(1000, 600);  // the view pans with the mouse
    EXPECT_TRUE(WaitUntil([] { return ScreenShowsView(2.0f, {1000, 600}); }));
    TurnWheel(WHEEL_DELTA);  // 2 -> 4
    EXPECT_TRUE(WaitUntil([] { return ScreenShowsView(4.0f, {1000, 600}); }));
    KeepScreenshot(L"zoom-4x");
    PressKey(VK_DOWN);  // one notch down is two steps: 4 -> 2 -> 1.5
    EXPECT_TRUE(WaitUntil([] { return ScreenShowsView(1.5f, {1000, 600}); }));
    PressKey(VK_UP);  // 1.5 -> 2
    EXPECT_TRUE(WaitUntil([] { return ScreenShowsView(2.0f, {1000, 600}); }));

    PressKey(VK_ESCAPE);
    ExpectZoomEndedOver(1000, 600);
}

TEST_F(Zoom, WithoutAnimationTheViewJumpsAndASecondPressEndsAtOnce) {
    WriteSettingDword(L"AnimateZoom", 0);
    ASSERT_NO_FATAL_FAILURE(Start(960, 540));
    auto onlyWholeLevels = [](const Screenshot& shot) {
        const float zoom = ReadView(shot).zoom;
        return std::abs(zoom - 1.0f) < 0.01f || std::abs(zoom - 2.0f) < 0.01f;
    };
    PressShifted('1');
    bool seenBetween = false;
    ASSERT_TRUE(WaitUntil([&] {
        const Screenshot shot = CaptureScreen();
        seenBetween |= !onlyWholeLevels(shot);
        return ShowsView(shot, 2.0f, {960, 540});
    }));
    EXPECT_FALSE(seenBetween) << "an animation frame showed between 1.0 and 2.0";

    PressShifted('1');
    ASSERT_TRUE(WaitUntil([&] {
        const Screenshot shot = CaptureScreen();
        seenBetween |= !onlyWholeLevels(shot);
        return !IsWindowVisible(mainWindow);
    }));
    EXPECT_FALSE(seenBetween) << "the zoom-out was animated";
    ExpectZoomEndedOver(960, 540);
}

TEST_F(Zoom, SmallestStartLevelAndTheRightButtonLeaves) {
    WriteSettingDword(L"ZoominSliderLevel", 0);
    ASSERT_NO_FATAL_FAILURE(Start(300, 800));
    PressShifted('1');
    ASSERT_TRUE(WaitUntil([] { return ScreenShowsView(1.25f, {300, 800}); }));
    ClickRight();
    ExpectZoomEndedOver(300, 800);
}

TEST_F(Zoom, LargestStartLevelAndFocusLossLeaves) {
    WriteSettingDword(L"ZoominSliderLevel", 5);
    ASSERT_NO_FATAL_FAILURE(Start(1500, 200));
    PressShifted('1');
    ASSERT_TRUE(WaitUntil([] { return ScreenShowsView(4.0f, {1500, 200}); }));
    // Another window takes the foreground: the zoom ends as if the hotkey were pressed.
    SetForegroundWindow(slide.window);
    ExpectZoomEndedOver(1500, 200);
}

TEST_F(Zoom, AStoredLevelOutsideTheTableStartsAtTwo) {
    WriteSettingDword(L"ZoominSliderLevel", 17);
    ASSERT_NO_FATAL_FAILURE(Start(800, 500));
    PressShifted('1');
    ASSERT_TRUE(WaitUntil([] { return ScreenShowsView(2.0f, {800, 500}); }));
    PressShifted('1');
    ExpectZoomEndedOver(800, 500);
}

TEST_F(Zoom, TheWheelStepThatLandsOnOneShowsAtOnce) {
    ASSERT_NO_FATAL_FAILURE(Start(640, 360));
    PressShifted('1');
    ASSERT_TRUE(WaitUntil([] { return ScreenShowsView(2.0f, {640, 360}); }));
    TurnWheel(-WHEEL_DELTA); // 2 -> 1.5 -> 1.125, animated
    ASSERT_TRUE(WaitUntil([] { return ScreenShowsView(1.125f, {640, 360}); }));
    // 1.125 -> 1.0 needs no animation; the mouse stays still, so only the wheel can repaint.
    TurnWheel(-WHEEL_DELTA);
    EXPECT_TRUE(WaitUntil([] { return ScreenShowsView(1.0f, {0, 0}); }))
        << "still shown at " << ReadView(CaptureScreen()).zoom;
    PressShifted('1');
    ExpectZoomEndedOver(640, 360);
}

TEST_F(Zoom, QueuedCtrlUpWidensThePenInsteadOfZooming) {
    WriteSettingDword(L"PenWidth", 5);
    ASSERT_NO_FATAL_FAILURE(Start(300, 300));
    PressShifted('2'); // drawing at 1.0
    ASSERT_TRUE(WaitUntil([this] { return HasKeyboardFocus(mainWindow); }));
    PressWithCtrlQueued(VK_UP, 2);
    EXPECT_TRUE(WaitUntil([] { return ReadSettingDword(L"PenWidth") == 7u; }))
        << "PenWidth " << ReadSettingDword(L"PenWidth").value_or(0);
    // Neither Up zoomed.
    EXPECT_TRUE(ScreenShowsView(1.0f, {0, 0})) << "zoomed to " << ReadView(CaptureScreen()).zoom;
    PressKey(VK_ESCAPE);
    ExpectZoomEndedOver(300, 300);
}

} // namespace
