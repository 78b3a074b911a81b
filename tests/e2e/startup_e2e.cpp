// End to end: start-up, the first run, the single-instance hand-over, clearing the settings from
// the command line and Exit, against the real program driven from outside.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/driver.h"

namespace {

constexpr uint32_t kExitCommand = 2;
constexpr DWORD kShiftThree = 0x133;

class Startup : public ::testing::Test {
  protected:
    void SetUp() override { ClearProgramRegistry(); }
    void TearDown() override { ClearProgramRegistry(); }
};

TEST_F(Startup, FirstRunStoresOnlyThePathAndOptionShownAndExitSavesPen) {
    VistrelProcess vistrel = StartVistrel();
    HWND mainWindow = WaitForMainWindow(vistrel.Id());
    ASSERT_NE(mainWindow, nullptr);

    wchar_t title[64] = {};
    GetWindowTextW(mainWindow, title, 64);
    EXPECT_STREQ(title, L"Vistrel Zoom Window");
    EXPECT_FALSE(IsWindowVisible(mainWindow));
    EXPECT_TRUE(GetWindowLongW(mainWindow, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    // The first run opens the options dialog; the hotkeys wait for its OK or Cancel.
    HWND options = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        options = FindWindowW(L"#32770", L"Vistrel -  www.tarnove.example");
        return options != nullptr && IsWindowVisible(options) &&
               WaitForInputIdle(vistrel.info.hProcess, 0) == 0;
    }));
    EXPECT_FALSE(HotkeyHeldElsewhere(0x131));
    EXPECT_FALSE(ReadSettingDword(L"OptionShown").has_value());
    PostMessageW(options, WM_COMMAND, IDCANCEL, 0);

    // The defaults stay in memory: only the program path and the first-run mark are stored.
    ASSERT_TRUE(WaitUntil([] { return ReadSettingDword(L"OptionShown") == 1u; }));
    std::vector<std::wstring> names = SettingValueNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Filepath", L"OptionShown"}));
    EXPECT_EQ(ReadString(kTestSettingsKey, L"Filepath"), VistrelExePath());
    EXPECT_FALSE(ReadString(kTestRunKey, L"Vistrel").has_value());

    // The first run ends with working hotkeys although the dialog was cancelled.
    EXPECT_TRUE(WaitUntil([] { return HotkeyHeldElsewhere(0x131); }));

    PostCommand(mainWindow, kExitCommand);
    EXPECT_EQ(vistrel.WaitForExit(5000), 0u);
    EXPECT_EQ(ReadSettingDword(L"FontScale"), 10u);
    EXPECT_EQ(ReadSettingDword(L"PenColor"), 0xFFu);
}

TEST_F(Startup, SecondStartHandsOverToTheRunningInstance) {
    WriteSettingDword(L"OptionShown", 1);
    // Another program holds Shift+3 while the first instance starts, so that instance cannot
    // register it; the hand-over (command 1004) opens the options dialog, whose Cancel registers
    // the hotkeys again once it is free.
    HeldHotkey taken(kShiftThree);
    ASSERT_TRUE(taken.held);
    VistrelProcess first = StartVistrel();
    HWND box = WaitForDialog(first.Id(), 10000);
    ASSERT_NE(box, nullptr);
    DismissDialog(box);
    HWND mainWindow = WaitForMainWindow(first.Id());
    ASSERT_NE(mainWindow, nullptr);
    taken.Release();
    ASSERT_FALSE(HotkeyHeldElsewhere(kShiftThree));

    const ULONGLONG started = GetTickCount64();
    VistrelProcess second = StartVistrel();
    EXPECT_EQ(second.WaitForExit(5000), 0u);
    // Five looks for the options dialog, 100 ms apart, then it gives up.
    EXPECT_LT(GetTickCount64() - started, 3000u);
    EXPECT_TRUE(first.Running());
    HWND options = FindWindowW(L"#32770", L"Vistrel -  www.tarnove.example");
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(IsWindowVisible(options));
    EXPECT_TRUE(GetWindowLongW(options, GWL_EXSTYLE) & WS_EX_TOPMOST);
    PostMessageW(options, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([] { return HotkeyHeldElsewhere(kShiftThree); }));
    EXPECT_EQ(WaitForMainWindow(second.Id(), 0), nullptr);

    PostCommand(mainWindow, kExitCommand);
    EXPECT_EQ(first.WaitForExit(5000), 0u);
}

TEST_F(Startup, ClearSwitchRemovesEverythingEvenWhileAnInstanceRuns) {
    VistrelProcess running = StartVistrel();
    HWND mainWindow = WaitForMainWindow(running.Id());
    ASSERT_NE(mainWindow, nullptr);
    WriteSettingDword(L"PenWidth", 9);
    WriteString(L"Software\\tarnove\\Other\\Deeper", L"Left", L"by another tool");
    WriteString(kTestRunKey, L"Vistrel", L"\"Z:\\Vistrel64.exe\"");

    VistrelProcess clearing = StartVistrel(L"/ClearReg");
    HWND box = WaitForDialog(clearing.Id(), 10000);
    ASSERT_NE(box, nullptr);
    DialogSnapshot shown = ReadDialog(box);
    EXPECT_EQ(shown.caption, L"Vistrel");
    EXPECT_EQ(shown.Text(), L"Configurations were removed from registry.");
    // It neither handed over nor created a window of its own.
    EXPECT_EQ(WaitForMainWindow(clearing.Id(), 0), nullptr);
    DismissDialog(box);
    EXPECT_EQ(clearing.WaitForExit(5000), 1u);

    EXPECT_FALSE(KeyExists(L"Software\\tarnove"));
    EXPECT_FALSE(ReadString(kTestRunKey, L"Vistrel").has_value());
    EXPECT_TRUE(running.Running());
    PostCommand(mainWindow, kExitCommand);
    EXPECT_EQ(running.WaitForExit(5000), 0u);
}

TEST_F(Startup, OnlyTheExactSwitchClears) {
    WriteSettingDword(L"OptionShown", 1);
    VistrelProcess vistrel = StartVistrel(L"--clearreg clearreg");
    HWND mainWindow = WaitForMainWindow(vistrel.Id());
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_EQ(ReadSettingDword(L"OptionShown"), 1u);
    PostCommand(mainWindow, kExitCommand);
    EXPECT_EQ(vistrel.WaitForExit(5000), 0u);
}

} // namespace
