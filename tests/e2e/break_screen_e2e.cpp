// End to end: where the break countdown stands and what stands behind it — the corner cell,
// the time since expiry below the count, a background picture centred or stretched, a picture
// that cannot be read — and the real tray icon's menu.
#include <gtest/gtest.h>

#include <climits>

#include "e2e/program_test.h"

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;

// The bounding box of the screen's pure red pixels (left > right when there are none).
RECT RedBox(const Screenshot& shot) {
    RECT box = {INT_MAX, INT_MAX, -1, -1};
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            if (shot.At(x, y) == kRed) {
                box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                       std::max<LONG>(box.right, x), std::max<LONG>(box.bottom, y)};
            }
        }
    }
    return box;
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

class BreakScreen : public ProgramTest {
protected:
    void StartBreak() {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        PressShifted('3');
        ASSERT_TRUE(WaitUntil([this] { return IsWindowVisible(mainWindow) != 0; }));
    }
};

TEST_F(BreakScreen, ZeroMinutesExpireAtOnceAndTheTimeSinceShowsBelowInTheCorner) {
    WriteSettingDword(L"BreakTimeout", 0);
    WriteSettingDword(L"BreakTimerPosition", 0);
    ASSERT_NO_FATAL_FAILURE(StartBreak());
    RECT count = {};
    ASSERT_TRUE(WaitUntil([&] {
        count = RedBox(CaptureScreen());
        return count.right >= 0;
    }));
    // "00:00" in the top-left cell: 50 pixels in, less the glyphs' own side bearings.
    EXPECT_GE(count.left, 50);
    EXPECT_LT(count.left, 80);
    EXPECT_GE(count.top, 50);
    EXPECT_LT(count.top, 50 + GetSystemMetrics(SM_CYSCREEN) / 5);
    // A second later "-00:01" in the smaller font appears under it, centred.
    RECT both = {};
    EXPECT_TRUE(WaitUntil([&] {
        both = RedBox(CaptureScreen());
        return both.bottom > count.bottom + 10;
    }));
    EXPECT_EQ(both.left, count.left);
    EXPECT_EQ(both.right, count.right);
}

TEST_F(BreakScreen, ABackgroundPictureStandsCentredOrStretched) {
    const std::wstring picture = TempFile(L"vistrel-break.png");
    ASSERT_TRUE(WriteTwoColourPng(picture, 400, 200, 0xFF0000FF, 0xFF0000FF));
    WriteSettingDword(L"BreakShowBackgroundFile", 1);
    WriteSettingDword(L"BreakShowDesktop", 0);
    WriteSettingDword(L"BreakTimerPosition", 0);
    WriteString(kTestSettingsKey, L"BreakBackgroundFile", picture);
    ASSERT_NO_FATAL_FAILURE(StartBreak());
    const int cx = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int cy = GetSystemMetrics(SM_CYSCREEN) / 2;
    EXPECT_TRUE(WaitUntil([&] {
        const Screenshot shot = CaptureScreen();
        return shot.At(cx - 199, cy) == kBlue && shot.At(cx + 199, cy + 99) == kBlue &&
               shot.At(cx - 201, cy) != kBlue && shot.At(cx, cy + 101) != kBlue;
    }));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([this] { return !IsWindowVisible(mainWindow); }));
    PostCommand(mainWindow, kExitCommand);
    ASSERT_EQ(vistrel.WaitForExit(5000), 0u);

    WriteSettingDword(L"BreakBackgroundStretch", 1);
    ASSERT_NO_FATAL_FAILURE(StartBreak());
    EXPECT_TRUE(WaitUntil([] {
        const Screenshot shot = CaptureScreen();
        return shot.At(3, shot.height / 2) == kBlue && shot.At(shot.width - 3, shot.height - 3) == kBlue;
    }));
    DeleteFileW(picture.c_str());
}

TEST_F(BreakScreen, APictureThatCannotBeReadIsReportedAndNoBreakStarts) {
    WriteSettingDword(L"BreakShowBackgroundFile", 1);
    WriteSettingDword(L"BreakShowDesktop", 0);
    WriteString(kTestSettingsKey, L"BreakBackgroundFile", TempFile(L"no-such-picture.png"));
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressShifted('3');
    HWND box = WaitForDialog(vistrel.Id(), 10000);
    ASSERT_NE(box, nullptr);
    const DialogSnapshot shown = ReadDialog(box);
    EXPECT_EQ(shown.caption, L"Vistrel");
    EXPECT_EQ(shown.Text().rfind(L"Error loading background bitmap: ", 0), 0u) << shown.Text();
    DismissDialog(box);
    ASSERT_TRUE(WaitUntil([box] { return !IsWindow(box); }));
    EXPECT_TRUE(NoDialogWithin(vistrel.Id(), 300));
    EXPECT_FALSE(IsWindowVisible(mainWindow));
}

TEST_F(BreakScreen, AClickOnTheTrayIconOpensTheMenuWhoseExitEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    // The icon is the magnifier's blue ring in the notification area at the bottom right.
    POINT icon = {-1, -1};
    ASSERT_TRUE(WaitUntil([&] {
        const Screenshot shot = CaptureScreen();
        for (int y = shot.height - 40; y < shot.height && icon.x < 0; ++y) {
            for (int x = shot.width - 200; x < shot.width; ++x) {
                if (shot.At(x, y) == 0x1E6EC8) {  // the ring's colour
                    icon = {x, y};
                    break;
                }
            }
        }
        return icon.x >= 0;
    }));
    MoveMouseTo(icon.x, icon.y);
    PressLeft(icon.x, icon.y);
    ReleaseLeft(icon.x, icon.y);
    ASSERT_TRUE(WaitUntil([] { return !TopLevelWindowsOf(0, L"#32768", true).empty(); }));
    PressKey('X');  // "E&xit"
    EXPECT_EQ(vistrel.WaitForExit(5000), 0u);
    EXPECT_EQ(ReadSettingDword(L"FontScale"), 10u);
    EXPECT_EQ(ReadSettingDword(L"PenColor"), 0xFFu);
    mainWindow = nullptr;  // already ended
}

} // namespace
