// End to end: languages in the real program. The options dialog's language button switches to
// the built-in Simplified Chinese and reopens the dialog translated; the tray menu follows, and
// so does a new start from the stored choice. A "*.lang" file still loads after a file dialog moved the current directory. Menus of
// another process cannot be read, so the program's menu is compared, pixel for pixel, with menus
// built here from the expected texts.
#include <atomic>
#include <string>
#include <vector>

#include "e2e/program_test.h"

#include "res/options_controls.h"

namespace {

// The tray menu's items; none for a separator.
using MenuItems = std::vector<const wchar_t*>;
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
    // The real tray menu's picture.
    Screenshot TrayMenu() {
        HWND popup = OpenTrayMenu(mainWindow);
        EXPECT_NE(popup, nullptr);
        if (popup == nullptr) {
            return {};
        }
        Screenshot picture = Picture(popup);
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([this] {
            return TopLevelWindowsOf(vistrel.Id(), L"#32768", true).empty();
        })) << "the tray menu stayed open after Escape";
        return picture;
    }
    // Opens the options, picks the language menu's entry `entry` (1 English, 2 the built-in
    // Chinese, then the files') and returns the dialog reopened in it.
    HWND ChooseLanguage(int entry) {
        PostCommand(mainWindow, kOptionsCommand);
        HWND dialog = WaitForOptionsDialog(vistrel);
        EXPECT_NE(dialog, nullptr) << "no options dialog";
        ClickOn(GetDlgItem(dialog, IDC_LANGUAGE_BUTTON));
        EXPECT_TRUE(WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }))
            << "the language menu did not show";
        for (int i = 0; i < entry; ++i) {
            PressKey(VK_DOWN);
        }
        PressKey(VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }))
            << "the options dialog stayed after the language was chosen";
        HWND reopened = WaitForOptionsDialog(vistrel);
        EXPECT_NE(reopened, dialog);
        return reopened;
    }
    void Cancel(HWND dialog) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitUntil([dialog] { return !IsWindow(dialog); }))
            << "the options dialog stayed after Cancel";
    }
};

TEST_F(Language, TheLanguageButtonReopensTheOptionsInChineseAndTheTrayMenuFollowsAfterARestartToo) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    HWND chinese = ChooseLanguage(2);
    ASSERT_NE(chinese, nullptr);
    EXPECT_EQ(ControlText(GetDlgItem(chinese, IDCANCEL)), L"取消");
    EXPECT_EQ(ControlText(DescendantOf(chinese, IDC_ZOOM_HOTKEY_LABEL)), L"放大快捷键：");

    Cancel(chinese);
    const Screenshot chineseTray = ReferenceMenu(kChineseTray);
    EXPECT_EQ(TrayMenu(), chineseTray);
    ExitProgram();
    ASSERT_NO_FATAL_FAILURE(StartProgram()); // from the stored choice
    EXPECT_EQ(TrayMenu(), chineseTray);
}

} // namespace
