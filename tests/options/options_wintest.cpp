// The real options dialog over the real main window: what OK stores and registers, the conflict
// rule, what Cancel puts back, the minutes field, the break colour and typing font from the real
// choosers, the header fonts, and the single open dialog raised but not left topmost.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "options/options_dialog.h"
#include "options/options_state.h"
#include "res/options_controls.h"
#include "res/resource_ids.h"
#include "settings/registry_store.h"
#include "shell/optional_functions.h"
#include "support/dialog_runner.h"
#include "support/main_window_fixture.h"
#include "support/mode_cycles.h"
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
        if (IsWindow(dialog))
            DestroyWindow(dialog);
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
    void Hotkey(OptionPage p, int id, WPARAM k) { SendMessageW(Item(p, id), HKM_SETHOTKEY, k, 0); }
    void Check(OptionPage p, int id, UINT on) { CheckDlgButton(OptionPageWindow(p), id, on); }
    void Press(int button) { boxes = SendAnsweringBoxes(dialog, button); }
    // Shows a page as a click on its tab does.
    void ShowPage(OptionPage page) {
        HWND tabs = GetDlgItem(dialog, IDC_PAGE_TABS);
        SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
        NMHDR header = {tabs, IDC_PAGE_TABS, TCN_SELCHANGE};
        SendMessageW(dialog, WM_NOTIFY, IDC_PAGE_TABS, reinterpret_cast<LPARAM>(&header));
    }
    // Clicks `button`, whose handler runs a system chooser modally on this thread, and answers
    // the chooser from another thread as a user would.
    void ClickAndAnswer(HWND button, auto answer) {
        std::thread user([&] {
            HWND chooser = WaitForOtherDialog(dialog);
            ASSERT_NE(chooser, nullptr);
            answer(chooser);
            ASSERT_TRUE(WaitUntil([chooser] { return !IsWindow(chooser); }));
        });
        SendMessageW(button, BM_CLICK, 0, 0);
        user.join();
    }
    bool Closed() { return !IsWindowVisible(dialog) && app.optionsDialog == nullptr; }
    HWND dialog = nullptr;
};

// A conflict leaves all hotkeys off and the dialog open until a free key is chosen; then OK
// writes the twelve values and registers the new hotkeys.
TEST_F(OptionsDialog, OkStoresAndRegistersOnceNoHotkeyConflicts) {
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_FALSE(HotkeyHeld(MOD_CONTROL, '1')); // off while the dialog is open
    EXPECT_FALSE(HotkeyHeld(MOD_CONTROL, '3'));
    Hotkey(OptionPage::Zoom, IDC_ZOOM_HOTKEY, MAKEWORD('Q', HOTKEYF_CONTROL | HOTKEYF_ALT));
    Check(OptionPage::Zoom, IDC_ANIMATE_ZOOM, BST_UNCHECKED);
    SendMessageW(Item(OptionPage::Zoom, IDC_ZOOM_LEVEL), TBM_SETPOS, TRUE, 5);
    Hotkey(OptionPage::Break, IDC_BREAK_HOTKEY, 0); // no break hotkey
    SetWindowTextW(Item(OptionPage::Break, IDC_BREAK_MINUTES), L"25");
    Check(OptionPage::Break, IDC_BREAK_USE_PEN_COLOR, BST_UNCHECKED);
    Check(OptionPage::Break, IDC_SHOW_EXPIRED_TIME, BST_UNCHECKED);
    Check(OptionPage::Break, IDC_BREAK_USE_COLOR, BST_CHECKED);
    optionsState.workingBreakColor = 0x00C08040;
    CheckDlgButton(dialog, IDC_SHOW_TRAY_ICON, BST_UNCHECKED);
    ASSERT_TRUE(RegisterHotKey(nullptr, kHeldElsewhere, MOD_CONTROL, '2')); // the draw default
    Press(IDOK);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Information");
    EXPECT_NE(boxes[0].Text().find(L"is already in use."), std::wstring::npos);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(app.optionsDialog, dialog);
    EXPECT_FALSE(HotkeyHeld(MOD_CONTROL | MOD_ALT, 'Q')); // registered, then taken off again
    EXPECT_EQ(SettingValueNames(), std::vector<std::wstring>{L"OptionShown"});

    Hotkey(OptionPage::Draw, IDC_DRAW_HOTKEY, MAKEWORD('D', HOTKEYF_ALT));
    Press(IDOK);
    EXPECT_TRUE(boxes.empty());
    ASSERT_TRUE(Closed());
    // The registry lists values by name; the order of the writes is checked natively.
    EXPECT_EQ(SettingValueNames(),
              (std::vector<std::wstring>{
                  L"AnimateZoom", L"BreakFontColor", L"BreakTimeout", L"BreakUsePenColor", L"Font",
                  L"HotkeyBreak", L"HotkeyDraw", L"HotkeyLivezoom", L"HotkeyZoom", L"OptionShown",
                  L"ShowExpiredTime", L"ShowTrayIcon", L"ZoominSliderLevel"}));
    const SettingDwords stored = {{L"ShowTrayIcon", 0},     {L"HotkeyZoom", 0x651},
                                  {L"AnimateZoom", 0},      {L"ZoominSliderLevel", 5},
                                  {L"HotkeyDraw", 0x444},   {L"HotkeyBreak", 0},
                                  {L"BreakTimeout", 25},    {L"BreakFontColor", 0x00C08040},
                                  {L"BreakUsePenColor", 0}, {L"ShowExpiredTime", 0}};
    ExpectStored(stored);
    EXPECT_TRUE(HotkeyHeld(MOD_CONTROL | MOD_ALT, 'Q'));
    EXPECT_TRUE(HotkeyHeld(MOD_ALT, 'D'));
    EXPECT_FALSE(HotkeyHeld(MOD_CONTROL, '1'));
    EXPECT_FALSE(HotkeyHeld(MOD_CONTROL, '3')); // 0 is never registered
}

