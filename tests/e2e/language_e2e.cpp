// End to end: languages in the real program. The options dialog's language button switches to
// the built-in Simplified Chinese and reopens the dialog translated (every page and the font
// dialog are kept as pictures); the tray menu follows, and so does a new start from the stored
// choice. A "*.lang" file still loads after a file dialog moved the current directory. Menus of
// another process cannot be read, so the program's menu is compared, pixel for pixel, with menus
// built here from the expected texts.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/program_test.h"

#include <commctrl.h>

#include "res/options_controls.h"

namespace {

// The tray menu's items; none for a separator.
using MenuItems = std::vector<const wchar_t*>;
const MenuItems kEnglishTray = {L"&Options", nullptr, L"&Break Timer", L"&Draw",
                                L"&Zoom",    nullptr, L"E&xit"};
const MenuItems kChineseTray = {L"选项(&O)", nullptr, L"休息计时器(&B)", L"绘制(&D)",
                                L"放大(&Z)", nullptr, L"退出(&X)"};

// What a window shows once the screen has settled.
Screenshot Picture(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    const Screenshot shot = CaptureSettledScreen();
    Screenshot picture = {rect.right - rect.left, rect.bottom - rect.top, {}};
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            picture.pixels.push_back(shot.At(x, y));
        }
    }
    return picture;
}

// Shows a popup menu of `items` here, at the cursor as the tray menu opens, and takes its
// picture.
Screenshot ReferenceMenu(const MenuItems& items) {
    HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 1,
                                 1, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(owner);
    HMENU menu = CreatePopupMenu();
    UINT id = 0;
    for (const wchar_t* item : items) {
        AppendMenuW(menu, item != nullptr ? MF_STRING : MF_SEPARATOR, ++id, item);
    }
    Screenshot picture;
    std::atomic<bool> returned = false;
    std::thread reader([&] {
        if (HWND popup = WaitForWindowOf(GetCurrentProcessId(), L"#32768")) {
            picture = Picture(popup);
            PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
            return;
        }
        ADD_FAILURE() << "the reference menu did not show within 5 s";
        // Ends the menu's modal loop (DefWindowProc's WM_CANCELMODE), or waits it out.
        WaitUntil([&] { return returned || !PostMessageW(owner, WM_CANCELMODE, 0, 0); });
    });
    POINT cursor = {};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu, 0, cursor.x, cursor.y, 0, owner, nullptr);
    returned = true;
    reader.join();
    DestroyMenu(menu);
    DestroyWindow(owner);
    return picture;
}

class Language : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        MoveMouseTo(600, 400);
    }
    // The real tray menu's picture, kept as NAME.png too.
    Screenshot TrayMenu(const wchar_t* name) {
        HWND popup = OpenTrayMenu(mainWindow);
        EXPECT_NE(popup, nullptr);
        if (popup == nullptr) {
            return {};
        }
        Screenshot picture = Picture(popup);
        KeepScreenshot(name, picture);
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([this] {
            return TopLevelWindowsOf(vistrel.Id(), L"#32768", true).empty();
        })) << "the tray menu stayed open after Escape";
        return picture;
    }
    // Steps the tab control to page `index` with the arrow keys; the first call clicks the first
    // tab to give it the focus (once: a second click there would count as a double click).
    void ShowPage(HWND dialog, int index) {
        constexpr int kMarkers[6] = {IDC_ZOOM_HELP,  IDC_LIVEZOOM_HELP1, IDC_DRAW_HELP1,
                                     IDC_TYPE_HELP1, IDC_BREAK_HELP,     IDC_DONATE_TEXT1};
        HWND tabs = GetDlgItem(dialog, IDC_PAGE_TABS);
        if (!HasFocus(tabs)) {
            ClickOn(tabs, 12, 8);
            ASSERT_TRUE(WaitUntil([&] { return HasFocus(tabs); })) << "the tabs took no focus";
            MoveMouseTo(5, 5); // out of the pictures
        }
        auto current = [&] { return static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)); };
        while (current() != index) {
            const int before = current();
            PressKey(before < index ? VK_RIGHT : VK_LEFT);
            ASSERT_TRUE(WaitUntil([&] { return current() != before; }))
                << "an arrow key left the tab control on page " << before;
        }
        ASSERT_TRUE(WaitUntil([&] {
            return IsWindowVisible(DescendantOf(dialog, kMarkers[index]));
        })) << "page "
            << index << " did not show";
        ASSERT_TRUE(WaitUntil([this] { return vistrel.Idle(); })) << "the program stayed busy";
    }
};

