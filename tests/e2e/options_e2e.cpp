// End to end: the options dialog in the real program: opened from the tray menu and by a second
// start (one dialog, raised topmost), a plain letter in a hotkey control, a changed zoom hotkey
// at work after OK, the switch to Simplified Chinese, and pictures of every page and of the font
// dialog in both languages.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "e2e/program_test.h"
#include "res/options_controls.h"
#include "res/product.h"

namespace {

constexpr UINT kTrayNotifyMessage = 1124;
constexpr uint32_t kOptionsCommand = 1004;
const wchar_t* const kTitle = L"" VISTREL_OPTIONS_TITLE;

// The visible options dialogs of a process.
std::vector<HWND> OptionsDialogsOf(DWORD processId) {
    std::vector<HWND> found;
    for (HWND dialog : TopLevelWindowsOf(processId, L"#32770", true)) {
        wchar_t title[64] = {};
        GetWindowTextW(dialog, title, 64);
        if (std::wstring(title) == kTitle) {
            found.push_back(dialog);
        }
    }
    return found;
}

std::wstring Text(HWND window) {
    wchar_t text[256] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return text;
}

// True when `control` has the keyboard focus of its thread, in another process too.
bool Focused(HWND control) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(control, nullptr), &info) &&
           info.hwndFocus == control;
}

// Keeps the screen once the picture has settled: other processes' drawing reaches the screen a
// little after they went idle, so two captures in a row must agree.
void KeepSettledScreenshot(const std::wstring& name) {
    CaptureSettledScreen();
    KeepScreenshot(name);
}

void ClickAt(int x, int y) {
    MoveMouseTo(x, y);
    PressLeft(x, y);
    ReleaseLeft(x, y);
}

void ClickOn(HWND control, int dx = -1, int dy = -1) {
    RECT rect;
    GetWindowRect(control, &rect);
    ClickAt(dx < 0 ? (rect.left + rect.right) / 2 : rect.left + dx,
            dy < 0 ? (rect.top + rect.bottom) / 2 : rect.top + dy);
}

void PressWith(WORD modifier, WORD key) {
    INPUT inputs[4] = {};
    const WORD keys[4] = {modifier, key, key, modifier};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, inputs, sizeof(INPUT));
}

class Options : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // Chinese glyphs for the dialog font, in this test's own copy of the prefix only (see
        // tests/support/wine-prefix); the program reads the link when it starts.
        constexpr wchar_t kLink[] = L"wqy-microhei.ttc,WenQuanYi Micro Hei\0";
        ASSERT_EQ(RegSetKeyValueW(
                      HKEY_LOCAL_MACHINE,
                      L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink",
                      L"Tahoma", REG_MULTI_SZ, kLink, sizeof kLink),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        for (HWND dialog : OptionsDialogsOf(vistrel.Id())) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        ProgramTest::TearDown();
    }
    HWND WaitForOptions() {
        HWND dialog = nullptr;
        // Shown and in front early in its set-up: ready once the version line, written after
        // the pages are built and the hotkeys released, shows and the program waits for input.
        WaitUntil([&] {
            const auto dialogs = OptionsDialogsOf(vistrel.Id());
            dialog = dialogs.size() == 1 ? dialogs[0] : nullptr;
            return dialog != nullptr && GetForegroundWindow() == dialog &&
                   !Text(GetDlgItem(dialog, IDC_VERSION_LINE)).empty() &&
                   WaitForInputIdle(vistrel.info.hProcess, 0) == 0;
        });
        return dialog;
    }
    void Close(HWND dialog, int button) {
        PostMessageW(dialog, WM_COMMAND, button, 0);
        ASSERT_TRUE(WaitUntil([dialog] { return !IsWindow(dialog); }));
    }
    // Steps the tab control to page `index` with the arrow keys; the first call clicks the first
    // tab to give it the focus (once: a second click there would count as a double click).
    void ShowPage(HWND dialog, int index) {
        HWND tabs = GetDlgItem(dialog, IDC_PAGE_TABS);
        if (!Focused(tabs)) {
            ClickOn(tabs, 12, 8);
            ASSERT_TRUE(WaitUntil([&] { return Focused(tabs); }));
        }
        auto current = [&] { return static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)); };
        while (current() != index) {
            const int before = current();
            PressKey(before < index ? VK_RIGHT : VK_LEFT);
            ASSERT_TRUE(WaitUntil([&] { return current() != before; }));
        }
        ASSERT_TRUE(
            WaitUntil([&] { return IsWindowVisible(DescendantOf(dialog, PageMarker(index))); }));
    }
    static int PageMarker(int index) {
        constexpr int kMarkers[6] = {IDC_ZOOM_HELP,  IDC_LIVEZOOM_HELP1, IDC_DRAW_HELP1,
                                     IDC_TYPE_HELP1, IDC_BREAK_HELP,     IDC_DONATE_TEXT1};
        return kMarkers[index];
    }
    // Pictures of the six pages and of the font dialog, named after `language`.
    void KeepPictures(HWND dialog, const std::wstring& language) {
        constexpr const wchar_t* kNames[6] = {L"zoom", L"livezoom", L"draw",
                                              L"type", L"break",    L"donate"};
        for (int index = 0; index < 6; ++index) {
            ASSERT_NO_FATAL_FAILURE(ShowPage(dialog, index));
            MoveMouseTo(5, 5);
            ASSERT_TRUE(WaitUntil([&] { return WaitForInputIdle(vistrel.info.hProcess, 0) == 0; }));
            KeepSettledScreenshot(L"options-" + language + L"-" + kNames[index]);
        }
        ASSERT_NO_FATAL_FAILURE(ShowPage(dialog, 3));
        ClickOn(DescendantOf(dialog, IDC_SET_FONT));
        HWND chooser = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            for (HWND box : TopLevelWindowsOf(vistrel.Id(), L"#32770", true)) {
                if (box != dialog) {
                    chooser = box;
                }
            }
            return chooser != nullptr && GetForegroundWindow() == chooser &&
                   WaitForInputIdle(vistrel.info.hProcess, 0) == 0;
        }));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(chooser, IDC_FONT_SIZES)));
        KeepSettledScreenshot(L"font-" + language);
        Close(chooser, IDCANCEL);
    }
};

