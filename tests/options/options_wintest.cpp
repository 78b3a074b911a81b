// The real options dialog over the real main window: what OK stores and registers, the conflict
// rule, what Cancel puts back, the minutes field and the single open dialog.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/options_dialog.h"
#include "options/options_state.h"
#include "res/options_controls.h"
#include "res/resource_ids.h"
#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "support/dialog_runner.h"
#include "support/main_window_fixture.h"
#include "support/wait_until.h"
#include "zoom/app_state.h"

namespace {

class OptionsDialog : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(CreateMain());
    }
    void TearDown() override {
        if (IsWindow(dialog)) {
            DestroyWindow(dialog);
        }
        app.optionsDialog = nullptr;
        MainWindowTest::TearDown();
    }
    // The dialog as command 1004 builds it, but modeless so the test keeps its thread.
    void Open() {
        dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OPTIONS),
                                    window, OptionsDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(app.optionsDialog, dialog);
    }
    HWND Item(OptionPage page, int control) { return GetDlgItem(OptionPageWindow(page), control); }
    void SetHotkey(OptionPage page, int control, WPARAM value) {
        SendMessageW(Item(page, control), HKM_SETHOTKEY, value, 0);
    }
    void Press(int button) { boxes = SendAnsweringBoxes(dialog, button); }
    bool Closed() { return !IsWindowVisible(dialog) && app.optionsDialog == nullptr; }
    HWND dialog = nullptr;
};

TEST_F(OptionsDialog, OkWritesTheTwelveValuesAndRegistersTheNewHotkeys) {
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_FALSE(HotkeyHeld(MOD_SHIFT, '1')); // off while the dialog is open
    EXPECT_FALSE(HotkeyHeld(MOD_SHIFT, '3'));
    SetHotkey(OptionPage::Zoom, IDC_ZOOM_HOTKEY, MAKEWORD('Q', HOTKEYF_CONTROL | HOTKEYF_ALT));
    CheckDlgButton(OptionPageWindow(OptionPage::Zoom), IDC_ANIMATE_ZOOM, BST_UNCHECKED);
    SendMessageW(Item(OptionPage::Zoom, IDC_ZOOM_LEVEL), TBM_SETPOS, TRUE, 5);
    SetHotkey(OptionPage::Break, IDC_BREAK_HOTKEY, 0); // no break hotkey
    SetWindowTextW(Item(OptionPage::Break, IDC_BREAK_MINUTES), L"25");
    CheckDlgButton(OptionPageWindow(OptionPage::Break), IDC_BREAK_USE_PEN_COLOR, BST_UNCHECKED);
    CheckDlgButton(OptionPageWindow(OptionPage::Break), IDC_BREAK_USE_COLOR, BST_CHECKED);
    optionsState.workingBreakColor = 0x00C08040;
    CheckDlgButton(dialog, IDC_SHOW_TRAY_ICON, BST_UNCHECKED);

    Press(IDOK);
    EXPECT_TRUE(boxes.empty());
    ASSERT_TRUE(Closed());
    // The registry lists values by name; the order of the writes is checked natively.
    EXPECT_EQ(SettingValueNames(),
              (std::vector<std::wstring>{
                  L"AnimateZoom", L"BreakFontColor", L"BreakTimeout", L"BreakUsePenColor", L"Font",
                  L"HotkeyBreak", L"HotkeyDraw", L"HotkeyLivezoom", L"HotkeyZoom", L"OptionShown",
                  L"ShowExpiredTime", L"ShowTrayIcon", L"ZoominSliderLevel"}));
    EXPECT_EQ(StoredSetting(L"ShowTrayIcon"), 0u);
    EXPECT_EQ(StoredSetting(L"HotkeyZoom"), 0x651u); // Ctrl+Alt+Q
    EXPECT_EQ(StoredSetting(L"AnimateZoom"), 0u);
    EXPECT_EQ(StoredSetting(L"ZoominSliderLevel"), 5u);
    EXPECT_EQ(StoredSetting(L"HotkeyDraw"), 0x132u);
    EXPECT_EQ(StoredSetting(L"HotkeyBreak"), 0u);
    EXPECT_EQ(StoredSetting(L"BreakTimeout"), 25u);
    EXPECT_EQ(StoredSetting(L"BreakFontColor"), 0x00C08040u);
    EXPECT_EQ(StoredSetting(L"BreakUsePenColor"), 0u);
    EXPECT_TRUE(HotkeyHeld(MOD_CONTROL | MOD_ALT, 'Q'));
    EXPECT_FALSE(HotkeyHeld(MOD_SHIFT, '1'));
    EXPECT_TRUE(HotkeyHeld(MOD_SHIFT, '2'));
    EXPECT_FALSE(HotkeyHeld(MOD_SHIFT, '3')); // 0 is never registered
}

