// End to end: start-up and its hotkeys, the first run and typing into another program, a hotkey
// another program holds, the single-instance hand-over to the options dialog, a changed hotkey
// at work after OK, and clearing the settings from the command line while an instance runs.
#include <algorithm>

#include "e2e/program_test.h"

#include <commctrl.h>

#include "res/options_controls.h"

namespace {

constexpr uint32_t kCtrlOne = 0x231, kCtrlTwo = 0x232, kCtrlThree = 0x233, kCtrlFour = 0x234;

// The program registers its hotkeys once its box or dialog has gone, the break hotkey last.
// Probing a hotkey registers it for a moment and would take it from the program while it still
// registers, so a test first sees Ctrl+3 answered with the break screen, then probes.
class Startup : public ProgramTest {
  protected:
    void TearDown() override {
        ProgramTest::TearDown();
        UnregisterHotKey(nullptr, 1); // the hotkey "another program" held
    }
    void ExpectTheBreakHotkeyAnswers() {
        EXPECT_TRUE(WaitUntil([this] {
            PressWithCtrl(kBreakKey); // lost while the hotkey is not registered yet
            return WaitUntil([this] { return Shown(); }, 2000);
        }));
        EXPECT_TRUE(Escape());
    }
};

bool BecomesTopmost(HWND window) {
    return WaitUntil(
        [window] { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; });
}

// After it the defaults take no character from other programs: Shift+1 to Shift+4 type "!@#$"
// there (the US layout of the test desktop).
TEST_F(Startup, FirstRunOpensTheOptionsStoresOnlyThePathAndTheDefaultsThenTakeNoCharacter) {
    ClearProgramRegistry();
    ASSERT_NO_FATAL_FAILURE(StartProgram());

    // The hotkeys wait for the dialog's OK or Cancel.
    HWND options = WaitForOptionsDialog();
    ASSERT_NE(options, nullptr);
    EXPECT_FALSE(HotkeyHeldElsewhere(kCtrlOne));
    EXPECT_FALSE(StoredSetting(L"OptionShown").has_value());
    ASSERT_TRUE(CloseDialog(options));

    // The defaults stay in memory: only the program path and the first-run mark are stored.
    ASSERT_TRUE(WaitUntil([] { return StoredSetting(L"OptionShown") == 1u; }));
    std::vector<std::wstring> names = SettingValueNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Filepath", L"OptionShown"}));
    EXPECT_EQ(StoredText(L"Filepath"), VistrelExePath());
    EXPECT_FALSE(ReadString(kRunKeyPath, L"Vistrel").has_value());

    // Working hotkeys although the dialog was cancelled; no live zoom without a magnifier.
    ExpectTheBreakHotkeyAnswers();
    EXPECT_TRUE(HotkeyHeldElsewhere(kCtrlOne));
    EXPECT_TRUE(HotkeyHeldElsewhere(kCtrlTwo));
    EXPECT_TRUE(HotkeyHeldElsewhere(kCtrlThree));
    EXPECT_FALSE(HotkeyHeldElsewhere(kCtrlFour));

    const WindowThread other([] { // another program's edit box
        HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200,
                                    600, 200, nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(edit);
        return edit;
    });
    ClickOn(other.window);
    ASSERT_TRUE(WaitUntil([&] { return HasKeyboardFocus(other.window); }));
    for (const WORD digit : {'1', '2', '3', '4'}) {
        PressKey(digit, {VK_SHIFT});
    }
    EXPECT_TRUE(WaitUntil([&] { return WindowText(other.window) == L"!@#$"; }));
    EXPECT_FALSE(Shown());
}

TEST_F(Startup, ATakenHotkeyIsNamedAndLaterStartsHandOverToOneOptionsDialogRaisedTopmost) {
    ASSERT_TRUE(HoldHotkey(kCtrlOne, 1));
    Start();
    HWND box = WaitForDialog(Id(), 10000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ReadDialog(box).caption, L"Information"); // its text: the Windows layer's test
    DismissDialog(box);
    ASSERT_TRUE(WaitUntil([box] { return !IsWindow(box); }));
    ASSERT_NE(mainWindow = WaitForMainWindow(Id()), nullptr);
    ExpectTheBreakHotkeyAnswers();
    EXPECT_TRUE(NoDialogWithin(Id(), 300)) << "one box: the others registered";
    EXPECT_TRUE(HotkeyHeldElsewhere(kCtrlTwo));
    UnregisterHotKey(nullptr, 1);

    ASSERT_NE(OpenTrayMenu(), nullptr);
    PressKey('O'); // "&Options"
    HWND dialog = WaitForOptionsDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(HotkeyHeldElsewhere(kCtrlTwo)) << "the hotkeys are off while it is open";
    // A second start finds it open (no second dialog is made that it could find instead):
    // still one, raised topmost by the second start before it ends.
    VistrelProcess second;
    second.Start();
    EXPECT_EQ(second.WaitForExit(5000), 0u);
    EXPECT_TRUE(BecomesTopmost(dialog));
    EXPECT_TRUE(WaitUntil([dialog] { return GetForegroundWindow() == dialog; }));
    EXPECT_TRUE(WaitUntil([this] { return Idle(); }));
    EXPECT_EQ(OptionsDialogsOf(Id()), std::vector<HWND>{dialog});
    // Cancel registers the hotkeys again, now that Ctrl+1 is free.
    ASSERT_TRUE(CloseDialog(dialog));
    ExpectTheBreakHotkeyAnswers();
    EXPECT_TRUE(HotkeyHeldElsewhere(kCtrlOne));

    // With no dialog open a start hands over (command 1004) and ends: five looks for the
    // dialog, 100 ms apart.
    const ULONGLONG started = GetTickCount64();
    VistrelProcess third;
    third.Start();
    EXPECT_EQ(third.WaitForExit(5000), 0u);
    EXPECT_LT(GetTickCount64() - started, 3000u);
    EXPECT_EQ(WaitForMainWindow(third.Id(), 0), nullptr);
    dialog = WaitForOptionsDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(BecomesTopmost(dialog));
    EXPECT_TRUE(CloseDialog(dialog));
}

// A hotkey stored before Ctrl+1 became the default stays as it was stored; in the dialog a key
// that would type (alone or with Shift) becomes Ctrl plus that key.
TEST_F(Startup, StoredHotkeysStayAKeyThatTypesBecomesCtrlPlusItAtOkAndTheClearSwitchRemovesAll) {
    // Shift+1, no break hotkey, and Shift+Alt+5, stored: registered anyway.
    WriteSettings({{L"HotkeyZoom", 0x131}, {L"HotkeyBreak", 0}, {L"HotkeyLivezoom", 0x535}});
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    EXPECT_TRUE(HotkeyHeldElsewhere(0x131));
    EXPECT_FALSE(HotkeyHeldElsewhere(kCtrlOne));
    EXPECT_TRUE(HotkeyHeldElsewhere(0x535));

    HWND dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    HWND zoomKey = DescendantOf(dialog, IDC_ZOOM_HOTKEY);
    ASSERT_NE(zoomKey, nullptr);
    const auto keyShown = [&] { return SendMessageW(zoomKey, HKM_GETHOTKEY, 0, 0); };
    EXPECT_EQ(keyShown(), 0x131);
    ClickOn(zoomKey);
    ASSERT_TRUE(WaitUntil([&] { return HasFocus(zoomKey); }));
    PressKey('Q');
    EXPECT_TRUE(WaitUntil([&] { return keyShown() == 0x251; }));
    PressKey('W', {VK_SHIFT});
    EXPECT_TRUE(WaitUntil([&] { return keyShown() == 0x257; }));
    ASSERT_TRUE(CloseDialog(dialog, IDOK));
    EXPECT_EQ(StoredSetting(L"HotkeyZoom"), 0x257u);

    ASSERT_TRUE(WaitUntil([] { return GetForegroundWindow() != nullptr; }));
    ASSERT_TRUE(HotkeyShows('W'));
    EXPECT_TRUE(Escape());

    // The clear switch removes everything, also while an instance runs.
    WriteString(L"Left", L"by another tool",
                (std::wstring(kVendorKeyPath) + L"\\Other\\Deeper").c_str());
    WriteString(L"Vistrel", L"\"Z:\\Vistrel64.exe\"", kRunKeyPath);

    VistrelProcess clearing;
    clearing.Start(L"/ClearReg");
    HWND box = WaitForDialog(clearing.Id(), 10000);
    ASSERT_NE(box, nullptr);
    const DialogSnapshot shown = ReadDialog(box);
    EXPECT_EQ(shown.caption, L"Vistrel");
    EXPECT_EQ(shown.Text(), L"Configurations were removed from registry.");
    EXPECT_EQ(WaitForMainWindow(clearing.Id(), 0), nullptr) << "no hand-over, no window";
    DismissDialog(box);
    EXPECT_EQ(clearing.WaitForExit(5000), 1u);

    HKEY vendor = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kVendorKeyPath, 0, KEY_READ, &vendor),
              ERROR_SUCCESS);
    EXPECT_FALSE(ReadString(kRunKeyPath, L"Vistrel").has_value());
    EXPECT_TRUE(Running());
}

} // namespace
