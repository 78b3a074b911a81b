// End to end: the break screen from the real tray icon's menu and the hotkey: the countdown
// centred as drawn here and its arrow keys, the largest stored length, the corner cell with the
// time since expiry below, a background picture centred or stretched, and one that cannot be read.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "e2e/program_test.h"

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;

// True when the screen comes to show one of `texts` as the countdown: its pure red pixels those
// of the text drawn here in red, centred, a fifth of the screen high, but for a handful.
bool CountdownAppears(std::initializer_list<const wchar_t*> texts) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<Screenshot> expected;
    for (const wchar_t* text : texts) {
        expected.push_back(Painted(width, height, [&](HDC dc) {
            const RECT all = {0, 0, width, height};
            FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
            LOGFONTW logFont = {};
            logFont.lfHeight = height / 5;
            HGDIOBJ oldFont = SelectObject(dc, CreateFontIndirectW(&logFont));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(255, 0, 0));
            RECT box = {0, 0, 0, 0};
            DrawTextW(dc, text, -1, &box, DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP);
            OffsetRect(&box, (width - box.right) / 2, (height - box.bottom) / 2);
            DrawTextW(dc, text, -1, &box, DT_NOPREFIX | DT_NOCLIP);
            DeleteObject(SelectObject(dc, oldFont));
        }));
    }
    return WaitUntil([&] {
        const Screenshot shot = CaptureScreen();
        return std::any_of(expected.begin(), expected.end(), [&](const Screenshot& red) {
            size_t differing = 0;
            for (size_t i = 0; i < red.pixels.size(); ++i) {
                differing += (red.pixels[i] == kRed) != (shot.pixels[i] == kRed) ? 1 : 0;
            }
            return differing <= 20;
        });
    });
}

// The lines of the screen's pure red pixels, top to bottom: the bounding box of each run of rows
// that hold red, split where a row holds none.
std::vector<RECT> RedLines(const Screenshot& shot) {
    std::vector<RECT> lines;
    bool inLine = false;
    for (int y = 0; y < shot.height; ++y) {
        LONG left = INT_MAX, right = -1;
        for (int x = 0; x < shot.width; ++x) {
            if (shot.At(x, y) == kRed) {
                left = std::min<LONG>(left, x);
                right = x;
            }
        }
        if (right < 0) {
            inLine = false;
        } else if (!inLine) {
            lines.push_back({left, y, right, y});
            inLine = true;
        } else {
            RECT& line = lines.back();
            line = {std::min(line.left, left), line.top, std::max(line.right, right), y};
        }
    }
    return lines;
}

// Clicks the real tray icon and picks an item of its menu by its access key.
void PickFromTheTrayIcon(WORD accessKey) {
    std::optional<POINT> icon;
    ASSERT_TRUE(WaitUntil([&] { return (icon = TrayIconOnScreen()).has_value(); }));
    ClickAt(icon->x, icon->y);
    ASSERT_NE(WaitForWindowOf(0, L"#32768"), nullptr);
    PressKey(accessKey);
}

using Break = ProgramTest;

TEST_F(Break, TheTrayIconsMenuStartsACentredCountdownArrowsChangeItAndExitEnds) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_NO_FATAL_FAILURE(PickFromTheTrayIcon('B')); // "&Break Timer"
    ASSERT_TRUE(WaitShown());
    ASSERT_TRUE(CountdownAppears({L"09:59", L"09:58", L"09:57", L"09:56", L"09:55"}));
    ASSERT_TRUE(WaitForKeys());
    PressKey(VK_RIGHT);
    EXPECT_TRUE(CountdownAppears({L"10:00"})); // whole tens up, for a whole second
    PressKey(VK_LEFT);
    EXPECT_TRUE(CountdownAppears({L"09:50", L"09:49", L"09:40", L"09:39"}));
    EXPECT_TRUE(Escape());
    ASSERT_NO_FATAL_FAILURE(PickFromTheTrayIcon('X')); // "E&xit"
    EXPECT_EQ(vistrel.WaitForExit(5000), 0u);
    mainWindow = nullptr;
}

TEST_F(Break, TheLargestStoredLengthCountsDownFromItsBound) {
    WriteSettingDword(L"BreakTimeout", 0x7FFFFFFF);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressShifted('3');
    ASSERT_TRUE(WaitShown());
    // 2^31 - 1 seconds, less the first few ticks.
    EXPECT_TRUE(CountdownAppears({L"35791394:06", L"35791394:05", L"35791394:04", L"35791394:03"}));
    EXPECT_TRUE(Escape());
}

TEST_F(Break, ExpiryInTheCornerOverACentredPictureThenAStretchedOneThenOneThatCannotBeRead) {
    const std::wstring picture = TempPath(L"vistrel-break.png");
    ASSERT_TRUE(WriteTwoColourPng(picture, 400, 200, 0xFF0000FF, 0xFF0000FF));
    WriteSettingDword(L"BreakTimeout", 0);
    WriteSettingDword(L"BreakTimerPosition", 0);
    WriteSettingDword(L"BreakShowBackgroundFile", 1);
    WriteSettingDword(L"BreakShowDesktop", 0);
    WriteString(kTestSettingsKey, L"BreakBackgroundFile", picture);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressShifted('3');
    ASSERT_TRUE(WaitShown());
    // The first capture may already come after the first tick, so the lines are told apart.
    std::vector<RECT> lines;
    ASSERT_TRUE(WaitUntil([&] {
        lines = RedLines(CaptureScreen());
        return !lines.empty();
    }));
    const RECT count = lines[0];
    // "00:00" in the top-left cell: 50 pixels in, less the glyphs' own side bearings.
    EXPECT_GE(count.left, 50);
    EXPECT_LT(count.left, 80);
    EXPECT_GE(count.top, 50);
    EXPECT_LT(count.top, 50 + GetSystemMetrics(SM_CYSCREEN) / 5);
    // A second later "-00:01" in the smaller font appears under it, centred.
    ASSERT_TRUE(WaitUntil([&] {
        lines = RedLines(CaptureScreen());
        return lines.size() == 2;
    })) << lines.size()
        << " lines";
    EXPECT_GT(lines[1].bottom, count.bottom + 10);
    EXPECT_GE(lines[1].left, count.left);
    EXPECT_LE(lines[1].right, count.right);
    const int cx = GetSystemMetrics(SM_CXSCREEN) / 2, cy = GetSystemMetrics(SM_CYSCREEN) / 2;
    EXPECT_TRUE(WaitUntil([&] {
        const Screenshot shot = CaptureScreen();
        return shot.At(cx - 199, cy) == kBlue && shot.At(cx + 199, cy + 99) == kBlue &&
               shot.At(cx - 201, cy) != kBlue && shot.At(cx, cy + 101) != kBlue;
    }));
    EXPECT_TRUE(Escape());
    ExitProgram();

    WriteSettingDword(L"BreakBackgroundStretch", 1);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PressShifted('3');
    ASSERT_TRUE(WaitShown());
    EXPECT_TRUE(WaitUntil([] {
        const Screenshot shot = CaptureScreen();
        return shot.At(3, shot.height / 2) == kBlue &&
               shot.At(shot.width - 3, shot.height - 3) == kBlue;
    }));
    EXPECT_TRUE(Escape());

    // The picture is read at each start of a break.
    ASSERT_TRUE(DeleteFileW(picture.c_str()));
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

} // namespace