TEST_F(Options, TheTrayMenuAndASecondStartShowOneDialogRaisedTopmost) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PostMessageW(mainWindow, kTrayNotifyMessage, 1, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([this] { return GetForegroundWindow() == mainWindow; }));
    PostMessageW(mainWindow, kTrayNotifyMessage, 1, WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
    PressKey('O');
    HWND dialog = WaitForOptions();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(HotkeyHeldElsewhere(0x131)); // the hotkeys are off while it is open

    VistrelProcess second = StartVistrel();
    EXPECT_EQ(second.WaitForExit(5000), 0u);
    // Raising another process's window completes in that process, after the second start ended.
    EXPECT_TRUE(
        WaitUntil([dialog] { return (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));
    EXPECT_TRUE(WaitUntil([dialog] { return GetForegroundWindow() == dialog; }));
    EXPECT_TRUE(WaitUntil([this] { return WaitForInputIdle(vistrel.info.hProcess, 0) == 0; }));
    EXPECT_EQ(OptionsDialogsOf(vistrel.Id()), std::vector<HWND>{dialog});

    ASSERT_NO_FATAL_FAILURE(Close(dialog, IDCANCEL));
    EXPECT_TRUE(WaitUntil([] { return HotkeyHeldElsewhere(0x131); }));
}

TEST_F(Options, APlainLetterBecomesAltPlusItAndTheNewZoomHotkeyWorksAfterOk) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PostCommand(mainWindow, kOptionsCommand);
    HWND dialog = WaitForOptions();
    ASSERT_NE(dialog, nullptr);
    HWND zoomKey = DescendantOf(dialog, IDC_ZOOM_HOTKEY);
    ASSERT_NE(zoomKey, nullptr);
    EXPECT_EQ(SendMessageW(zoomKey, HKM_GETHOTKEY, 0, 0), 0x131);
    ClickOn(zoomKey);
    ASSERT_TRUE(WaitUntil([&] { return Focused(zoomKey); }));
    PressKey('Q');
    EXPECT_TRUE(WaitUntil([&] { return SendMessageW(zoomKey, HKM_GETHOTKEY, 0, 0) == 0x451; }));
    ASSERT_NO_FATAL_FAILURE(Close(dialog, IDOK));
    EXPECT_EQ(ReadSettingDword(L"HotkeyZoom"), 0x451u);

    ASSERT_TRUE(WaitUntil([] { return GetForegroundWindow() != nullptr; }));
    PressShifted('1'); // the old combination does nothing any more
    EXPECT_FALSE(WaitUntil([this] { return IsWindowVisible(mainWindow); }, 500));
    PressWith(VK_MENU, 'Q');
    ASSERT_TRUE(WaitUntil([this] { return IsWindowVisible(mainWindow); }));
    ASSERT_TRUE(WaitUntil([this] { return HasKeyboardFocus(mainWindow); }));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([this] { return !IsWindowVisible(mainWindow); }));
}

TEST_F(Options, TheLanguageButtonReopensTheDialogInChineseAndEveryPageShowsWhole) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PostCommand(mainWindow, kOptionsCommand);
    HWND dialog = WaitForOptions();
    ASSERT_NE(dialog, nullptr);
    ASSERT_NO_FATAL_FAILURE(KeepPictures(dialog, L"en"));

    ClickOn(GetDlgItem(dialog, IDC_LANGUAGE_BUTTON));
    ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
    PressKey(VK_DOWN);
    PressKey(VK_DOWN); // the second entry: the built-in Simplified Chinese
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
    HWND chinese = WaitForOptions();
    ASSERT_NE(chinese, nullptr);
    EXPECT_NE(chinese, dialog);
    EXPECT_EQ(Text(GetDlgItem(chinese, IDCANCEL)), L"取消");
    EXPECT_EQ(Text(DescendantOf(chinese, IDC_ZOOM_HOTKEY_LABEL)), L"放大快捷键：");
    ASSERT_NO_FATAL_FAILURE(KeepPictures(chinese, L"zh"));
}

} // namespace
