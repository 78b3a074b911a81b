// End to end: the break countdown, its arrow keys, Escape putting the screen saver back as it
// was, and the tray menu. The screen is compared with the countdown drawn here, centred.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/program_test.h"

namespace {

constexpr UINT kTrayNotifyMessage = 1124;
using Mask = std::vector<bool>; // the pure red pixels of the screen, row by row

// Each of `texts` in red over the window colour, centred on a screen-sized picture, at a fifth
// of its height: the countdown as a presenter should see it.
std::vector<Mask> CentredCountdowns(std::initializer_list<const wchar_t*> texts) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap =
        SelectObject(dc, CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    LOGFONTW logFont = {};
    logFont.lfHeight = height / 5;
    HGDIOBJ oldFont = SelectObject(dc, CreateFontIndirectW(&logFont));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 0, 0));
    std::vector<Mask> masks;
    for (const wchar_t* text : texts) {
        const RECT all = {0, 0, width, height};
        FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
        RECT box = {0, 0, 0, 0};
        DrawTextW(dc, text, -1, &box, DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP);
        OffsetRect(&box, (width - box.right) / 2, (height - box.bottom) / 2);
        DrawTextW(dc, text, -1, &box, DT_NOPREFIX | DT_NOCLIP);
        GdiFlush();
        const auto* pixels = static_cast<const uint32_t*>(bits);
        Mask& red = masks.emplace_back(static_cast<size_t>(width) * height);
        for (size_t i = 0; i < red.size(); ++i) {
            red[i] = (pixels[i] & 0xFFFFFF) == 0xFF0000;
        }
    }
    DeleteObject(SelectObject(dc, oldFont));
    DeleteObject(SelectObject(dc, oldBitmap));
    DeleteDC(dc);
    return masks;
}

// True when the screen comes to show one of `texts` as the countdown (its red pixels those
// drawn here but for a handful) after `key`, if any, was pressed.
bool CountdownAppears(std::initializer_list<const wchar_t*> texts, WORD key = 0) {
    const std::vector<Mask> masks = CentredCountdowns(texts);
    if (key != 0) {
        PressKey(key);
    }
    return WaitUntil([&] {
        const Screenshot shot = CaptureScreen();
        return std::any_of(masks.begin(), masks.end(), [&](const Mask& red) {
            size_t differing = 0;
            for (size_t i = 0; i < red.size(); ++i) {
                differing += red[i] != (shot.pixels[i] == 0xFF0000) ? 1 : 0;
            }
            return differing <= 20;
        });
    });
}

// The screen saver switch as every process finds it: the session's value, else the saved one.
std::optional<std::wstring> ScreenSaverActive() {
    auto value = ReadString(L"Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop",
                            L"ScreenSaveActive");
    return value ? value : ReadString(L"Control Panel\\Desktop", L"ScreenSaveActive");
}

class Break : public ProgramTest {
  protected:
    void BreakHotkey() {
        PressShifted('3');
        ASSERT_TRUE(WaitUntil([this] { return IsWindowVisible(mainWindow) != 0; }));
        ASSERT_TRUE(WaitUntil([this] { return HasKeyboardFocus(mainWindow); }));
    }
    void EscapeEndsTheBreak() {
        ASSERT_TRUE(WaitUntil([this] { return HasKeyboardFocus(mainWindow); }));
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([this] { return !IsWindowVisible(mainWindow); }));
    }
    // Opens the tray icon's menu as a click on the icon does (the button-down makes the program
    // the foreground one, the button-up opens the menu), and picks an item by its key.
    void PickFromTrayMenu(WORD accessKey) {
        PostMessageW(mainWindow, kTrayNotifyMessage, 1, WM_LBUTTONDOWN);
        ASSERT_TRUE(WaitUntil([this] { return GetForegroundWindow() == mainWindow; }));
        PostMessageW(mainWindow, kTrayNotifyMessage, 1, WM_LBUTTONUP);
        ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
        PressKey(accessKey);
    }
};

TEST_F(Break, HotkeyShowsTheCountdownCentredAndArrowsChangeIt) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_NO_FATAL_FAILURE(BreakHotkey());
    ASSERT_TRUE(CountdownAppears({L"09:59", L"09:58", L"09:57", L"09:56", L"09:55"}));
    EXPECT_TRUE(CountdownAppears({L"10:00"}, VK_RIGHT)); // whole tens up, for a whole second
    EXPECT_TRUE(CountdownAppears({L"09:50", L"09:49", L"09:40", L"09:39"}, VK_LEFT));
    EscapeEndsTheBreak();
}

TEST_F(Break, EndingItPutsTheScreenSaverSwitchBackAsItWas) {
    const std::optional<std::wstring> before = ScreenSaverActive();
    for (UINT active : {0u, 1u}) {
        SCOPED_TRACE(active);
        ASSERT_TRUE(SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, active, nullptr, 0));
        ASSERT_EQ(ScreenSaverActive(), std::to_wstring(active));
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        ASSERT_NO_FATAL_FAILURE(BreakHotkey());
        EXPECT_TRUE(WaitUntil([] { return ScreenSaverActive() == L"0"; })); // off meanwhile
        EscapeEndsTheBreak();
        EXPECT_TRUE(WaitUntil([=] { return ScreenSaverActive() == std::to_wstring(active); }));
        PostCommand(mainWindow, kExitCommand);
        EXPECT_EQ(vistrel.WaitForExit(5000), 0u);
        mainWindow = nullptr;
    }
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, before != L"0", nullptr, 0);
}

TEST_F(Break, TrayMenuStartsTheBreakAndExitSavesTheSettings) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_NO_FATAL_FAILURE(PickFromTrayMenu('B'));
    EXPECT_TRUE(CountdownAppears({L"10:00", L"09:59"}));
    EscapeEndsTheBreak();
    ASSERT_NO_FATAL_FAILURE(PickFromTrayMenu('X'));
    EXPECT_EQ(vistrel.WaitForExit(5000), 0u);
    mainWindow = nullptr;
    EXPECT_EQ(ReadSettingDword(L"FontScale"), 10u);
    EXPECT_EQ(ReadSettingDword(L"PenColor"), 0xFFu);
}

TEST_F(Break, TheLargestStoredLengthCountsDownFromItsBound) {
    WriteSettingDword(L"BreakTimeout", 0x7FFFFFFF);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_NO_FATAL_FAILURE(BreakHotkey());
    // 2^31 - 1 seconds, less the first few ticks.
    EXPECT_TRUE(CountdownAppears({L"35791394:06", L"35791394:05", L"35791394:04", L"35791394:03"}));
    EscapeEndsTheBreak();
}

} // namespace
