// End to end: drawing on the frozen screen with the real mouse and keyboard. The draw hotkey
// freezes the slide at magnification 1, so each screen pixel is the working image's pixel.
#include <gtest/gtest.h>

#include "e2e/program_test.h"

namespace {

constexpr uint32_t kExitCommand = 2;
constexpr uint32_t kRed = 0xFF0000;  // as the screenshot holds colours: 0x00RRGGBB
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;

// Counts the pixels of `colour` in row y between x0 and x1.
int ColouredInRow(const Screenshot& shot, int y, int x0, int x1, uint32_t colour) {
    int count = 0;
    for (int x = x0; x <= x1; ++x) {
        count += shot.At(x, y) == colour ? 1 : 0;
    }
    return count;
}

// A horizontal stroke shows when the whole run between its ends is in `colour`.
bool StrokeShows(int y, int x0, int x1, uint32_t colour) {
    return ColouredInRow(CaptureScreen(), y, x0, x1, colour) == x1 - x0 + 1;
}

// Waits for the stroke; when it does not come, keeps the screen as NAME.png to look at.
bool StrokeAppears(int y, int x0, int x1, uint32_t colour, const wchar_t* name) {
    if (WaitUntil([=] { return StrokeShows(y, x0, x1, colour); })) {
        return true;
    }
    KeepScreenshot(name);
    return false;
}

class Draw : public ProgramTest {
protected:
    // Freezes the slide for drawing with the draw hotkey, the cursor at (x, y).
    void DrawHotkeyAt(int x, int y) {
        MoveMouseTo(x, y);
        PressShifted('2');
        ASSERT_TRUE(WaitUntil([this] { return IsWindowVisible(mainWindow) != 0; }));
        ASSERT_TRUE(WaitUntil([this] { return GetForegroundWindow() == mainWindow; }));
    }
    void EscapeAndExpectTheSlideBack(const std::function<bool()>& slideShows) {
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([this] { return !IsWindowVisible(mainWindow); }));
        EXPECT_TRUE(WaitUntil(slideShows));
    }
};

TEST_F(Draw, StrokesShowInThePenColourAndColourKeysChangeIt) {
    // The pointer goes first: a window appearing under it makes the X server report where it
    // is, and a late report would move it back.
    MoveMouseTo(400, 300);
    PatternWindow slide(SlideFill::White);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_NO_FATAL_FAILURE(DrawHotkeyAt(400, 300));

    DragTo(500, 300, 900, 300);
    EXPECT_TRUE(StrokeAppears(300, 520, 880, kRed, L"stroke-red"));

    PressKey('G');
    EXPECT_TRUE(WaitUntil([] { return ReadSettingDword(L"PenColor") == 0x00FF00u; }));
    DragTo(500, 400, 900, 400);
    EXPECT_TRUE(StrokeAppears(400, 520, 880, kGreen, L"stroke-green"));

    PressKey('B');
    EXPECT_TRUE(WaitUntil([] { return ReadSettingDword(L"PenColor") == 0xFF0000u; }));
    DragTo(500, 500, 900, 500);
    EXPECT_TRUE(StrokeAppears(500, 520, 880, kBlue, L"stroke-blue"));

    PressKey('R');
    EXPECT_TRUE(WaitUntil([] { return ReadSettingDword(L"PenColor") == 0xFFu; }));
    // The earlier strokes keep their colours.
    EXPECT_TRUE(StrokeShows(300, 520, 880, kRed));
    EXPECT_TRUE(StrokeShows(400, 520, 880, kGreen));

    EscapeAndExpectTheSlideBack([] { return StrokeShows(300, 0, 1919, kWhite); });
}

TEST_F(Draw, TheWhitePadCoversTheSlideAndUndoTakesItAway) {
    MoveMouseTo(960, 540);
    PatternWindow slide;
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_TRUE(WaitUntil(ScreenShowsPlainPattern));
    ASSERT_NO_FATAL_FAILURE(DrawHotkeyAt(960, 540));

    PressKey('W');
    EXPECT_TRUE(WaitUntil([] {
        const Screenshot shot = CaptureScreen();
        return ColouredInRow(shot, 100, 0, 1919, kWhite) == 1920 &&
               ColouredInRow(shot, 1000, 0, 1919, kWhite) == 1920;
    }));
    PressWithCtrl('Z');
    EXPECT_TRUE(WaitUntil([] {
        const Screenshot shot = CaptureScreen();
        return DecodePattern(shot.At(100, 100)).x == 100 && DecodePattern(shot.At(1800, 1000)).y == 1000;
    }));
    EscapeAndExpectTheSlideBack(ScreenShowsPlainPattern);
}

TEST_F(Draw, TheBlackPadShowsItsPictureStretched) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring picture = std::wstring(folder) + L"vistrel-pad.png";
    ASSERT_TRUE(WriteTwoColourPng(picture, 64, 48, 0xFFFF0000, 0xFF0000FF));
    WriteSettingDword(L"UseBKBmpK", 1);
    WriteString(kTestSettingsKey, L"KPadBackgroundFile", picture);

    MoveMouseTo(960, 540);
    PatternWindow slide;
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_NO_FATAL_FAILURE(DrawHotkeyAt(960, 540));
    PressKey('K');
    // 64 x 48 stretched to 1920 x 1080: red on the left half, blue on the right.
    EXPECT_TRUE(WaitUntil([] {
        const Screenshot shot = CaptureScreen();
        return ColouredInRow(shot, 200, 0, 900, kRed) == 901 &&
               ColouredInRow(shot, 900, 1020, 1919, kBlue) == 900;
    }));
    EscapeAndExpectTheSlideBack(ScreenShowsPlainPattern);
    DeleteFileW(picture.c_str());
}

} // namespace