TEST_F(OptionsDialog, CancelPutsTheOldHotkeysBackQuietlyAndStoresNothing) {
    ASSERT_NO_FATAL_FAILURE(Open());
    Hotkey(OptionPage::Zoom, IDC_ZOOM_HOTKEY, MAKEWORD('Z', HOTKEYF_ALT));
    optionsState.workingBreakColor = 0x00123456;
    ASSERT_TRUE(RegisterHotKey(nullptr, kHeldElsewhere, MOD_CONTROL, '3')); // taken meanwhile
    Press(IDCANCEL);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(Closed());
    EXPECT_TRUE(HotkeyHeld(MOD_CONTROL, '1'));
    EXPECT_TRUE(HotkeyHeld(MOD_CONTROL, '2'));
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
         {std::tuple{L"99", VK_UP, L"99"}, {L"98", VK_UP, L"99"}, {L"1", VK_DOWN, L"1"}}) {
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

// Waits for a condition while this thread's windows (the dialog) go on painting.
bool PumpUntil(auto condition) {
    return WaitUntil([&] {
        PumpMessages();
        return condition();
    });
}

// The dark pixels of "Sample" as the Type page draws it in `font` (-21 high, centred in the
// font group), or as the screen shows it, over the text's own box and a margin.
std::vector<bool> SampleMask(HWND page, LOGFONTW font, bool fromScreen) {
    RECT area = {}, text = {};
    GetWindowRect(GetDlgItem(page, IDC_FONT_GROUP), &area);
    area.top += 6;
    const int w = area.right - area.left, h = area.bottom - area.top;
    font.lfHeight = -21;
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    BITMAPINFO info = {{sizeof info.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    uint32_t* bits = nullptr;
    HGDIOBJ bitmap = SelectObject(dc, CreateDIBSection(dc, &info, 0, (void**)&bits, nullptr, 0));
    HGDIOBJ face = SelectObject(dc, CreateFontIndirectW(&font));
    RECT box = {0, 0, w, h};
    if (fromScreen) {
        BitBlt(dc, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    } else {
        FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, L"Sample", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    DrawTextW(dc, L"Sample", -1, &text, DT_CALCRECT | DT_SINGLELINE);
    GdiFlush();
    const auto dark = [](uint32_t p) {
        return std::max({p & 0xFF, p >> 8 & 0xFF, p >> 16 & 0xFF}) < 0x60;
    };
    const int top = std::max<int>(0, (h - text.bottom) / 2 - 3);
    const int left = std::max<int>(0, (w - text.right) / 2 - 3);
    std::vector<bool> mask;
    for (int y = top; y < h - top; ++y)
        for (int x = left; x < w - left; ++x)
            mask.push_back(dark(bits[y * w + x]));
    DeleteObject(SelectObject(dc, face));
    DeleteObject(SelectObject(dc, bitmap));
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return mask;
}

size_t Differing(const std::vector<bool>& a, const std::vector<bool>& b) {
    size_t count = std::max(a.size(), b.size()) - std::min(a.size(), b.size());
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        count += a[i] != b[i];
    return count;
}

// The real colour chooser sets the break colour its button shows, and opens on it again; the
// real font chooser sets the typing face its sample shows; OK stores both, not sooner.
TEST_F(OptionsDialog, TheRealChoosersSetTheBreakColourAndTypingFaceTheirPagesShowAndOkStoresThem) {
    constexpr COLORREF kChosen = RGB(0x2A, 0xB0, 0x64);
    ASSERT_NO_FATAL_FAILURE(Open());
    ShowPage(OptionPage::Break);
    HWND button = Item(OptionPage::Break, IDC_BREAK_COLOR);
    EXPECT_TRUE(PumpUntil([button] { return SwatchCentre(button) == 0xFF; })); // red at first
    ClickAndAnswer(button, [](HWND chooser) { PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(optionsState.workingBreakColor, 0xFFu) << "a cancelled chooser changes nothing";
    ClickAndAnswer(button, [](HWND chooser) { AnswerColourChooser(chooser, kChosen); });
    EXPECT_EQ(optionsState.workingBreakColor, kChosen);
    EXPECT_TRUE(PumpUntil([button] { return SwatchCentre(button) == kChosen; }));
    ClickAndAnswer(button, [](HWND chooser) {
        wchar_t red[8] = {};
        GetDlgItemTextW(chooser, kChooserRed, red, 8);
        EXPECT_STREQ(red, std::to_wstring(GetRValue(kChosen)).c_str());
        PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
    });

    ShowPage(OptionPage::Type);
    HWND page = OptionPageWindow(OptionPage::Type);
    const LOGFONTW before = optionsState.workingFont;
    auto shown = [page](const LOGFONTW& font) {
        return PumpUntil([&] {
            return Differing(SampleMask(page, font, true), SampleMask(page, font, false)) <= 10;
        });
    };
    EXPECT_TRUE(shown(before));
    // A face that draws "Sample" unlike the current one, picked in the chooser's face list.
    std::wstring chosen;
    ClickAndAnswer(Item(OptionPage::Type, IDC_SET_FONT), [&](HWND chooser) {
        HWND names = GetDlgItem(chooser, IDC_FONT_NAMES);
        for (const wchar_t* name : {L"Courier New", L"Courier", L"DejaVu Serif", L"Symbol"})
            if (int at = SendMessageW(names, CB_FINDSTRINGEXACT, -1, (LPARAM)name);
                at >= 0 && chosen.empty()) {
                chosen = name;
                SendMessageW(names, CB_SETCURSEL, at, 0);
                SendMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDC_FONT_NAMES, CBN_SELCHANGE),
                             (LPARAM)names);
            }
        PostMessageW(chooser, WM_COMMAND, IDOK, 0);
    });
    ASSERT_FALSE(chosen.empty()) << "none of the faces looked for";
    const LOGFONTW after = optionsState.workingFont;
    EXPECT_EQ(std::wstring(after.lfFaceName), chosen);
    EXPECT_GT(Differing(SampleMask(page, before, false), SampleMask(page, after, false)), 30u)
        << "the two faces draw alike: the sample could not tell them apart";
    EXPECT_TRUE(shown(after));
    EXPECT_STRNE(reinterpret_cast<const wchar_t*>(app.settings.Font.lfFaceName), chosen.c_str());
    EXPECT_FALSE(StoredSetting(L"BreakFontColor").has_value());
    Press(IDOK);
    ASSERT_TRUE(Closed());
    EXPECT_EQ(StoredSetting(L"BreakFontColor"), kChosen);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(app.settings.Font.lfFaceName), chosen.c_str());
    FontRecord stored = {};
    DWORD size = sizeof stored;
    RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyPath, L"Font", RRF_RT_REG_BINARY, nullptr, &stored,
                 &size);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(stored.lfFaceName), chosen.c_str());
}

// True when top-level window `upper` comes before `lower` in the z-order.
bool Above(HWND upper, HWND lower) {
    for (HWND w = GetWindow(upper, GW_HWNDNEXT); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
        if (w == lower)
            return true;
    return false;
}

// The header's title and link: the dialog's own font, bold and underlined, at its monitor's DPI;
// left out when the dialog manager re-fonts the controls for another monitor's scale, and made
// anew for it instead, the old font freed. A second opening raises the open dialog to the
// front, but not topmost.
std::vector<HWND> fontsKept;
TEST_F(OptionsDialog, HeaderFontsFollowTheDpiAndASecondOpeningRaisesTheDialogButNotTopmost) {
    fontsKept.clear();
    optionalFunctions.SetDialogControlDpiChangeBehavior = [](HWND control, UINT mask, UINT values) {
        if (mask == 1 && values == 1) // DCDC_DISABLE_FONT_UPDATE
            fontsKept.push_back(control);
        return TRUE;
    };
    ASSERT_NO_FATAL_FAILURE(Open());
    HWND title = GetDlgItem(dialog, IDC_PRODUCT_NAME), link = GetDlgItem(dialog, IDC_MAKER_LINK);
    EXPECT_EQ(fontsKept, (std::vector<HWND>{link, title}));
    const auto fontOf = [](HWND window) {
        LOGFONTW font = {};
        GetObjectW((HFONT)SendMessageW(window, WM_GETFONT, 0, 0), sizeof font, &font);
        return font;
    };
    const LOGFONTW dialogFont = fontOf(dialog);
    ASSERT_NE(optionalFunctions.GetDpiForWindow, nullptr);
    const UINT dpi = optionalFunctions.GetDpiForWindow(dialog);
    for (const UINT next : {dpi, dpi * 3 / 2}) {
        if (next != dpi) {
            const HFONT before = optionsState.titleFont;
            RECT suggested = {};
            GetWindowRect(dialog, &suggested);
            SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(next, next), (LPARAM)&suggested);
            EXPECT_EQ(GetObjectType(before), 0u) << "the old font stays";
        }
        const LOGFONTW shownTitle = fontOf(title), shownLink = fontOf(link);
        EXPECT_EQ(shownTitle.lfHeight, MulDiv(dialogFont.lfHeight, next, dpi)) << next;
        EXPECT_EQ(shownTitle.lfWeight, FW_BOLD);
        EXPECT_EQ(std::wstring(shownTitle.lfFaceName), dialogFont.lfFaceName);
        EXPECT_EQ(shownLink.lfHeight, shownTitle.lfHeight);
        EXPECT_TRUE(shownLink.lfUnderline);
    }

    RECT place = {};
    GetWindowRect(dialog, &place);
    HWND cover = CreateWindowExW(0, L"STATIC", L"cover", WS_POPUP | WS_VISIBLE, place.left,
                                 place.top, 400, 300, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(cover);
    ASSERT_TRUE(WaitUntil([cover] { return GetForegroundWindow() == cover; }));
    for (int opening = 0; opening < 2; ++opening) { // a second raise leaves it as the first did
        SendMessageW(window, WM_COMMAND, 1004, 0);  // returns at once: no second dialog
        EXPECT_EQ(app.optionsDialog, dialog);
        EXPECT_EQ(GetForegroundWindow(), dialog);
        EXPECT_FALSE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(Above(dialog, cover)) << "in front of the window that covered it";
    }
    const wchar_t* caption = L"Vistrel -  www.tarnove.example"; // and the only one of its kind
    EXPECT_EQ(FindWindowExW(nullptr, nullptr, L"#32770", caption), dialog);
    EXPECT_EQ(FindWindowExW(nullptr, dialog, L"#32770", caption), nullptr);
    // Left behind, it can be covered again.
    SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(Above(cover, dialog));
    DestroyWindow(cover);
}

} // namespace
