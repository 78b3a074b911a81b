// End to end: languages in the real program. The options dialog's language button switches to
// the built-in Simplified Chinese and reopens the dialog translated; the tray menu follows, and
// so does a new start from the stored choice. Menus of another process cannot be read, so the
// program's menu is compared, pixel for pixel, with menus built here from the expected texts.
#include <atomic>
#include <string>
#include <vector>

#include "e2e/program_test.h"

#include "res/options_controls.h"

namespace {

// What a window shows once the screen has settled.
Screenshot Picture(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    CaptureSettledScreen();
    return CaptureScreen(rect);
}

// Shows a popup menu of the Chinese tray menu's items (none for a separator) here, at the
// cursor as the tray menu opens, and takes its picture.
Screenshot ReferenceMenu() {
    HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 1,
                                 1, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(owner);
    HMENU menu = CreatePopupMenu();
    UINT id = 0;
    for (const wchar_t* item :
         std::initializer_list<const wchar_t*>{L"选项(&O)", nullptr, L"休息计时器(&B)", L"绘制(&D)",
                                               L"放大(&Z)", nullptr, L"退出(&X)"}) {
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

using Language = ProgramTest;

TEST_F(Language, TheLanguageButtonReopensTheOptionsInChineseAndTheTrayMenuFollowsAfterARestartToo) {
    MoveMouseTo({600, 400});
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    HWND dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    ClickOn(GetDlgItem(dialog, IDC_LANGUAGE_BUTTON));
    ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
    PressKey(VK_DOWN);
    PressKey(VK_DOWN); // the second entry: the built-in Simplified Chinese
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
    HWND chinese = WaitForOptionsDialog();
    ASSERT_NE(chinese, nullptr);
    EXPECT_NE(chinese, dialog);
    EXPECT_EQ(WindowText(GetDlgItem(chinese, IDCANCEL)), L"取消");
    EXPECT_EQ(WindowText(DescendantOf(chinese, IDC_ZOOM_HOTKEY_LABEL)), L"放大快捷键：");
    ASSERT_TRUE(CloseDialog(chinese));

    // The real tray menu's picture, now and after a restart from the stored choice.
    const Screenshot expected = ReferenceMenu();
    for (int start = 0; start < 2; ++start) {
        if (start == 1) {
            ASSERT_TRUE(Exit());
            ASSERT_NO_FATAL_FAILURE(StartProgram());
        }
        HWND popup = OpenTrayMenu();
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(Picture(popup), expected) << "start " << start;
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([this] { return TopLevelWindowsOf(Id(), L"#32768", true).empty(); }));
    }
}

} // namespace
