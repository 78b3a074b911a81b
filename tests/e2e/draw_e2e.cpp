// End to end: the sketch pads of the drawing mode and the advanced draw options dialog inside
// the real program, opened from the options dialog's Draw page as a presenter opens it. A
// blackboard colour picked in the colour chooser is stored at the dialog's OK and is the colour
// the K key paints; the white pad shows its picture stretched over the screen. A right-click
// in the middle of a stroke leaves the stroke whole on the screen, also after the next press
// and its undo.
#include <gtest/gtest.h>

#include "e2e/program_test.h"
#include "res/advanced_controls.h"
#include "res/options_controls.h"

namespace {

constexpr int kChooserRed = 706; // the colour chooser's red, green and blue edits
constexpr COLORREF kChosen = RGB(0x20, 0x60, 0xA0);
constexpr uint32_t kChosenOnScreen = 0x2060A0; // screenshots hold 0x00RRGGBB

uint32_t CentreOf(HWND window) {
    RECT area = {};
    GetWindowRect(window, &area);
    return CaptureScreen().At((area.left + area.right) / 2, (area.top + area.bottom) / 2);
}

using Draw = ProgramTest;

TEST_F(Draw, APadColourPickedInTheAdvancedDialogPaintsTheBlackboardAndThePadPictureIsStretched) {
    const std::wstring picture = TempPath(L"vistrel-pad.png");
    ASSERT_TRUE(WriteTwoColourPng(picture, 64, 48, 0xFFFF0000, 0xFF0000FF));
    WriteSettingDword(L"UseBKBmpW", 1);
    WriteString(kTestSettingsKey, L"WPadBackgroundFile", picture);
    MoveMouseTo(960, 540);
    PatternWindow slide;
    ASSERT_NO_FATAL_FAILURE(StartProgram());

    PostCommand(mainWindow, kOptionsCommand);
    HWND options = WaitForOptionsDialog(vistrel);
    ASSERT_NE(options, nullptr);
    PostMessageW(DescendantOf(options, IDC_DRAW_ADVANCED, false), BM_CLICK, 0, 0);
    HWND advanced = WaitForNewDialog(vistrel.Id(), {options});
    ASSERT_NE(advanced, nullptr);
    wchar_t title[64] = {};
    GetWindowTextW(advanced, title, 64);
    EXPECT_STREQ(title, L"Advanced Draw Options");

    HWND blackboard = DescendantOf(advanced, IDC_BLACKBOARD_COLOR, false);
    EXPECT_TRUE(WaitUntil([blackboard] { return CentreOf(blackboard) == 0; }));
    PostMessageW(blackboard, BM_CLICK, 0, 0);
    HWND chooser = WaitForNewDialog(vistrel.Id(), {options, advanced});
    ASSERT_NE(chooser, nullptr);
    const int parts[] = {GetRValue(kChosen), GetGValue(kChosen), GetBValue(kChosen)};
    for (int part = 0; part < 3; ++part) {
        SendMessageW(GetDlgItem(chooser, kChooserRed + part), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(std::to_wstring(parts[part]).c_str()));
    }
    PostMessageW(chooser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([chooser] { return !IsWindow(chooser); }));
    EXPECT_TRUE(WaitUntil([blackboard] { return CentreOf(blackboard) == kChosenOnScreen; }));
    KeepScreenshot(L"advanced-draw-e2e");

    PostMessageW(advanced, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([] { return StoredSetting(L"PadColorK") == kChosen; }));
    ASSERT_TRUE(WaitUntil([advanced] { return !IsWindow(advanced); }));
    // The advanced dialog stored at its own OK: cancelling the options changes nothing.
    PostMessageW(options, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([options] { return !IsWindow(options); }));
    EXPECT_EQ(StoredSetting(L"PadColorK"), kChosen);

    MoveMouseTo(960, 540);
    PressDrawHotkey();
    ASSERT_TRUE(WaitForKeys());
    PressKey('K');
    EXPECT_TRUE(WaitUntil([] {
        const Screenshot shot = CaptureScreen();
        return shot.At(100, 100) == kChosenOnScreen && shot.At(1800, 1000) == kChosenOnScreen &&
               shot.At(300, 900) == kChosenOnScreen;
    }));
    // 64 x 48 stretched to 1920 x 1080: red on the left half, blue on the right.
    PressKey('W');
    EXPECT_TRUE(WaitUntil([] {
        const Screenshot shot = CaptureScreen();
        return CountColour(shot, {0, 200, 901, 201}, 0xFF0000) == 901 &&
               CountColour(shot, {1020, 900, 1920, 901}, 0x0000FF) == 900;
    }));
    EXPECT_TRUE(Escape());
    EXPECT_TRUE(WaitUntil(ScreenShowsPlainPattern));
    DeleteFileW(picture.c_str());
}

TEST_F(Draw, ARightClickDuringAStrokeLeavesItWholeAfterTheNextPressAndItsUndo) {
    constexpr uint32_t kRed = 0xFF0000, kWhite = 0xFFFFFF;
    MoveMouseTo(300, 300);
    PatternWindow slide(SlideFill::White);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressDrawHotkey();
    ASSERT_TRUE(WaitForKeys());
    PressLeft(300, 300);
    MoveMouseTo(500, 300);
    SendAbsolute(MOUSEEVENTF_RIGHTDOWN, 500, 300); // out of drawing with the left button held
    SendAbsolute(MOUSEEVENTF_RIGHTUP, 500, 300);
    ReleaseLeft(500, 300);
    ClickAt(900, 700);      // drawing again
    MoveMouseTo(1500, 800); // the marker follows the pen there
    // The stroke from 300 to 500 whole, and nothing else near it.
    auto strokeAlone = [] {
        const Screenshot shot = CaptureScreen();
        return CountColour(shot, {300, 300, 500, 301}, kRed) == 200 &&
               CountColour(shot, {250, 280, 600, 297}, kWhite) == 350 * 17 &&
               CountColour(shot, {250, 304, 600, 320}, kWhite) == 350 * 16 &&
               CountColour(shot, {1480, 780, 1520, 820}, kWhite) < 1600;
    };
    EXPECT_TRUE(WaitUntil(strokeAlone)) << "in the picture";
    PressWithCtrl('Z'); // the snapshot of the press that began drawing again
    EXPECT_TRUE(WaitUntil(strokeAlone)) << "in the snapshot";
    KeepScreenshot(L"right-click-during-a-stroke");
    EXPECT_TRUE(Escape());
}

} // namespace
