// End to end: the notification-area icon as the screen shows it. The menu's Zoom, the icon back
// after the shell announces a restart, a button-down during a break, the real icon clicked for
// Exit, which takes the icon away, and the program without the icon. (What Exit writes is the
// window tests' ways out.)
#include "e2e/program_test.h"

#include <shellapi.h> // after windows.h
#include "res/options_controls.h"

namespace {

using Tray = ProgramTest;

bool IconShows() {
    return TrayIconOnScreen().has_value();
}

TEST_F(Tray, ItsMenuZoomsItComesBackAfterAShellRestartAndItsExitTakesItAway) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_TRUE(WaitUntil(IconShows));
    {
        MoveMouseTo({700, 400});
        const PatternWindow slide; // over the icon too: the menu opens by message
        ASSERT_TRUE(WaitUntil(ScreenShowsPlainPattern));
        ASSERT_NE(OpenTrayMenu(), nullptr);
        PressKey('Z');
        EXPECT_TRUE(ViewShownSoon(2.0f, {700, 400}));
        EXPECT_TRUE(Escape());
    }
    // The restarted shell's notification area starts empty (here the test empties it).
    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = mainWindow;
    icon.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
    ASSERT_TRUE(WaitUntil([] { return !IconShows(); }));
    SendMessageW(mainWindow, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil(IconShows));

    // The presenter switched away from the break: the icon brings it back, and a double click
    // then opens no options.
    ASSERT_TRUE(HotkeyShows(kBreakKey));
    ShowWindow(mainWindow, SW_HIDE);
    ASSERT_TRUE(WaitHidden());
    SendMessageW(mainWindow, kTrayNotifyMessage, 1, WM_LBUTTONDOWN);
    EXPECT_TRUE(WaitShown());
    SendMessageW(mainWindow, kTrayNotifyMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(OptionsDialogsOf(Id()).empty());
    EXPECT_TRUE(Escape());

    // The real icon clicked, and Exit from its menu.
    std::optional<POINT> at;
    ASSERT_TRUE(WaitUntil([&] { return (at = TrayIconOnScreen()).has_value(); }));
    ClickAt(*at);
    ASSERT_NE(WaitForWindowOf(0, L"#32768"), nullptr);
    PressKey('X');
    EXPECT_EQ(WaitForExit(5000), 0u);
    mainWindow = nullptr;
    EXPECT_TRUE(WaitUntil([] { return !IconShows(); }));
}

TEST_F(Tray, WithoutTheIconTheHotkeysWorkAndTheOptionsBringItBack) {
    WriteSettings({{L"ShowTrayIcon", 0}});
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    CaptureSettledScreen(); // the notification area has painted what it has
    EXPECT_FALSE(IconShows());
    ASSERT_TRUE(HotkeyShows(kBreakKey));
    EXPECT_TRUE(Escape());
    HWND options = OpenOptions(); // as a second start does
    ASSERT_NE(options, nullptr);
    SendMessageW(DescendantOf(options, IDC_SHOW_TRAY_ICON), BM_SETCHECK, BST_CHECKED, 0);
    PostMessageW(options, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil(IconShows));
}

} // namespace
