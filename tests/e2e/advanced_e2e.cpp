// End to end: the advanced draw options dialog inside the real program, opened from the options
// dialog's Draw page as a presenter opens it. A blackboard colour picked in the colour chooser is
// stored at the dialog's OK and is the colour the K key paints.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>

#include "e2e/program_test.h"
#include "res/advanced_controls.h"

namespace {

constexpr uint32_t kOptionsCommand = 1004;
constexpr int kDrawPageAdvanced = 1102;
constexpr int kChooserRed = 706; // the colour chooser's red, green and blue edits
constexpr COLORREF kChosen = RGB(0x20, 0x60, 0xA0);
constexpr uint32_t kChosenOnScreen = 0x2060A0; // screenshots hold 0x00RRGGBB

// A visible dialog box of the program that is none of `known`.
HWND WaitForNewDialog(DWORD processId, std::initializer_list<HWND> known) {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND box : TopLevelWindowsOf(processId, L"#32770", true)) {
            if (std::find(known.begin(), known.end(), box) == known.end()) {
                found = box;
            }
        }
        return found != nullptr;
    });
    return found;
}

std::wstring Title(HWND window) {
    wchar_t text[128] = {};
    GetWindowTextW(window, text, 128);
    return text;
}

uint32_t CentreOf(HWND window) {
    RECT area = {};
    GetWindowRect(window, &area);
    return CaptureScreen().At((area.left + area.right) / 2, (area.top + area.bottom) / 2);
}

using AdvancedDraw = ProgramTest;

TEST_F(AdvancedDraw, APadColourPickedInTheDialogIsTheColourOfTheBlackboard) {
    MoveMouseTo(960, 540);
    PatternWindow slide;
    ASSERT_NO_FATAL_FAILURE(StartProgram());

    PostCommand(mainWindow, kOptionsCommand);
    HWND options = WaitForNewDialog(vistrel.Id(), {});
    ASSERT_NE(options, nullptr);
    // The dialog may show before its pages are all built.
    HWND advancedButton = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        return (advancedButton = DescendantOf(options, kDrawPageAdvanced, false)) != nullptr;
    }));
    PostMessageW(advancedButton, BM_CLICK, 0, 0);
    HWND advanced = WaitForNewDialog(vistrel.Id(), {options});
    ASSERT_NE(advanced, nullptr);
    EXPECT_EQ(Title(advanced), L"Advanced Draw Options");

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
    EXPECT_TRUE(WaitUntil([] { return ReadSettingDword(L"PadColorK") == kChosen; }));
    ASSERT_TRUE(WaitUntil([advanced] { return !IsWindow(advanced); }));
    // The advanced dialog stored at its own OK: cancelling the options changes nothing.
    PostMessageW(options, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([options] { return !IsWindow(options); }));
    EXPECT_EQ(ReadSettingDword(L"PadColorK"), kChosen);

    MoveMouseTo(960, 540);
    PressShifted('2');
    ASSERT_TRUE(WaitUntil([this] { return GetForegroundWindow() == mainWindow; }));
    PressKey('K');
    EXPECT_TRUE(WaitUntil([] {
        const Screenshot shot = CaptureScreen();
        return shot.At(100, 100) == kChosenOnScreen && shot.At(1800, 1000) == kChosenOnScreen &&
               shot.At(300, 900) == kChosenOnScreen;
    }));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([this] { return !IsWindowVisible(mainWindow); }));
}

} // namespace