TEST_F(OptionsDialog, AConflictLeavesAllHotkeysOffAndTheDialogOpenUntilAFreeKeyIsChosen) {
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_TRUE(RegisterHotKey(nullptr, kHeldElsewhere, MOD_SHIFT, '2')); // the draw default
    Press(IDOK);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Information");
    EXPECT_NE(boxes[0].Text().find(L"is already in use."), std::wstring::npos);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(app.optionsDialog, dialog);
    EXPECT_FALSE(HotkeyHeld(MOD_SHIFT, '1')); // zoom was registered, then taken off again
    EXPECT_FALSE(HotkeyHeld(MOD_SHIFT, '3'));
    EXPECT_FALSE(StoredSetting(L"HotkeyZoom").has_value());

    SetHotkey(OptionPage::Draw, IDC_DRAW_HOTKEY, MAKEWORD('D', HOTKEYF_ALT));
    Press(IDOK);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(Closed());
    EXPECT_EQ(StoredSetting(L"HotkeyDraw"), 0x444u);
    EXPECT_TRUE(HotkeyHeld(MOD_SHIFT, '1'));
    EXPECT_TRUE(HotkeyHeld(MOD_ALT, 'D'));
    EXPECT_TRUE(HotkeyHeld(MOD_SHIFT, '3'));
}

TEST_F(OptionsDialog, CancelPutsTheOldHotkeysBackQuietlyAndStoresNothing) {
    ASSERT_NO_FATAL_FAILURE(Open());
    SetHotkey(OptionPage::Zoom, IDC_ZOOM_HOTKEY, MAKEWORD('Z', HOTKEYF_ALT));
    optionsState.workingBreakColor = 0x00123456;
    ASSERT_TRUE(RegisterHotKey(nullptr, kHeldElsewhere, MOD_SHIFT, '3')); // taken meanwhile
    Press(IDCANCEL);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(Closed());
    EXPECT_TRUE(HotkeyHeld(MOD_SHIFT, '1'));
    EXPECT_TRUE(HotkeyHeld(MOD_SHIFT, '2'));
    EXPECT_FALSE(HotkeyHeld(MOD_ALT, 'Z'));
    EXPECT_FALSE(UnregisterHotKey(window, 3)); // stays with the other program
    EXPECT_EQ(app.settings.BreakFontColor, 0xFFu);
    EXPECT_EQ(SettingValueNames(), std::vector<std::wstring>{L"OptionShown"});
}

TEST_F(OptionsDialog, TheMinutesFieldTakesOneToNinetyNineAndWithoutMagnificationNoLiveZoomKey) {
    ReleaseOptionalFunctions();
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_FALSE(IsWindowEnabled(Item(OptionPage::LiveZoom, IDC_LIVEZOOM_HOTKEY)));
    HWND minutes = Item(OptionPage::Break, IDC_BREAK_MINUTES);
    wchar_t text[8] = {};
    GetWindowTextW(minutes, text, 8);
    EXPECT_STREQ(text, L"10");
    EXPECT_EQ(SendMessageW(minutes, EM_GETLIMITTEXT, 0, 0), 2);
    // The up-down's arrow keys on the field stop at both ends.
    for (auto [start, key, expected] :
         {std::tuple{L"99", VK_UP, L"99"}, std::tuple{L"98", VK_UP, L"99"},
          std::tuple{L"1", VK_DOWN, L"1"}}) {
        SetWindowTextW(minutes, start);
        SendMessageW(minutes, WM_KEYDOWN, key, 0);
        SendMessageW(minutes, WM_KEYUP, key, 0);
        GetWindowTextW(minutes, text, 8);
        EXPECT_STREQ(text, expected) << start;
    }
    SetWindowTextW(minutes, L"");
    Press(IDOK);
    ASSERT_TRUE(Closed());
    EXPECT_EQ(StoredSetting(L"BreakTimeout"), 0u);
    EXPECT_EQ(StoredSetting(L"HotkeyLivezoom"), 0u);
}

// True when top-level window `upper` comes before `lower` in the z-order.
bool Above(HWND upper, HWND lower) {
    for (HWND w = GetWindow(upper, GW_HWNDNEXT); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == lower) {
            return true;
        }
    }
    return false;
}

TEST_F(OptionsDialog, ASecondOpeningRaisesTheOpenDialogToTheFrontButNotTopmost) {
    ASSERT_NO_FATAL_FAILURE(Open());
    RECT place = {};
    GetWindowRect(dialog, &place);
    HWND cover = CreateWindowExW(0, L"STATIC", L"cover", WS_POPUP | WS_VISIBLE, place.left,
                                 place.top, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(cover, nullptr);
    SetForegroundWindow(cover);
    ASSERT_TRUE(WaitUntil([cover] { return GetForegroundWindow() == cover; }));
    for (int opening = 0; opening < 2; ++opening) { // a second raise leaves it as the first did
        SendMessageW(window, WM_COMMAND, 1004, 0);  // returns at once: no second dialog
        EXPECT_EQ(app.optionsDialog, dialog);
        EXPECT_EQ(GetForegroundWindow(), dialog);
        EXPECT_FALSE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(Above(dialog, cover)) << "in front of the window that covered it";
    }
    int titled = 0;
    for (HWND w = FindWindowW(nullptr, nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        wchar_t title[64] = {};
        GetWindowTextW(w, title, 64);
        titled += std::wstring(title) == L"Vistrel -  www.tarnove.example" && IsWindow(w);
    }
    EXPECT_EQ(titled, 1);
    // Left behind, it can be covered again.
    SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(Above(cover, dialog));
    DestroyWindow(cover);
}

} // namespace