TEST_F(Language, TheLanguageButtonReopensTheOptionsInChineseAndTheTrayMenuFollowsAfterARestartToo) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    PostCommand(mainWindow, kOptionsCommand);
    HWND dialog = WaitForOptionsDialog(vistrel);
    ASSERT_NE(dialog, nullptr);
    ClickOn(GetDlgItem(dialog, IDC_LANGUAGE_BUTTON));
    ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }))
        << "the language menu did not show";
    PressKey(VK_DOWN);
    PressKey(VK_DOWN); // the second entry: the built-in Simplified Chinese
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }))
        << "the options dialog stayed after the language was chosen";
    HWND chinese = WaitForOptionsDialog(vistrel);
    ASSERT_NE(chinese, nullptr);
    EXPECT_NE(chinese, dialog);
    EXPECT_EQ(ControlText(GetDlgItem(chinese, IDCANCEL)), L"取消");
    EXPECT_EQ(ControlText(DescendantOf(chinese, IDC_ZOOM_HOTKEY_LABEL)), L"放大快捷键：");

    // Every translated page shows, and the font dialog from the Type page.
    constexpr const wchar_t* kPages[6] = {L"zoom", L"livezoom", L"draw",
                                          L"type", L"break",    L"donate"};
    for (int index = 0; index < 6; ++index) {
        ASSERT_NO_FATAL_FAILURE(ShowPage(chinese, index));
        KeepScreenshot(std::wstring(L"options-zh-") + kPages[index], Picture(chinese));
    }
    ASSERT_NO_FATAL_FAILURE(ShowPage(chinese, 3));
    ClickOn(DescendantOf(chinese, IDC_SET_FONT));
    HWND font = WaitForNewDialog(vistrel.Id(), {chinese});
    ASSERT_NE(font, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == font && vistrel.Idle(); }))
        << "the font dialog did not come to the front";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(font, IDC_FONT_SIZES)));
    KeepScreenshot(L"font-zh", Picture(font));
    PostMessageW(font, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([font] { return !IsWindow(font); })) << "the font dialog stayed";
    PostMessageW(chinese, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([chinese] { return !IsWindow(chinese); }))
        << "the options dialog stayed after Cancel";

    const Screenshot chineseTray = ReferenceMenu(kChineseTray);
    const Screenshot tray = TrayMenu(L"tray-menu-zh");
    EXPECT_EQ(tray, chineseTray);
    EXPECT_NE(tray, ReferenceMenu(kEnglishTray));
    ExitProgram();
    ASSERT_NO_FATAL_FAILURE(StartProgram()); // from the stored choice
    EXPECT_EQ(TrayMenu(L"tray-menu-zh-restarted"), chineseTray);
}

// The file dialogs move the program's current directory; a "*.lang" language chosen afterwards
// still loads from the folder the catalogue found it in, and `Lang` keeps the bare file name.
TEST_F(Language, AFileLanguageChosenAfterTheSaveDialogChangedFolderStillLoads) {
    const std::wstring started = TempPath(L"vistrel-lang-started");
    const std::wstring saved = TempPath(L"vistrel-lang-saved");
    CreateDirectoryW(started.c_str(), nullptr);
    CreateDirectoryW(saved.c_str(), nullptr);
    const std::wstring shot = saved + L"\\shot.png";
    DeleteFileW(shot.c_str());
    std::ofstream(std::filesystem::path(started + L"\\test.lang"), std::ios::binary)
        << "<Localization><Language id='1036' name='French'>"
           "<Section name='Options'><Control id='2' class='Button'>Annuler</Control></Section>"
           "</Language></Localization>";
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(started.c_str()));
    StartProgram(); // in the folder of the file, as a presenter who keeps it beside the program
    SetCurrentDirectoryW(previous);
    ASSERT_NE(mainWindow, nullptr);

    // Save: the dialog goes into the other folder, as the presenter browses there, then saves.
    PressDrawHotkey();
    ASSERT_TRUE(WaitForKeys()) << "no drawing to save";
    PressWithCtrl('S');
    HWND save = WaitForDialog(vistrel.Id(), 10000);
    ASSERT_NE(save, nullptr) << "no save dialog";
    HWND nameBox = FindWindowExW(GetDlgItem(save, 1148), nullptr, L"ComboBox", nullptr);
    HWND name = FindWindowExW(nameBox, nullptr, L"Edit", nullptr);
    // Going into a folder puts a new file view in the dialog. A name sent before that would be
    // saved where the dialog started: a sent message overtakes the posted OK.
    HWND view = FindWindowExW(save, nullptr, L"SHELLDLL_DefView", nullptr);
    SendMessageW(name, WM_SETTEXT, 0, LPARAM(saved.c_str()));
    PostMessageW(save, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] {
        HWND now = FindWindowExW(save, nullptr, L"SHELLDLL_DefView", nullptr);
        return IsWindow(save) && now != nullptr && now != view;
    })) << "the save dialog did not go into the other folder";
    SendMessageW(name, WM_SETTEXT, 0, LPARAM(L"shot.png"));
    PostMessageW(save, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil(
        [&] { return GetFileAttributesW(shot.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000))
        << "the save dialog did not save into the folder it went to";
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(save); })) << "the save dialog stayed";
    ASSERT_TRUE(Escape()) << "the drawing did not end";

    PostCommand(mainWindow, kOptionsCommand);
    HWND dialog = WaitForOptionsDialog(vistrel);
    ASSERT_NE(dialog, nullptr) << "no options dialog";
    ClickOn(GetDlgItem(dialog, IDC_LANGUAGE_BUTTON));
    ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }))
        << "the language menu did not show";
    for (int entry = 0; entry < 3; ++entry) { // English, the built-in Chinese, then the file
        PressKey(VK_DOWN);
    }
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }))
        << "the options dialog stayed after the language was chosen";
    HWND french = WaitForOptionsDialog(vistrel);
    ASSERT_NE(french, nullptr) << "the options dialog did not reopen";
    EXPECT_EQ(ControlText(GetDlgItem(french, IDCANCEL)), L"Annuler");
    wchar_t stored[302] = {}; // the 604 bytes of Lang: the file's name comes first
    DWORD size = sizeof stored;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kTestSettingsKey, L"Lang", RRF_RT_REG_BINARY, nullptr,
                           stored, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 604u);
    EXPECT_EQ(std::wstring(stored), L"test.lang");
    PostMessageW(french, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([french] { return !IsWindow(french); }))
        << "the options dialog stayed after Cancel";
    DeleteFileW(shot.c_str());
    DeleteFileW((started + L"\\test.lang").c_str());
}

} // namespace
