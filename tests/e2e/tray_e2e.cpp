// End to end: the notification-area icon. Its mouse messages (double click, the menu's Zoom and
// Draw, a button-down during a break), the program without it, the icon back after the shell
// restarts, and every way out taking it away with Exit's settings written.
#include <gtest/gtest.h>

#include "e2e/program_test.h"

#include <shellapi.h> // after windows.h
#include "res/options_controls.h"

namespace {

class Tray : public ProgramTest {
  protected:
    void StartWithIcon() {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        ASSERT_TRUE(WaitUntil([] { return TrayIconOnScreen().has_value(); }));
    }
    // The icon's mouse message, handled by the time this returns.
    void Notify(UINT mouseMessage) {
        SendMessageW(mainWindow, kTrayNotifyMessage, 1, mouseMessage);
    }
    void PickFromMenu(WORD accessKey) {
        ASSERT_NE(OpenTrayMenu(mainWindow), nullptr);
        PressKey(accessKey);
    }
    // The program ended as Exit ends it: exit code 0, FontScale and PenColor written (they were
    // not stored before), the icon gone. (Wine drops a dead program's icon by itself too; the
    // Windows-layer test asks the shell at once, where the program's own removal shows.)
    void ExpectEndedLikeExit() {
        EXPECT_EQ(vistrel.WaitForExit(5000), 0u);
        mainWindow = nullptr;
        EXPECT_EQ(StoredSetting(L"FontScale"), 10u);
        EXPECT_EQ(StoredSetting(L"PenColor"), 0xFFu);
        EXPECT_TRUE(WaitUntil([] { return !TrayIconOnScreen().has_value(); }));
    }
};

TEST_F(Tray, ADoubleClickOpensTheOptionsAndTheMenusZoomAndDrawActAsTheirHotkeys) {
    WriteSettingDword(L"AnimateZoom", 0);
    ASSERT_NO_FATAL_FAILURE(StartWithIcon());
    PostMessageW(mainWindow, kTrayNotifyMessage, 1, WM_LBUTTONDBLCLK);
    HWND options = WaitForOptionsDialog(vistrel);
    ASSERT_NE(options, nullptr);
    PostMessageW(options, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(options); }));

    MoveMouseTo(700, 400);
    const PatternWindow slide; // over the notification area too: the menu opens by message
    ASSERT_TRUE(WaitUntil(ScreenShowsPlainPattern));
    ASSERT_NO_FATAL_FAILURE(PickFromMenu('Z'));
    EXPECT_TRUE(ViewShownSoon(2.0f, {700, 400}));
    EXPECT_TRUE(Escape());
    ASSERT_TRUE(WaitUntil(ScreenShowsPlainPattern));

    // Drawing at once over the frozen slide at magnification 1: a drag leaves a red stroke.
    ASSERT_NO_FATAL_FAILURE(PickFromMenu('D'));
    ASSERT_TRUE(WaitShown());
    ASSERT_TRUE(WaitForKeys());
    EXPECT_TRUE(WaitUntil(ScreenShowsPlainPattern));
    DragTo(400, 300, 600, 300);
    EXPECT_TRUE(WaitUntil([] { return ColourNear(CaptureScreen(), 500, 300, 0xFF0000); }));
    EXPECT_TRUE(Escape());
}

TEST_F(Tray, DuringABreakTheIconBringsTheBreakBackAndADoubleClickOpensNoOptions) {
    ASSERT_NO_FATAL_FAILURE(StartWithIcon());
    PressBreakHotkey();
    ASSERT_TRUE(WaitShown());
    ShowWindow(mainWindow, SW_HIDE); // the presenter switched away: the break goes on, hidden
    ASSERT_TRUE(WaitHidden());
    Notify(WM_LBUTTONDOWN);
    EXPECT_TRUE(WaitShown());
    Notify(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(OptionsDialogsOf(vistrel.Id()).empty());
    EXPECT_TRUE(Escape());
}

TEST_F(Tray, WithoutTheIconTheHotkeysWorkAndTheOptionsBringItBack) {
    WriteSettingDword(L"ShowTrayIcon", 0);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    CaptureSettledScreen(); // the notification area has painted what it has
    EXPECT_FALSE(TrayIconOnScreen().has_value());
    PressBreakHotkey();
    ASSERT_TRUE(WaitShown());
    EXPECT_TRUE(Escape());

    PostCommand(mainWindow, kOptionsCommand); // as a second start does
    HWND options = WaitForOptionsDialog(vistrel);
    ASSERT_NE(options, nullptr);
    SendMessageW(DescendantOf(options, IDC_SHOW_TRAY_ICON), BM_SETCHECK, BST_CHECKED, 0);
    PostMessageW(options, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([] { return TrayIconOnScreen().has_value(); }));
}

// The shell's notification area starts empty after the shell restarted; its broadcast brings
// the icon back. The test takes the icon away itself, as the old shell's end did.
TEST_F(Tray, TheIconComesBackWhenTheShellAnnouncesARestart) {
    ASSERT_NO_FATAL_FAILURE(StartWithIcon());
    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = mainWindow;
    icon.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
    ASSERT_TRUE(WaitUntil([] { return !TrayIconOnScreen().has_value(); }));
    SendMessageW(mainWindow, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([] { return TrayIconOnScreen().has_value(); }));
}

TEST_F(Tray, AnOutsideCloseEndsTheProgramAsExitDoes) {
    ASSERT_NO_FATAL_FAILURE(StartWithIcon());
    PressBreakHotkey(); // a break up, ended on the way out
    ASSERT_TRUE(WaitShown());
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    ExpectEndedLikeExit();
}

TEST_F(Tray, TheEndOfTheSessionEndsTheProgramAsExitDoes) {
    ASSERT_NO_FATAL_FAILURE(StartWithIcon());
    EXPECT_EQ(SendMessageW(mainWindow, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    EXPECT_EQ(StoredSetting(L"FontScale"), 10u) << "safe before the logoff is decided";
    SendMessageW(mainWindow, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    ExpectEndedLikeExit();
}

} // namespace
